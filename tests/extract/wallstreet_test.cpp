#include "extraction_harness.h"

#include <gtest/gtest.h>

using namespace zelvon;
using namespace zelvon::extract;
using namespace zelvon::extract::testing;

namespace {

void PadTo(QString& page, qsizetype size)
{
    page += QString(std::max<qsizetype>(size - page.size(), 0), u' ');
}

// One line, as the informer serves it: the second "Letzter Kurs" heads the
// quote, price, time and volume follow at the distances the cuts expect.
QString InformerPage(const QString& price, const QString& time, const QString& volume)
{
    QString page = QStringLiteral("<html><body><nav><a href=\"#kurs\">Letzter Kurs</a></nav><h2>");
    const qsizetype p = page.size();
    page += QStringLiteral("Letzter Kurs</h2>");
    PadTo(page, p + 600);
    page += "<div class=\"Kurs\"><span class=\"tradeBox\"><span class=\"trade\">" + price + "</span> EUR</span></div>";
    PadTo(page, p + 1600);
    page += "<span class=\"tradeTime\">" + time + "</span>";
    PadTo(page, p + 2100);
    page += "<table><tr><td>Volumen</td><td>" + volume + " St\u00fcck</td></tr></table></body></html>";
    return page;
}

QString BidBlock(const QString& price, const QString& time)
{
    return "<html><body><div class=\"quote\"><span data-push=\"A1B2C3;bid\">" + price +
           "</span> <span data-push=\"A1B2C3;bidTime\">" + time + "</span></div></body></html>";
}

}  // namespace

TEST(WallstreetInformer, ReadsPriceTimeAndScaledVolume)
{
    Harness h;
    const ExtractionOutcome out = h.run(kSourceWallstreet, {InformerPage("12,34", "14:05:10", "1,2 Mio")}, 0);
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 12.34);
    EXPECT_EQ(h.quote().Zeit, "14:05:10");
    EXPECT_EQ(h.quote().Datum, Day());
    EXPECT_EQ(h.quote().Volumen, 1'200'000);
    EXPECT_DOUBLE_EQ(h.quote().Ask, 1'000'000);
    EXPECT_EQ(h.listed(), QStringList{"SAP\t12,34\t14:05:10\t1200000"});
    EXPECT_FALSE(out.picture) << "the status icon is left as it was";
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2024, 3, 15, 14, 5, 10));

    h.run(kSourceWallstreet, {InformerPage("12,34", "14:05:10", "350 Tsd")}, 0);
    EXPECT_EQ(h.quote().Volumen, 350'000);
    EXPECT_DOUBLE_EQ(h.quote().Ask, 1000);
    h.run(kSourceWallstreet, {InformerPage("12,34", "14:05:10", "4711")}, 0);
    EXPECT_EQ(h.quote().Volumen, 4711);
    EXPECT_DOUBLE_EQ(h.quote().Ask, 1);
}

TEST(WallstreetInformer, UnreadableVolumeIsZeroAndTheLineEndsInItsTab)
{
    for (const char* volume : {"k.A.", "12.345", "5000 Mio"}) {
        Harness h;
        h.run(kSourceWallstreet, {InformerPage("12,34", "14:05", volume)}, 0);
        EXPECT_EQ(h.quote().Volumen, 0) << volume;
        EXPECT_EQ(h.listed(), QStringList{"SAP\t12,34\t14:05\t"}) << volume;
        EXPECT_EQ(h.rows.size(), 1u);
    }
}

TEST(WallstreetInformer, PriceThatIsNoNumberIsNeitherListedNorStored)
{
    for (const char* price : {"1.234,56", "k.A.", "0,00"}) {
        Harness h;
        const ExtractionOutcome out = h.run(kSourceWallstreet, {InformerPage(price, "14:05", "1,2 Mio")}, 0);
        EXPECT_EQ(out.status, kQuoteRead) << "the volume step ends every read as done";
        EXPECT_EQ(h.quote().Kurs, 0) << price;
        EXPECT_TRUE(h.listed().isEmpty()) << price;
        EXPECT_TRUE(h.rows.empty()) << price;
    }
}

TEST(WallstreetInformer, OneLastPriceHeadingIsNoQuote)
{
    QString page = InformerPage("12,34", "14:05", "1,2 Mio");
    page.replace(page.indexOf("Letzter Kurs"), 12, "Kursverlauf!");
    Harness h;
    EXPECT_EQ(h.run(kSourceWallstreet, {page}, 0).status, kMarkerMissing);
    EXPECT_TRUE(h.rows.empty());
}

TEST(WallstreetInformer, HiddenWindowStoresButListsNothingAndPolicyTwoSavesOnlyListedQuotes)
{
    Harness h;
    h.input.windowVisible = false;
    h.input.savePolicy = 2;
    h.run(kSourceWallstreet, {InformerPage("12,34", "14:05", "1,2 Mio")}, 0);
    EXPECT_TRUE(h.listed().isEmpty());
    EXPECT_EQ(h.pagesSaved, 0);
    EXPECT_EQ(h.rows.size(), 1u);

    h.input.windowVisible = true;
    h.run(kSourceWallstreet, {InformerPage("12,34", "14:05", "1,2 Mio")}, 0);
    EXPECT_EQ(h.pagesSaved, 1);
}

TEST(WallstreetBidBlock, ReadsTheBidAndItsTimeAsTodaysQuote)
{
    Harness h;
    h.extractor.quote.Datum = Day() - 10;
    h.run(kSourceWallstreet, {BidBlock("0,125", "17:29:58")}, 1);
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 0.125);
    EXPECT_EQ(h.quote().Zeit, "17:29:58");
    EXPECT_EQ(h.quote().Datum, Day()) << "the block carries no date";
    EXPECT_EQ(h.listed(), QStringList{"SAP\t0,125\t17:29:58\t"});
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2024, 3, 15, 17, 29, 58));
}

TEST(WallstreetBidBlock, BidWithThousandsDotOrMarkerTooEarlyReadsNothing)
{
    Harness h;
    EXPECT_EQ(h.run(kSourceWallstreet, {BidBlock("1.234,50", "17:29:58")}, 1).status, kPriceNotPositive);
    EXPECT_TRUE(h.rows.empty());
    EXPECT_TRUE(h.listed().isEmpty());
    // The search starts at position 5.
    EXPECT_EQ(h.run(kSourceWallstreet, {"<a>;bid\">12,50</a>"}, 1).status, kMarkerMissing);
    EXPECT_TRUE(h.rows.empty());
}

TEST(WallstreetEntries, NoOtherEntryReadsAnything)
{
    for (int entry : {-1, 2}) {
        Harness h;
        const ExtractionOutcome out = h.run(kSourceWallstreet, {InformerPage("12,34", "14:05", "1,2 Mio")}, entry);
        EXPECT_TRUE(h.rows.empty()) << entry;
        EXPECT_FALSE(out.picture);
        EXPECT_EQ(h.buttonsReady, 1);
    }
}
