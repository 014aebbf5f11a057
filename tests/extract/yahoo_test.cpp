#include "extract/yahoo.h"
#include "extraction_harness.h"

#include <gtest/gtest.h>

using namespace zelvon;
using namespace zelvon::extract;
using namespace zelvon::extract::testing;

namespace {

// The quote header as the browser's body HTML holds it: price, change, time, volume.
QString QuoteHeader(const QString& price, const QString& time = "17:35")
{
    return "<div id=\"quote-header-info\"><span class=\"Trsdu(0.3s) Fw(b) Fz(36px) Mb(-4px) D(ib)\" "
           "data-reactid=\"32\">" + price + "</span><span class=\"Fw(500) C($dataGreen)\">+12,34</span>"
           "<div id=\"quote-market-notice\"><span class=\"time\">" + time + "</span> CET</div>"
           "<table><tr><td>Volumen</td><td class=\"Ta(end)\">1.234.567</td></tr></table></div>";
}

QStringList Page(const QString& header)
{
    return {header, "<script>root.App.main = {\"context\":{}};</script>", "<footer>Yahoo</footer>"};
}

}  // namespace

TEST(YahooPage, ReadsPriceTimeAndVolumeAndReportsTheQuote)
{
    Harness h;
    const ExtractionOutcome out = h.run(kSourceYahoo, Page(QuoteHeader("1.234,56")));
    EXPECT_EQ(h.quote().Kurswert, "1234.56");
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 1234.56);
    EXPECT_EQ(h.quote().Zeit, "17:35:00");
    EXPECT_EQ(h.quote().Datum, Day());
    EXPECT_EQ(h.quote().Volumen, 1234567);
    EXPECT_EQ(h.listed(), QStringList{"SAP\t1234,56\t17:35:00\t1234567"});
    EXPECT_EQ(out.picture, kPictureQuoteRead);
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_EQ(h.rows[0].Firma, 7);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2024, 3, 15, 17, 35));
    EXPECT_EQ(h.buttonsReady, 1);
}

TEST(YahooPage, GermanNumberFormats)
{
    const struct {
        const char* cut;
        double kurs;
    } cases[] = {
        {"1.234,56", 1234.56},
        {"12,34", 12.34},
        {"1.234.567,89", 1234567.89},
        {"12.3456", 123456},
        {"1.23456", 123456},
    };
    for (const auto& c : cases) {
        Harness h;
        h.run(kSourceYahoo, Page(QuoteHeader(c.cut)));
        EXPECT_DOUBLE_EQ(h.quote().Kurs, c.kurs) << c.cut;
    }
}

TEST(YahooPage, EnglishNumberFormatOnTheInternationalTickerEntry)
{
    const struct {
        const char* cut;
        double kurs;
    } cases[] = {
        {"1,234.56", 1234.56},
        {"12.3456", 12.3456},
        {"1.23456", 123456},
        {"1,234,567.5", 1234567.5},
    };
    for (const auto& c : cases) {
        Harness h;
        h.run(kSourceYahoo, Page(QuoteHeader(c.cut)), yahoo::kInternationalTickerEntry);
        EXPECT_DOUBLE_EQ(h.quote().Kurs, c.kurs) << c.cut;
    }
}

TEST(YahooPage, MarkersAreTriedInTableOrderNotPageOrder)
{
    Harness h;
    h.run(kSourceYahoo, {"<table><tr><td class=\"Geld:\">99,00</td></tr>"
                   "<tr><td class=\"Last Trade\">1,234.56</td><td class=\"time\">16:00</td></tr></table>",
                   "<p>Kursdaten</p>", "</body>"},
          yahoo::kInternationalTickerEntry);
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 1234.56);
    EXPECT_EQ(h.quote().Zeit, "16:00:00");
}

TEST(YahooPage, EmptyCutFallsBackOnTheLargePriceElement)
{
    Harness h;
    h.run(kSourceYahoo, {"<span class=\"Trsdu(0.3s) Fw(b) Fz(36px) Mb(-4px) D(ib)\" data-reactid=\"14\">"
                   "<div id=\"p\"><span>2.345,60</span></div><span class=\"time\">17:35</span>",
                   "<div>Yahoo</div>", "</body>"});
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 2345.6);
    EXPECT_EQ(h.quote().Zeit, "17:35:00");
}

TEST(YahooPage, NoMarkerEndsTheExtractionAtOnce)
{
    Harness h;
    const ExtractionOutcome out = h.run(kSourceYahoo, {"<html>", "<body>Nicht gefunden</body>", "</html>"});
    EXPECT_TRUE(out.endedAtOnce);
    EXPECT_EQ(out.status, kMarkerMissing);
    EXPECT_FALSE(out.picture);
    EXPECT_TRUE(h.rows.empty());
    EXPECT_EQ(h.buttonsReady, 0);
}

