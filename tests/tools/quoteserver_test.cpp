#include "tool_process.h"

#include "extract/extraction.h"
#include "platform/codec.h"
#include "platform/text_view.h"
#include "sources/http_browser_engine.h"
#include "sources/http_client.h"
#include "tools/zelvon-quoteserver/pages/page_catalog.h"

#include <QTemporaryDir>
#include <QUrl>

#include <fstream>
#include <set>

using namespace std::chrono_literals;
using zelvon::HttpClient;
using zelvon::tools::testing::ReadWhole;
using zelvon::tools::testing::RunTool;
using zelvon::tools::testing::ToolProcess;
namespace extract = zelvon::extract;
namespace pages = zelvon::quotepages;
namespace formats = zelvon::formats;

namespace {

const QString kComdirectQuery =
    QStringLiteral("?IC_BYPASS=1&SEARCH_REDIRECT=true&REDIRECT_TYPE=WKN&SEARCH_VALUE=%1&SORT=GEN_CURRENCY");

struct Extracted {
    extract::ExtractionOutcome outcome;
    extract::QuoteRecord quote;
};

// A page built at 17:35 on 15.03.2024 reads as the quote it was built from.
void ExpectTheQuoteShown(const Extracted& read, const pages::ShownQuote& shown, const std::string& where)
{
    EXPECT_DOUBLE_EQ(read.quote.Kurs, shown.price) << where;
    EXPECT_EQ(read.quote.Volumen, shown.volume) << where;
    EXPECT_EQ(read.quote.Datum, *formats::EncodeDate(2024, 3, 15)) << where;
    EXPECT_EQ(read.quote.Zeit.left(5), "17:35") << where;
}

// The extraction as it runs on a fetched page.
Extracted Extract(int source, const QByteArray& body, zelvon::DateTime now)
{
    zelvon::TextView page(zelvon::codec::DecodeWindows1252(body));
    zelvon::TextView quoteList;
    extract::ExtractionInput input;
    input.page = &page;
    input.quoteList = &quoteList;
    input.security.ZDF = "DEMO";
    input.source = source;
    input.entry = 0;
    input.SizeTemp = double(page.textLength());
    input.now = now;
    extract::QuoteExtractor extractor;
    Extracted result;
    result.outcome = extractor.SpeedButton3Click(input);
    result.quote = extractor.quote;
    return result;
}

// The real server binary on free ports, with its CA and port files in a temporary directory.
class QuoteServerProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        server_ = std::make_unique<ToolProcess>(
            ZELVON_QUOTESERVER_BINARY,
            std::vector<std::string>{"--http-port", "0", "--https-port", "0", "--ca-out", path("ca.pem"),
                                     "--port-file", path("ports"), "--quiet"},
            path("server"));
        ASSERT_TRUE(server_->started());
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (!ReadPorts() && std::chrono::steady_clock::now() < end) {
            ASSERT_FALSE(server_->Wait(10ms).has_value()) << server_->err();
        }
        ASSERT_GT(httpPort_, 0) << server_->err();
        ASSERT_GT(httpsPort_, 0);
    }

    bool ReadPorts()
    {
        std::ifstream file(path("ports"));
        std::string line;
        while (std::getline(file, line)) {
            if (line.rfind("http=", 0) == 0)
                httpPort_ = std::stoi(line.substr(5));
            else if (line.rfind("https=", 0) == 0)
                httpsPort_ = std::stoi(line.substr(6));
        }
        return httpPort_ > 0 && httpsPort_ > 0;
    }

    std::string path(const char* name) const { return dir_.filePath(name).toStdString(); }
    QString caFile() const { return QString::fromStdString(path("ca.pem")); }
    QString http(const QString& host, const QString& target) const
    {
        return QStringLiteral("http://%1:%2%3").arg(host).arg(httpPort_).arg(target);
    }
    QString https(const QString& host, const QString& target) const
    {
        return QStringLiteral("https://%1:%2%3").arg(host).arg(httpsPort_).arg(target);
    }

    QByteArray Get(const QString& url)
    {
        QByteArray body;
        client_.get(url, body);
        return body;
    }

    QTemporaryDir dir_;
    std::unique_ptr<ToolProcess> server_;
    int httpPort_ = 0;
    int httpsPort_ = 0;
    HttpClient client_;
};

}  // namespace

