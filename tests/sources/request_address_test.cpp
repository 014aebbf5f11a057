#include "sources/request_address.h"

#include "sources/http_client.h"
#include "sources/source_catalogue.h"

#include "loopback_server.h"

#include <gtest/gtest.h>

namespace zelvon {
namespace {

using test::LoopbackServer;
using test::TestCaFile;
using test::Tls;

// Every host with a port, as a test installation configures them.
HostConfig LoopbackHosts()
{
    HostConfig hosts;
    hosts.yahoo = "yahoo.localhost:8443";
    hosts.comdirect = "comdirect.localhost:8444";
    hosts.swiss = "swiss.localhost:8080";
    hosts.swissUS = "swissus.localhost:8081";
    hosts.wallstreet = "wallstreet.localhost:8445";
    hosts.onvista = "onvista.localhost:8446";
    hosts.onvistaZert = "zert.localhost:8082";
    hosts.consors = "consors.localhost:8447";
    hosts.teleboerse = "teleboerse.localhost:8448";
    return hosts;
}

SecurityIdentifiers Security(const QString& kennung, const QString& isin, const QString& ticker,
                             const QString& waehrung = "EUR")
{
    return {kennung, isin, ticker, waehrung};
}

const QString kConsorsBase =
    "https://consors.localhost:8447/euroWebDe/-?currentpage=financeinfosHome.Desks.searchresult"
    "&%24%24event_minisearch=minisearch&%24part=Home.security-search&fieldselector=quote&searchSubmit=Suchen"
    "&pattern=";

class RequestAddressTest : public ::testing::Test {
protected:
    std::optional<QString> Build(int source, int entry, const SecurityIdentifiers& security) const
    {
        return BuildRequestAddress(source, entry, security, hosts);
    }

