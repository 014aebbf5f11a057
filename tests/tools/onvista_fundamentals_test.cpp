// The demo server's Onvista share pages read, by the fundamentals update's
// rules, as the figures they show; other kit securities show none.
#include "fundamentals/fundamental_page.h"
#include "platform/codec.h"
#include "platform/text_view.h"
#include "tools/demodata/catalog.h"
#include "tools/demodata/generated.h"
#include "tools/zelvon-quoteserver/pages/onvista_fundamentals.h"
#include "tools/zelvon-quoteserver/pages/page_catalog.h"

#include <gtest/gtest.h>

namespace {

namespace pages = zelvon::quotepages;
namespace dd = zelvon::demodata;

TEST(OnvistaFundamentals, SharePagesReadAsTheFiguresTheyShow)
{
    const pages::LocalClock clock{2024, 3, 15, 17, 35, 20};
    auto catalog = pages::PageCatalog::WithBuiltSources();
    const std::string shares[] = {dd::FindKitSecurity(1)->isin, dd::FindKitSecurity(7)->isin,
                                  dd::FindKitSecurity(5)->isin, dd::GeneratedSecurity(4711).isin};
    for (const std::string& isin : shares) {
        const pages::QuotePage page = *catalog->Serve({"/" + isin, {}, "onvista.localhost:8443"}, clock);
        const auto shown = pages::FundamentalsFor(isin, page.quote.price);
        ASSERT_TRUE(shown) << isin;
        const zelvon::FundamentalValues read = zelvon::ReadFundamentals(
            zelvon::TextView(zelvon::codec::DecodeWindows1252(QByteArray::fromStdString(page.body))),
            page.quote.price);
        EXPECT_EQ(read.symbol.toStdString(), shown->symbol) << isin;
        EXPECT_EQ(read.wkn.toStdString(), shown->wkn) << isin;
        EXPECT_EQ(read.isin.toStdString(), isin);
        EXPECT_DOUBLE_EQ(read.shareCount, shown->shares) << isin;
        EXPECT_DOUBLE_EQ(read.earnings, shown->earnings) << isin;
        EXPECT_DOUBLE_EQ(read.dividend, shown->dividend) << isin;
        EXPECT_DOUBLE_EQ(read.cashFlow, zelvon::CashFlowPerShare(page.quote.price, shown->kcv)) << isin;
    }
    EXPECT_GT(pages::FundamentalsFor(dd::FindKitSecurity(1)->isin, 100)->kcv, 0);
    EXPECT_EQ(pages::FundamentalsFor(dd::FindKitSecurity(5)->isin, 100)->kcv, 0);  // no stored cash flow

    for (const int32_t other : {101, 201, 301, 401}) {
        const std::string isin = dd::FindKitSecurity(other)->isin;
        const pages::QuotePage page = *catalog->Serve({"/" + isin, {}, "onvista.localhost:8443"}, clock);
        EXPECT_EQ(page.body.find("Anzahl Aktien"), std::string::npos) << isin;
    }
}

}  // namespace
