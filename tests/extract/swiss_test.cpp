#include "extraction_harness.h"
#include "platform/error.h"

#include <gtest/gtest.h>

using namespace zelvon;
using namespace zelvon::extract;
using namespace zelvon::extract::testing;

namespace {

// Positions are search positions and windows are cut from the full text, so
// every line break before a window shifts it; the Swiss pages are one line.
QStringList OneLine(const QStringList& parts)
{
    return {parts.join(QString())};
}

const QString kHead = "<html><head><title>Kurse</title></head><body><table>";

QStringList StockPage(const QString& date = "31-12-2020 17:35:12", const QString& price = "1'234.50",
                      const QString& volume = "12'345")
{
    return OneLine({kHead, "<tr><td>Symbol</td><td>>Change</td><td>Datum</td></tr>",
            "<tr><td>SAP</td><td>+0.5%</td><td>" + date + "</td></tr>",
            "<tr><td>Last</td><td>Umsatz <B>" + volume + "</B></td>",
            "<td bgcolor=\"#ffcc00\"><b>" + price + "</b></td></tr></table></body></html>"});
}

// The detail layout: volume two "_body" elements after the last trade, price in change_body.
QStringList DetailPage(const QString& price = "98,40", const QString& volume = "2'000'000")
{
    return OneLine({kHead, "<div>Ver&auml;nderung +1.2 am 14-03-2024 um 16:20:05</div>",
            "<span>Letzter</span><span class=\"time_body\">16:20</span>",
            "<span class=\"size_body\"><b>" + volume + "</b></span>",
            "<span class=\"change_body\">" + price + "</span></body></html>"});
}

QStringList FundPage(const QString& volume = "12", const QString& price = "101,25")
{
    return OneLine({kHead, "<tr><td>Titel</td><td><B>31-12-2020</B></td><td><B>17:35:12</B></td></tr>",
            "<tr><td>Last</td><td><B>" + volume + "<BR>Mio.</B></td>",
            "<TD bgcolor=\"#ffcc99\"><B>" + price + "&nbsp;CHF</B></TD></TR></table></body></html>"});
}

struct TradeRow {
    int number;
    QString time;
    QString price;
    QString volume;
};

QStringList IntradayPage(const std::vector<TradeRow>& trades)
{
    QStringList lines{kHead};
    for (const TradeRow& t : trades)
        lines << QStringLiteral("<tr><td class=\"nr\">%1</td><td class=\"c1\">%2</td><td><B>%3</B></td>"
                                "<td class=\"c1\">%4</td></tr>")
                     .arg(t.number)
                     .arg(t.time, t.price, t.volume);
    lines << "</table></body></html>";
    return OneLine(lines);
}

}  // namespace

TEST(SwissStockPage, ReadsDateTimeVolumeAndPrice)
{
    Harness h;
    const ExtractionOutcome out = h.run(kSourceSwiss, StockPage(), kSwissAktienkurse);
    EXPECT_EQ(out.status, kQuoteRead);
    EXPECT_EQ(h.quote().Kurswert, "1234.50");
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 1234.5);
    EXPECT_EQ(h.quote().Datum, *formats::EncodeDate(2020, 12, 31));
    EXPECT_EQ(h.quote().Zeit, "17:35:12");
    EXPECT_EQ(h.quote().Volumen, 12345);
    EXPECT_EQ(h.listed(), (QStringList{"31.12.2020", "SAP\t1234,5\t17:35:12\t12345\tswiss.example", "15.03.2024"}));
    EXPECT_EQ(out.picture, kPictureQuoteRead);
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2020, 12, 31, 17, 35, 12));
}

TEST(SwissStockPage, CommaPriceNoVolumeAndTheUsEntry)
{
    Harness h;
    h.run(kSourceSwiss, StockPage("15-03-2024 09:01:02", "12,50", "n/a"), kSwissUsAktienkurse);
    EXPECT_EQ(h.quote().Kurswert, "12.50");
    EXPECT_EQ(h.quote().Volumen, 0);
    EXPECT_EQ(h.listed(), QStringList{"SAP\t12,5\t09:01:02\tswiss.example"});
}

TEST(SwissStockPage, ChangeMarkerBelowTenIsIgnored)
{
    Harness h;
    // ">Change" at position 1 only: no German marker, so nothing is read.
    EXPECT_EQ(h.run(kSourceSwiss, {"x>Change 31-12-2020 17:35:12 Last <B>5</B> ffc<B>3.5</B>"}, 0).status,
              kMarkerMissing);
    EXPECT_TRUE(h.rows.empty());
    EXPECT_TRUE(h.listed().isEmpty());
    // The German marker further on is used instead.
    Harness g;
    g.run(kSourceSwiss, OneLine(QStringList{"x>Change"} + StockPage().replaceInStrings(">Change", "Veränderung")), 0);
    EXPECT_EQ(g.quote().Zeit, "17:35:12");
    EXPECT_DOUBLE_EQ(g.quote().Kurs, 1234.5);
}

