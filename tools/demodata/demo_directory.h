// Writing a complete suite data directory for trying the program out and
// for tests: the securities master with its indexes, groups, sectors, marks,
// currencies, four watch lists, quotes, news and teletext page lists in the
// directory itself, and the depot transactions in two protected copies in
// subfolders (Depot/ with the built-in password, Depot2/ with another).
#pragma once

#include <cstddef>
#include <string>

#include "paradox/status.h"
#include "tools/demodata/catalog.h"
#include "tools/demodata/table_loader.h"

namespace zelvon::demodata {

inline constexpr size_t kLargeSecurities = 50000;
inline constexpr size_t kLargeOpenPositions = 5000;

struct DemoOptions {
    // At least the kit's own securities; more are generated.
    size_t securities = KitSecurities().size();
    // At least the kit's own open positions; more are generated.
    size_t open_positions = KitOpenPositionCount();
    // Firma.db with Internet and Memo (21 fields) or without (11 fields).
    bool memo_fields = true;
    // Internet.db with the kit's per-group source defaults; without it the
    // program creates an empty one at start.
    bool internet_defaults = false;

    // 50,000 securities and 5,000 open positions, for benchmarks.
    static DemoOptions Large();
};

// The row of s in a table of Firma.db's structure (fields it lacks left out).
Row FirmaRow(const TableDefinition& definition, const Security& s);

// Creates directory (and its parents) when missing and writes every table;
// existing tables of the same names are replaced.
paradox::Status CreateDemoDataDirectory(const std::string& directory, const DemoOptions& options);

}  // namespace zelvon::demodata
