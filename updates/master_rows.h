// Reading the two sides of the master update into memory: the downloaded
// update table (every value checked against Firma.Db's fields before any
// row changes) and Firma.Db's compared fields in IFirma order.
#pragma once

#include "db/table.h"
#include "updates/firma_matcher.h"

#include <vector>

namespace zelvon::updates {

struct MasterRow {
    MatchKeys keys;
    db::Variant ntv;      // N-TV, copied as it is (empty included)
    db::Variant branche;  // Branche, copied as it is
    double dividende = 0, gewinn = 0, cashflow = 0, aktienzahl = 0;
};

// The fields the merge reads from the update table and writes into Firma.Db.
inline constexpr const char* kMasterFields[] = {"FirmenName", "Kennung",  "ZDF",     "N-TV",      "Branche",
                                                "Dividende",  "Gewinn",   "Cashflow", "Aktienzahl"};

// All rows of update in its primary order. Raises naming table, field and
// row when a row cannot be read or a value would not fit into firma.
std::vector<MasterRow> ReadMasterRows(db::Table& update, const db::Table& firma);

// Firma, FirmenName, Kennung and ZDF of every row of firma, which must be
// open with the index IFirma.
std::vector<SuiteRow> ReadSuiteRows(db::Table& firma);

}  // namespace zelvon::updates
