#include "tools/demodata/tables.h"

namespace zelvon::demodata {
namespace {

using paradox::FieldSpec;
using paradox::FieldType;

FieldSpec Alpha(const std::string& name, int size) { return {name, FieldType::kAlpha, size, false}; }
FieldSpec Long(const std::string& name, bool required = false) { return {name, FieldType::kLong, 0, required}; }
FieldSpec Num(const std::string& name) { return {name, FieldType::kNumber, 0, false}; }
FieldSpec Bool(const std::string& name) { return {name, FieldType::kLogical, 0, false}; }
FieldSpec Stamp(const std::string& name) { return {name, FieldType::kTimestamp, 0, false}; }

}  // namespace

TableDefinition FirmaTable(bool memo_fields) {
    TableDefinition t;
    t.file_name = "Firma.db";
    t.key_fields = 1;
    if (memo_fields) {
        t.fields = {Long("Firma"),  Alpha("FirmenName", 50), Alpha("Kennung", 12), Alpha("WKN", 6),
                    Alpha("ISIN", 12), Alpha("Ticker", 12),   Alpha("Waehrung", 3), Long("Gruppe"),
                    Long("Branche"), Long("Merkmal"),         Bool("Aktiv"),        Alpha("ZDF", 10),
                    Alpha("N-TV", 10), Alpha("SF1", 10),      Alpha("Sender4", 10), Alpha("Internet", 60),
                    {"Memo", FieldType::kMemo, 60, false},    Num("Gewinn"),        Num("Cashflow"),
                    Num("Dividende"), Num("Aktienzahl")};
    } else {
        t.fields = {Long("Firma"),  Alpha("FirmenName", 50), Alpha("Kennung", 12), Alpha("ISIN", 12),
                    Alpha("Ticker", 12), Alpha("Waehrung", 3), Long("Gruppe"),       Long("Branche"),
                    Long("Merkmal"), Bool("Aktiv"),           Alpha("ZDF", 10)};
    }
    t.indexes = {{"IFirma", {"FirmenName"}}, {"IWKN", {"Kennung"}}};
    return t;
}

TableDefinition GroupTable(const std::string& file_name) {
    return {file_name, {Long("GruppenIndex"), Alpha("GruppenName", 30)}, 0, "", {}};
}

TableDefinition CurrencyTable() { return {"Waehrung.db", {Alpha("Symbol", 3)}, 0, "", {}}; }

TableDefinition WatchTable(const std::string& file_name) { return {file_name, {Long("Firma")}, 1, "", {}}; }

TableDefinition TransactionTable(const std::string& password) {
    return {"Transaktionen.db",
            {Long("Firma"), {"Datum", FieldType::kDate, 0, false}, Long("Nummer"), Num("Anzahl"), Num("Kurs"),
             Stamp("Verkauf"), Num("Verkaufskurs")},
            3,
            password,
            {}};
}

TableDefinition IntradayTable() {
    return {"Intraday.db", {Long("Firma"), Stamp("Zeit"), Num("Kurs"), Long("Volumen")}, 2, "", {}};
}

TableDefinition NewsTable() {
    return {"Nachrichten.db", {Long("Nummer"), Long("Firma"), Alpha("Nachricht", 200), Stamp("Zeit"), Bool("Aktiv")}, 1, "", {}};
}

TableDefinition TeletextTable(const std::string& file_name) {
    return {file_name,
            {Alpha("SeiteName", 30), Alpha("Sender", 10), Alpha("Filter", 30), Long("SeitenVon"), Long("SeitenBis"),
             Alpha("Beschreibung", 60)},
            0,
            "",
            {}};
}

TableDefinition InternetDefaultsTable() {
    return {"Internet.db", {Long("GruppenIndex", true), Long("QuelleIndex", true), Long("BoerseIndex", true)}, 0, "", {}};
}

std::string WatchFileName(int list) { return list == 1 ? "Watch.db" : "Watch" + std::to_string(list) + ".db"; }

}  // namespace zelvon::demodata
