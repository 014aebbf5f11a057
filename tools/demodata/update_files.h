// The update server's reference data, derived from the kit: the maker's
// securities master (other security numbers, changed identifiers, teletext
// codes, sectors and fundamentals, one security the suite does not hold),
// its sector list, the standard teletext page list with new and changed
// pages, the filter files, and the price archive's day files.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "paradox/status.h"
#include "tools/demodata/catalog.h"

namespace zelvon::demodata {

// The maker's numbers are not the suite's: the update matches by name,
// Kennung and ZDF only.
inline constexpr int32_t kMakerNumberOffset = 70000;

// One maker row per suite security (the kit's, then count - kit size
// generated ones, as the large kit holds them) plus one the suite lacks.
std::vector<Security> UpdateSecurities(size_t count = KitSecurities().size());
// Name of the maker's security that no suite table holds.
inline constexpr const char* kUnknownSecurity = "Zelvon Neuemission AG";

std::vector<NamedIndex> UpdateSectors();
std::vector<TeletextPage> UpdatePages();

// Firma.DB, Firma.PX and Firma.MB (one table) and Branchen.db in directory.
paradox::Status WriteUpdateTables(const std::string& directory, const std::vector<Security>& securities);
// The standard page list as one table file, named file_name in directory.
paradox::Status WriteUpdatePageList(const std::string& directory, const std::string& file_name);

// Content of the filter file name (as the page list names it).
std::string FilterFileText(const std::string& name);

// A day file of the archive: "dd.mm.yyyy" then lines quote lines, CR LF.
std::string ArchiveDayFile(int year, int month, int day, size_t lines);

}  // namespace zelvon::demodata
