// Reading values from a table's .MB file: single-blob blocks (type 2) and
// sub-allocated blocks with 64 slots (type 3). Every block header, slot and
// length is checked against the file and the record's descriptor.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "paradox/field_codec.h"
#include "paradox/file.h"
#include "paradox/status.h"

namespace paradox {

class BlobFile {
public:
    // checksum: the table's password checksum (0 when not encrypted).
    BlobFile(std::unique_ptr<RandomAccessFile> file, uint32_t checksum);

    // The stored bytes for descriptor (whose value is not in the leader).
    Status Read(const BlobDescriptor& descriptor, std::vector<uint8_t>* bytes) const;
    const RandomAccessFile& file() const { return *file_; }
    Status UpdateSize() { return file_->UpdateSize(); }

private:
    Status ReadPlain(uint64_t offset, size_t n, uint8_t* out) const;
    Status Corrupt(uint64_t offset, const std::string& what) const;

    std::unique_ptr<RandomAccessFile> file_;
    uint32_t checksum_;
};

}  // namespace paradox
