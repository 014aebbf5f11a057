// Rebuilding a table into a new file: the structure is taken over from the
// source and every record is posted through the normal write path, in
// source order or shuffled (which exercises keyed inserts and block splits).
// Secondary indexes follow with their file names and index names (headers
// taken over, entries rebuilt once at the end), and the .VAL is copied as it
// is: the new table keeps the field numbers and structure stamp it refers to.
#pragma once

#include <cstdint>
#include <string>

#include "paradox/table.h"

namespace paradox {

struct CopyOptions {
    bool shuffle = false;
    uint32_t seed = 1;
};

Status CopyTable(const std::string& source, const std::string& destination, const OpenOptions& open,
                 const CopyOptions& options);

}  // namespace paradox
