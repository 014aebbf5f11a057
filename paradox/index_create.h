// Adding a secondary index to a table: .XGn and .YGn headers laid out like
// those Paradox writes for a composite index (index fields, then the primary
// key fields not among them and the block hint; for a table without a key
// the record number, block and slot), filled from the table's records.
#pragma once

#include <string>
#include <vector>

#include "paradox/table.h"

namespace paradox {

struct SecondaryIndexSpec {
    std::string name;                 // e.g. "IFirma"
    std::vector<std::string> fields;  // indexed fields, in order
    bool case_insensitive = false;
};

// Writes the next free <stem>.XGn/.YGn pair beside the table;
// *x_path: the new .XGn.
Status CreateSecondaryIndex(const Table& table, const SecondaryIndexSpec& spec, std::string* x_path);

}  // namespace paradox
