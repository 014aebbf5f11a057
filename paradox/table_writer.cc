#include "paradox/table_writer.h"

#include <algorithm>
#include <cstring>

#include "paradox/bytes.h"
#include "paradox/crypt.h"
#include "paradox/field_codec.h"
#include "paradox/index_writer.h"
#include "paradox/secondary_writer.h"

namespace paradox {
namespace {

constexpr int kNext = 0;
constexpr int kPrev = 2;

void SetCount(std::vector<uint8_t>* block, uint32_t count, uint32_t record_size) {
    StoreLe16(&(*block)[4], uint16_t(int16_t((int32_t(count) - 1) * int32_t(record_size))));
}

}  // namespace

Status TableWriter::Open(const std::string& path, const OpenOptions& options, std::unique_ptr<TableWriter>* out) {
    std::unique_ptr<TableWriter> w(new TableWriter());
    w->path_ = path;
    w->options_ = options;
    PX_RETURN_IF_ERROR(w->Reload());
    PX_RETURN_IF_ERROR(WritableFile::Open(path, false, &w->file_));
    *out = std::move(w);
    return Status::Ok();
}

Status TableWriter::Reload() {
    PX_RETURN_IF_ERROR(Table::Open(path_, options_, &table_));
    return ReadHeaderBytes(path_, &header_);
}

// Another writer may have posted since our last look at the file.
Status TableWriter::LockFresh() {
    PX_RETURN_IF_ERROR(file_->Lock());
    Status s = Reload();
    if (!s.ok()) file_->Unlock();
    return s;
}

Status TableWriter::Fail(const std::string& what) const { return Status::Corruption(table_->name() + ": " + what); }

Status TableWriter::LoadBlock(uint16_t number, std::vector<uint8_t>* block) const {
    BlockRef ref;
    PX_RETURN_IF_ERROR(table_->blocks().ReadBlock(number, &ref));
    *block = ref->data;
    return Status::Ok();
}

Status TableWriter::StoreBlock(uint16_t number, std::vector<uint8_t> block) {
    const FileHeader& h = table_->header();
    if (h.IsEncrypted()) EncryptDbBlock(block.data(), block.size(), h.password_checksum, number);
    return file_->Write(uint64_t(h.header_size) + uint64_t(number - 1) * h.block_size, block.data(), block.size());
}

Status TableWriter::Relink(uint16_t number, int which, uint16_t value) {
    std::vector<uint8_t> block;
    PX_RETURN_IF_ERROR(LoadBlock(number, &block));
    StoreLe16(&block[size_t(which)], value);
    return StoreBlock(number, std::move(block));
}

// Reuses the first free block, else grows the file by one block.
Status TableWriter::NewBlock(uint16_t* number) {
    uint16_t free_head = LoadLe16(&header_[0x4D]);
    if (free_head != 0) {
        std::vector<uint8_t> block;
        PX_RETURN_IF_ERROR(LoadBlock(free_head, &block));
        StoreLe16(&header_[0x4D], LoadLe16(&block[0]));
        *number = free_head;
    } else {
        uint16_t blocks = LoadLe16(&header_[0x0C]);
        if (blocks == 0xFFFF) return Fail("the table has reached 65535 blocks");
        *number = uint16_t(blocks + 1);
        StoreLe16(&header_[0x0C], *number);
        StoreLe16(&header_[0x3A], *number);
    }
    StoreLe16(&header_[0x0A], uint16_t(LoadLe16(&header_[0x0A]) + 1));
    return Status::Ok();
}

TableWriter::Located TableWriter::Locate(uint64_t position) const {
    const auto& chain = table_->chain();
    if (position == 0) return {0, 0};
    uint64_t p = position - 1;
    auto it = std::upper_bound(chain.begin(), chain.end(), p,
                               [](uint64_t v, const ChainEntry& e) { return v < e.first_record; });
    size_t i = size_t(it - chain.begin()) - 1;
    return {i, uint32_t(p - chain[i].first_record + 1)};
}

Status TableWriter::KeyViolation(const std::vector<uint8_t>& record, uint64_t* position) const {
    const FileHeader& h = table_->header();
    *position = table_->record_count();
    if (h.key_fields == 0) return Status::Ok();
    std::vector<uint8_t> key(record.begin(), record.begin() + h.KeyWidth());
    PX_RETURN_IF_ERROR(table_->LowerBound(key, h.key_fields, position));
    if (*position >= table_->record_count()) return Status::Ok();
    RecordRef found;
    PX_RETURN_IF_ERROR(table_->ReadRecord(*position, &found));
    if (table_->primary_key().Compare(found.data, key.data(), h.key_fields) != 0) return Status::Ok();
    return Status::InvalidArgument(table_->name() + ": key violation: a record with this primary key exists (record " +
                                   std::to_string(*position + 1) + ")");
}

Status TableWriter::InsertAt(uint64_t position, const std::vector<uint8_t>& record) {
    const FileHeader& h = table_->header();
    uint32_t rs = h.record_size;
    if (table_->chain().empty()) {
        uint16_t n = LoadLe16(&header_[0x0E]);
        if (n == 0) PX_RETURN_IF_ERROR(NewBlock(&n));
        std::vector<uint8_t> block(h.block_size, 0);
        std::memcpy(&block[6], record.data(), rs);
        SetCount(&block, 1, rs);
        StoreLe16(&header_[0x0E], n);
        StoreLe16(&header_[0x10], n);
        return StoreBlock(n, std::move(block));
    }
    Located at = Locate(position);
    const ChainEntry& e = table_->chain()[at.chain_index];
    if (e.record_count >= (h.block_size - 6) / rs) return Split(at, record);
    std::vector<uint8_t> block;
    PX_RETURN_IF_ERROR(LoadBlock(e.block, &block));
    uint8_t* slot = &block[6 + size_t(at.slot) * rs];
    std::memmove(slot + rs, slot, size_t(e.record_count - at.slot) * rs);
    std::memcpy(slot, record.data(), rs);
    SetCount(&block, e.record_count + 1, rs);
    return StoreBlock(e.block, std::move(block));
}

// A full block: at the end of the last block a new last block starts;
// elsewhere the upper half moves to a new block linked right after it.
Status TableWriter::Split(const Located& at, const std::vector<uint8_t>& record) {
    const FileHeader& h = table_->header();
    uint32_t rs = h.record_size;
    const ChainEntry e = table_->chain()[at.chain_index];
    std::vector<uint8_t> old_block;
    PX_RETURN_IF_ERROR(LoadBlock(e.block, &old_block));
    uint16_t next = LoadLe16(&old_block[0]);
    uint16_t n;
    PX_RETURN_IF_ERROR(NewBlock(&n));
    std::vector<uint8_t> fresh(h.block_size, 0);
    StoreLe16(&fresh[kNext], next);
    StoreLe16(&fresh[kPrev], e.block);
    uint32_t keep = (next == 0 && at.slot == e.record_count) ? e.record_count : e.record_count / 2;
    uint32_t moved = e.record_count - keep;
    std::memcpy(&fresh[6], &old_block[6 + size_t(keep) * rs], size_t(moved) * rs);
    std::vector<uint8_t>* target = at.slot <= keep && moved > 0 ? &old_block : &fresh;
    uint32_t slot = target == &old_block ? at.slot : at.slot - keep;
    uint32_t count = target == &old_block ? keep : moved;
    uint8_t* p = &(*target)[6 + size_t(slot) * rs];
    std::memmove(p + rs, p, size_t(count - slot) * rs);
    std::memcpy(p, record.data(), rs);
    SetCount(&old_block, keep + (target == &old_block), rs);
    SetCount(&fresh, moved + (target == &fresh), rs);
    std::memset(&old_block[6 + size_t(keep + (target == &old_block)) * rs], 0,
                h.block_size - 6 - size_t(keep + (target == &old_block)) * rs);
    StoreLe16(&old_block[kNext], n);
    PX_RETURN_IF_ERROR(StoreBlock(n, std::move(fresh)));
    // The grown block count must be on disk before any block links to it.
    PX_RETURN_IF_ERROR(WriteHeader());
    if (next != 0) PX_RETURN_IF_ERROR(Relink(next, kPrev, n));
    else StoreLe16(&header_[0x10], n);
    return StoreBlock(e.block, std::move(old_block));
}

// An emptied block leaves the chain for the free list, unless it is the
// only block.
Status TableWriter::FreeBlock(size_t chain_index) {
    const auto& chain = table_->chain();
    uint32_t rs = table_->header().record_size;
    uint16_t b = chain[chain_index].block;
    std::vector<uint8_t> block(table_->header().block_size, 0);
    SetCount(&block, 0, rs);
    if (chain.size() == 1) return StoreBlock(b, std::move(block));
    uint16_t prev = chain_index > 0 ? chain[chain_index - 1].block : 0;
    uint16_t next = chain_index + 1 < chain.size() ? chain[chain_index + 1].block : 0;
    if (prev) PX_RETURN_IF_ERROR(Relink(prev, kNext, next));
    else StoreLe16(&header_[0x0E], next);
    if (next) PX_RETURN_IF_ERROR(Relink(next, kPrev, prev));
    else StoreLe16(&header_[0x10], prev);
    StoreLe16(&block[kNext], LoadLe16(&header_[0x4D]));
    StoreLe16(&block[kPrev], prev);
    StoreLe16(&header_[0x4D], b);
    StoreLe16(&header_[0x0A], uint16_t(LoadLe16(&header_[0x0A]) - 1));
    return StoreBlock(b, std::move(block));
}

// Blocks written so far reach the disk before the header that counts them.
Status TableWriter::WriteHeader() {
    if (durable_) PX_RETURN_IF_ERROR(file_->Sync());
    PX_RETURN_IF_ERROR(file_->Write(0, header_.data(), header_.size()));
    return durable_ ? file_->Sync() : Status::Ok();
}

Status TableWriter::Commit(int64_t record_delta) {
    StoreLe32(&header_[0x06], uint32_t(int64_t(LoadLe32(&header_[0x06])) + record_delta));
    ++header_[0x2D];
    PX_RETURN_IF_ERROR(WriteHeader());
    PX_RETURN_IF_ERROR(Reload());
    if (table_->is_keyed() && !CompanionPath(path_, "PX").empty()) {
        PX_RETURN_IF_ERROR(RebuildPrimaryIndex());
        PX_RETURN_IF_ERROR(Reload());
    }
    std::vector<SecondaryIndexInfo> indexes;
    PX_RETURN_IF_ERROR(ListSecondaryIndexes(*table_, &indexes));
    for (const SecondaryIndexInfo& info : indexes) PX_RETURN_IF_ERROR(RebuildSecondaryIndex(*table_, info, durable_));
    return Status::Ok();
}

Status TableWriter::RebuildPrimaryIndex() {
    std::string px = CompanionPath(path_, "PX");
    std::vector<uint8_t> px_header;
    PX_RETURN_IF_ERROR(ReadHeaderBytes(px, &px_header));
    px_header[0x2C] = header_[0x2D];
    uint32_t width = table_->header().KeyWidth();
    std::vector<IndexEntry> leaves;
    for (const ChainEntry& e : table_->chain()) {
        if (e.record_count == 0) continue;
        BlockRef block;
        PX_RETURN_IF_ERROR(table_->blocks().ReadBlock(e.block, &block));
        leaves.push_back(IndexEntry{std::vector<uint8_t>(block->Record(0), block->Record(0) + width), e.block, e.record_count});
    }
    std::string bytes;
    PX_RETURN_IF_ERROR(BuildIndexTree(std::move(px_header), leaves, &bytes));
    return ReplaceFile(px, bytes, durable_);
}

static void NoteAutoIncrement(const FileHeader& h, const std::vector<uint8_t>& record, std::vector<uint8_t>* header) {
    for (const FieldInfo& f : h.fields) {
        if (f.type != FieldType::kAutoIncrement || AllZero(&record[f.offset], 4)) continue;
        int64_t v = DecodeInt(&record[f.offset], 4);
        if (v > int64_t(LoadLe32(&(*header)[0x49]))) StoreLe32(&(*header)[0x49], uint32_t(v));
    }
}

Status TableWriter::Insert(const std::vector<uint8_t>& record, uint64_t* record_number) {
    if (record.size() != table_->header().record_size) return Status::InvalidArgument(table_->name() + ": wrong record size");
    PX_RETURN_IF_ERROR(LockFresh());
    uint64_t position;
    Status s = KeyViolation(record, &position);
    if (s.ok()) s = InsertAt(position, record);
    if (s.ok()) {
        NoteAutoIncrement(table_->header(), record, &header_);
        s = Commit(1);
    }
    file_->Unlock();
    if (s.ok() && record_number) *record_number = position;
    return s;
}

Status TableWriter::Delete(uint64_t record_number) {
    if (record_number >= table_->record_count())
        return Status::InvalidArgument(table_->name() + ": no record " + std::to_string(record_number + 1));
    PX_RETURN_IF_ERROR(LockFresh());
    Located at = Locate(record_number + 1);
    at.slot -= 1;
    const ChainEntry& e = table_->chain()[at.chain_index];
    uint32_t rs = table_->header().record_size;
    std::vector<uint8_t> block;
    Status s = LoadBlock(e.block, &block);
    if (s.ok() && e.record_count == 1) {
        s = FreeBlock(at.chain_index);
    } else if (s.ok()) {
        uint8_t* p = &block[6 + size_t(at.slot) * rs];
        std::memmove(p, p + rs, size_t(e.record_count - at.slot - 1) * rs);
        std::memset(&block[6 + size_t(e.record_count - 1) * rs], 0, rs);
        SetCount(&block, e.record_count - 1, rs);
        s = StoreBlock(e.block, std::move(block));
    }
    if (s.ok()) s = Commit(-1);
    file_->Unlock();
    return s;
}

Status TableWriter::Update(uint64_t record_number, const std::vector<uint8_t>& record, uint64_t* new_number) {
    // A copy: LockFresh() below reloads the table, which would leave a reference dangling.
    const FileHeader h = table_->header();
    if (record_number >= table_->record_count())
        return Status::InvalidArgument(table_->name() + ": no record " + std::to_string(record_number + 1));
    RecordRef old;
    PX_RETURN_IF_ERROR(table_->ReadRecord(record_number, &old));
    if (h.key_fields > 0 && std::memcmp(old.data, record.data(), h.KeyWidth()) != 0) {
        uint64_t position;
        PX_RETURN_IF_ERROR(KeyViolation(record, &position));
        PX_RETURN_IF_ERROR(Delete(record_number));
        return Insert(record, new_number);
    }
    PX_RETURN_IF_ERROR(LockFresh());
    Located at = Locate(record_number + 1);
    uint16_t number = table_->chain()[at.chain_index].block;
    std::vector<uint8_t> block;
    Status s = LoadBlock(number, &block);
    if (s.ok()) {
        std::memcpy(&block[6 + size_t(at.slot - 1) * h.record_size], record.data(), h.record_size);
        s = StoreBlock(number, std::move(block));
    }
    if (s.ok()) s = Commit(0);
    file_->Unlock();
    if (s.ok() && new_number) *new_number = record_number;
    return s;
}

}  // namespace paradox
