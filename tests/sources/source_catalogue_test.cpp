#include "sources/source_catalogue.h"

#include <gtest/gtest.h>

namespace zelvon {
namespace {

// Umlauts are written as escapes so that the pinned texts do not depend on
// how this file or the catalogue's source is encoded.
QString U(const char16_t* text)
{
    return QString::fromUtf16(text);
}

const QStringList kIdentifierList = {"WKN", "ISIN", "Ticker"};

TEST(SourceCatalogue, CaptionsInStoredOrderWithTrailingBlankAndSwissDomain)
{
    const QStringList expected = {
        "Yahoo Deutschland Finanzen",
        "ComDirect - Fonds/ETF",
        "ComDirect - Optionsscheine",
        "ComDirect - Aktienkurse",
        "ComDirect - Indizes",
        "ComDirect - Zertifikate ",
        "Schweizer Kurse von swissquote.ch",
        "ComDirect - Waehrungen",
        "ComDirect - Alles",
        "WinBis / NetBis",
        "Wallstrret Online",
        "Onvista",
        "Consors",
        U(u"TaiPanRT muss ge\u00f6ffnet sein"),
        "Teleboerse",
    };
    EXPECT_EQ(SourceCaptions(HostConfig{}), expected);
    EXPECT_EQ(kSourceCount, expected.size());
    EXPECT_EQ(kSourceDropDownRows, 15);
}

TEST(SourceCatalogue, SwissCaptionTakesTheConfiguredDomainWithoutPortOrWww)
{
    HostConfig hosts;
    hosts.swiss = "swiss.localhost:8443";
    EXPECT_EQ(SourceCaptions(hosts).at(kSourceSwiss), "Schweizer Kurse von swiss.localhost");
    hosts.swiss = "www.quotes.example:80";
    EXPECT_EQ(SourceCaptions(hosts).at(kSourceSwiss), "Schweizer Kurse von quotes.example");
}

TEST(SourceCatalogue, YahooListEndsWithTheInternationalTickerEntries)
{
    const QStringList expected = {
        "Xetra",       "Frankfurt", "Stuttgart",         U(u"M\u00fcnchen"), U(u"D\u00fcsseldorf"), "Berlin",
        "Hamburg",     "Bremen",    "Hannover",          "Wien",             U(u"Z\u00fcrich"),     "London",
        "Paris",       "Milano",    "Madrid",            "Kopenhagen",       "Oslo",                "Stockholm",
        "Barcelona",   "USA",       "L&S Ticker",        "Ticker finance.yahoo.com",                "Ticker",
    };
    EXPECT_EQ(ExchangeEntries(kSourceYahoo, HostConfig{}), expected);

    HostConfig hosts;
    hosts.yahooIntl = "www.yahoo.localhost:8443";
    EXPECT_EQ(ExchangeEntries(kSourceYahoo, hosts).at(21), "Ticker yahoo.localhost");
}

TEST(SourceCatalogue, IdentifierListServesComdirectAndConsors)
{
    for (int source : {1, 2, 3, 4, 5, 7, 8, 12}) {
        EXPECT_EQ(ExchangeEntries(source, HostConfig{}), kIdentifierList) << "source " << source;
    }
}

TEST(SourceCatalogue, ListsOfSwissWallstreetAndTeleboerse)
{
    const QStringList swiss = {"Aktienkurse", "Aktienkurse Intraday", "Fondkurse", "US Aktienkurse", "Kursdetail Symbol"};
    EXPECT_EQ(ExchangeEntries(kSourceSwiss, HostConfig{}), swiss);
    EXPECT_EQ(ExchangeEntries(kSourceWallstreet, HostConfig{}), QStringList({"ISIN", "L&S WKN"}));
    EXPECT_EQ(ExchangeEntries(kSourceTeleboerse, HostConfig{}), QStringList({"Ticker", "WKN", "ISIN"}));
}

TEST(SourceCatalogue, WinBisList)
{
    const QStringList expected = {
        "Xetra",
        "Frankfurt",
        "Stuttgart",
        U(u"M\u00fcnchen"),
        U(u"D\u00fcsseldorf"),
        "Berlin",
        "Hamburg",
        "Bremen",
        "Hannover",
        "EUREX",
        "Investmentfonds",
        "Devisenkurse",
        "Indizes",
        "Edelmetalle",
        "LIFFELondon",
        U(u"Z\u00fcrich Aktien"),
        U(u"Wien B\u00f6rse"),
        U(u"Wien Terminb\u00f6rse"),
        "New York Mercantile Exchange",
        "NASDAQ",
        "New York Stock Exchange",
        "American Stock Exchange",
    };
    EXPECT_EQ(ExchangeEntries(kSourceWinBis, HostConfig{}), expected);
}

TEST(SourceCatalogue, OnvistaList)
{
    const QStringList expected = {
        "Aktien",         "Fonds",       "Optionsscheine",      "Optionsscheine(Euwax)",
        "Zertifikate",    "Zertifikate(Euwax)",  "DB-Zertifikate", "Zertifikat Emittent",
        "Optionsschein Emittent", "Index", "Anleihen",          "Futures",
        "Rohstoffe",      "Waehrungen",  "ETF",                 "Aktien Realtime",
    };
    EXPECT_EQ(ExchangeEntries(kSourceOnvista, HostConfig{}), expected);
}

TEST(SourceCatalogue, TaiPanList)
{
    const QStringList expected = {
        "Berlin",    U(u"D\u00fcsseldorf"), "Frankfurt",     "Hamburg", "Hannover",                U(u"M\u00fcnchen"),
        "Stuttgart", "Xetra",               "Stoxx-Indizes", "AMEX",    "New York Stock Exchange", "NASDAQ",
        "OTC",       "XETRA US Stars",      "XETRA European Stars",     "EUWAX",
    };
    EXPECT_EQ(ExchangeEntries(kSourceTaiPan, HostConfig{}), expected);
}

TEST(SourceCatalogue, NamedEntryPositionsMatchTheLists)
{
    const HostConfig hosts;
    EXPECT_EQ(ExchangeEntries(kSourceComdirectAktien, hosts).at(kEntryTicker), "Ticker");
    EXPECT_EQ(ExchangeEntries(kSourceSwiss, hosts).at(kSwissAktienkurseIntraday), "Aktienkurse Intraday");
    EXPECT_EQ(ExchangeEntries(kSourceSwiss, hosts).at(kSwissKursdetailSymbol), "Kursdetail Symbol");
    EXPECT_EQ(ExchangeEntries(kSourceWallstreet, hosts).at(kWallstreetLsWkn), "L&S WKN");
    EXPECT_EQ(ExchangeEntries(kSourceOnvista, hosts).at(kOnvistaDbZertifikate), "DB-Zertifikate");
    EXPECT_EQ(ExchangeEntries(kSourceTeleboerse, hosts).at(kTeleboerseIsin), "ISIN");
    EXPECT_EQ(ExchangeEntries(kSourceTeleboerse, hosts).at(kTeleboerseWkn), "WKN");
}

TEST(SourceCatalogue, UnknownSourceHasNoEntriesAndNothingSelected)
{
    for (int source : {kNoEntry, -7, kSourceCount, 100}) {
        EXPECT_TRUE(ExchangeEntries(source, HostConfig{}).isEmpty()) << "source " << source;
        const ExchangeSelection selection = SelectSource(source, 0, HostConfig{});
        EXPECT_TRUE(selection.entries.isEmpty());
        EXPECT_EQ(selection.selected, kNoEntry);
    }
}

TEST(SourceCatalogue, InitialExchangeListShowsXetra)
{
    const QStringList expected = {
        "Xetra",  "Frankfurt", "Stuttgart", U(u"M\u00fcnchen"), U(u"D\u00fcsseldorf"), "Berlin",
        "Hamburg", "Bremen",   "Hannover",  "London",           "Paris",               "Milano",
        "Madrid", "Kopenhagen", "Oslo",     "Stockholm",        "Barcelona",
    };
    const ExchangeSelection initial = InitialExchangeSelection();
    EXPECT_EQ(initial.entries, expected);
    EXPECT_EQ(initial.entries.at(initial.selected), "Xetra");
}

TEST(SourceCatalogue, DefaultExchangeBeyondAShorterListSelectsNothing)
{
    const HostConfig hosts;
    const ExchangeSelection winBis = SelectSource(kSourceWinBis, 20, hosts);
    ASSERT_EQ(winBis.selected, 20);
    EXPECT_EQ(winBis.entries.at(winBis.selected), "New York Stock Exchange");

    const ExchangeSelection taiPan = SelectSource(kSourceTaiPan, 20, hosts);
    EXPECT_EQ(taiPan.entries.size(), 16);
    EXPECT_EQ(taiPan.selected, kNoEntry);

    EXPECT_EQ(SelectSource(kSourceYahoo, 20, hosts).selected, 20);
    EXPECT_EQ(SelectSource(kSourceYahoo, 22, hosts).selected, 22);
    EXPECT_EQ(SelectSource(kSourceYahoo, 23, hosts).selected, kNoEntry);
    EXPECT_EQ(SelectSource(kSourceWinBis, 21, hosts).selected, 21);
    EXPECT_EQ(SelectSource(kSourceWinBis, 22, hosts).selected, kNoEntry);
    EXPECT_EQ(SelectSource(kSourceTaiPan, 15, hosts).selected, 15);
    EXPECT_EQ(SelectSource(kSourceTaiPan, 16, hosts).selected, kNoEntry);
}

TEST(SourceCatalogue, OtherSourcesSelectTheirFirstEntryWhateverTheDefault)
{
    for (int source = 0; source < kSourceCount; ++source) {
        if (source == kSourceYahoo || source == kSourceWinBis || source == kSourceTaiPan) continue;
        EXPECT_EQ(SelectSource(source, 20, HostConfig{}).selected, 0) << "source " << source;
        EXPECT_EQ(SelectSource(source, -3, HostConfig{}).selected, 0) << "source " << source;
    }
}

TEST(SourceCatalogue, NegativeDefaultExchangeSelectsNothing)
{
    EXPECT_EQ(SelectSource(kSourceYahoo, -1, HostConfig{}).selected, kNoEntry);
    EXPECT_EQ(SelectSource(kSourceWinBis, -20, HostConfig{}).selected, kNoEntry);
    EXPECT_EQ(PreselectedEntry(kSourceComdirectAktien, 0, 0), kNoEntry);
}

}  // namespace
}  // namespace zelvon
