#include "tools/demodata/demo_directory.h"

#include <filesystem>
#include <utility>

#include "tools/demodata/generated.h"
#include "tools/demodata/tables.h"

namespace zelvon::demodata {
namespace {

using paradox::Status;
using paradox::Value;
using NamedValues = std::vector<std::pair<std::string, Value>>;

// The row for the fields the table has; values for fields it lacks are left out.
Row Project(const TableDefinition& definition, const NamedValues& values) {
    Row row;
    for (const paradox::FieldSpec& f : definition.fields) {
        Value v = Null();
        for (const auto& [name, value] : values)
            if (name == f.name) v = value;
        row.push_back(v);
    }
    return row;
}

Value Optional(double v) { return v == 0 ? Null() : Number(v); }

Value DateOf(const CalendarDate& d) { return d.empty() ? Null() : Date(d.year, d.month, d.day); }

Status WriteFirma(const std::string& dir, const DemoOptions& options, std::vector<int32_t>* generated) {
    TableDefinition definition = FirmaTable(options.memo_fields);
    std::vector<Row> rows;
    rows.reserve(options.securities);
    for (const Security& s : KitSecurities()) rows.push_back(FirmaRow(definition, s));
    for (size_t n = 0; rows.size() < options.securities; ++n) {
        Security s = GeneratedSecurity(n);
        generated->push_back(s.firma);
        rows.push_back(FirmaRow(definition, s));
    }
    return WriteTable(dir, definition, rows);
}

Status WriteNamedIndexTable(const std::string& dir, const std::string& file, const std::vector<NamedIndex>& entries) {
    std::vector<Row> rows;
    for (const NamedIndex& e : entries) rows.push_back({Integer(e.index), Text(e.name)});
    return WriteTable(dir, GroupTable(file), rows);
}

Status WriteLookups(const std::string& dir) {
    PX_RETURN_IF_ERROR(WriteNamedIndexTable(dir, "Gruppen.db", KitGroups()));
    PX_RETURN_IF_ERROR(WriteNamedIndexTable(dir, "Branchen.db", KitSectors()));
    PX_RETURN_IF_ERROR(WriteNamedIndexTable(dir, "merkmal.db", KitMarks()));
    std::vector<Row> currencies;
    for (const std::string& c : KitCurrencies()) currencies.push_back({Text(c)});
    return WriteTable(dir, CurrencyTable(), currencies);
}

Status WriteWatchLists(const std::string& dir) {
    for (int k = 1; k <= 4; ++k) {
        std::vector<Row> rows;
        for (int32_t firma : KitWatchList(k)) rows.push_back({Integer(firma)});
        PX_RETURN_IF_ERROR(WriteTable(dir, WatchTable(WatchFileName(k)), rows));
    }
    return Status::Ok();
}

Value SaleTime(const CalendarDate& d) { return d.empty() ? Null() : Timestamp(d.year, d.month, d.day, 0, 0, 0); }

Status WriteDepot(const std::string& dir, const std::string& password, const std::vector<Transaction>& transactions) {
    std::vector<Row> rows;
    rows.reserve(transactions.size());
    for (const Transaction& t : transactions)
        rows.push_back({Integer(t.firma), DateOf(t.datum), Integer(t.nummer), Number(t.anzahl), Number(t.kurs),
                        SaleTime(t.verkauf), Optional(t.verkaufskurs)});
    return WriteTable(dir, TransactionTable(password), rows);
}

Status WriteQuotesAndNews(const std::string& dir) {
    std::vector<Row> quotes;
    for (const IntradayQuote& q : KitIntraday())
        quotes.push_back({Integer(q.firma), Timestamp(q.day.year, q.day.month, q.day.day, q.hour, q.minute, 0),
                          Number(q.kurs), Integer(q.volumen)});
    PX_RETURN_IF_ERROR(WriteTable(dir, IntradayTable(), quotes));
    std::vector<Row> news;
    for (const NewsItem& n : KitNews())
        news.push_back({Integer(n.nummer), Integer(n.firma), Text(n.nachricht),
                        Timestamp(n.day.year, n.day.month, n.day.day, n.hour, n.minute, 0), Logical(n.aktiv)});
    return WriteTable(dir, NewsTable(), news);
}

Status WritePages(const std::string& dir, const std::string& file, const std::vector<TeletextPage>& pages) {
    std::vector<Row> rows;
    for (const TeletextPage& p : pages)
        rows.push_back({Text(p.seite_name), Text(p.sender), Text(p.filter), Integer(p.seiten_von), Integer(p.seiten_bis),
                        Text(p.beschreibung)});
    return WriteTable(dir, TeletextTable(file), rows);
}

Status WriteTeletext(const std::string& dir) {
    PX_RETURN_IF_ERROR(WritePages(dir, "DDESeiten.Db", KitTeletextPages()));
    PX_RETURN_IF_ERROR(WritePages(dir, "TVAktiv.Db", KitActiveTvPages()));
    return WritePages(dir, "DDEAktiv.Db", KitActiveDdePages());
}

Status WriteInternetDefaults(const std::string& dir) {
    std::vector<Row> rows;
    for (const SourceDefault& d : KitSourceDefaults())
        rows.push_back({Integer(d.gruppe), Integer(d.quelle), Integer(d.boerse)});
    return WriteTable(dir, InternetDefaultsTable(), rows);
}

Status MakeDirectory(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec) return Status::IoError("Verzeichnis " + path.string() + " kann nicht angelegt werden: " + ec.message());
    return Status::Ok();
}

Status CheckOptions(const DemoOptions& options) {
    if (options.securities < KitSecurities().size())
        return Status::InvalidArgument("Demodaten: mindestens " + std::to_string(KitSecurities().size()) + " Wertpapiere");
    if (options.open_positions < KitOpenPositionCount())
        return Status::InvalidArgument("Demodaten: mindestens " + std::to_string(KitOpenPositionCount()) + " offene Positionen");
    return Status::Ok();
}

std::vector<Transaction> DepotTransactions(const DemoOptions& options, const std::vector<int32_t>& generated) {
    std::vector<Transaction> all = KitTransactions();
    size_t extra = options.open_positions - KitOpenPositionCount();
    if (extra == 0) return all;
    std::vector<int32_t> firmen = generated;
    if (firmen.empty())
        for (const Security& s : KitSecurities())
            if (!s.kennung.empty()) firmen.push_back(s.firma);
    std::vector<Transaction> more = GeneratedPositions(extra, firmen);
    all.insert(all.end(), more.begin(), more.end());
    return all;
}

}  // namespace

