// Read-only random access to one file, with every read checked against the
// file's size, and a directory lookup that ignores the letter case of names.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "paradox/status.h"

namespace paradox {

class RandomAccessFile {
public:
    virtual ~RandomAccessFile() = default;
    // Reads exactly n bytes at offset; a read past the end is a corruption error.
    virtual Status Read(uint64_t offset, size_t n, uint8_t* out) const = 0;
    virtual uint64_t Size() const = 0;
    // File name without directory, as used in error messages.
    virtual const std::string& Name() const = 0;
    // Learns the size again after the file grew through another handle.
    virtual Status UpdateSize() { return Status::Ok(); }
};

Status OpenFile(const std::string& path, std::unique_ptr<RandomAccessFile>* file);
// A file held in memory (used for data that did not come from disk).
std::unique_ptr<RandomAccessFile> NewMemoryFile(std::string name, std::vector<uint8_t> bytes);

// Path of the entry in dir whose name equals name ignoring ASCII case; the
// exact name wins when it exists. Empty when there is none.
std::string FindIgnoringCase(const std::string& dir, const std::string& name);
// Names in dir (without directory), in no particular order.
std::vector<std::string> ListDirectory(const std::string& dir);
std::string BaseName(const std::string& path);
std::string DirName(const std::string& path);
bool EqualsIgnoringCase(const std::string& a, const std::string& b);

}  // namespace paradox
