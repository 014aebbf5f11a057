// Block access for a .DB-style file (.DB, .PX, .X, .Y): reads a block by its
// number, decrypts it, checks its 6-byte block header, and keeps it in a
// cache sized to the file up to a memory bound, so that a walk in any order
// reads each block from disk at most once. A block that is not cached is read
// together with the uncached blocks that follow it, in one read. Also walks
// the block chain once to learn where every record lives. The file may end
// inside its last block (Paradox leaves such files) as long as the records
// the block counts lie in the file; the missing bytes read as 0.
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
    // Bytes of decrypted blocks one file keeps at most (tables up to this
    // size are cached whole; larger ones keep the blocks read last).
    static constexpr size_t kDefaultCacheBytes = size_t(32) << 20;
    // Blocks read from disk in one go.
    static constexpr uint32_t kRunBlocks = 32;

    // file and header must outlive the BlockFile.
    BlockFile(const RandomAccessFile* file, const FileHeader* header, size_t cache_bytes = kDefaultCacheBytes);

    Status ReadBlock(uint32_t number, BlockRef* block) const;
    // Drops a block from the cache after it was rewritten on disk.
    void Forget(uint32_t number);
    // Follows the chain from the header's first block; detects loops and
    // blocks outside the file.
    Status ReadChain(std::vector<ChainEntry>* chain) const;

    const FileHeader& header() const { return *header_; }
    const RandomAccessFile& file() const { return *file_; }
    // Bytes of blocks held now, and reads issued to the file so far.
    size_t cached_bytes() const { return cached_blocks_ * size_t(header_->block_size); }
    uint64_t disk_reads() const { return disk_reads_; }

private:
    Status ParseBlockHeader(uint32_t number, const uint8_t* head, uint32_t* count, uint16_t* next, uint16_t* prev) const;
    uint64_t BlockOffset(uint32_t number) const;
    // Bytes of the block present in the file.
    size_t BytesInFile(uint32_t number) const;
    Status CheckRecordsInFile(uint32_t number, uint32_t count) const;
    const BlockRef* Cached(uint32_t number) const;
    // Reads block number and the uncached blocks after it; the first block's
    // faults are returned, a following block that does not parse is left out.
    Status ReadRun(uint32_t number, BlockRef* first) const;
    Status MakeBlock(uint32_t number, const uint8_t* bytes, size_t present, BlockRef* block) const;
    void Keep(BlockRef block) const;
    size_t CapacityBlocks() const;

    const RandomAccessFile* file_;
    const FileHeader* header_;
    size_t cache_bytes_;
    mutable std::vector<BlockRef> cache_;  // by block number
    mutable size_t cached_blocks_ = 0;
    mutable uint32_t hand_ = 0;  // where the next eviction starts looking
    mutable uint64_t disk_reads_ = 0;
    mutable std::vector<uint8_t> run_buffer_;
};

}  // namespace paradox