TEST_F(QuoteServerProcess, YahooPageOverHttpGivesTodaysQuote)
{
    const QByteArray body = Get(http("yahoo.localhost", "/quote/SAP.DE"));
    const Extracted read = Extract(zelvon::kSourceYahoo, body, formats::Now());
    EXPECT_EQ(read.outcome.status, extract::kQuoteRead) << body.toStdString();
    EXPECT_TRUE(read.outcome.stored);
    EXPECT_GT(read.quote.Kurs, 0);
    EXPECT_EQ(read.quote.Datum, formats::Today());
    EXPECT_GT(read.quote.Volumen, 0);
}

TEST_F(QuoteServerProcess, ComdirectPageOverHttpsTrustingTheGeneratedCa)
{
    client_.setExtraCaFile(caFile());
    const QByteArray body = Get(https("comdirect.localhost", "/inf/search/aktien.html" + kComdirectQuery.arg("716460")));
    const Extracted read = Extract(zelvon::kSourceComdirectAktien, body, formats::Now());
    EXPECT_EQ(read.outcome.status, extract::kQuoteRead) << body.toStdString();
    EXPECT_TRUE(read.outcome.stored);
    EXPECT_GT(read.quote.Kurs, 0);
    EXPECT_EQ(read.quote.Datum, formats::Today());

    EXPECT_NO_THROW(Get(https("yahoo.localhost", "/quote/BAS.DE")));
    EXPECT_NO_THROW(Get(https("localhost", "/quote/BAS.DE")));
    EXPECT_NO_THROW(Get(https("127.0.0.1", "/quote/BAS.DE")));
    EXPECT_NE(ReadWhole(path("ca.pem")).find("-----BEGIN CERTIFICATE-----"), std::string::npos);
}

TEST_F(QuoteServerProcess, HttpsWithoutTheCaIsRefused)
{
    EXPECT_THROW(Get(https("yahoo.localhost", "/quote/SAP.DE")), zelvon::HttpTransportError);
}

TEST_F(QuoteServerProcess, EachRequestShowsANewPrice)
{
    const QString url = http("yahoo.localhost", "/quote/ALV.DE");
    const double first = Extract(zelvon::kSourceYahoo, Get(url), formats::Now()).quote.Kurs;
    const double second = Extract(zelvon::kSourceYahoo, Get(url), formats::Now()).quote.Kurs;
    EXPECT_GT(first, 0);
    EXPECT_GT(second, 0);
    EXPECT_NE(first, second);
}

TEST_F(QuoteServerProcess, OtherAddressesAreNotFound)
{
    for (const char* target : {"/quote/", "/inf/search/aktien.html?SEARCH_VALUE=", "/inf/search/nichts.html?SEARCH_VALUE=1",
                               "/favicon.ico"}) {
        EXPECT_THROW(Get(http("localhost", target)), zelvon::HttpStatusError) << target;
        EXPECT_EQ(client_.responseCode(), 404) << target;
    }
}

TEST_F(QuoteServerProcess, StopsCleanlyOnSigterm)
{
    server_->Signal(SIGTERM);
    EXPECT_EQ(server_->Wait(10s), 0);
    EXPECT_THROW(Get(http("localhost", "/quote/SAP.DE")), zelvon::HttpTransportError);
}

TEST_F(QuoteServerProcess, StopsCleanlyOnSigint)
{
    server_->Signal(SIGINT);
    EXPECT_EQ(server_->Wait(10s), 0);
}

TEST_F(QuoteServerProcess, ATakenPortEndsTheStartWithAMessage)
{
    const auto r = RunTool(ZELVON_QUOTESERVER_BINARY, {"--http-port", std::to_string(httpPort_), "--quiet"},
                           path("second"), 20s);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("nicht belegbar"), std::string::npos) << r.err;
}

