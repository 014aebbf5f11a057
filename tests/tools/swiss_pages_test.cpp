#include "extract/extraction.h"
#include "platform/codec.h"
#include "platform/text_view.h"
#include "tools/zelvon-quoteserver/pages/page_catalog.h"
#include "tools/zelvon-quoteserver/pages/swiss_page.h"

#include <QUrl>
#include <gtest/gtest.h>

namespace extract = zelvon::extract;
namespace pages = zelvon::quotepages;
namespace formats = zelvon::formats;

namespace {

struct SwissCase {
    int entry;
    std::string path;
    std::string key;
    std::string prefix;
};

const SwissCase kCases[] = {
    {zelvon::kSwissAktienkurse, "/fcgi-bin/stockfquote", "symbols", ""},
    {zelvon::kSwissAktienkurseIntraday, "/fcgi-bin/stockfquote", "symbols", "PAID__"},
    {zelvon::kSwissFondkurse, "/fcgi-bin/stockfquote", "symbols", ""},
    {zelvon::kSwissUsAktienkurse, "/US_data/securitypage.jsp", "lus_symbol", ""},
    {zelvon::kSwissKursdetailSymbol, "/sq_mi/public/market/Detail.action", "s", ""},
};

// Follows a disclaimer page the way page retrieval does: the link's target, percent-decoded.
std::optional<pages::QuotePage> Fetch(pages::PageCatalog& catalog, const pages::QuoteRequest& request,
                                      const pages::LocalClock& shown)
{
    auto page = catalog.Serve(request, shown);
    const size_t link = page ? page->body.find("accept_disclaimer.jsp?target=") : std::string::npos;
    if (link == std::string::npos)
        return page;
    const size_t start = link + std::string("accept_disclaimer.jsp?target=").size();
    const std::string encoded = page->body.substr(start, page->body.find('"', start) - start);
    const std::string target = QUrl::fromPercentEncoding(QByteArray::fromStdString(encoded)).toStdString();
    return catalog.Serve({"/crossborder/accept_disclaimer.jsp", {{"target", target}}}, shown);
}

struct Read {
    extract::ExtractionOutcome outcome;
    extract::QuoteRecord quote;
    int lines = 0;
};

Read Extract(int entry, const std::string& body, zelvon::DateTime now)
{
    zelvon::TextView page(zelvon::codec::DecodeWindows1252(QByteArray::fromStdString(body)));
    zelvon::TextView quoteList;
    extract::ExtractionInput input;
    input.page = &page;
    input.quoteList = &quoteList;
    input.security.ZDF = "DEMO";
    input.source = zelvon::kSourceSwiss;
    input.entry = entry;
    input.SizeTemp = double(page.textLength());
    input.now = now;
    input.swissDomain = "swiss.localhost";
    extract::QuoteExtractor extractor;
    Read read;
    read.outcome = extractor.SpeedButton3Click(input);
    read.quote = extractor.quote;
    read.lines = quoteList.lineCount();
    return read;
}

std::string ClockText(const pages::LocalClock& t)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
}

}  // namespace

TEST(SwissQuotePages, EveryPageReadsAsTheQuoteItShows)
{
    const pages::LocalClock shown{2024, 3, 15, 17, 35, 20};
    const zelvon::DateTime now = *formats::EncodeDate(2024, 3, 15) + *formats::EncodeTime(18, 0, 0);
    const std::string identifiers[] = {"NESN", "NOVN", "ROG", "UBSG", "Last-Change: <B>ffc</B>", "12 3"};
    auto catalog = pages::PageCatalog::WithBuiltSources();
    int disclaimers = 0;
    for (const SwissCase& c : kCases) {
        for (std::string identifier : identifiers) {
            if (c.entry == zelvon::kSwissFondkurse)
                identifier = std::to_string(std::hash<std::string>{}(identifier) % 1'000'000);
            for (int request = 0; request < 12; ++request) {
                const pages::QuoteRequest r{c.path, {{c.key, c.prefix + identifier}, {"SQCB", "I_AGREE"}}};
                disclaimers += catalog->Serve(r, shown)->body.find("accept_disclaimer") != std::string::npos;
                const auto page = Fetch(*catalog, r, shown);
                const std::string where = c.path + " " + identifier + " #" + std::to_string(request);
                ASSERT_TRUE(page) << where;
                const Read read = Extract(c.entry, page->body, now);
                EXPECT_DOUBLE_EQ(read.quote.Kurs, page->quote.price) << where << "\n" << page->body;
                EXPECT_EQ(read.quote.Volumen, page->quote.volume) << where;
                EXPECT_EQ(read.quote.Datum, *formats::EncodeDate(2024, 3, 15)) << where;
                EXPECT_EQ(read.quote.Zeit.toStdString(), ClockText(page->quote.time)) << where;
                EXPECT_EQ(read.outcome.picture, extract::kPictureQuoteRead) << where;
                EXPECT_GE(read.lines, 1) << where;
            }
        }
    }
    EXPECT_GT(disclaimers, 0);
}

TEST(SwissQuotePages, DisclaimerTargetsAndForeignRequests)
{
    const auto target = pages::DisclaimerTarget(
        {"/crossborder/accept_disclaimer.jsp", {{"target", "/fcgi-bin/stockfquote?symbols=PAID__NESN&SQCB=I_AGREE"}}});
    ASSERT_TRUE(target);
    EXPECT_EQ(target->path, "/fcgi-bin/stockfquote");
    EXPECT_EQ(target->query.find("symbols")->second, "PAID__NESN");
    EXPECT_FALSE(pages::DisclaimerTarget({"/fcgi-bin/stockfquote", {}}));

    pages::SwissPages swiss;
    for (const pages::QuoteRequest& request : std::vector<pages::QuoteRequest>{
             {"/fcgi-bin/stockfquote", {}}, {"/fcgi-bin/stockfquote", {{"symbols", "PAID__"}}},
             {"/crossborder/accept_disclaimer.jsp", {{"target", "/quote/SAP"}}},
             {"/crossborder/accept_disclaimer.jsp", {}}, {"/US_data/other.jsp", {{"lus_symbol", "A"}}}})
        EXPECT_FALSE(swiss.Identifier(request)) << request.path;
}
