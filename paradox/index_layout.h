// The record layout of a secondary index data file (.Xnn/.XGn): the indexed
// fields (for a keyed table followed by the primary key fields not among
// them), then the fields that point back into the table. A keyed table's
// index ends in "Blk Num"; one of a table without a primary key ends in
// "Tup No" (record number, from 1), "Blk Num" and "Tup Offset" (slot in the
// block, from 0).
#pragma once

#include <cstdint>
#include <string>

#include "paradox/header.h"
#include "paradox/status.h"

namespace paradox {

struct IndexLayout {
    size_t value_fields = 0;    // fields holding table values
    uint32_t value_width = 0;   // their bytes at the start of each entry
    bool record_hints = false;  // "Tup No" and "Tup Offset" present
    uint32_t tup_no_offset = 0, block_offset = 0, slot_offset = 0;
};

// Works the layout out from the .X header; Corruption naming file_name when
// the trailing fields are none of the two forms.
Status ParseIndexLayout(const FileHeader& x, const std::string& file_name, IndexLayout* layout);

// The pointer fields of one entry.
void StoreEntryHints(const IndexLayout& layout, uint64_t record_number, uint16_t block, uint32_t slot, uint8_t* entry);
uint16_t EntryBlock(const IndexLayout& layout, const uint8_t* entry);

}  // namespace paradox
