#include "paradox/blob_file.h"

#include <algorithm>
#include <cstring>

#include "paradox/bytes.h"
#include "paradox/crypt.h"

namespace paradox {
namespace {

constexpr uint32_t kMbBlock = 4096;
constexpr uint32_t kSlotsOffset = 12;
constexpr uint32_t kSlotSize = 5;
constexpr uint32_t kSingleBlobHeader = 9;

}  // namespace

BlobFile::BlobFile(std::unique_ptr<RandomAccessFile> file, uint32_t checksum)
    : file_(std::move(file)), checksum_(checksum) {}

Status BlobFile::Corrupt(uint64_t offset, const std::string& what) const {
    return Status::Corruption(file_->Name() + ": corrupt blob block at offset " + std::to_string(offset) + ": " + what);
}

// Reads bytes, decrypting the 256-byte chunks they fall in when encrypted.
Status BlobFile::ReadPlain(uint64_t offset, size_t n, uint8_t* out) const {
    if (checksum_ == 0) return file_->Read(offset, n, out);
    uint64_t start = offset / kCryptChunk * kCryptChunk;
    uint64_t end = (offset + n + kCryptChunk - 1) / kCryptChunk * kCryptChunk;
    if (end > file_->Size()) return file_->Read(offset, n, out);  // reports the out-of-file read
    std::vector<uint8_t> chunks(size_t(end - start));
    PX_RETURN_IF_ERROR(file_->Read(start, chunks.size(), chunks.data()));
    DecryptMbChunks(chunks.data(), chunks.size(), checksum_);
    std::memcpy(out, chunks.data() + (offset - start), n);
    return Status::Ok();
}

Status BlobFile::Read(const BlobDescriptor& d, std::vector<uint8_t>* bytes) const {
    uint64_t block = d.locator & 0xFFFFFF00u;
    uint32_t index = d.locator & 0xFFu;
    if (block == 0) return Corrupt(block, "blob points into the file header");
    if (d.length > file_->Size()) return Corrupt(block, "length " + std::to_string(d.length) + " exceeds the file");
    uint8_t head[kSlotsOffset];
    PX_RETURN_IF_ERROR(ReadPlain(block, sizeof head, head));
    uint8_t type = head[0];
    uint64_t data_offset;
    if (index == 0xFF) {
        if (type != 2) return Corrupt(block, "expected a single-blob block, found type " + std::to_string(type));
        uint32_t stored = LoadLe32(head + 3);
        if (stored != d.length)
            return Corrupt(block, "stored length " + std::to_string(stored) + " differs from the record's " + std::to_string(d.length));
        uint64_t span = uint64_t(LoadLe16(head + 1)) * kMbBlock;
        if (uint64_t(kSingleBlobHeader) + d.length > span) return Corrupt(block, "blob longer than its block");
        data_offset = block + kSingleBlobHeader;
    } else {
        if (type != 3) return Corrupt(block, "expected a sub-allocated block, found type " + std::to_string(type));
        if (index >= 64) return Corrupt(block, "slot " + std::to_string(index) + " out of range");
        uint8_t slot[kSlotSize];
        PX_RETURN_IF_ERROR(ReadPlain(block + kSlotsOffset + kSlotSize * index, sizeof slot, slot));
        uint32_t chunks = slot[1], last = slot[4];
        if (slot[0] == 0) return Corrupt(block, "slot " + std::to_string(index) + " is deleted");
        if (chunks == 0 || last < 1 || last > 16) return Corrupt(block, "slot " + std::to_string(index) + " has a bad size");
        uint32_t stored = (chunks - 1) * 16 + last;
        if (stored != d.length)
            return Corrupt(block, "slot length " + std::to_string(stored) + " differs from the record's " + std::to_string(d.length));
        uint32_t start = uint32_t(slot[0]) * 16;
        if (start + d.length > kMbBlock) return Corrupt(block, "slot " + std::to_string(index) + " runs past its block");
        data_offset = block + start;
    }
    bytes->resize(d.length);
    return ReadPlain(data_offset, d.length, bytes->data());
}

}  // namespace paradox