    HostConfig hosts = LoopbackHosts();
};

TEST_F(RequestAddressTest, YahooTakesTickerElseKennungWhateverTheEntry)
{
    const auto withTicker = Security("A1B2C3", "DE000A1B2C34", "ABC.F");
    for (int entry = kNoEntry; entry < 23; ++entry) {
        EXPECT_EQ(Build(kSourceYahoo, entry, withTicker), "https://yahoo.localhost:8443/quote/ABC.F") << entry;
    }
    EXPECT_EQ(Build(kSourceYahoo, 0, Security("A1B2C3", "", "")), "https://yahoo.localhost:8443/quote/A1B2C3");
    EXPECT_EQ(Build(kSourceYahoo, 0, Security("A1B2C3", "", " ")), "https://yahoo.localhost:8443/quote/ ");
    EXPECT_EQ(Build(kSourceYahoo, 0, Security("", "", "")), "https://yahoo.localhost:8443/quote/");
}

TEST_F(RequestAddressTest, ComdirectSharesByWknCarryTheCurrencySuffixUnlessEur)
{
    EXPECT_EQ(Build(kSourceComdirectAktien, kEntryWkn, Security("A1B2C3", "", "", "USD")),
              "https://comdirect.localhost:8444/inf/search/aktien.html?IC_BYPASS=1&SEARCH_REDIRECT=true"
              "&REDIRECT_TYPE=WKN&SEARCH_VALUE=A1B2C3&SORT=GEN_CURRENCY");
    EXPECT_EQ(Build(kSourceComdirectAktien, kEntryWkn, Security("A1B2C3", "", "", "EUR")),
              "https://comdirect.localhost:8444/inf/search/aktien.html?IC_BYPASS=1&SEARCH_REDIRECT=true"
              "&REDIRECT_TYPE=WKN&SEARCH_VALUE=A1B2C3");
}

TEST_F(RequestAddressTest, ComdirectIsinAndTickerEntries)
{
    const auto security = Security("A1B2C3", "DE000A1B2C34", "ABC", "EUR");
    EXPECT_EQ(Build(kSourceComdirectFonds, kEntryIsin, security),
              "https://comdirect.localhost:8444/inf/search/fonds.html?IC_BYPASS=1&SEARCH_REDIRECT=true"
              "&REDIRECT_TYPE=ISIN&SEARCH_VALUE=DE000A1B2C34");
    EXPECT_EQ(Build(kSourceComdirectAlles, kEntryTicker, security),
              "https://comdirect.localhost:8444/inf/search/general.html?IC_BYPASS=1&SEARCH_REDIRECT=true"
              "&REDIRECT_TYPE=FULLTEXT&SEARCH_VALUE=ABC");
}

TEST_F(RequestAddressTest, ComdirectPageNameOfEachSource)
{
    const std::pair<int, QString> pages[] = {
        {1, "fonds.html"},       {2, "optionsscheine.html"}, {3, "aktien.html"},  {4, "indizes.html"},
        {5, "zertifikate.html"}, {7, "waehrungen.html"},     {8, "general.html"},
    };
    for (const auto& [source, page] : pages) {
        EXPECT_EQ(Build(source, kEntryWkn, Security("X", "", "", "EUR")),
                  "https://comdirect.localhost:8444/inf/search/" + page
                      + "?IC_BYPASS=1&SEARCH_REDIRECT=true&REDIRECT_TYPE=WKN&SEARCH_VALUE=X")
            << "source " << source;
    }
    EXPECT_TRUE(ComdirectPageName(kSourceYahoo).isEmpty());
}

TEST_F(RequestAddressTest, CurrencySuffixOnlyForFundsWarrantsSharesAndCertificates)
{
    const QString suffix = "&SORT=GEN_CURRENCY";
    for (int source : {1, 2, 3, 5}) {
        for (const QString currency : {"USD", "", "eur", "EUR ", " EUR", "EURO"}) {
            const auto address = Build(source, kEntryIsin, Security("", "DE1", "", currency));
            ASSERT_TRUE(address.has_value());
            EXPECT_TRUE(address->endsWith("SEARCH_VALUE=DE1" + suffix)) << source << " [" << currency.toStdString() << "]";
        }
        EXPECT_TRUE(Build(source, kEntryIsin, Security("", "DE1", "", "EUR"))->endsWith("SEARCH_VALUE=DE1"));
    }
    for (int source : {4, 7, 8}) {
        for (const QString currency : {"USD", "", "EUR"}) {
            EXPECT_TRUE(Build(source, kEntryTicker, Security("", "", "T", currency))->endsWith("SEARCH_VALUE=T"))
                << source << " [" << currency.toStdString() << "]";
        }
    }
    EXPECT_EQ(ComdirectCurrencySuffix(kSourceOnvista, "USD"), "");
}

TEST_F(RequestAddressTest, ComdirectWithoutEntryKeepsThePreviousAddress)
{
    const auto security = Security("A1B2C3", "DE000A1B2C34", "ABC", "USD");
    for (int source : {1, 2, 3, 4, 5, 7, 8}) {
        EXPECT_EQ(Build(source, kNoEntry, security), std::nullopt) << "source " << source;
        EXPECT_EQ(RebuildRequestAddress(source, kNoEntry, security, hosts, "https://before/"), "https://before/");
    }
}

TEST_F(RequestAddressTest, EmptyIdentifierEndsTheAddressInTheQueryKey)
{
    EXPECT_EQ(Build(kSourceComdirectIndizes, kEntryWkn, Security("", "", "")),
              "https://comdirect.localhost:8444/inf/search/indizes.html?IC_BYPASS=1&SEARCH_REDIRECT=true"
              "&REDIRECT_TYPE=WKN&SEARCH_VALUE=");
}

TEST_F(RequestAddressTest, SwissEntries)
{
    const auto security = Security("XYZ", "CH0012345678", "XYZN");
    const QString shares = "http://swiss.localhost:8080/fcgi-bin/stockfquote?symbols=XYZ&SQCB=I_AGREE";
    EXPECT_EQ(Build(kSourceSwiss, kSwissAktienkurse, security), shares);
    EXPECT_EQ(Build(kSourceSwiss, kSwissFondkurse, security), shares);
    EXPECT_EQ(Build(kSourceSwiss, kSwissAktienkurseIntraday, security),
              "http://swiss.localhost:8080/fcgi-bin/stockfquote?symbols=PAID__XYZ&btn1=1&btn2=XYZ&btn3=XYZ"
              "&SQCB=I_AGREE");
    EXPECT_EQ(Build(kSourceSwiss, kSwissUsAktienkurse, security),
              "http://swissus.localhost:8081/US_data/securitypage.jsp?lus_symbol=XYZ&lus_market=A&SQCB=I_AGREE");
    EXPECT_EQ(Build(kSourceSwiss, kSwissKursdetailSymbol, security),
              "http://swiss.localhost:8080/sq_mi/public/market/Detail.action?s=XYZN");
    EXPECT_EQ(Build(kSourceSwiss, kNoEntry, security), std::nullopt);
}

TEST_F(RequestAddressTest, LocalFeedsAndNoSourceKeepThePreviousAddress)
{
    const auto security = Security("A1B2C3", "DE000A1B2C34", "ABC");
    const int keeping[] = {kSourceWinBis, kSourceTaiPan, kNoEntry, kSourceCount};
    for (int source : keeping) {
        for (int entry : {kNoEntry, 0, 7, 20}) {
            EXPECT_EQ(RebuildRequestAddress(source, entry, security, hosts, "https://yahoo.localhost:8443/quote/ABC.F"),
                      "https://yahoo.localhost:8443/quote/ABC.F")
                << source << "/" << entry;
        }
    }
}

TEST_F(RequestAddressTest, WallstreetIsinElseKennungAndTheBidFreeIdentifier)
{
    EXPECT_EQ(Build(kSourceWallstreet, kWallstreetIsin, Security("A1B2C3", "DE000A1B2C34", "")),
              "https://wallstreet.localhost:8445/informer/?spid=ws&informer_searchkey=DE000A1B2C34");
    EXPECT_EQ(Build(kSourceWallstreet, kWallstreetIsin, Security("A1B2C3", "", "")),
              "https://wallstreet.localhost:8445/informer/?spid=ws&informer_searchkey=A1B2C3");
    EXPECT_EQ(Build(kSourceWallstreet, kWallstreetLsWkn, Security("A1B2C3_bid", "DE000A1B2C34", "")),
              "https://wallstreet.localhost:8445/aktien/realtime?wkn=A1B2C3");
    EXPECT_EQ(Build(kSourceWallstreet, kNoEntry, Security("A1B2C3", "", "")), std::nullopt);
}

TEST(BidFreeIdentifier, CutsFromTheFirstBidInAnyCaseAndKeepsTheRestAsItIs)
{
    EXPECT_EQ(BidFreeIdentifier("A1B2C3_bid"), "A1B2C3");
    EXPECT_EQ(BidFreeIdentifier("aBc_BiD_ask"), "aBc");
    EXPECT_EQ(BidFreeIdentifier("x_bid_BID"), "x");
    EXPECT_EQ(BidFreeIdentifier("_BIDx"), "");
    EXPECT_EQ(BidFreeIdentifier("a1b2c3"), "a1b2c3");
    EXPECT_EQ(BidFreeIdentifier("A_BI"), "A_BI");
    EXPECT_EQ(BidFreeIdentifier("A BID"), "A BID");
    EXPECT_EQ(BidFreeIdentifier(""), "");
}

TEST(BidFreeIdentifier, PositionsSurviveLettersWhoseUpperCaseIsLonger)
{
    // A whole-string upper case turns the sharp s into two letters.
    EXPECT_EQ(BidFreeIdentifier(QString::fromUtf16(u"stra\u00dfe_bid")), QString::fromUtf16(u"stra\u00dfe"));
    EXPECT_EQ(BidFreeIdentifier(QString::fromUtf16(u"\u00c4\u00df\u00df_Bid9")), QString::fromUtf16(u"\u00c4\u00df\u00df"));
}

TEST(BidFreeIdentifier, RemovesAtMostAThousandCharacters)
{
    const QString kennung = "AB_BID" + QString(1200, 'x');
    EXPECT_EQ(BidFreeIdentifier(kennung), "AB" + QString(204, 'x'));
    const QString exact = "AB_BID" + QString(996, 'x');
    EXPECT_EQ(BidFreeIdentifier(exact), "AB");
}

TEST_F(RequestAddressTest, OnvistaCertificatesTakeTheIsinOthersFallBackToKennung)
{
    const auto security = Security("A1B2C3", "DE000A1B2C34", "ABC");
    EXPECT_EQ(Build(kSourceOnvista, kOnvistaDbZertifikate, security), "http://zert.localhost:8082/DE000A1B2C34");
    EXPECT_EQ(Build(kSourceOnvista, kOnvistaDbZertifikate, Security("A1B2C3", "", "")), "http://zert.localhost:8082/");
    for (int entry : {kNoEntry, 0, 5, 7, 15}) {
        EXPECT_EQ(Build(kSourceOnvista, entry, security), "https://onvista.localhost:8446/DE000A1B2C34") << entry;
        EXPECT_EQ(Build(kSourceOnvista, entry, Security("A1B2C3", "", "")), "https://onvista.localhost:8446/A1B2C3")
            << entry;
    }
}

TEST_F(RequestAddressTest, OnvistaBlankOnlyIsinIsInsertedUnaltered)
{
    EXPECT_EQ(Build(kSourceOnvista, 0, Security("A1B2C3", "   ", "")), "https://onvista.localhost:8446/   ");
}

TEST_F(RequestAddressTest, ConsorsEntriesAndTheBareSearch)
{
    const auto security = Security("A1B2C3", "DE000A1B2C34", "ABC");
    EXPECT_EQ(Build(kSourceConsors, kEntryWkn, security), kConsorsBase + "A1B2C3");
    EXPECT_EQ(Build(kSourceConsors, kEntryIsin, security), kConsorsBase + "DE000A1B2C34");
    EXPECT_EQ(Build(kSourceConsors, kEntryTicker, security), kConsorsBase + "ABC");
    EXPECT_EQ(Build(kSourceConsors, kNoEntry, security), kConsorsBase);
}

TEST_F(RequestAddressTest, TeleboerseEntriesAndTheBareSearch)
{
    const auto security = Security("A1B2C3", "DE000A1B2C34", "ABC");
    const QString base = "https://teleboerse.localhost:8448/boersenkurse/suche/?suchbegriff=";
    EXPECT_EQ(Build(kSourceTeleboerse, kTeleboerseTicker, security), base + "ABC");
    EXPECT_EQ(Build(kSourceTeleboerse, kTeleboerseWkn, security), base + "A1B2C3");
    EXPECT_EQ(Build(kSourceTeleboerse, kTeleboerseIsin, security), base + "DE000A1B2C34");
    EXPECT_EQ(Build(kSourceTeleboerse, kNoEntry, security), base);
}

TEST_F(RequestAddressTest, ValuesEnterExactlyAsStored)
{
    const QString odd = QString::fromUtf16(u" m\u00fcller&Co %20 ");
    EXPECT_EQ(Build(kSourceTeleboerse, kTeleboerseWkn, Security(odd, "", "")),
              "https://teleboerse.localhost:8448/boersenkurse/suche/?suchbegriff=" + odd);
    EXPECT_EQ(Build(kSourceSwiss, kSwissAktienkurseIntraday, Security("ab c", "", "")),
              "http://swiss.localhost:8080/fcgi-bin/stockfquote?symbols=PAID__ab c&btn1=1&btn2=ab c&btn3=ab c"
              "&SQCB=I_AGREE");
}

TEST_F(RequestAddressTest, SourceChangeToComdirectSharesBuildsWithKennung)
{
    const auto security = Security("A1B2C3", "DE000A1B2C34", "ABC.F", "EUR");
    const ExchangeSelection yahoo = SelectSource(kSourceYahoo, 5, hosts);
    const QString before = RebuildRequestAddress(kSourceYahoo, yahoo.selected, security, hosts, "");
    EXPECT_EQ(before, "https://yahoo.localhost:8443/quote/ABC.F");

    const ExchangeSelection shares = SelectSource(kSourceComdirectAktien, 5, hosts);
    ASSERT_EQ(shares.entries.at(shares.selected), "WKN");
    EXPECT_EQ(RebuildRequestAddress(kSourceComdirectAktien, shares.selected, security, hosts, before),
              "https://comdirect.localhost:8444/inf/search/aktien.html?IC_BYPASS=1&SEARCH_REDIRECT=true"
              "&REDIRECT_TYPE=WKN&SEARCH_VALUE=A1B2C3");
}

TEST_F(RequestAddressTest, SourceChangeToAFeedOrToNoSourceKeepsTheAddress)
{
    const auto security = Security("A1B2C3", "DE000A1B2C34", "ABC.F");
    const QString before = "https://onvista.localhost:8446/DE000A1B2C34";
    const int keeping[] = {kSourceWinBis, kSourceTaiPan, kNoEntry};
    for (int source : keeping) {
        const ExchangeSelection selection = SelectSource(source, 20, hosts);
        EXPECT_EQ(RebuildRequestAddress(source, selection.selected, security, hosts, before), before) << source;
    }
}

// The built addresses go unaltered to the real HTTP client, which encodes
// blanks only on the wire; the loopback servers report the target they saw.
class RequestAddressOnTheWireTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (LoopbackServer* server : {&https, &http}) {
            server->routes().Get(".*", [](const httplib::Request& request, httplib::Response& response) {
                response.set_content(request.target, "text/plain");
            });
            server->start();
        }
        client.setExtraCaFile(TestCaFile());
        hosts.onvista = https.hostWithPort("onvista.localhost");
        hosts.yahoo = https.hostWithPort("yahoo.localhost");
        hosts.consors = https.hostWithPort("localhost");
        hosts.swiss = http.hostWithPort("swiss.localhost");
    }

