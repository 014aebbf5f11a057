#include "paradox/block_file.h"

#include <algorithm>

#include "paradox/bytes.h"
#include "paradox/crypt.h"

namespace paradox {

BlockFile::BlockFile(const RandomAccessFile* file, const FileHeader* header, size_t cache_bytes)
    : file_(file), header_(header), cache_bytes_(cache_bytes) {}

uint64_t BlockFile::BlockOffset(uint32_t number) const {
    return uint64_t(header_->header_size) + uint64_t(number - 1) * header_->block_size;
}

size_t BlockFile::BytesInFile(uint32_t number) const {
    uint64_t offset = BlockOffset(number), size = file_->Size();
    if (offset >= size) return 0;
    return size_t(std::min<uint64_t>(header_->block_size, size - offset));
}

// Encrypted blocks are scrambled in whole chunks, so a chunk cut by the end
// of the file cannot be read either.
Status BlockFile::CheckRecordsInFile(uint32_t number, uint32_t count) const {
    uint64_t needed = 6 + uint64_t(count) * header_->record_size;
    if (header_->IsEncrypted()) needed = std::min<uint64_t>(header_->block_size, (needed + kCryptChunk - 1) / kCryptChunk * kCryptChunk);
    size_t present = BytesInFile(number);
    if (needed <= present) return Status::Ok();
    return Status::Corruption(file_->Name() + ": block " + std::to_string(number) + " at offset " +
                              std::to_string(BlockOffset(number)) + ": its " + std::to_string(count) +
                              " records run past the end of the file (" + std::to_string(file_->Size()) + " bytes)");
}

Status BlockFile::ParseBlockHeader(uint32_t number, const uint8_t* head, uint32_t* count, uint16_t* next,
                                   uint16_t* prev) const {
    *next = LoadLe16(head);
    *prev = LoadLe16(head + 2);
    int32_t last_offset = int16_t(LoadLe16(head + 4));
    uint32_t record_size = header_->record_size;
    uint32_t capacity = (header_->block_size - 6) / record_size;
    if (last_offset == -int32_t(record_size)) {
        *count = 0;
    } else if (last_offset < 0 || last_offset % record_size != 0 || uint32_t(last_offset) / record_size >= capacity) {
        return Status::Corruption(file_->Name() + ": corrupt block " + std::to_string(number) + " at offset " +
                                  std::to_string(BlockOffset(number)) + ": record offset " + std::to_string(last_offset));
    } else {
        *count = uint32_t(last_offset) / record_size + 1;
    }
    if (*next > header_->file_blocks)
        return Status::Corruption(file_->Name() + ": corrupt block " + std::to_string(number) + " at offset " +
                                  std::to_string(BlockOffset(number)) + ": next block " + std::to_string(*next) +
                                  " beyond the " + std::to_string(header_->file_blocks) + " blocks in the file");
    return Status::Ok();
}

// At least one run fits, whatever the bound.
size_t BlockFile::CapacityBlocks() const {
    return std::max<size_t>(kRunBlocks, cache_bytes_ / std::max<uint32_t>(header_->block_size, 1));
}

const BlockRef* BlockFile::Cached(uint32_t number) const {
    return number < cache_.size() && cache_[number] ? &cache_[number] : nullptr;
}

Status BlockFile::ReadBlock(uint32_t number, BlockRef* out) const {
    if (number < 1 || number > header_->file_blocks)
        return Status::Corruption(file_->Name() + ": block " + std::to_string(number) + " does not exist (file has " +
                                  std::to_string(header_->file_blocks) + " blocks)");
    if (const BlockRef* cached = Cached(number)) {
        *out = *cached;
        return Status::Ok();
    }
    return ReadRun(number, out);
}

Status BlockFile::MakeBlock(uint32_t number, const uint8_t* bytes, size_t present, BlockRef* out) const {
    auto block = std::make_shared<Block>();
    block->number = number;
    block->record_size = header_->record_size;
    block->data.assign(bytes, bytes + present);
    block->data.resize(header_->block_size, 0);
    if (header_->IsEncrypted()) DecryptDbBlock(block->data.data(), block->data.size(), header_->password_checksum, number);
    PX_RETURN_IF_ERROR(ParseBlockHeader(number, block->data.data(), &block->record_count, &block->next, &block->prev));
    PX_RETURN_IF_ERROR(CheckRecordsInFile(number, block->record_count));
    *out = std::move(block);
    return Status::Ok();
}

Status BlockFile::ReadRun(uint32_t number, BlockRef* first) const {
    uint32_t limit = uint32_t(std::min<uint64_t>({kRunBlocks, uint64_t(header_->file_blocks) - number + 1, CapacityBlocks()}));
    uint32_t blocks = 1;
    while (blocks < limit && !Cached(number + blocks)) ++blocks;
    uint64_t offset = BlockOffset(number), size = file_->Size();
    size_t bytes = offset >= size ? 0 : size_t(std::min<uint64_t>(uint64_t(blocks) * header_->block_size, size - offset));
    // The buffer is kept: a walk over a whole table reads many runs.
    std::vector<uint8_t>& run = run_buffer_;
    if (run.size() < bytes) run.resize(bytes);
    ++disk_reads_;
    PX_RETURN_IF_ERROR(file_->Read(offset, bytes, run.data()));
    for (uint32_t i = 0; i < blocks; ++i) {
        size_t at = size_t(i) * header_->block_size;
        size_t present = at >= bytes ? 0 : std::min<size_t>(header_->block_size, bytes - at);
        BlockRef block;
        Status made = MakeBlock(number + i, run.data() + std::min(at, bytes), present, &block);
        if (i == 0) PX_RETURN_IF_ERROR(made);
        if (!made.ok()) continue;
        if (i == 0) *first = block;
        Keep(std::move(block));
    }
    return Status::Ok();
}

// Past the bound the clock hand drops the next cached block after the last
// one it dropped.
void BlockFile::Keep(BlockRef block) const {
    uint32_t number = block->number;
    if (number >= cache_.size()) cache_.resize(std::max<size_t>(number + 1, size_t(header_->file_blocks) + 1));
    if (cache_[number]) --cached_blocks_;
    while (cached_blocks_ >= CapacityBlocks()) {
        hand_ = hand_ + 1 < cache_.size() ? hand_ + 1 : 1;
        if (cache_[hand_] && hand_ != number) {
            cache_[hand_].reset();
            --cached_blocks_;
        }
    }
    cache_[number] = std::move(block);
    ++cached_blocks_;
}

void BlockFile::Forget(uint32_t number) {
    if (number < cache_.size() && cache_[number]) {
        cache_[number].reset();
        --cached_blocks_;
    }
}

Status BlockFile::ReadChain(std::vector<ChainEntry>* chain) const {
    chain->clear();
    if (header_->first_block == 0) return Status::Ok();
    std::vector<bool> seen(size_t(header_->file_blocks) + 1, false);
    uint64_t records = 0;
    for (uint32_t number = header_->first_block; number != 0;) {
        if (number > header_->file_blocks)
            return Status::Corruption(file_->Name() + ": block chain points to block " + std::to_string(number) +
                                      " beyond the end of the file");
        if (seen[number])
            return Status::Corruption(file_->Name() + ": block chain loops back to block " + std::to_string(number));
        seen[number] = true;
        BlockRef block;
        PX_RETURN_IF_ERROR(ReadBlock(number, &block));
        chain->push_back(ChainEntry{uint16_t(number), block->record_count, records});
        records += block->record_count;
        number = block->next;
    }
    return Status::Ok();
}

}  // namespace paradox