TEST(SwissStockPage, BadDateAndBadPriceKeepDefaults)
{
    Harness h;
    const ExtractionOutcome out = h.run(kSourceSwiss, StockPage("gestern 1-2", "k.A."), 0);
    EXPECT_EQ(out.status, kPriceNotPositive);
    EXPECT_EQ(h.quote().Datum, Day());
    EXPECT_EQ(h.quote().Zeit, "18:00:00");
    EXPECT_EQ(out.picture, kPictureFailure);
    EXPECT_TRUE(h.rows.empty());
    EXPECT_TRUE(h.listed().isEmpty());
}

TEST(SwissStockPage, DetailLayout)
{
    Harness h;
    h.run(kSourceSwiss, DetailPage(), kSwissKursdetailSymbol);
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 98.4);
    EXPECT_EQ(h.quote().Volumen, 2'000'000);
    EXPECT_EQ(h.listed(),
              (QStringList{"14.03.2024", "SAP\t98,4\t16:20:05\t2000000\tswiss.example", "15.03.2024"}));
}

TEST(SwissStockPage, HiddenWindowStoresWithoutReport)
{
    Harness h;
    h.input.windowVisible = false;
    h.input.savePolicy = 2;
    const ExtractionOutcome out = h.run(kSourceSwiss, StockPage(), 0);
    EXPECT_FALSE(out.picture.has_value());
    EXPECT_EQ(h.pagesSaved, 0);
    EXPECT_EQ(h.rows.size(), 1u);
}

TEST(SwissFundPage, VolumeInMillionsAndEndWord)
{
    Harness h;
    h.input.savePolicy = 2;
    const ExtractionOutcome out = h.run(kSourceSwiss, FundPage(), kSwissFondkurse);
    EXPECT_EQ(out.status, kQuoteRead);
    EXPECT_EQ(h.quote().Kurswert, "101.25");
    EXPECT_EQ(h.quote().Volumen, 12'000'000);
    EXPECT_EQ(h.listed(),
              (QStringList{"31.12.2020", "SAP\t101,25\t17:35:12\t12000000\tswiss.example=> Fond", "15.03.2024"}));
    EXPECT_EQ(h.pagesSaved, 1);
}

TEST(SwissFundPage, VolumeBeyond32BitsIsZeroAndMissingTitleReadsNothing)
{
    Harness h;
    h.run(kSourceSwiss, FundPage("2'500"), kSwissFondkurse);
    EXPECT_EQ(h.quote().Volumen, 0);
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 101.25);
    Harness g;
    EXPECT_EQ(g.run(kSourceSwiss, FundPage().replaceInStrings("Titel", "Name"), kSwissFondkurse).status,
              kMarkerMissing);
    EXPECT_TRUE(g.rows.empty());
}

TEST(SwissEntries, NoEntryOnlyRunsTheStorageStep)
{
    Harness h;
    const ExtractionOutcome out = h.run(kSourceSwiss, StockPage(), kNoEntry);
    EXPECT_FALSE(out.picture.has_value());
    EXPECT_TRUE(h.rows.empty());
    EXPECT_EQ(h.buttonsReady, 1);
}

TEST(SwissIntraday, OnlyTradesAfterTheStoredOneCount)
{
    Harness h;
    h.stored = {500, At(2024, 3, 15, 9, 5)};
    const ExtractionOutcome out = h.run(
        kSourceSwiss, IntradayPage({{1, "09:00:05", "12.40", "1'000"}, {2, "09:10:00", "12,50", "2'500"}}),
        kSwissAktienkurseIntraday);
    EXPECT_EQ(out.status, kMarkerMissing);
    EXPECT_EQ(h.quote().Volumen, 3000);
    EXPECT_EQ(h.listed(), QStringList{"SAP\t12,5\t09:10:00\t3000\tSwiss.example"});
    EXPECT_EQ(out.picture, kPictureQuoteRead);
    ASSERT_EQ(h.posted.size(), 1u);
    EXPECT_DOUBLE_EQ(h.posted[0].Kurs, 12.5);
    EXPECT_EQ(h.posted[0].Volumen, 3000);
    EXPECT_DOUBLE_EQ(h.posted[0].Zeit, At(2024, 3, 15, 9, 10));
    ASSERT_EQ(h.rows.size(), 1u);  // the storage step meets the posted row again
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, h.posted[0].Zeit);
    EXPECT_EQ(h.rows[0].Volumen, 3000);
}

