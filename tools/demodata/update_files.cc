#include "tools/demodata/update_files.h"

#include <cstdio>

#include "tools/demodata/demo_directory.h"
#include "tools/demodata/generated.h"
#include "tools/demodata/tables.h"

namespace zelvon::demodata {
namespace {

using paradox::Status;

// Identifiers and codes as the maker renames them: the same length rules as
// the suite's fields (Kennung 12, ZDF and N-TV 10).
Security Changed(Security s, size_t n) {
    s.firma += kMakerNumberOffset;
    if (n % 3 == 0 && s.kennung.size() < 12) s.kennung = "N" + s.kennung;
    if (!s.zdf.empty()) s.zdf = s.zdf.substr(0, 8) + "-2";
    s.ntv = "NT" + std::to_string(n % 100000);
    s.branche = s.branche % 5 + 1;
    s.gewinn = s.gewinn * 1.1 + 0.01;
    s.cashflow = s.cashflow * 1.2 + 0.02;
    s.dividende = s.dividende + 0.05;
    s.aktienzahl = s.aktienzahl + 1000;
    return s;
}

Security Unknown() {
    Security s = KitSecurities().front();
    s.firma = kMakerNumberOffset - 1;
    s.name = kUnknownSecurity;
    s.kennung = "NEU001";
    s.zdf = "NEUEM";
    s.ntv = "NEU";
    return s;
}

}  // namespace

std::vector<Security> UpdateSecurities(size_t count) {
    std::vector<Security> rows;
    const auto& kit = KitSecurities();
    for (size_t n = 0; n < kit.size(); ++n) rows.push_back(Changed(kit[n], n));
    // The maker has no Kennung for the second one, no dividend for the
    // fourth, and renamed the third (found by its Kennung then).
    if (rows.size() > 3) {
        rows[1].kennung.clear();
        rows[3].dividende = 0;
        rows[2].name += " (neu)";
    }
    for (size_t n = 0; kit.size() + n < count; ++n) rows.push_back(Changed(GeneratedSecurity(n), kit.size() + n));
    rows.push_back(Unknown());
    return rows;
}

std::vector<NamedIndex> UpdateSectors() {
    std::vector<NamedIndex> sectors;
    for (const NamedIndex& s : KitSectors()) sectors.push_back({s.index, s.name + " (neu)"});
    sectors.push_back({int32_t(KitSectors().size() + 1), "Raumfahrt"});
    return sectors;
}

std::vector<TeletextPage> UpdatePages() {
    std::vector<TeletextPage> pages = KitTeletextPages();
    pages[0].seiten_bis += 2;
    pages[1].filter = "NTVDAX2.vtf";
    pages.push_back({"n-tv Devisen", "N-TV", "NTVDEVL.vtf", 250, 251, "Devisen bei n-tv (re)"});
    pages.push_back({"ZDF Fonds", "ZDF", "zdffonds.vtf", 560, 562, "Fonds im ZDF-Text"});
    return pages;
}

Status WriteUpdateTables(const std::string& directory, const std::vector<Security>& securities) {
    TableDefinition firma = FirmaTable(true);
    firma.file_name = "Firma.DB";
    firma.indexes.clear();
    std::vector<Row> rows;
    rows.reserve(securities.size());
    for (const Security& s : securities) rows.push_back(FirmaRow(firma, s));
    PX_RETURN_IF_ERROR(WriteTable(directory, firma, rows));
    std::vector<Row> sectors;
    for (const NamedIndex& s : UpdateSectors()) sectors.push_back({Integer(s.index), Text(s.name)});
    return WriteTable(directory, GroupTable("Branchen.db"), sectors);
}

Status WriteUpdatePageList(const std::string& directory, const std::string& file_name) {
    std::vector<Row> rows;
    for (const TeletextPage& p : UpdatePages())
        rows.push_back({Text(p.seite_name), Text(p.sender), Text(p.filter), Integer(p.seiten_von), Integer(p.seiten_bis),
                        Text(p.beschreibung)});
    return WriteTable(directory, TeletextTable(file_name), rows);
}

std::string FilterFileText(const std::string& name) {
    return "; Videotext-Filter " + name + "\r\nZeilen=2-23\r\nSpalten=1-40\r\n";
}

std::string ArchiveDayFile(int year, int month, int day, size_t lines) {
    char date[16];
    std::snprintf(date, sizeof date, "%02d.%02d.%04d", day, month, year);
    std::string text = std::string(date) + "\r\n";
    const auto& kit = KitSecurities();
    for (size_t i = 0; i < lines; ++i) {
        const Security& s = kit[i % kit.size()];
        char line[128];
        std::snprintf(line, sizeof line, "%s\t%zu,%02zu\t%02zu:%02zu\t%zu\r\n", s.zdf.empty() ? s.kennung.c_str() : s.zdf.c_str(),
                      10 + i % 500, i % 100, 9 + i / 60 % 9, i % 60, 100 * (i + 1));
        text += line;
    }
    return text;
}

}  // namespace zelvon::demodata
