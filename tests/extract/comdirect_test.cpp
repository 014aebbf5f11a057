#include "extraction_harness.h"

#include <gtest/gtest.h>

using namespace zelvon;
using namespace zelvon::extract;
using namespace zelvon::extract::testing;

namespace {

const QStringList kHead = {
    "<!DOCTYPE html>",
    "<html lang=\"de\"><head><title>SAP SE Aktie | comdirect</title></head>",
    "<body><nav><a href=\"#\" data-label=\"Aktuell\">Aktuell</a></nav>",
};

// The quote row, one cell per line as the browser writes it.
QStringList PriceRow(const QString& price, const QString& dateCell)
{
    return {"<table class=\"simple-table\"><tr>",
            "<td data-label=\"Aktuell\" class=\"table__column--right\">" + price + "</td>",
            "<td>", "+1,20 %</td>", "<td>", "Xetra</td>", "<td>", dateCell + "</td>", "</tr></table>"};
}

QStringList VolumeRow(const QString& volume)
{
    return {"<table><tr><th>Umsatz</th>",
            "<td data-label=\"Tages-Vol.\">" + volume + "</td></tr></table>", "</body></html>"};
}

QStringList SharePage(const QString& price = "1.234,56 EUR", const QString& dateCell = "31.12.20 17:35",
                      const QString& volume = "1,5&nbsp;Mio")
{
    return kHead + PriceRow(price, dateCell) + VolumeRow(volume);
}

}  // namespace

TEST(ComdirectPriceBlock, ReadsPriceDateTimeAndVolume)
{
    Harness h;
    const ExtractionOutcome out = h.run(kSourceComdirectAktien, SharePage());
    EXPECT_EQ(h.quote().Kurswert, "1234,56");
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 1234.56);
    EXPECT_EQ(h.quote().Datum, *zelvon::formats::EncodeDate(2020, 12, 31));
    EXPECT_EQ(h.quote().Zeit, "17:35");
    EXPECT_EQ(h.quote().Volumen, 1'500'000);
    EXPECT_EQ(h.listed(), (QStringList{"31.12.2020", "SAP\t1234,56\t17:35\t1500000\tAktie", "15.03.2024"}));
    EXPECT_EQ(out.picture, kPictureQuoteRead);
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2020, 12, 31, 17, 35));
    EXPECT_EQ(h.rows[0].Volumen, 1'500'000);
}

TEST(ComdirectPriceBlock, EndWordsBySource)
{
    const struct {
        int source;
        const char* line;
    } cases[] = {
        {kSourceComdirectFonds, "SAP\t12,5\t17:35\t12345\tFond"},
        {kSourceComdirectOptionsscheine, "SAP\t12,5\t17:35\t12345\tOptionsschein"},
        {kSourceComdirectAktien, "SAP\t12,5\t17:35\t12345\tAktie"},
        {kSourceComdirectIndizes, "SAP\t12,5\t17:35\t\tIndex"},
        {kSourceComdirectZertifikate, "SAP\t12,5\t17:35\t12345"},
    };
    for (const auto& c : cases) {
        Harness h;
        h.run(c.source, SharePage("12,50", "15.03.24 17:35", "12.345"));
        EXPECT_EQ(h.listed(), QStringList{c.line}) << c.source;
    }
}

// The currency and "all kinds" sources store and show success, but keep the
// quote out of the list; an earlier day's date lines are still written.
TEST(ComdirectPriceBlock, CurrencyAndAllKindsSourcesListNoQuoteLine)
{
    for (const int source : {kSourceComdirectWaehrungen, kSourceComdirectAlles}) {
        Harness h;
        const ExtractionOutcome today = h.run(source, SharePage("12,50", "15.03.24 17:35", "12.345"));
        EXPECT_TRUE(h.listed().isEmpty()) << source;
        EXPECT_EQ(today.picture, kPictureQuoteRead);
        EXPECT_TRUE(today.stored);

        h.run(source, SharePage("12,50", "31.12.74 17:35", "12.345"));
        EXPECT_EQ(h.listed(), (QStringList{"31.12.1974", "15.03.2024"})) << source;
        EXPECT_EQ(h.rows.size(), 2u);
    }
}

TEST(ComdirectPriceBlock, VolumeIsWrittenAlsoWhenZero)
{
    Harness h;
    h.run(kSourceComdirectAktien, SharePage("0,00", "15.03.24 17:35", "k.A."));
    EXPECT_EQ(h.run(kSourceComdirectAktien, SharePage("0,00")).status, kPriceNotPositive);
    h.quoteList.clear();
    h.run(kSourceComdirectAktien, SharePage("12,50", "15.03.24 17:35", "k.A."));
    EXPECT_EQ(h.quote().Volumen, 0);
    EXPECT_EQ(h.listed(), QStringList{"SAP\t12,5\t17:35\t0\tAktie"});
    EXPECT_EQ(h.rows.size(), 1u);
}

TEST(ComdirectPriceBlock, VolumeBeyond32BitsCountsAsUnreadable)
{
    Harness h;
    h.run(kSourceComdirectAktien, SharePage("12,50", "15.03.24 17:35", "5.000&nbsp;Mio"));
    EXPECT_EQ(h.quote().Volumen, 0);
}

