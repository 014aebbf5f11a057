#include "paradox/blob_writer.h"

#include <cstring>

#include "paradox/bytes.h"
#include "paradox/crypt.h"
#include "paradox/file.h"

namespace paradox {
namespace {

constexpr uint64_t kUnit = 4096;

}  // namespace

Status BlobWriter::Open(const std::string& path, uint32_t checksum, std::unique_ptr<BlobWriter>* out) {
    std::unique_ptr<RandomAccessFile> reader;
    PX_RETURN_IF_ERROR(OpenFile(path, &reader));
    std::unique_ptr<BlobWriter> w(new BlobWriter());
    w->path_ = path;
    w->checksum_ = checksum;
    w->end_ = (reader->Size() + kUnit - 1) / kUnit * kUnit;
    if (w->end_ == 0 || w->end_ >= (uint64_t(1) << 32)) return Status::Corruption(reader->Name() + ": size does not fit a memo file");
    w->header_.resize(kCryptChunk);
    PX_RETURN_IF_ERROR(reader->Read(0, kCryptChunk, w->header_.data()));
    if (checksum) DecryptMbChunks(w->header_.data(), kCryptChunk, checksum);
    PX_RETURN_IF_ERROR(WritableFile::Open(path, false, &w->file_));
    *out = std::move(w);
    return Status::Ok();
}

// Another writer may have appended since: the end and the header counter
// are read again under the memo file's lock.
Status BlobWriter::Append(const std::vector<uint8_t>& bytes, BlobDescriptor* d) {
    PX_RETURN_IF_ERROR(file_->Lock());
    Status s = AppendLocked(bytes, d);
    Status unlocked = file_->Unlock();
    return s.ok() ? unlocked : s;
}

Status BlobWriter::AppendLocked(const std::vector<uint8_t>& bytes, BlobDescriptor* d) {
    uint64_t size;
    PX_RETURN_IF_ERROR(file_->Size(&size));
    end_ = (size + kUnit - 1) / kUnit * kUnit;
    PX_RETURN_IF_ERROR(file_->Read(0, kCryptChunk, header_.data()));
    if (checksum_) DecryptMbChunks(header_.data(), kCryptChunk, checksum_);
    uint64_t units = (bytes.size() + 9 + kUnit - 1) / kUnit;
    if (units > 0xFFFF || end_ + units * kUnit >= (uint64_t(1) << 32))
        return Status::InvalidArgument(BaseName(path_) + ": value of " + std::to_string(bytes.size()) + " bytes does not fit");
    uint16_t mod = uint16_t(LoadLe16(&header_[3]) + 1);
    StoreLe16(&header_[3], mod);
    std::vector<uint8_t> block(units * kUnit, 0);
    block[0] = 2;
    StoreLe16(&block[1], uint16_t(units));
    StoreLe32(&block[3], uint32_t(bytes.size()));
    StoreLe16(&block[7], mod);
    std::memcpy(&block[9], bytes.data(), bytes.size());
    if (checksum_) EncryptMbChunks(block.data(), block.size(), checksum_);
    PX_RETURN_IF_ERROR(file_->Write(end_, block.data(), block.size()));
    std::vector<uint8_t> head = header_;
    if (checksum_) EncryptMbChunks(head.data(), head.size(), checksum_);
    PX_RETURN_IF_ERROR(file_->Write(0, head.data(), head.size()));
    PX_RETURN_IF_ERROR(file_->Sync());
    d->locator = uint32_t(end_) | 0xFF;
    d->length = uint32_t(bytes.size());
    d->mod_number = mod;
    end_ += block.size();
    return Status::Ok();
}

}  // namespace paradox
