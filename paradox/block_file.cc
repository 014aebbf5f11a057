#include "paradox/block_file.h"

#include <algorithm>

#include "paradox/bytes.h"
#include "paradox/crypt.h"

namespace paradox {

BlockFile::BlockFile(const RandomAccessFile* file, const FileHeader* header)
    : file_(file), header_(header), cache_(kCacheSlots) {}

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

Status BlockFile::ReadBlock(uint32_t number, BlockRef* out) const {
    if (number < 1 || number > header_->file_blocks)
        return Status::Corruption(file_->Name() + ": block " + std::to_string(number) + " does not exist (file has " +
                                  std::to_string(header_->file_blocks) + " blocks)");
    BlockRef& slot = cache_[number % kCacheSlots];
    if (slot && slot->number == number) {
        *out = slot;
        return Status::Ok();
    }
    auto block = std::make_shared<Block>();
    block->number = number;
    block->record_size = header_->record_size;
    block->data.assign(header_->block_size, 0);
    PX_RETURN_IF_ERROR(file_->Read(BlockOffset(number), BytesInFile(number), block->data.data()));
    if (header_->IsEncrypted()) DecryptDbBlock(block->data.data(), block->data.size(), header_->password_checksum, number);
    PX_RETURN_IF_ERROR(ParseBlockHeader(number, block->data.data(), &block->record_count, &block->next, &block->prev));
    PX_RETURN_IF_ERROR(CheckRecordsInFile(number, block->record_count));
    slot = block;
    *out = std::move(block);
    return Status::Ok();
}

void BlockFile::Forget(uint32_t number) {
    BlockRef& slot = cache_[number % kCacheSlots];
    if (slot && slot->number == number) slot.reset();
}

// Files written in order chain consecutive blocks: a run of them is read
// in one go instead of one block header at a time.
constexpr uint32_t kChainWindowBlocks = 64;

Status BlockFile::ReadChain(std::vector<ChainEntry>* chain) const {
    chain->clear();
    if (header_->first_block == 0) return Status::Ok();
    std::vector<bool> seen(size_t(header_->file_blocks) + 1, false);
    uint64_t records = 0;
    uint8_t head[kCryptChunk];
    std::vector<uint8_t> window;
    uint32_t window_first = 0, previous = 0;
    for (uint32_t number = header_->first_block; number != 0;) {
        if (number > header_->file_blocks)
            return Status::Corruption(file_->Name() + ": block chain points to block " + std::to_string(number) +
                                      " beyond the end of the file");
        if (seen[number])
            return Status::Corruption(file_->Name() + ": block chain loops back to block " + std::to_string(number));
        seen[number] = true;
        std::fill(std::begin(head), std::end(head), 0);
        uint64_t in_window = uint64_t(number - window_first) * header_->block_size;
        if (number == previous + 1 && (number < window_first || in_window >= window.size())) {
            uint32_t blocks = std::min<uint32_t>(kChainWindowBlocks, header_->file_blocks - number + 1);
            uint64_t offset = BlockOffset(number), size = file_->Size();
            uint64_t bytes = offset >= size ? 0 : std::min<uint64_t>(uint64_t(blocks) * header_->block_size, size - offset);
            window.resize(size_t(bytes));
            PX_RETURN_IF_ERROR(file_->Read(offset, window.size(), window.data()));
            window_first = number;
            in_window = 0;
        }
        if (number >= window_first && in_window < window.size())
            std::copy_n(&window[size_t(in_window)], std::min<uint64_t>(sizeof head, window.size() - in_window), head);
        else
            PX_RETURN_IF_ERROR(file_->Read(BlockOffset(number), std::min(sizeof head, BytesInFile(number)), head));
        if (header_->IsEncrypted()) DecryptDbBlock(head, sizeof head, header_->password_checksum, number);
        uint32_t count;
        uint16_t next, prev;
        PX_RETURN_IF_ERROR(ParseBlockHeader(number, head, &count, &next, &prev));
        PX_RETURN_IF_ERROR(CheckRecordsInFile(number, count));
        chain->push_back(ChainEntry{uint16_t(number), count, records});
        records += count;
        previous = number;
        number = next;
    }
    return Status::Ok();
}

}  // namespace paradox