TEST(ComdirectPriceBlock, FundLabelsBeforeThePriceAreSkipped)
{
    Harness h;
    QStringList page = {"<!DOCTYPE html>", "<html><body>",
                        "<div class=\"rating\">Morningstar Rating</div>",
                        "<table><tr><td data-label=\"Aktuell\"><span class=\"Fonds\">45,67 EUR</span></td>",
                        "<td>", "x</td>", "<td>", "y</td>", "<td>", "14.03.24 17:00</td></tr></table>"};
    h.run(kSourceComdirectFonds, page + VolumeRow("0"));
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 45.67);
    EXPECT_EQ(h.quote().Datum, Day() - 1);
    EXPECT_EQ(h.listed(), (QStringList{"14.03.2024", "SAP\t45,67\t17:00\t0\tFond", "15.03.2024"}));
}

TEST(ComdirectPriceBlock, WithTheMarkerOnlyOnceMorningstarIsSearchedFromPositionNine)
{
    const QStringList rest = {"<table><tr><td data-label=\"Aktuell\">45,67 EUR</td></tr></table>", "</body>"};
    Harness atFive;
    const ExtractionOutcome missed = atFive.run(kSourceComdirectFonds, QStringList{"<!-- Morningstar -->"} + rest);
    EXPECT_FALSE(missed.picture);
    EXPECT_EQ(atFive.quote().Kurs, 0);

    Harness atNine;
    atNine.run(kSourceComdirectFonds, QStringList{"<!-- xxxx Morningstar -->"} + rest);
    EXPECT_DOUBLE_EQ(atNine.quote().Kurs, 45.67);
}

TEST(ComdirectBidAsk, TheBidOfThePairIsThePrice)
{
    Harness h;
    h.run(kSourceComdirectOptionsscheine,
          {"<!DOCTYPE html>", "<html><body><table>",
           "<tr><th>Geld / Brief</th><td class=\"output-text\"><span>12,30 / 12,40</span></td></tr>",
           "</table></body></html>"});
    EXPECT_EQ(h.quote().Kurswert, "12,30");
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 12.3);
}

TEST(ComdirectBidAsk, FarDownThePageTheWindowStartsBeforeTheLabelAndLosesThePrice)
{
    QStringList page = {"<!DOCTYPE html>"};
    for (int i = 0; i < 30; ++i)
        page << "";
    page << "<tr><th>Geld / Brief</th><td class=\"output-text\"><span>12,30 / 12,40</span></td></tr>"
         << "</table></body></html>";
    Harness h;
    const ExtractionOutcome out = h.run(kSourceComdirectOptionsscheine, page);
    EXPECT_EQ(h.quote().Kurswert, "");
    EXPECT_EQ(h.quote().Kurs, 0);
    EXPECT_EQ(out.picture, kPictureFailure);
    EXPECT_TRUE(h.rows.empty());
}

TEST(ComdirectDate, ALabelledCellServesWhenTheThirdCellIsNoDate)
{
    Harness h;
    QStringList page = kHead + PriceRow("12,50", "Xetra");
    page << "<table><tr><td class=\"table__column--top\" data-label=\"Datum Zeit\">13.03.24&nbsp;16:45:10</td></tr></table>";
    h.run(kSourceComdirectAktien, page + VolumeRow("100"));
    EXPECT_EQ(h.quote().Datum, *zelvon::formats::EncodeDate(2024, 3, 13));
    EXPECT_EQ(h.quote().Zeit, "16:45");
    EXPECT_EQ(h.quote().Volumen, 100);
}

TEST(ComdirectDate, WithoutAnyDateTheQuoteIsTodaysAtTheCurrentTime)
{
    Harness h;
    h.run(kSourceComdirectAktien, kHead + PriceRow("12,50", "Xetra") + VolumeRow("100"));
    EXPECT_EQ(h.quote().Datum, Day());
    EXPECT_EQ(h.quote().Zeit, "18:00:00");
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2024, 3, 15, 18, 0));
}

TEST(ComdirectFailure, APriceThatIsNoNumberStillReadsDateAndVolume)
{
    Harness h;
    const ExtractionOutcome out = h.run(kSourceComdirectAktien, SharePage("n/a EUR"));
    EXPECT_EQ(out.status, kPriceNotANumber);
    EXPECT_EQ(h.quote().Kurs, 0);
    EXPECT_EQ(h.quote().Datum, *zelvon::formats::EncodeDate(2020, 12, 31));
    EXPECT_EQ(h.quote().Volumen, 1'500'000);
    EXPECT_EQ(out.picture, kPictureFailure);
    EXPECT_TRUE(h.listed().isEmpty());
    EXPECT_TRUE(h.rows.empty());
}

TEST(ComdirectFailure, NoBlockAtAllLeavesIconAndListAlone)
{
    Harness h;
    const ExtractionOutcome out = h.run(kSourceComdirectAktien, {"<html>", "<body>Wartung</body>", "</html>"});
    EXPECT_EQ(out.status, kMarkerMissing);
    EXPECT_FALSE(out.picture);
    EXPECT_FALSE(out.endedAtOnce);
    EXPECT_TRUE(h.rows.empty());
    EXPECT_EQ(h.buttonsReady, 1);
}

TEST(ComdirectFailure, AHiddenWindowStoresWithoutReporting)
{
    Harness h;
    h.input.windowVisible = false;
    const ExtractionOutcome out = h.run(kSourceComdirectAktien, SharePage());
    EXPECT_FALSE(out.picture);
    EXPECT_TRUE(h.listed().isEmpty());
    EXPECT_EQ(h.rows.size(), 1u);
}
