// Reading the figures and identifiers from a page, with the positions the
// page layout relies on: the block on the page's second line.
#include "fundamentals/fundamental_page.h"
#include "fundamentals/fundamentals_log.h"
#include "platform/text_view.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

namespace zelvon {
namespace {

struct Block {
    QString symbol = "SAP.DE", wkn = "716460", isin = "DE0007164600";
    QString count = "1.228.504.232", earnings = "5,74", dividend = "2,30", kcv = "12,50";
    bool withCount = true;
};

QString Page(const Block& b) {
    QString page = "<html><body><div class=\"quote\"><data value=\"100.00\">100,00 EUR</data></div>\n<dl>";
    if (!b.symbol.isNull()) page += "<dt>Symbol</dt><dd>" + b.symbol + "</dd>";
    if (!b.wkn.isNull()) page += "<dt>WKN</dt><dd>" + b.wkn + "</dd>";
    if (!b.isin.isNull()) page += "<dt>ISIN</dt><dd class=\"isin\">" + b.isin + "</dd>";
    page += "</dl><table>";
    if (b.withCount) page += "<tr><th>Anzahl Aktien</th><td>" + b.count + "</td></tr>";
    page += "<tr><td>Ergebnis je Aktie </td><td>" + b.earnings + "</td></tr><tr><td>Dividende je Aktie </td><td>" +
            b.dividend + "</td></tr><tr><th>KCV</th><td>2024</td><td>" + b.kcv + "</td></tr></table>\n</body></html>";
    return page;
}

FundamentalValues Read(const Block& b, double price = 100) { return ReadFundamentals(TextView(Page(b)), price); }

TEST(FundamentalPage, ReadsIdentifiersAndFigures) {
    const FundamentalValues v = Read(Block{});
    EXPECT_EQ(v.symbol, "SAP.DE");
    EXPECT_EQ(v.wkn, "716460");
    EXPECT_EQ(v.isin, "DE0007164600");
    EXPECT_TRUE(v.hasShareCount);
    EXPECT_DOUBLE_EQ(v.shareCount, 1228504232);
    EXPECT_DOUBLE_EQ(v.earnings, 5.74);
    EXPECT_DOUBLE_EQ(v.dividend, 2.3);
    EXPECT_DOUBLE_EQ(v.cashFlow, 8);
    EXPECT_TRUE(v.AnyFigure());
}

TEST(FundamentalPage, CountsThatDoNotConvertAndMissingParts) {
    Block fiveDots;
    fiveDots.count = "1.2.3.4.5.6";
    EXPECT_DOUBLE_EQ(Read(fiveDots).shareCount, 0);
    Block fourDots;
    fourDots.count = "1.2.3.4.5";
    EXPECT_DOUBLE_EQ(Read(fourDots).shareCount, 12345);
    Block negative;
    negative.count = "-5";
    negative.earnings = negative.dividend = negative.kcv = "0";
    EXPECT_FALSE(Read(negative).AnyFigure());

    Block withoutCount;
    withoutCount.withCount = false;
    const FundamentalValues none = Read(withoutCount);
    EXPECT_FALSE(none.hasShareCount);
    EXPECT_DOUBLE_EQ(none.earnings, 0);
    EXPECT_EQ(none.isin, "DE0007164600");

    Block withoutIsin;
    withoutIsin.isin = QString();
    withoutIsin.kcv = "n.a.";
    const FundamentalValues v = Read(withoutIsin);
    EXPECT_TRUE(v.isin.isEmpty());
    EXPECT_DOUBLE_EQ(v.cashFlow, 0);
    EXPECT_DOUBLE_EQ(v.earnings, 5.74);
}

TEST(FundamentalPage, CashFlowFromTheRatio) {
    EXPECT_DOUBLE_EQ(CashFlowPerShare(100, 0), 0);
    EXPECT_DOUBLE_EQ(CashFlowPerShare(0.125, 1), 0.12);  // half to even
    EXPECT_DOUBLE_EQ(CashFlowPerShare(0.135, 1), 0.14);
    EXPECT_DOUBLE_EQ(CashFlowPerShare(1e300, 1e-300), 0);
    Block zero;
    zero.kcv = "0,00";
    const FundamentalValues v = Read(zero, 250);
    EXPECT_DOUBLE_EQ(v.cashFlow, 0);
    EXPECT_TRUE(v.AnyFigure());
}

// A page whose block stands on the first line reads one character late.
TEST(FundamentalPage, TheBlockOnTheFirstLineLosesTheFirstCharacter) {
    QString page = Page(Block{});
    page.remove(page.indexOf('\n'), 1);
    EXPECT_EQ(ReadFundamentals(TextView(page), 100).symbol, "AP.DE");
}

TEST(FundamentalsLogName, PaddedToThirtyAndLongerNamesWhole) {
    EXPECT_EQ(PaddedName("SAP SE"), "SAP SE________________________");
    const QString longName = "Münchener Rückversicherungs-Gesellschaft AG";
    EXPECT_EQ(PaddedName(longName), longName);
}

}  // namespace
}  // namespace zelvon
