// Rebuilding a table's secondary indexes after a change: the .X is written
// anew from the records in index order (keys as the reader builds them, the
// data block as the hint), and its .Y over the .X blocks. Both files are
// swapped in by rename, so a reader sees the old or the new index. The .X
// takes the table's change count as its stamp (header byte 0x2F).
#pragma once

#include "paradox/secondary_index.h"

namespace paradox {

Status RebuildSecondaryIndex(const Table& table, const SecondaryIndexInfo& info, bool sync);

}  // namespace paradox
