// What a writer remembers about the files of a table between two posts
// (identity, size, modification time), so that it can tell cheaply whether
// another process changed any of them in the meantime.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "paradox/status.h"

namespace paradox {

struct FileStamp {
    std::string path;
    uint64_t device = 0, inode = 0, size = 0;
    int64_t modified_ns = 0;
    bool operator==(const FileStamp&) const = default;
};

// Stamps of paths (a missing file gets an empty stamp).
std::vector<FileStamp> StampFiles(const std::vector<std::string>& paths);

}  // namespace paradox
