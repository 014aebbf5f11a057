// Empty secondary index files (.XGn and .YGn) for a table that has none yet:
// headers laid out like those Paradox writes for a maintained composite
// index, with no entries. RebuildSecondaryIndex fills them afterwards.
#pragma once

#include <string>
#include <vector>

#include "paradox/table.h"

namespace zelvon::demodata {

struct SecondaryIndexDefinition {
    std::string name;                 // e.g. "IFirma"
    std::vector<std::string> fields;  // indexed fields, in order
};

// Writes <table stem>.XG<number> and .YG<number> beside the table. The index
// holds the indexed fields, then the primary key fields not already among
// them, then the block hint.
paradox::Status CreateSecondaryIndexFiles(const paradox::Table& table, const SecondaryIndexDefinition& index, int number);

}  // namespace zelvon::demodata