TEST(QuoteServerArguments, BadArgumentsExitWithTwo)
{
    QTemporaryDir dir;
    const std::string stem = dir.filePath("run").toStdString();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--http-port", "x"}, {"--https-port", "70000"}, {"--ca-out"}, {"--bogus"},
          {"--http-port", "4000", "--https-port", "4000"}}) {
        const auto r = RunTool(ZELVON_QUOTESERVER_BINARY, args, stem, 20s);
        EXPECT_EQ(r.exitCode, 2) << args[0];
        EXPECT_NE(r.err.find("zelvon-quoteserver: "), std::string::npos) << r.err;
    }
    const std::string unwritable = dir.filePath("missing/ca.pem").toStdString();
    const auto r = RunTool(ZELVON_QUOTESERVER_BINARY, {"--ca-out", unwritable, "--quiet"}, stem, 20s);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Datei nicht schreibbar: " + unwritable), std::string::npos) << r.err;
}

namespace {

struct BuiltPageCase {
    int source;
    std::string path;
};

const BuiltPageCase kBuiltPages[] = {
    {zelvon::kSourceYahoo, "/quote/"},
    {zelvon::kSourceComdirectFonds, "/inf/search/fonds.html"},
    {zelvon::kSourceComdirectOptionsscheine, "/inf/search/optionsscheine.html"},
    {zelvon::kSourceComdirectAktien, "/inf/search/aktien.html"},
    {zelvon::kSourceComdirectIndizes, "/inf/search/indizes.html"},
    {zelvon::kSourceComdirectZertifikate, "/inf/search/zertifikate.html"},
    {zelvon::kSourceComdirectWaehrungen, "/inf/search/waehrungen.html"},
    {zelvon::kSourceComdirectAlles, "/inf/search/general.html"},
};

pages::QuoteRequest RequestFor(const BuiltPageCase& c, const std::string& identifier)
{
    if (c.source == zelvon::kSourceYahoo)
        return {c.path + identifier, {}};
    return {c.path, {{"IC_BYPASS", "1"}, {"REDIRECT_TYPE", "WKN"}, {"SEARCH_VALUE", identifier}}};
}

}  // namespace

TEST(QuotePages, EveryBuiltPageReadsAsTheQuoteItShows)
{
    const pages::LocalClock shown{2024, 3, 15, 17, 35, 20};
    const zelvon::DateTime now = *formats::EncodeDate(2024, 3, 15) + *formats::EncodeTime(18, 0, 0);
    // Identifiers that carry the pages' own markers, markup, non-ASCII bytes and excess length.
    const std::string identifiers[] = {"SAP.DE", "^GDAXI", "716460", "\"Aktuell\" <td>Tages-Vol Geld / Brief",
                                       "Fw(b) Fz(36px) Mb(-4px) D(ib) ETF Fonds Morningstar :",
                                       "M\xC3\xBCnchener R\xFC", std::string(300, 'X')};
    auto catalog = pages::PageCatalog::WithBuiltSources();
    for (const BuiltPageCase& c : kBuiltPages) {
        for (const std::string& identifier : identifiers) {
            if (c.source == zelvon::kSourceYahoo && identifier.find('/') != std::string::npos)
                continue;  // a symbol is one path segment
            for (int request = 0; request < 20; ++request) {
                const auto page = catalog->Serve(RequestFor(c, identifier), shown);
                ASSERT_TRUE(page) << c.path << identifier;
                const Extracted read = Extract(c.source, QByteArray::fromStdString(page->body), now);
                const std::string where = c.path + " " + identifier + " #" + std::to_string(request);
                ASSERT_EQ(read.outcome.status, extract::kQuoteRead) << where << "\n" << page->body;
                ExpectTheQuoteShown(read, page->quote, where);
            }
        }
    }
}

TEST(QuotePages, PricesChangeWithEveryRequestAndStayPositive)
{
    auto catalog = pages::PageCatalog::WithBuiltSources();
    const pages::LocalClock now = pages::LocalClock::Now();
    for (const BuiltPageCase& c : kBuiltPages) {
        double previous = 0;
        std::set<double> seen;
        for (int request = 0; request < 500; ++request) {
            const double price = catalog->Serve(RequestFor(c, "ABC"), now)->quote.price;
            EXPECT_GT(price, 0) << c.path;
            EXPECT_NE(price, previous) << c.path << " #" << request;
            previous = price;
            seen.insert(price);
        }
        EXPECT_GT(seen.size(), 50u) << c.path;
    }
}

