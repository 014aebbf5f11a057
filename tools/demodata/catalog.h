// The content of the demo data kit: the securities, groups, sectors, marks,
// currencies, watch lists, depot transactions, quotes, news and teletext
// page lists it writes. Tests read their expectations from here instead of
// repeating the data. Everything is fixed: every run writes the same rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelvon::demodata {

// The built-in table password of the suite; the depot table uses it.
inline constexpr const char* kDepotPassword = "SilverMoose";
// The second depot copy is protected with a password nobody knows at start.
inline constexpr const char* kOtherDepotPassword = "Andere";
inline constexpr const char* kDepotFolder = "Depot";
inline constexpr const char* kOtherDepotFolder = "Depot2";

struct CalendarDate {
    int year = 0, month = 0, day = 0;  // year 0: none
    bool empty() const { return year == 0; }
};

struct Security {
    int32_t firma;
    std::string name;  // FirmenName
    std::string kennung, wkn, isin, ticker, waehrung;
    int32_t gruppe, branche, merkmal;
    bool aktiv;
    std::string zdf, ntv, sf1, sender4;
    std::string internet, memo;
    double gewinn, cashflow, dividende, aktienzahl;
};

// GruppenIndex and GruppenName: the layout of Gruppen.db, Branchen.db and merkmal.db.
struct NamedIndex {
    int32_t index;
    std::string name;
};

struct Transaction {
    int32_t firma;
    CalendarDate datum;  // purchase date
    int32_t nummer;
    double anzahl, kurs;
    CalendarDate verkauf;  // empty: still held
    double verkaufskurs;   // 0 while held
};

struct IntradayQuote {
    int32_t firma;
    CalendarDate day;
    int hour, minute;
    double kurs;
    int32_t volumen;
};

struct NewsItem {
    int32_t nummer, firma;
    std::string nachricht;
    CalendarDate day;
    int hour, minute;
    bool aktiv;
};

struct TeletextPage {
    std::string seite_name, sender, filter;
    int32_t seiten_von, seiten_bis;
    std::string beschreibung;
};

// A per-group default of source and exchange (Internet.db).
struct SourceDefault {
    int32_t gruppe, quelle, boerse;
};

// Group numbers the kit uses.
enum GroupIndex : int32_t {
    kAllGroup = 0,
    kGermanShares = 1,
    kUsShares = 2,
    kSwissShares = 3,
    kFunds = 4,
    kWarrants = 5,
    kIndices = 6,
    kSmallCaps = 7,
    kCertificates = 8,
    kWinBisShares = 9,
    kTaiPanShares = 10,
};

const std::vector<Security>& KitSecurities();
// Gruppen.db in table order; the first record is the group that admits every security.
const std::vector<NamedIndex>& KitGroups();
const std::vector<NamedIndex>& KitSectors();
const std::vector<NamedIndex>& KitMarks();
const std::vector<std::string>& KitCurrencies();
// Security numbers on watch list k (1..4: Watch.db, Watch2.db, Watch3.db, Watch4.db).
const std::vector<int32_t>& KitWatchList(int k);
const std::vector<Transaction>& KitTransactions();
const std::vector<IntradayQuote>& KitIntraday();
const std::vector<NewsItem>& KitNews();
// DDESeiten.Db; TVAktiv.Db and DDEAktiv.Db hold the pages marked active.
const std::vector<TeletextPage>& KitTeletextPages();
const std::vector<TeletextPage>& KitActiveTvPages();
const std::vector<TeletextPage>& KitActiveDdePages();

const std::vector<SourceDefault>& KitSourceDefaults();

// What the local quote feeds serve for the WinBis and TaiPan groups: one
// topic<TAB>item<TAB>value line each, for the feed simulator's files.
struct FeedValue {
    std::string service, topic, item, value;  // UTF-8
};
const std::vector<FeedValue>& KitFeedValues();
// Transactions not sold.
size_t KitOpenPositionCount();

const Security* FindKitSecurity(int32_t firma);

}  // namespace zelvon::demodata
