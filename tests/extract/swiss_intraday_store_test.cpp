#include "intraday_kit.h"
#include "platform/error.h"

using namespace zelvon;
using namespace zelvon::extract;
using namespace zelvon::extract::testing;

namespace {

QString TradeList(int count)
{
    QStringList lines{"<html><body><table>"};
    for (int n = 1; n <= count; ++n)
        lines << QStringLiteral("<tr><td>%1</td><td class=\"t1\">09:%2:00</td><td><B>%3</B></td>"
                                "<td class=\"v1\">1'%4</td></tr>")
                     .arg(n)
                     .arg(n, 2, 10, QChar(u'0'))
                     .arg(QString::number(10 + n) + ".50")
                     .arg(n, 3, 10, QChar(u'0'));
    lines << "</table></body></html>";
    return lines.join(QString());  // one line: a line break would shift the windows
}

class SwissIntradayTable : public IntradayKit {
protected:
    ExtractionOutcome Read(const QString& page)
    {
        Harness h;
        h.input.security.Firma = 7;
        h.input.source = kSourceSwiss;
        h.input.entry = kSwissAktienkurseIntraday;
        h.page.setText(page);
        IntradayTrades trades(session_, dataSource1_);
        ExtractionHooks hooks;
        hooks.store = [this](const IntradayRow& row) { store_.Store(row); };
        hooks.lastTrade = [&trades] { return trades.LastTrade(); };
        hooks.postTrade = [&trades](const IntradayRow& row) { trades.Post(row); };
        return h.extractor.SpeedButton3Click(h.input, hooks);
    }

    StoredTrade Last() { return IntradayTrades(session_, dataSource1_).LastTrade(); }
};

}  // namespace

TEST_F(SwissIntradayTable, LastTradeStepsBackOverRowsWithoutVolume)
{
    EXPECT_EQ(Last().Zeit, 0);
    store_.Store({3, 1, 999, At(2024, 3, 15, 17, 0)});
    EXPECT_EQ(Last().Zeit, 0);  // another security's rows are not seen
    Store(12.5, 0, At(2024, 3, 15, 9, 0));
    EXPECT_EQ(Last().Volumen, 0);  // the first row ends the step back
    Store(12.6, 400, At(2024, 3, 15, 9, 30));
    Store(12.7, 0, At(2024, 3, 15, 9, 45));
    Store(12.8, 0, At(2024, 3, 15, 9, 50));
    const StoredTrade last = Last();
    EXPECT_EQ(last.Volumen, 400);
    EXPECT_TRUE(SameDateTime(last.Zeit, At(2024, 3, 15, 9, 30)));
}

TEST_F(SwissIntradayTable, EachTradeIsARowAndAReadAgainAddsNothing)
{
    Read(TradeList(3));
    auto rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].volumen, 1001);
    EXPECT_EQ(rows[2].volumen, 1001 + 1002 + 1003);
    EXPECT_DOUBLE_EQ(rows[2].kurs, 13.5);
    EXPECT_TRUE(SameDateTime(rows[2].zeit, At(2024, 3, 15, 9, 3)));

    Read(TradeList(3));
    EXPECT_EQ(Rows().size(), 3u);
    Read(TradeList(5));
    rows = Rows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[4].volumen, 1001 + 1002 + 1003 + 1004 + 1005);
    EXPECT_EQ(rows[3].volumen, 1001 + 1002 + 1003 + 1004);
}

TEST_F(SwissIntradayTable, ATableThatCannotBeOpenedEndsTheExtractionWithItsError)
{
    paradox::DeleteTable(path("Intraday.db"));
    try {
        Read(TradeList(2));
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains("Intraday.db")) << e.message().toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir_.filePath("Intraday.db")));
}