TEST(QuotePages, RequestsNoSourceKnowsGetNoPage)
{
    auto catalog = pages::PageCatalog::WithBuiltSources();
    const pages::LocalClock now = pages::LocalClock::Now();
    for (const pages::QuoteRequest& request : std::vector<pages::QuoteRequest>{
             {"/quote/", {}}, {"/quote/A/B", {}}, {"/inf/search/aktien.html", {}},
             {"/inf/search/aktien.html", {{"SEARCH_VALUE", ""}}}, {"/inf/search/.html", {{"SEARCH_VALUE", "1"}}},
             {"/inf/search/unbekannt.html", {{"SEARCH_VALUE", "1"}}}, {"/", {}}})
        EXPECT_FALSE(catalog->Serve(request, now)) << request.path;
}

namespace {

// Onvista's pages as the extraction reads them, the follow-up fetch served
// by the same catalog from the hit's address.
struct OnvistaRead {
    Extracted read;
    QStringList followups;
    pages::QuotePage shown;
};

OnvistaRead ReadOnvista(pages::PageCatalog& catalog, const pages::QuoteRequest& request, int entry,
                        const pages::LocalClock& clock, zelvon::DateTime now)
{
    OnvistaRead result;
    result.shown = *catalog.Serve(request, clock);
    zelvon::TextView page(zelvon::codec::DecodeWindows1252(QByteArray::fromStdString(result.shown.body)));
    zelvon::TextView quoteList;
    extract::ExtractionInput input;
    input.page = &page;
    input.quoteList = &quoteList;
    input.security.ZDF = "DEMO";
    input.source = zelvon::kSourceOnvista;
    input.entry = entry;
    input.now = now;
    extract::ExtractionHooks hooks;
    hooks.followup = [&](const QString& address) {
        result.followups << address;
        const QUrl url(address);
        const std::string host = url.host().toStdString() + ":" + std::to_string(url.port());
        result.shown = *catalog.Serve({url.path(QUrl::FullyDecoded).toStdString(), {}, host}, clock);
        page.setText(zelvon::codec::DecodeWindows1252(QByteArray::fromStdString(result.shown.body)));
    };
    extract::QuoteExtractor extractor;
    result.read.outcome = extractor.SpeedButton3Click(input, hooks);
    result.read.quote = extractor.quote;
    return result;
}

}  // namespace

TEST(QuotePages, OnvistaPagesReadAsTheQuoteTheyShow)
{
    const pages::LocalClock clock{2024, 3, 15, 17, 35, 20};
    const zelvon::DateTime now = *formats::EncodeDate(2024, 3, 15) + *formats::EncodeTime(18, 0, 0);
    const std::string identifiers[] = {"DE0008469008", "US2605661048", "US\"(Treffer: 9) Datum a href=\"x\"",
                                       "value=\"1.5\" time datetime=\"2020-01-01T00:00:00\"", "M\xC3\xBCnchen R\xFC",
                                       "US" + std::string(300, '/')};
    auto catalog = pages::PageCatalog::WithBuiltSources();
    for (const std::string& identifier : identifiers) {
        const bool search = identifier.rfind("US", 0) == 0;
        for (const auto& [host, entry] : {std::pair{"onvista.localhost:8443", 9},
                                          std::pair{"onvistazert.localhost:8080", zelvon::kOnvistaDbZertifikate}}) {
            const OnvistaRead r = ReadOnvista(*catalog, {"/" + identifier, {}, host}, entry, clock, now);
            const bool certificate = entry == zelvon::kOnvistaDbZertifikate;
            const std::string where = std::string(host) + " " + identifier;
            EXPECT_EQ(r.followups.size(), search && !certificate ? 1 : 0) << where;
            if (!r.followups.isEmpty()) {
                EXPECT_TRUE(r.followups[0].startsWith("https://onvista.localhost:8443/kurs/")) << where;
            }
            EXPECT_TRUE(r.read.outcome.stored) << where << "\n" << r.shown.body;
            EXPECT_GT(r.shown.quote.price, 0) << where;
            EXPECT_DOUBLE_EQ(r.read.quote.Kurs, r.shown.quote.price) << where;
            EXPECT_EQ(r.read.quote.Datum, *formats::EncodeDate(2024, 3, 15)) << where;
            EXPECT_EQ(r.read.quote.Zeit, "17:35:20") << where;
            EXPECT_EQ(r.read.outcome.status, certificate ? extract::kMarkerMissing : extract::kQuoteRead) << where;
        }
    }
    EXPECT_FALSE(catalog->Serve({"/", {}, "onvista.localhost:8443"}, clock));
    EXPECT_FALSE(catalog->Serve({"/DE0008469008", {}, "localhost:8443"}, clock));
}