TEST(YahooPage, AMarkerOnlyAtPositionZeroIsNeverFound)
{
    Harness h;
    const ExtractionOutcome out = h.run(kSourceYahoo, {"Indexstand<b>5</b>", "<div></div>", "</body>"});
    EXPECT_TRUE(out.endedAtOnce);
}

TEST(YahooPage, AColonEndingALabelMovesOnToTheNextColon)
{
    Harness h;
    h.run(kSourceYahoo, Page("<span class=\"Fw(b) Fz(36px) Mb(-4px) D(ib)\">12,50</span>"
                       "<span>Zeit:</span><span>17:35</span>"));
    EXPECT_EQ(h.quote().Zeit, "17:35:00");
}

TEST(YahooPage, ADayAfterALinkColonCompletesToADateOfThisMonth)
{
    Harness h;
    h.run(kSourceYahoo, Page("<span class=\"Fw(b) Fz(36px) Mb(-4px) D(ib)\">12,50</span>"
                       "<a href=\"https://de.finance.yahoo.com/\">14</a>"));
    EXPECT_EQ(h.quote().Datum, *zelvon::formats::EncodeDate(2024, 3, 14));
    EXPECT_EQ(h.quote().Zeit, "18:00:00");
    EXPECT_EQ(h.listed(), (QStringList{"14.03.2024", "SAP\t12,5\t18:00:00\t1250", "15.03.2024"}));
}

TEST(YahooPage, ATimeCellThatIsNoTimeGivesTheCurrentTime)
{
    Harness h;
    h.run(kSourceYahoo, Page(QuoteHeader("12,50", "4:00PM")));
    EXPECT_EQ(h.quote().Zeit, "18:00:00");
    EXPECT_EQ(h.quote().Datum, Day());
}

TEST(YahooPage, WithoutAColonTheTimeTextOfThePreviousQuoteStays)
{
    Harness h;
    h.run(kSourceYahoo, Page(QuoteHeader("12,50", "17:35")));
    h.run(kSourceYahoo, {"<span class=\"Fw(b) Fz(36px) Mb(-4px) D(ib)\">13,50</span>", "<div></div>", "</body>"});
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 13.5);
    EXPECT_EQ(h.quote().Zeit, "17:35:00");
}

TEST(YahooPage, EachLineBreakAboveShiftsTheFixedTimeAndVolumeWindows)
{
    Harness oneBreak;
    oneBreak.run(kSourceYahoo, {"<html>", QuoteHeader("1.234,56"), "</html>"});
    EXPECT_DOUBLE_EQ(oneBreak.quote().Kurs, 1234.56);
    EXPECT_EQ(oneBreak.quote().Zeit, "17:35:00");
    EXPECT_EQ(oneBreak.quote().Volumen, 0);

    Harness twoBreaks;
    twoBreaks.run(kSourceYahoo, {"<html>", "<body>", QuoteHeader("1.234,56"), "</html>"});
    EXPECT_DOUBLE_EQ(twoBreaks.quote().Kurs, 1234.56);
    EXPECT_EQ(twoBreaks.quote().Zeit, "17:03:00");
}

TEST(YahooPage, AMissingVolumeLabelReadsTheFirstAttributeEndOfThePage)
{
    Harness h;
    h.run(kSourceYahoo, Page("<span class=\"Fw(b) Fz(36px) Mb(-4px) D(ib)\">12,50</span>"
                       "<span class=\"time\">17:35</span>"));
    EXPECT_EQ(h.quote().Volumen, 1250);
}

TEST(YahooFundPage, ATimeOneHourAheadIsTheCurrentTime)
{
    Harness h;
    h.input.now = At(2024, 3, 15, 10, 0);
    h.run(kSourceYahoo, Page("<table><tr><td class=\"Mittelkurs\">45,67</td><td class=\"time\">11:00</td></tr></table>"));
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 45.67);
    EXPECT_EQ(h.quote().Zeit, "10:00:00");
    EXPECT_EQ(h.quote().Datum, Day());
}

TEST(YahooFundPage, ALaterTimeIsYesterdaysPrice)
{
    Harness h;
    h.input.now = At(2024, 3, 15, 10, 0);
    h.run(kSourceYahoo, Page("<table><tr><td class=\"Mittelkurs\">45,67</td><td class=\"time\">18:30</td></tr></table>"));
    EXPECT_EQ(h.quote().Zeit, "18:30:00");
    EXPECT_EQ(h.quote().Datum, Day() - 1);
    EXPECT_EQ(h.listed(), (QStringList{"14.03.2024", "SAP\t45,67\t18:30:00\t4567", "15.03.2024"}));
}

TEST(YahooFundPage, AnEarlierTimeIsToday)
{
    Harness h;
    h.input.now = At(2024, 3, 15, 10, 0);
    h.run(kSourceYahoo, Page("<table><tr><td class=\"Mittelkurs\">45,67</td><td class=\"time\">09:15</td></tr></table>"));
    EXPECT_EQ(h.quote().Zeit, "09:15:00");
    EXPECT_EQ(h.quote().Datum, Day());
}

