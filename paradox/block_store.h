// The record blocks of a .DB or an .X file as their writer sees them: the
// block chain in memory, blocks read and written through the writer's own
// handle (decrypted in memory), new blocks from the free list or the end of
// the file, the counts kept in the raw header bytes, and each change passed
// on to the file's tree (.PX or .Y) when there is one. Blocks that are not
// yet reachable are written before the blocks that link them, and a grown
// block count reaches the header before any block points past the old end.
#pragma once

#include <cstdint>
#include <vector>

#include "paradox/block_file.h"
#include "paradox/tree_writer.h"
#include "paradox/writable_file.h"

namespace paradox {

class BlockStore {
public:
    // All pointers must outlive the store; chain entries' first_record is
    // left to the owner.
    BlockStore(WritableFile* file, std::vector<uint8_t>* header, uint32_t checksum, std::vector<ChainEntry>* chain);

    void set_tree(TreeWriter* tree) { tree_ = tree; }
    void set_durable(bool durable) { durable_ = durable; }

    // Block of chain entry index; its record count must match the chain.
    Status Read(size_t index, std::vector<uint8_t>* block) const;
    // Puts record before slot of chain entry index (the first block when the
    // chain is empty), splitting a full block; *block: where it now lies.
    Status Insert(size_t index, uint32_t slot, const uint8_t* record, uint16_t* block);
    Status Remove(size_t index, uint32_t slot);
    Status Replace(size_t index, uint32_t slot, const uint8_t* record);
    // The header as changed so far; fsync around it when durable.
    Status WriteHeader();

    // Blocks rewritten since the last call.
    std::vector<uint16_t> TakeRewritten();

private:
    Status ReadBlock(uint16_t number, std::vector<uint8_t>* block) const;
    Status Store(uint16_t number, std::vector<uint8_t> block);
    Status NewBlock(uint16_t* number);
    Status Relink(uint16_t number, int which, uint16_t value);
    Status InsertFirst(const uint8_t* record, uint16_t* block);
    Status Split(size_t index, uint32_t slot, const uint8_t* record, uint16_t* block);
    Status FreeBlock(size_t index);
    uint32_t Capacity() const { return (block_size_ - 6) / record_size_; }

    WritableFile* file_;
    std::vector<uint8_t>* header_;
    uint32_t checksum_;
    std::vector<ChainEntry>* chain_;
    TreeWriter* tree_ = nullptr;
    bool durable_ = false;
    uint32_t record_size_, header_size_, block_size_;
    std::vector<uint16_t> rewritten_;
};

}  // namespace paradox
