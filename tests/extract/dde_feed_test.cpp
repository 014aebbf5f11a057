// The two local quote feeds end to end through the extraction step, against
// the real feed simulator on its socket: what each reads, reports and stores,
// and what happens when the feed is missing, refuses, hangs up, goes silent or
// sends what the protocol does not allow.
#include "extract/taipan.h"
#include "extract/winbis.h"
#include "extraction_harness.h"
#include "tests/platform/feed_simulator.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

namespace zelvon::extract {
namespace {

using testing::Day;
using testing::Harness;

// All six WinBis items of SAP (716460) on the FWB topic.
const QByteArray kWinBisFwb = "FWB\t716460/L\t12,34 EUR\nFWB\t716460/G\t1500 St\nFWB\t716460/A\t12,4\n"
                              "FWB\t716460/AV\t300\nFWB\t716460/B\t12,3\nFWB\t716460/NV\t200\n";

class FeedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        qputenv("ZELVON_DDE_DIR", dir_.path().toUtf8());
        h_.input.security.Kennung = "716460";
        h_.input.feed = {&conv_, &item_, &lade_, &leseDatum_};
    }
    void TearDown() override { qunsetenv("ZELVON_DDE_DIR"); }

    ExtractionOutcome Run(int source, int entry = -1) { return h_.run(source, {}, entry); }

    QTemporaryDir dir_;
    Harness h_;
    DdeClientConv conv_;
    DdeClientItem item_;
    bool lade_ = true;
    DateTime leseDatum_ = 0;
};

TEST(FeedTopics, EntriesAndTheDefaults)
{
    EXPECT_EQ(winbis::Topic(0), "XETRA");
    EXPECT_EQ(winbis::Topic(15), "EBS");
    EXPECT_EQ(winbis::Topic(21), "AMEX");
    EXPECT_EQ(winbis::Topic(-1), "FWB");
    EXPECT_EQ(winbis::Topic(22), "FWB");
    EXPECT_EQ(taipan::ExchangeCode(0), "BLN");
    EXPECT_EQ(taipan::ExchangeCode(15), "EUWAX");
    EXPECT_EQ(taipan::ExchangeCode(-1), "ETR");
    EXPECT_EQ(taipan::ExchangeCode(16), "ETR");
}

TEST_F(FeedTest, WinBisReadsSixItemsInSixConversationsWithoutAnExchangeOnFwb)
{
    test::FeedSimulator feed(dir_.path(), "WinBis", kWinBisFwb);
    const ExtractionOutcome outcome = Run(kSourceWinBis);
    const QuoteRecord& q = h_.quote();
    EXPECT_EQ(q.Kurswert, "12.34");
    EXPECT_DOUBLE_EQ(q.Kurs, 12.34);
    EXPECT_EQ(q.Volumen, 1500);
    EXPECT_DOUBLE_EQ(q.Ask, 12.4);
    EXPECT_EQ(q.AVol, 300);
    EXPECT_DOUBLE_EQ(q.Bid, 12.3);
    EXPECT_EQ(q.BVol, 200);
    EXPECT_EQ(h_.listed(), QStringList{"SAP\t12,34\t18:00:00\t1500\t12,3(200)\t12,4(300)\tWinBis"});
    EXPECT_EQ(outcome.feedStatus, u"Lade Daten \u00fcber WinBis..."_qs);
    EXPECT_FALSE(outcome.picture) << "the status icon stays as it was";
    ASSERT_EQ(h_.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h_.rows[0].Kurs, 12.34);
    EXPECT_EQ(h_.rows[0].Volumen, 1500);
    EXPECT_DOUBLE_EQ(h_.rows[0].Zeit, testing::At(2024, 3, 15, 18, 0));
    EXPECT_TRUE(lade_);
    EXPECT_DOUBLE_EQ(leseDatum_, Day());
    EXPECT_EQ(feed.requests("CONNECT FWB -> OK"), 6) << feed.log().toStdString();
    EXPECT_FALSE(conv_.linkOpen());
}

TEST_F(FeedTest, WinBisWithoutAPriceAsksNothingElseOfTheFirstItemsAndStoresNothing)
{
    test::FeedSimulator feed(dir_.path(), "WinBis", "XETRA\t716460/A\t12,4\n", {"--nodata"});
    h_.extractor.quote.Bid = 7.5;
    const ExtractionOutcome outcome = Run(kSourceWinBis, 0);
    EXPECT_EQ(h_.quote().Kurs, 0);
    EXPECT_EQ(outcome.feedStatus, "Kann nicht auf WinBis zugreifen!");
    EXPECT_EQ(feed.requests("REQUEST 716460/G"), 0) << feed.log().toStdString();
    EXPECT_DOUBLE_EQ(h_.quote().Ask, 12.4);
    EXPECT_DOUBLE_EQ(h_.quote().Bid, 0) << "NODATA leaves an empty text, which converts to 0";
    EXPECT_TRUE(h_.listed().isEmpty());
    EXPECT_TRUE(h_.rows.empty());
    EXPECT_TRUE(lade_) << "only an unreachable feed clears Lade";
}

