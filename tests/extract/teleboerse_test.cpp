#include "extraction_harness.h"

#include <gtest/gtest.h>

using namespace zelvon;
using namespace zelvon::extract;
using namespace zelvon::extract::testing;

namespace {

const QString kIsin = "DE0007164600";

QString ResultRow(const QString& timeCell, const QString& priceCell)
{
    return "<table><tr><td class=\"isin\">" + kIsin + "</td><td class=\"name\">SAP SE</td><td class=\"boerse\">"
           "Xetra</td><td class=\"zeit\">" + timeCell + "</td><td class=\"kurs\"><span class=\"wert\">" + priceCell +
           "</span> EUR</td></tr></table>";
}

// One line: the search head names the ISIN, the result row follows 3 600 characters later.
QString ResultPage(const QString& timeCell, const QString& priceCell, const QString& hit = "1 Treffer")
{
    QString page = "<div class=\"suche\">" + hit + " f\u00fcr <b>";
    const qsizetype p = page.size();
    page += kIsin + "</b></div>";
    page += QString(p + 3600 - page.size(), u' ');
    return page + ResultRow(timeCell, priceCell);
}

struct WithIsin : Harness {
    WithIsin() { input.security.ISIN = kIsin; }
};

}  // namespace

TEST(Teleboerse, WaitsThenReadsTimeAndPriceOfTheRow)
{
    WithIsin h;
    const ExtractionOutcome out = h.run(kSourceTeleboerse, {ResultPage("14:05", "12,34")}, 2);
    EXPECT_EQ(h.waits, std::vector<int>{1000});
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 12.34);
    EXPECT_EQ(h.quote().Zeit, "14:05");
    EXPECT_EQ(h.quote().Datum, Day());
    EXPECT_EQ(h.listed(), QStringList{"SAP\t12,34\t14:05\t"});
    EXPECT_EQ(out.picture, kPictureQuoteRead);
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2024, 3, 15, 14, 5));
}

TEST(Teleboerse, DayCellWithoutYearIsThisYearsDateWithTheCurrentTime)
{
    WithIsin h;
    h.run(kSourceTeleboerse, {ResultPage("12.03.", "12,34")}, 2);
    EXPECT_EQ(h.quote().Datum, *formats::EncodeDate(2024, 3, 12));
    EXPECT_EQ(h.quote().Zeit, "");
    EXPECT_EQ(h.listed(), (QStringList{"12.03.2024", "SAP\t12,34\t\t", "15.03.2024"}));
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2024, 3, 12, 18, 0));

    h.run(kSourceTeleboerse, {ResultPage("k.A.", "12,34")}, 2);
    EXPECT_EQ(h.quote().Datum, Day());
    EXPECT_EQ(h.quote().Zeit, "");
}

TEST(Teleboerse, PriceByCommaThenByDotAndNeitherWithThousandsDot)
{
    WithIsin h;
    h.run(kSourceTeleboerse, {ResultPage("14:05", "12.5")}, 2);
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 12.5);

    WithIsin bad;
    const ExtractionOutcome out = bad.run(kSourceTeleboerse, {ResultPage("14:05", "1.234,56")}, 2);
    EXPECT_EQ(out.status, kPriceNotANumber);
    EXPECT_EQ(out.picture, kPictureFailure);
    EXPECT_EQ(bad.quote().Kurs, 0);
    EXPECT_TRUE(bad.listed().isEmpty());
    EXPECT_TRUE(bad.rows.empty());
}

TEST(Teleboerse, ZeroPriceIsAFailureNotARead)
{
    WithIsin h;
    const ExtractionOutcome out = h.run(kSourceTeleboerse, {ResultPage("14:05", "0,00")}, 2);
    EXPECT_EQ(out.status, kPriceNotPositive);
    EXPECT_EQ(out.picture, kPictureFailure);
    EXPECT_TRUE(h.listed().isEmpty());
    EXPECT_TRUE(h.rows.empty());
}

TEST(Teleboerse, ReportsWhileHiddenAndNeverSavesThePage)
{
    WithIsin h;
    h.input.windowVisible = false;
    h.input.savePolicy = 2;
    h.run(kSourceTeleboerse, {ResultPage("14:05", "12,34")}, 2);
    EXPECT_EQ(h.listed(), QStringList{"SAP\t12,34\t14:05\t"});
    EXPECT_EQ(h.pagesSaved, 0);
}

TEST(Teleboerse, WithoutTheIsinTheSingleHitPlacesTheRow)
{
    // No ISIN in the security: the window starts 3 499 after "1 Treffer",
    // and the cells are counted from there.
    QString page = "<div class=\"suche\">1 Treffer f\u00fcr <b>SAP</b></div>";
    page += QString(3600 - page.size() + 19, u' ');
    page += "<td class=\"name\">SAP SE</td><td class=\"boerse\">Xetra</td><td class=\"zeit\">14:05</td>"
            "<td class=\"kurs\"><span class=\"wert\">12,34</span></td>";
    Harness h;
    h.run(kSourceTeleboerse, {page}, 0);
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 12.34);
    EXPECT_EQ(h.quote().Zeit, "14:05");
}

TEST(Teleboerse, NoMarkerOrNoPriceCellReadsNothingAndLeavesTheIcon)
{
    WithIsin none;
    const ExtractionOutcome noHit = none.run(kSourceTeleboerse, {"<div>Keine Treffer</div>"}, 2);
    EXPECT_EQ(none.waits, std::vector<int>{1000});
    EXPECT_FALSE(noHit.picture);
    EXPECT_TRUE(none.rows.empty());

    QString page = ResultPage("14:05", "12,34");
    page.truncate(page.indexOf("<td class=\"kurs\""));
    WithIsin h;
    const ExtractionOutcome noPrice = h.run(kSourceTeleboerse, {page}, 2);
    EXPECT_FALSE(noPrice.picture);
    EXPECT_TRUE(h.listed().isEmpty());
    EXPECT_TRUE(h.rows.empty());
}
