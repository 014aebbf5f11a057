#include "paradox/block_store.h"

#include <algorithm>
#include <cstring>

#include "paradox/bytes.h"
#include "paradox/crypt.h"
#include "paradox/file.h"

namespace paradox {
namespace {

constexpr int kNext = 0;
constexpr int kPrev = 2;

void SetCount(std::vector<uint8_t>* block, uint32_t count, uint32_t record_size) {
    StoreLe16(&(*block)[4], uint16_t(int16_t((int32_t(count) - 1) * int32_t(record_size))));
}

uint32_t CountOf(const std::vector<uint8_t>& block, uint32_t record_size) {
    return uint32_t(int32_t(int16_t(LoadLe16(&block[4]))) + int32_t(record_size)) / record_size;
}

}  // namespace

BlockStore::BlockStore(WritableFile* file, std::vector<uint8_t>* header, uint32_t checksum, std::vector<ChainEntry>* chain)
    : file_(file), header_(header), checksum_(checksum), chain_(chain) {
    record_size_ = LoadLe16(&(*header)[0x00]);
    header_size_ = LoadLe16(&(*header)[0x02]);
    block_size_ = uint32_t((*header)[0x05]) * 1024;
}

Status BlockStore::ReadBlock(uint16_t number, std::vector<uint8_t>* block) const {
    // A last block the file ends inside reads as zeros past the end; the
    // block is written back whole.
    block->assign(block_size_, 0);
    uint64_t offset = header_size_ + uint64_t(number - 1) * block_size_, size;
    PX_RETURN_IF_ERROR(file_->Size(&size));
    size_t present = offset >= size ? 0 : size_t(std::min<uint64_t>(block_size_, size - offset));
    PX_RETURN_IF_ERROR(file_->Read(offset, present, block->data()));
    if (checksum_) DecryptDbBlock(block->data(), block->size(), checksum_, number);
    return Status::Ok();
}

Status BlockStore::Read(size_t index, std::vector<uint8_t>* block) const {
    const ChainEntry& e = (*chain_)[index];
    PX_RETURN_IF_ERROR(ReadBlock(e.block, block));
    if (CountOf(*block, record_size_) != e.record_count)
        return Status::Corruption(BaseName(file_->path()) + ": block " + std::to_string(e.block) +
                                  " was changed by another writer");
    return Status::Ok();
}

Status BlockStore::Store(uint16_t number, std::vector<uint8_t> block) {
    if (checksum_) EncryptDbBlock(block.data(), block.size(), checksum_, number);
    rewritten_.push_back(number);
    return file_->Write(header_size_ + uint64_t(number - 1) * block_size_, block.data(), block.size());
}

std::vector<uint16_t> BlockStore::TakeRewritten() { return std::move(rewritten_); }

Status BlockStore::Relink(uint16_t number, int which, uint16_t value) {
    std::vector<uint8_t> block;
    PX_RETURN_IF_ERROR(ReadBlock(number, &block));
    StoreLe16(&block[size_t(which)], value);
    return Store(number, std::move(block));
}

Status BlockStore::WriteHeader() {
    if (durable_) PX_RETURN_IF_ERROR(file_->Sync());
    PX_RETURN_IF_ERROR(file_->Write(0, header_->data(), header_->size()));
    return durable_ ? file_->Sync() : Status::Ok();
}

// Reuses the first free block, else grows the file by one block.
Status BlockStore::NewBlock(uint16_t* number) {
    std::vector<uint8_t>& h = *header_;
    uint16_t free_head = LoadLe16(&h[0x4D]);
    if (free_head != 0) {
        std::vector<uint8_t> block;
        PX_RETURN_IF_ERROR(ReadBlock(free_head, &block));
        StoreLe16(&h[0x4D], LoadLe16(&block[kNext]));
        *number = free_head;
    } else {
        uint16_t blocks = LoadLe16(&h[0x0C]);
        if (blocks == 0xFFFF) return Status::Corruption(BaseName(file_->path()) + ": the file has reached 65535 blocks");
        *number = uint16_t(blocks + 1);
        StoreLe16(&h[0x0C], *number);
        StoreLe16(&h[0x3A], *number);
    }
    StoreLe16(&h[0x0A], uint16_t(LoadLe16(&h[0x0A]) + 1));
    return Status::Ok();
}

Status BlockStore::InsertFirst(const uint8_t* record, uint16_t* number) {
    uint16_t n = LoadLe16(&(*header_)[0x0E]);
    if (n == 0) PX_RETURN_IF_ERROR(NewBlock(&n));
    std::vector<uint8_t> block(block_size_, 0);
    std::memcpy(&block[6], record, record_size_);
    SetCount(&block, 1, record_size_);
    StoreLe16(&(*header_)[0x0E], n);
    StoreLe16(&(*header_)[0x10], n);
    chain_->push_back(ChainEntry{n, 1, 0});
    if (tree_) tree_->MarkBroken();
    *number = n;
    return Store(n, std::move(block));
}

Status BlockStore::Insert(size_t index, uint32_t slot, const uint8_t* record, uint16_t* number) {
    if (chain_->empty()) return InsertFirst(record, number);
    ChainEntry& e = (*chain_)[index];
    if (e.record_count >= Capacity()) return Split(index, slot, record, number);
    std::vector<uint8_t> block;
    PX_RETURN_IF_ERROR(Read(index, &block));
    uint8_t* p = &block[6 + size_t(slot) * record_size_];
    std::memmove(p + record_size_, p, size_t(e.record_count - slot) * record_size_);
    std::memcpy(p, record, record_size_);
    SetCount(&block, e.record_count + 1, record_size_);
    if (tree_) {
        tree_->AddToCount(e.block, 1);
        if (slot == 0) tree_->SetFirstKey(e.block, record);
    }
    ++e.record_count;
    *number = e.block;
    return Store(e.block, std::move(block));
}

// A full block: at the end of the last block a new last block starts;
// elsewhere the upper half moves to a new block linked right after it.
Status BlockStore::Split(size_t index, uint32_t slot, const uint8_t* record, uint16_t* number) {
    const ChainEntry e = (*chain_)[index];
    std::vector<uint8_t> old_block;
    PX_RETURN_IF_ERROR(Read(index, &old_block));
    uint16_t next = LoadLe16(&old_block[kNext]);
    uint16_t n;
    PX_RETURN_IF_ERROR(NewBlock(&n));
    std::vector<uint8_t> fresh(block_size_, 0);
    StoreLe16(&fresh[kNext], next);
    StoreLe16(&fresh[kPrev], e.block);
    uint32_t keep = (next == 0 && slot == e.record_count) ? e.record_count : e.record_count / 2;
    uint32_t moved = e.record_count - keep;
    std::memcpy(&fresh[6], &old_block[6 + size_t(keep) * record_size_], size_t(moved) * record_size_);
    bool into_old = slot <= keep && moved > 0;
    std::vector<uint8_t>* target = into_old ? &old_block : &fresh;
    uint32_t at = into_old ? slot : slot - keep;
    uint32_t count = into_old ? keep : moved;
    uint8_t* p = &(*target)[6 + size_t(at) * record_size_];
    std::memmove(p + record_size_, p, size_t(count - at) * record_size_);
    std::memcpy(p, record, record_size_);
    uint32_t old_count = keep + (into_old ? 1 : 0), fresh_count = moved + (into_old ? 0 : 1);
    SetCount(&old_block, old_count, record_size_);
    SetCount(&fresh, fresh_count, record_size_);
    std::memset(&old_block[6 + size_t(old_count) * record_size_], 0, block_size_ - 6 - size_t(old_count) * record_size_);
    StoreLe16(&old_block[kNext], n);
    if (tree_) {
        tree_->AddToCount(e.block, int(old_count) - int(e.record_count));
        tree_->InsertAfter(e.block, n, &fresh[6], fresh_count);
        if (into_old && at == 0) tree_->SetFirstKey(e.block, record);
    }
    (*chain_)[index].record_count = old_count;
    chain_->insert(chain_->begin() + ptrdiff_t(index) + 1, ChainEntry{n, fresh_count, 0});
    *number = into_old ? e.block : n;
    PX_RETURN_IF_ERROR(Store(n, std::move(fresh)));
    // The grown block count must be on disk before any block links to it.
    PX_RETURN_IF_ERROR(WriteHeader());
    if (next != 0) PX_RETURN_IF_ERROR(Relink(next, kPrev, n));
    else StoreLe16(&(*header_)[0x10], n);
    return Store(e.block, std::move(old_block));
}

Status BlockStore::Remove(size_t index, uint32_t slot) {
    ChainEntry& e = (*chain_)[index];
    std::vector<uint8_t> block;
    PX_RETURN_IF_ERROR(Read(index, &block));
    if (e.record_count == 1) return FreeBlock(index);
    uint8_t* p = &block[6 + size_t(slot) * record_size_];
    std::memmove(p, p + record_size_, size_t(e.record_count - slot - 1) * record_size_);
    std::memset(&block[6 + size_t(e.record_count - 1) * record_size_], 0, record_size_);
    SetCount(&block, e.record_count - 1, record_size_);
    if (tree_) {
        tree_->AddToCount(e.block, -1);
        if (slot == 0) tree_->SetFirstKey(e.block, &block[6]);
    }
    --e.record_count;
    return Store(e.block, std::move(block));
}

Status BlockStore::Replace(size_t index, uint32_t slot, const uint8_t* record) {
    std::vector<uint8_t> block;
    PX_RETURN_IF_ERROR(Read(index, &block));
    std::memcpy(&block[6 + size_t(slot) * record_size_], record, record_size_);
    if (tree_ && slot == 0) tree_->SetFirstKey((*chain_)[index].block, record);
    return Store((*chain_)[index].block, std::move(block));
}

// An emptied block leaves the chain for the free list, unless it is the
// only block.
Status BlockStore::FreeBlock(size_t index) {
    std::vector<uint8_t>& h = *header_;
    uint16_t b = (*chain_)[index].block;
    std::vector<uint8_t> block(block_size_, 0);
    SetCount(&block, 0, record_size_);
    if (tree_) tree_->Remove(b);
    if (chain_->size() == 1) {
        (*chain_)[0].record_count = 0;
        return Store(b, std::move(block));
    }
    uint16_t prev = index > 0 ? (*chain_)[index - 1].block : 0;
    uint16_t next = index + 1 < chain_->size() ? (*chain_)[index + 1].block : 0;
    if (prev) PX_RETURN_IF_ERROR(Relink(prev, kNext, next));
    else StoreLe16(&h[0x0E], next);
    if (next) PX_RETURN_IF_ERROR(Relink(next, kPrev, prev));
    else StoreLe16(&h[0x10], prev);
    StoreLe16(&block[kNext], LoadLe16(&h[0x4D]));
    StoreLe16(&block[kPrev], prev);
    StoreLe16(&h[0x4D], b);
    StoreLe16(&h[0x0A], uint16_t(LoadLe16(&h[0x0A]) - 1));
    chain_->erase(chain_->begin() + ptrdiff_t(index));
    return Store(b, std::move(block));
}

}  // namespace paradox
