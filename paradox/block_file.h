// Block access for a .DB-style file (.DB, .PX, .X, .Y): reads a block by its
// number, decrypts it, checks its 6-byte block header, and keeps a small cache.
// Also walks the block chain once to learn where every record lives. The
// file may end inside its last block (Paradox leaves such files) as long as
// the records the block counts lie in the file; the missing bytes read as 0.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "paradox/file.h"
#include "paradox/header.h"
#include "paradox/status.h"

namespace paradox {

struct Block {
    uint32_t number = 0;
    uint16_t next = 0;
    uint16_t prev = 0;
    uint32_t record_count = 0;
    uint32_t record_size = 0;
    std::vector<uint8_t> data;  // the whole block, decrypted

    const uint8_t* Record(uint32_t i) const { return data.data() + 6 + size_t(i) * record_size; }
};

using BlockRef = std::shared_ptr<const Block>;

// One block in chain order, with the number of records before it.
struct ChainEntry {
    uint16_t block = 0;
    uint32_t record_count = 0;
    uint64_t first_record = 0;
};

class BlockFile {
public:
    // file and header must outlive the BlockFile.
    BlockFile(const RandomAccessFile* file, const FileHeader* header);

    Status ReadBlock(uint32_t number, BlockRef* block) const;
    // Drops a block from the cache after it was rewritten on disk.
    void Forget(uint32_t number);
    // Follows the chain from the header's first block; detects loops and
    // blocks outside the file.
    Status ReadChain(std::vector<ChainEntry>* chain) const;

    const FileHeader& header() const { return *header_; }
    const RandomAccessFile& file() const { return *file_; }

private:
    Status ParseBlockHeader(uint32_t number, const uint8_t* head, uint32_t* count, uint16_t* next, uint16_t* prev) const;
    uint64_t BlockOffset(uint32_t number) const;
    // Bytes of the block present in the file.
    size_t BytesInFile(uint32_t number) const;
    Status CheckRecordsInFile(uint32_t number, uint32_t count) const;

    static constexpr size_t kCacheSlots = 64;
    const RandomAccessFile* file_;
    const FileHeader* header_;
    mutable std::vector<BlockRef> cache_;
};

}  // namespace paradox