    QByteArray TargetSeen(int source, int entry, const SecurityIdentifiers& security)
    {
        const auto address = BuildRequestAddress(source, entry, security, hosts);
        EXPECT_TRUE(address.has_value());
        QByteArray body;
        client.get(address.value_or(QString()), body);
        return body;
    }

    LoopbackServer https{Tls::TestCa};
    LoopbackServer http;
    HttpClient client;
    HostConfig hosts;
};

TEST_F(RequestAddressOnTheWireTest, BlankIsinStillReachesTheOnvistaHost)
{
    EXPECT_EQ(TargetSeen(kSourceOnvista, 0, Security("A1B2C3", "  ", "")), "/%20%20");
}

TEST_F(RequestAddressOnTheWireTest, ConfiguredPortsAndQueriesArriveAsBuilt)
{
    EXPECT_EQ(TargetSeen(kSourceYahoo, 3, Security("A1B2C3", "", "ABC.F")), "/quote/ABC.F");
    EXPECT_EQ(TargetSeen(kSourceSwiss, kSwissAktienkurseIntraday, Security("XYZ", "", "")),
              "/fcgi-bin/stockfquote?symbols=PAID__XYZ&btn1=1&btn2=XYZ&btn3=XYZ&SQCB=I_AGREE");
    EXPECT_EQ(TargetSeen(kSourceConsors, kEntryIsin, Security("", "DE000A1B2C34", "")),
              "/euroWebDe/-?currentpage=financeinfosHome.Desks.searchresult&%24%24event_minisearch=minisearch"
              "&%24part=Home.security-search&fieldselector=quote&searchSubmit=Suchen&pattern=DE000A1B2C34");
}

}  // namespace
}  // namespace zelvon
