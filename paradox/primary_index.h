// The .PX primary index: a B-tree whose leaf entries point at data blocks.
// Used to find the data block where a key starts without reading the table.
#pragma once

#include <memory>
#include <string>

#include "paradox/block_file.h"
#include "paradox/key.h"

namespace paradox {

class PrimaryIndex {
public:
    // Opens path and checks that it belongs to a table with table_header.
    static Status Open(const std::string& path, const FileHeader& table_header, std::unique_ptr<PrimaryIndex>* index);

    // The data block to start from when looking for the first record whose
    // first n key fields are >= key (> key when upper): every record in
    // earlier blocks is below that bound.
    Status FindDataBlock(const KeyLayout& layout, const uint8_t* key, size_t n, bool upper, uint16_t* data_block) const;

    // Reads the header again after a writer changed the file in place;
    // rewritten blocks leave the cache.
    Status Refresh(const FileHeader& table_header, const std::vector<uint16_t>& rewritten);

    const FileHeader& header() const { return header_; }
    const BlockFile& blocks() const { return *blocks_; }
    // Key of entry i of an index block, and its child block number.
    static uint16_t ChildOf(const Block& block, uint32_t entry, uint32_t key_width);
    static uint16_t CountOf(const Block& block, uint32_t entry, uint32_t key_width);

private:
    std::unique_ptr<RandomAccessFile> file_;
    FileHeader header_;
    std::unique_ptr<BlockFile> blocks_;
    uint16_t table_blocks_ = 0;
};

}  // namespace paradox
