// Building a PX-style index tree (.PX over a table's data blocks): leaf
// entries name each data block with its first key and record count; upper
// levels are built bottom-up. The whole file is produced at once because it
// is small next to the table and always derivable from the data blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "paradox/status.h"

namespace paradox {

struct IndexEntry {
    std::vector<uint8_t> key;
    uint16_t child = 0;
    uint32_t count = 0;
};

// header: the index file's header bytes (read from the existing file or a
// template), updated here. Returns the complete file.
Status BuildIndexTree(std::vector<uint8_t> header, const std::vector<IndexEntry>& leaves, std::string* file);

}  // namespace paradox
