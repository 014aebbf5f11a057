#include "extraction_harness.h"

#include <gtest/gtest.h>

using namespace zelvon;
using namespace zelvon::extract;
using namespace zelvon::extract::testing;

namespace {

struct ConsorsParts {
    QString date = "15.03.2024";
    QString time = "14:05";
    QString price = "1.234,56";
    QString volume = "1.234.567&nbsp;";
    // Blanks between the tail's start and the date element.
    int dateDistance = 30;
    QString marker = "price price-";
};

// One line: the tail starts 198 characters after the header's marker, inside
// the title of the date element.
QString ConsorsPage(const ConsorsParts& parts)
{
    QString page = QStringLiteral("<html><head><title>SAP SE</title></head><body><div class=\"");
    const qsizetype p = page.size();
    page += parts.marker + "up\">SAP SE</div><span class=\"datetime\" title=\"";
    page += QString(198 + parts.dateDistance - (page.size() - p), u' ');
    page += "\" data-field=\"price.DATETIME_PRICE\" data-format=\"dd.MM.yyyy\">" + parts.date +
            "</span> <span data-format=\"HH:mm\">" + parts.time + "</span> <span class=\"" + parts.marker + "up\">" +
            parts.price + "</span> EUR";
    if (!parts.volume.isNull())
        page += "<table><tr><td><span>Tagesumsatz</span>" + parts.volume + "</td></tr></table>";
    return page + "</body></html>";
}

}  // namespace

TEST(Consors, ReadsDateTimePriceAndVolume)
{
    Harness h;
    const ExtractionOutcome out = h.run(kSourceConsors, {ConsorsPage({})}, 0);
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 1234.56);
    EXPECT_EQ(h.quote().Datum, Day());
    EXPECT_EQ(h.quote().Zeit, "14:05:00");
    EXPECT_EQ(h.quote().Volumen, 1'234'567);
    EXPECT_DOUBLE_EQ(h.quote().Ask, 1'234'567);
    EXPECT_EQ(h.listed(), QStringList{"SAP\t1234,56\t14:05:00\t1234567\t"});
    EXPECT_EQ(out.picture, kPictureQuoteRead);
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2024, 3, 15, 14, 5));
}

TEST(Consors, EarlierDayIsFramedByDateLinesAndFallbackMarkersWork)
{
    for (const char* marker : {"price price-", "price.PRICE", "market-value"}) {
        ConsorsParts parts;
        parts.date = "14.03.2024";
        parts.marker = marker;
        Harness h;
        h.run(kSourceConsors, {ConsorsPage(parts)}, 0);
        EXPECT_EQ(h.listed(), (QStringList{"14.03.2024", "SAP\t1234,56\t14:05:00\t1234567\t", "15.03.2024"}))
            << marker;
    }
}

TEST(Consors, DateElementBeyondThreeHundredCharactersReadsNeitherDateNorTime)
{
    ConsorsParts parts;
    parts.date = "14.03.2024";
    parts.dateDistance = 320;
    Harness h;
    h.run(kSourceConsors, {ConsorsPage(parts)}, 0);
    EXPECT_EQ(h.quote().Datum, Day());
    EXPECT_EQ(h.quote().Zeit, "18:00:00");
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 1234.56);
    ASSERT_EQ(h.rows.size(), 1u);
}

TEST(Consors, UnreadableDateTimeAndVolumeTakeTheirDefaults)
{
    ConsorsParts parts;
    parts.date = "gestern";
    parts.time = "jetzt";
    parts.volume = "k.A.";
    Harness h;
    h.extractor.quote.Ask = 5;
    h.run(kSourceConsors, {ConsorsPage(parts)}, 0);
    EXPECT_EQ(h.quote().Datum, Day());
    EXPECT_EQ(h.quote().Zeit, "18:00:00");
    EXPECT_EQ(h.quote().Volumen, 0);
    EXPECT_EQ(h.listed(), QStringList{"SAP\t1234,56\t18:00:00\t"});

    parts.volume = "99.999.999.999";
    h.run(kSourceConsors, {ConsorsPage(parts)}, 0);
    EXPECT_EQ(h.quote().Volumen, 0) << "beyond 32 bits";
}

TEST(Consors, WithoutVolumeCellTheLastVolumeFactorDecidesTheLine)
{
    Harness h;
    h.run(kSourceConsors, {ConsorsPage({})}, 0);
    ConsorsParts parts;
    parts.volume = QString();
    h.quoteList.clear();
    h.run(kSourceConsors, {ConsorsPage(parts)}, 0);
    EXPECT_EQ(h.quote().Volumen, 0);
    EXPECT_EQ(h.listed(), QStringList{"SAP\t1234,56\t14:05:00\t0\t"}) << "the record keeps Ask";
}

TEST(Consors, ReportsAlsoWhileHiddenAndSavesWithPolicyTwo)
{
    Harness h;
    h.input.windowVisible = false;
    h.input.savePolicy = 2;
    h.run(kSourceConsors, {ConsorsPage({})}, 0);
    EXPECT_EQ(h.listed().size(), 1);
    EXPECT_EQ(h.pagesSaved, 1);
}

TEST(Consors, FailuresShowTheFailureIcon)
{
    Harness missing;
    const ExtractionOutcome noMarker = missing.run(kSourceConsors, {"<html><body>Wartungsarbeiten</body></html>"}, 0);
    EXPECT_EQ(noMarker.status, kMarkerMissing);
    EXPECT_EQ(noMarker.picture, kPictureFailure);
    EXPECT_TRUE(missing.listed().isEmpty());
    EXPECT_TRUE(missing.rows.empty());

    ConsorsParts parts;
    parts.price = "k.A.";
    parts.date = "14.03.2024";
    Harness h;
    h.input.savePolicy = 2;
    const ExtractionOutcome out = h.run(kSourceConsors, {ConsorsPage(parts)}, 0);
    EXPECT_EQ(out.status, kPriceNotPositive);
    EXPECT_EQ(out.picture, kPictureFailure);
    EXPECT_EQ(h.listed(), QStringList{"15.03.2024"}) << "only the closing date line of an earlier day";
    EXPECT_EQ(h.pagesSaved, 0);
    EXPECT_TRUE(h.rows.empty());
}