Row FirmaRow(const TableDefinition& definition, const Security& s) {
    return Project(definition, {{"Firma", Integer(s.firma)},         {"FirmenName", Text(s.name)},
                          {"Kennung", Text(s.kennung)},        {"WKN", Text(s.wkn)},
                          {"ISIN", Text(s.isin)},              {"Ticker", Text(s.ticker)},
                          {"Waehrung", Text(s.waehrung)},      {"Gruppe", Integer(s.gruppe)},
                          {"Branche", Integer(s.branche)},     {"Merkmal", Integer(s.merkmal)},
                          {"Aktiv", Logical(s.aktiv)},         {"ZDF", Text(s.zdf)},
                          {"N-TV", Text(s.ntv)},               {"SF1", Text(s.sf1)},
                          {"Sender4", Text(s.sender4)},        {"Internet", Text(s.internet)},
                          {"Memo", Memo(s.memo)},              {"Gewinn", Optional(s.gewinn)},
                          {"Cashflow", Optional(s.cashflow)},  {"Dividende", Optional(s.dividende)},
                          {"Aktienzahl", Optional(s.aktienzahl)}});
}

DemoOptions DemoOptions::Large() {
    DemoOptions o;
    o.securities = kLargeSecurities;
    o.open_positions = kLargeOpenPositions;
    return o;
}

Status CreateDemoDataDirectory(const std::string& directory, const DemoOptions& options) {
    PX_RETURN_IF_ERROR(CheckOptions(options));
    const std::filesystem::path home(directory);
    PX_RETURN_IF_ERROR(MakeDirectory(home / kDepotFolder));
    PX_RETURN_IF_ERROR(MakeDirectory(home / kOtherDepotFolder));
    std::vector<int32_t> generated;
    PX_RETURN_IF_ERROR(WriteFirma(directory, options, &generated));
    PX_RETURN_IF_ERROR(WriteLookups(directory));
    PX_RETURN_IF_ERROR(WriteWatchLists(directory));
    std::vector<Transaction> transactions = DepotTransactions(options, generated);
    PX_RETURN_IF_ERROR(WriteDepot((home / kDepotFolder).string(), kDepotPassword, transactions));
    PX_RETURN_IF_ERROR(WriteDepot((home / kOtherDepotFolder).string(), kOtherDepotPassword, transactions));
    PX_RETURN_IF_ERROR(WriteQuotesAndNews(directory));
    PX_RETURN_IF_ERROR(WriteTeletext(directory));
    if (options.internet_defaults) return WriteInternetDefaults(directory);
    return paradox::DeleteTable(directory + "/" + InternetDefaultsTable().file_name);
}

}  // namespace zelvon::demodata