namespace {

struct SmallerSourceCase {
    int source;
    int entry;
    std::string path;
    std::string key;
    bool browser;  // the page view holds the body's inner HTML
};

const SmallerSourceCase kSmallerSources[] = {
    {zelvon::kSourceWallstreet, zelvon::kWallstreetIsin, "/informer/", "informer_searchkey", true},
    {zelvon::kSourceWallstreet, zelvon::kWallstreetLsWkn, "/aktien/realtime", "wkn", true},
    {zelvon::kSourceConsors, zelvon::kEntryWkn, "/euroWebDe/-", "pattern", false},
    {zelvon::kSourceTeleboerse, zelvon::kTeleboerseIsin, "/boersenkurse/suche/", "suchbegriff", true},
};

Extracted ExtractShown(const SmallerSourceCase& c, const std::string& body, const std::string& isin,
                       zelvon::DateTime now)
{
    const QString text = zelvon::codec::DecodeWindows1252(QByteArray::fromStdString(body));
    zelvon::TextView page(c.browser ? zelvon::BodyInnerHtml(text) : text);
    extract::ExtractionInput input;
    input.page = &page;
    input.security.ZDF = "DEMO";
    input.security.ISIN = QString::fromStdString(isin);
    input.source = c.source;
    input.entry = c.entry;
    input.SizeTemp = double(page.textLength());
    input.now = now;
    extract::QuoteExtractor extractor;
    Extracted result;
    result.outcome = extractor.SpeedButton3Click(input);
    result.quote = extractor.quote;
    return result;
}

}  // namespace

TEST(QuotePages, SmallerWebSourcesReadAsTheQuoteTheyShow)
{
    const pages::LocalClock shown{2024, 3, 15, 17, 35, 20};
    const zelvon::DateTime now = *formats::EncodeDate(2024, 3, 15) + *formats::EncodeTime(18, 0, 0);
    // Identifiers that carry the pages' markers; short enough to stand printed as they are.
    const std::string identifiers[] = {"DE0007164600", "HX1234", "Letzter Kurs trade Volumen Tsd",
                                       ";bid price price- Tagesumsatz HH:mm"};
    auto catalog = pages::PageCatalog::WithBuiltSources();
    for (const SmallerSourceCase& c : kSmallerSources) {
        for (const std::string& identifier : identifiers) {
            for (int request = 0; request < 20; ++request) {
                const auto page = catalog->Serve({c.path, {{c.key, identifier}}}, shown);
                const std::string where = c.path + " " + identifier + " #" + std::to_string(request);
                ASSERT_TRUE(page) << where;
                if (c.source == zelvon::kSourceTeleboerse && request == 0) {
                    EXPECT_EQ(page->body.find("1 Treffer"), std::string::npos) << "the search is still running";
                    EXPECT_EQ(page->quote.price, 0);
                    continue;
                }
                const Extracted read = ExtractShown(c, page->body, identifier, now);
                ASSERT_EQ(read.outcome.status, extract::kQuoteRead) << where << "\n" << page->body;
                EXPECT_GT(page->quote.price, 0) << where;
                ExpectTheQuoteShown(read, page->quote, where);
            }
        }
    }
}

TEST(QuotePages, SmallerWebSourcesWithoutTheirIdentifierGetNoPage)
{
    auto catalog = pages::PageCatalog::WithBuiltSources();
    const pages::LocalClock now = pages::LocalClock::Now();
    for (const SmallerSourceCase& c : kSmallerSources) {
        EXPECT_FALSE(catalog->Serve({c.path, {}}, now)) << c.path;
        EXPECT_FALSE(catalog->Serve({c.path, {{c.key, ""}}}, now)) << c.path;
        EXPECT_FALSE(catalog->Serve({c.path + "x", {{c.key, "1"}}}, now)) << c.path;
    }
}