TEST(YahooShortAnswer, FieldsBySemicolonWithBidAndAsk)
{
    Harness h;
    const ExtractionOutcome out = h.run(kSourceYahoo, {"17:35;31/12/2020;12,5;1000;12,4;12,6"});
    EXPECT_EQ(h.quote().Zeit, "17:35");
    EXPECT_EQ(h.quote().Datum, *zelvon::formats::EncodeDate(2020, 12, 31));
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 12.5);
    EXPECT_EQ(h.quote().Volumen, 1000);
    EXPECT_DOUBLE_EQ(h.quote().Bid, 12.4);
    EXPECT_DOUBLE_EQ(h.quote().Ask, 12.6);
    EXPECT_EQ(h.listed(), (QStringList{"31.12.2020", "SAP\t12,5\t17:35\t1000", "15.03.2024"}));
    EXPECT_EQ(out.picture, kPictureQuoteRead);
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2020, 12, 31, 17, 35));
}

TEST(YahooShortAnswer, MissingFieldsRepeatTheRestAndBadFieldsTakeDefaults)
{
    Harness h;
    const ExtractionOutcome out = h.run(kSourceYahoo, {"17:35;31.12.2020;n/a", ""});
    EXPECT_EQ(h.quote().Datum, Day());
    EXPECT_EQ(h.quote().Kurswert, "n/a");
    EXPECT_EQ(h.quote().Volumen, 0);
    EXPECT_EQ(h.quote().Bid, 0);
    EXPECT_EQ(out.picture, kPictureFailure);
    EXPECT_TRUE(h.listed().isEmpty());
    EXPECT_TRUE(h.rows.empty());
}

TEST(YahooShortAnswer, AWholeNumberFieldRepeatedAsBidAndAsk)
{
    Harness h;
    h.run(kSourceYahoo, {"17:35;31/12/2020;7"});
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 7);
    EXPECT_EQ(h.quote().Volumen, 7);
    EXPECT_DOUBLE_EQ(h.quote().Ask, 7);
}

TEST(YahooReport, TheCompanyNameFactorScalesAfterTheStatusCheck)
{
    Harness h;
    h.input.security.Firmenname = "Kleinwert AG ([0,01])";
    h.run(kSourceYahoo, {"17:35;31/12/2020;250"});
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 2.5);

    h.input.security.Firmenname = "Kleinwert AG ([x])";
    h.run(kSourceYahoo, {"17:35;31/12/2020;250"});
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 250);

    h.input.security.Firmenname = "Kleinwert AG ([0,01]";
    h.run(kSourceYahoo, {"17:35;31/12/2020;250"});
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 250);
}

TEST(YahooReport, AQuoteInTheFutureIsStoredButNotReported)
{
    Harness h;
    h.input.now = At(2024, 3, 15, 12, 0);
    const ExtractionOutcome out = h.run(kSourceYahoo, Page(QuoteHeader("12,50", "17:35")));
    EXPECT_FALSE(out.picture);
    EXPECT_TRUE(h.listed().isEmpty());
    EXPECT_EQ(h.rows.size(), 1u);
}

TEST(YahooReport, ANewsSizedPageIsMarked)
{
    Harness h;
    QStringList lines = Page(QuoteHeader("12,50"));
    lines << QString(7000, QChar(u' '));
    h.run(kSourceYahoo, lines);
    EXPECT_EQ(h.listed(), QStringList{"SAP\t12,5\t17:35:00\t1234567\t=>Nachrichten"});
}

TEST(YahooReport, AHiddenWindowStoresWithoutReporting)
{
    Harness h;
    h.input.windowVisible = false;
    const ExtractionOutcome out = h.run(kSourceYahoo, Page(QuoteHeader("12,50")));
    EXPECT_FALSE(out.picture);
    EXPECT_TRUE(h.listed().isEmpty());
    EXPECT_EQ(h.rows.size(), 1u);
}

TEST(YahooReport, APriceThatIsNoNumberShowsFailureAndIsNotStored)
{
    Harness h;
    h.input.savePolicy = 2;
    const ExtractionOutcome out = h.run(kSourceYahoo, Page(QuoteHeader("n.a.")));
    EXPECT_NE(out.status, kQuoteRead);
    EXPECT_EQ(out.picture, kPictureFailure);
    EXPECT_FALSE(out.stored);
    EXPECT_EQ(h.pagesSaved, 0);
    EXPECT_TRUE(h.rows.empty());
}

TEST(YahooReport, SavePolicyTwoSavesThePageOfAReadQuote)
{
    Harness h;
    h.input.savePolicy = 2;
    const ExtractionOutcome out = h.run(kSourceYahoo, Page(QuoteHeader("12,50")));
    EXPECT_TRUE(out.pageSaved);
    EXPECT_EQ(h.pagesSaved, 1);
}