TEST(SwissIntraday, ListStartingAtRowThreeAndNoRowsAtAll)
{
    Harness h;
    std::vector<TradeRow> rows;
    for (int n = 3; n <= 7; ++n)
        rows.push_back({n, QStringLiteral("10:0%1:00").arg(n), "5.00", "1'00" + QString::number(n)});
    h.run(kSourceSwiss, IntradayPage(rows), kSwissAktienkurseIntraday);
    EXPECT_EQ(h.listed().size(), 5);
    EXPECT_EQ(h.quote().Volumen, 1003 + 1004 + 1005 + 1006 + 1007);
    EXPECT_EQ(h.posted.size(), 5u);
    EXPECT_EQ(h.quote().Anzahl, 8);

    Harness none;
    none.run(kSourceSwiss, IntradayPage({{5001, "10:00:00", "5.00", "1'000"}}), kSwissAktienkurseIntraday);
    EXPECT_TRUE(none.listed().isEmpty());
    EXPECT_TRUE(none.posted.empty());
    EXPECT_TRUE(none.rows.empty());
}

// Posts go out in time order, one per second, each with the day volume up to
// it, so an interrupted read resumes from the newest stored row.
TEST(SwissIntraday, PostsInTimeOrderOnePerSecond)
{
    Harness h;
    h.run(kSourceSwiss,
          IntradayPage({{1, "09:30:00", "10.30", "3'000"},
                        {2, "09:10:00", "10.10", "1'000"},
                        {3, "09:10:00", "10.20", "2'000"},
                        {4, "09:20:00", "k.A.", "4'000"}}),
          kSwissAktienkurseIntraday);
    ASSERT_EQ(h.posted.size(), 2u);
    EXPECT_DOUBLE_EQ(h.posted[0].Zeit, At(2024, 3, 15, 9, 10));
    EXPECT_DOUBLE_EQ(h.posted[0].Kurs, 10.2);
    EXPECT_EQ(h.posted[0].Volumen, 3000);
    // The unpriced 09:20 trade is in the next row's volume.
    EXPECT_DOUBLE_EQ(h.posted[1].Zeit, At(2024, 3, 15, 9, 30));
    EXPECT_EQ(h.posted[1].Volumen, 10'000);
    EXPECT_EQ(h.quote().Volumen, 10'000);
}

TEST(SwissIntraday, StoredRowOfAnEarlierDayStartsTheDayAfresh)
{
    Harness h;
    h.stored = {90'000, At(2024, 3, 14, 17, 30)};
    h.run(kSourceSwiss, IntradayPage({{1, "09:00:00", "7.00", "100"}}), kSwissAktienkurseIntraday);
    ASSERT_EQ(h.posted.size(), 1u);
    EXPECT_EQ(h.posted[0].Volumen, 100);
}

TEST(SwissIntraday, OverflowingVolumeAddsNothingAndBadTimeIsNow)
{
    Harness h;
    h.stored = {2'147'483'000, At(2024, 3, 15, 9, 0)};
    h.run(kSourceSwiss, IntradayPage({{1, "xx", "7.00", "1'000"}}), kSwissAktienkurseIntraday);
    EXPECT_EQ(h.quote().Volumen, 2'147'483'000);
    EXPECT_EQ(h.quote().Zeit, "18:00:00");
    ASSERT_EQ(h.posted.size(), 1u);
    EXPECT_DOUBLE_EQ(h.posted[0].Zeit, At(2024, 3, 15, 18, 0));
}

TEST(SwissIntraday, TableThatCannotBeOpenedEndsTheExtraction)
{
    Harness h;
    h.page.setText(IntradayPage({{1, "09:00:00", "7.00", "100"}}).join(QString()));
    h.input.source = kSourceSwiss;
    h.input.entry = kSwissAktienkurseIntraday;
    ExtractionHooks hooks;
    hooks.lastTrade = []() -> StoredTrade { throw Error("Tabelle Intraday.db nicht lesbar"); };
    hooks.store = [&](const IntradayRow& row) { h.rows.push_back(row); };
    hooks.fetchButtonsReady = [&] { ++h.buttonsReady; };
    EXPECT_THROW(h.extractor.SpeedButton3Click(h.input, hooks), Error);
    EXPECT_TRUE(h.rows.empty());
    EXPECT_TRUE(h.listed().isEmpty());
    EXPECT_EQ(h.buttonsReady, 0);
}