TEST_F(FeedTest, FeedsNotRunningOrRefusingClearLadeAndStoreNothing)
{
    for (const int source : {kSourceWinBis, kSourceTaiPan}) {
        const QString text = source == kSourceWinBis ? "Kann nicht auf WinBis zugreifen!" : "Kann nicht auf TaiPanRT zugreifen!";
        lade_ = true;
        h_.extractor.quote.Kurswert = "99.5";  // the previous security's price
        ExtractionOutcome outcome = h_.run(source, {"a page of the previous address"});
        EXPECT_FALSE(lade_);
        EXPECT_EQ(outcome.feedStatus, text);
        EXPECT_TRUE(h_.rows.empty());
        EXPECT_TRUE(h_.listed().isEmpty());

        test::FeedSimulator refusing(dir_.path(), source == kSourceWinBis ? "WinBis" : "TaiPanRT",
                                     "FWB\t716460/L\t1\n716460.ETR\tlast\t1\n", {"--refuse"});
        lade_ = true;
        outcome = h_.run(source, {"a page of the previous address"});
        EXPECT_FALSE(lade_);
        EXPECT_EQ(outcome.feedStatus, text);
        EXPECT_TRUE(h_.rows.empty());
        EXPECT_EQ(refusing.requests("CONNECT"), 1) << "an unreachable feed is asked once";
    }
}

TEST_F(FeedTest, TaiPanReadsPriceVolumeAndTimeOnItsTopicInWindows1252)
{
    // An identifier with an umlaut travels in Windows-1252 both ways.
    h_.input.security.Kennung = u"M\u00dcLLER"_qs;
    h_.input.security.ZDF = "MMB";
    h_.extractor.quote.Bid = 3.5;
    test::FeedSimulator feed(dir_.path(), "TaiPanRT",
                             "M\xdcLLER.ETR\tlast\t24,75 \x80\nM\xdcLLER.ETR\tvolumen\t8800\n"
                             "M\xdcLLER.ETR\tlasttime\t17:29:30 Uhr\n");
    const ExtractionOutcome outcome = h_.run(kSourceTaiPan, {"a page of the previous address"});
    const QuoteRecord& q = h_.quote();
    EXPECT_DOUBLE_EQ(q.Kurs, 24.75);
    EXPECT_EQ(q.Volumen, 8800);
    EXPECT_EQ(q.Zeit, "17:29:30");
    EXPECT_EQ(q.Bid, 0);
    EXPECT_EQ(h_.listed(), QStringList{"MMB\t24,75\t17:29:30\t8800\t\t\tTaiPanRT"});
    EXPECT_EQ(outcome.feedStatus, u"Lade Daten \u00fcber TaiPanRT..."_qs);
    ASSERT_EQ(h_.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h_.rows[0].Zeit, testing::At(2024, 3, 15, 17, 29, 30));
    EXPECT_DOUBLE_EQ(leseDatum_, Day());
    EXPECT_EQ(feed.requests(u"CONNECT M\u00dcLLER.ETR -> OK"_qs), 3) << feed.log().toStdString();
}

TEST_F(FeedTest, AFeedHangingUpOrSendingAnOverlongLineEndsTheReadWithWhatWasRead)
{
    {
        test::FeedSimulator feed(dir_.path(), "WinBis", kWinBisFwb, {"--hang-up-on", "716460/B"});
        lade_ = false;
        h_.extractor.quote.Bid = 7.5;
        const ExtractionOutcome outcome = Run(kSourceWinBis);
        EXPECT_TRUE(lade_);
        EXPECT_TRUE(outcome.feedFailure.contains("716460/B")) << outcome.feedFailure.toStdString();
        ASSERT_EQ(h_.rows.size(), 1u) << "the storage step runs with what was read";
        EXPECT_DOUBLE_EQ(h_.rows[0].Kurs, 12.34);
        EXPECT_EQ(h_.rows[0].Volumen, 1500);
        EXPECT_DOUBLE_EQ(h_.quote().Ask, 12.4);
        EXPECT_DOUBLE_EQ(h_.quote().Bid, 7.5);
        EXPECT_TRUE(h_.listed().isEmpty()) << "the error skips the quote log line";
    }
    h_.rows.clear();
    test::FeedSimulator feed(dir_.path(), "WinBis", "FWB\t716460/L\t12,34" + QByteArray(5000, '0') + "\n");
    const ExtractionOutcome outcome = Run(kSourceWinBis);
    EXPECT_TRUE(lade_);
    EXPECT_TRUE(outcome.feedFailure.contains("4096")) << outcome.feedFailure.toStdString();
    EXPECT_EQ(h_.quote().Kurs, 0);
    EXPECT_TRUE(h_.rows.empty());
    EXPECT_EQ(h_.buttonsReady, 2) << "each read ends with the fetch buttons ready";
}

// The one real 5 s wait of the suite.
TEST_F(FeedTest, ASilentFeedGivesUpAfterFiveSecondsAndStoresWhatWasRead)
{
    test::FeedSimulator feed(dir_.path(), "WinBis", kWinBisFwb, {"--silent-on", "716460/A"});
    QElapsedTimer clock;
    clock.start();
    const ExtractionOutcome outcome = Run(kSourceWinBis);
    EXPECT_GE(clock.elapsed(), DdeClientConv::kRequestTimeoutMs - 50);
    EXPECT_LT(clock.elapsed(), DdeClientConv::kRequestTimeoutMs + 2000);
    EXPECT_TRUE(outcome.feedFailure.contains("5 s")) << outcome.feedFailure.toStdString();
    ASSERT_EQ(h_.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h_.rows[0].Kurs, 12.34);
    EXPECT_EQ(h_.rows[0].Volumen, 1500);
    EXPECT_EQ(feed.requests("REQUEST 716460/AV"), 0) << feed.log().toStdString();
}

}  // namespace
}  // namespace zelvon::extract
