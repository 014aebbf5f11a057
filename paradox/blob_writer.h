// Appending values to a table's .MB: each value larger than its record
// leader gets a single-blob block at the end of the file. Blocks are written
// before the record that points at them, so a crash leaves at most an
// unreferenced block behind.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "paradox/field_codec.h"
#include "paradox/writable_file.h"

namespace paradox {

class BlobWriter {
public:
    // checksum: the table's password checksum (0 when not encrypted).
    static Status Open(const std::string& path, uint32_t checksum, std::unique_ptr<BlobWriter>* writer);

    // Stores bytes; descriptor->leader_size must be set, the rest is filled in.
    Status Append(const std::vector<uint8_t>& bytes, BlobDescriptor* descriptor);

private:
    BlobWriter() = default;
    Status AppendLocked(const std::vector<uint8_t>& bytes, BlobDescriptor* descriptor);
    std::unique_ptr<WritableFile> file_;
    std::string path_;
    uint32_t checksum_ = 0;
    uint64_t end_ = 0;
    std::vector<uint8_t> header_;  // the first chunk, decrypted
};

}  // namespace paradox
