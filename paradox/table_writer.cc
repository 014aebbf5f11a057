#include "paradox/table_writer.h"

#include <algorithm>
#include <cstring>

#include "paradox/bytes.h"
#include "paradox/field_codec.h"
#include "paradox/index_writer.h"
#include "paradox/secondary_writer.h"

namespace paradox {
namespace {

// The index's header as it is on disk now (after a rebuild changed it).
Status ReadIndexHeader(SecondaryIndexInfo* info) {
    std::unique_ptr<RandomAccessFile> file;
    PX_RETURN_IF_ERROR(OpenFile(info->path, &file));
    return ReadHeader(*file, &info->header);
}

// A change at a block relinks at most its neighbours.
size_t Before(size_t chain_index) { return chain_index == 0 ? 0 : chain_index - 1; }

void NoteAutoIncrement(const FileHeader& h, const std::vector<uint8_t>& record, std::vector<uint8_t>* header) {
    for (const FieldInfo& f : h.fields) {
        if (f.type != FieldType::kAutoIncrement || AllZero(&record[f.offset], 4)) continue;
        int64_t v = DecodeInt(&record[f.offset], 4);
        if (v > int64_t(LoadLe32(&(*header)[0x49]))) StoreLe32(&(*header)[0x49], uint32_t(v));
    }
}

}  // namespace

Status TableWriter::Open(const std::string& path, const OpenOptions& options, std::unique_ptr<TableWriter>* out,
                         std::chrono::milliseconds lock_wait) {
    std::unique_ptr<TableWriter> w(new TableWriter());
    w->lock_wait_ = lock_wait;
    w->path_ = path;
    w->options_ = options;
    Status s = WritableFile::Open(path, false, &w->file_);
    if (!s.ok()) {
        // A missing or unreadable table says so rather than why it cannot be written.
        std::unique_ptr<Table> table;
        PX_RETURN_IF_ERROR(Table::Open(path, options, &table));
        return s;
    }
    PX_RETURN_IF_ERROR(w->LockFresh());
    PX_RETURN_IF_ERROR(w->file_->Unlock());
    *out = std::move(w);
    return Status::Ok();
}

void TableWriter::set_durable(bool durable) {
    durable_ = durable;
    if (store_) store_->set_durable(syncing());
}

void TableWriter::StartBatch() {
    batch_ = true;
    if (store_) store_->set_durable(false);
}

Status TableWriter::FinishBatch() {
    if (!batch_) return Status::Ok();
    batch_ = false;
    if (store_) store_->set_durable(syncing());
    if (!durable_) return Status::Ok();
    for (const std::string& path : FamilyPaths()) PX_RETURN_IF_ERROR(SyncPath(path));
    return Status::Ok();
}

// Everything from disk, under the lock: the table, its header, and the
// indexes, each rebuilt first when it no longer matches the table.
Status TableWriter::Load() {
    loaded_ = false;
    std::unique_ptr<Table> table;
    PX_RETURN_IF_ERROR(Table::Open(path_, options_, &table));
    table_ = std::move(table);
    PX_RETURN_IF_ERROR(ReadHeaderBytes(path_, &header_));
    store_ = std::make_unique<BlockStore>(file_.get(), &header_, table_->header().password_checksum, table_->mutable_chain());
    store_->set_durable(syncing());
    // A post interrupted after its data block but before the header: the
    // record is in the chain, so the header learns of it.
    if (LoadLe32(&header_[0x06]) != table_->record_count()) {
        StoreLe32(&header_[0x06], uint32_t(table_->record_count()));
        ++header_[0x2D];
        PX_RETURN_IF_ERROR(store_->WriteHeader());
        PX_RETURN_IF_ERROR(table_->AdoptWrite(header_, table_->chain().size(), {}));
    }
    PX_RETURN_IF_ERROR(LoadPrimaryIndex());
    store_->set_tree(primary_.get());
    PX_RETURN_IF_ERROR(LoadSecondaryIndexes());
    TakeStamps();
    loaded_ = true;
    return Status::Ok();
}

Status TableWriter::LoadPrimaryIndex() {
    primary_.reset();
    primary_path_ = table_->is_keyed() ? CompanionPath(path_, "PX") : std::string();
    if (primary_path_.empty()) return Status::Ok();
    Status s = TreeWriter::Load(primary_path_, table_->chain(), &primary_);
    // Other programs do not always keep the stamps in step; an index that
    // still matches the data blocks is kept.
    if (s.ok() && primary_->stamp() != header_[0x2D]) s = CheckPrimaryKeys();
    if (s.ok()) return Status::Ok();
    if (!s.IsCorruption()) return s;
    PX_RETURN_IF_ERROR(RebuildPrimaryIndex());
    PX_RETURN_IF_ERROR(table_->ReopenPrimaryIndex());
    return TreeWriter::Load(primary_path_, table_->chain(), &primary_);
}

Status TableWriter::CheckPrimaryKeys() const {
    PX_RETURN_IF_ERROR(primary_->CheckEntryCount());
    uint32_t width = table_->header().KeyWidth();
    for (const ChainEntry& e : table_->chain()) {
        if (e.record_count == 0) continue;
        BlockRef block;
        PX_RETURN_IF_ERROR(table_->blocks().ReadBlock(e.block, &block));
        PX_RETURN_IF_ERROR(primary_->CheckFirstKey(e.block, block->Record(0), width));
    }
    return Status::Ok();
}

Status TableWriter::LoadSecondaryIndexes() {
    secondaries_.clear();
    rebuilt_indexes_.clear();
    std::vector<SecondaryIndexInfo> indexes;
    PX_RETURN_IF_ERROR(ListSecondaryIndexes(*table_, &indexes));
    for (SecondaryIndexInfo& info : indexes) {
        std::unique_ptr<SecondaryMaintainer> m;
        Status s = SecondaryMaintainer::Load(*table_, info, header_[0x2D], &m);
        if (s.IsNotSupported()) {
            rebuilt_indexes_.push_back(info);
            continue;
        }
        if (s.IsCorruption()) {
            PX_RETURN_IF_ERROR(RebuildSecondaryIndex(*table_, info, syncing()));
            PX_RETURN_IF_ERROR(ReadIndexHeader(&info));
            s = SecondaryMaintainer::Load(*table_, info, header_[0x2D], &m);
        }
        PX_RETURN_IF_ERROR(s);
        secondaries_.push_back(std::move(m));
    }
    return Status::Ok();
}

std::vector<std::string> TableWriter::FamilyPaths() const {
    std::string dir = DirName(path_);
    std::vector<std::string> paths = {path_, dir.empty() ? "." : dir};
    if (!primary_path_.empty()) paths.push_back(primary_path_);
    std::vector<std::string> indexes;
    for (const auto& m : secondaries_) indexes.push_back(m->info().path);
    for (const auto& info : rebuilt_indexes_) indexes.push_back(info.path);
    for (const std::string& x : indexes) {
        paths.push_back(x);
        paths.push_back(TreePathOf(x));
    }
    return paths;
}

void TableWriter::TakeStamps() { stamps_ = StampFiles(FamilyPaths()); }

// Nobody else changed the table since our last post: same files, sizes and
// times, and the same header bytes (times can be too coarse to tell).
bool TableWriter::StillFresh() const {
    std::vector<std::string> paths;
    for (const FileStamp& s : stamps_) paths.push_back(s.path);
    if (StampFiles(paths) != stamps_) return false;
    std::vector<uint8_t> on_disk(header_.size());
    return file_->Read(0, on_disk.size(), on_disk.data()).ok() && on_disk == header_;
}

Status TableWriter::LockFresh() {
    PX_RETURN_IF_ERROR(file_->Lock(lock_wait_));
    if (loaded_ && StillFresh()) return Status::Ok();
    Status s = Load();
    if (!s.ok()) file_->Unlock();
    return s;
}

// Ends a post: a failure may have left the in-memory state behind the
// files, so the next post reads everything again.
Status TableWriter::Finish(Status s) {
    if (!s.ok()) loaded_ = false;
    Status unlocked = file_->Unlock();
    return s.ok() ? unlocked : s;
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

Status TableWriter::RebuildPrimaryIndex() {
    std::vector<uint8_t> px_header;
    PX_RETURN_IF_ERROR(ReadHeaderBytes(primary_path_, &px_header));
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
    return ReplaceFile(primary_path_, bytes, syncing());
}

Status TableWriter::CommitPrimaryIndex() {
    if (primary_path_.empty()) return Status::Ok();
    if (primary_ && !primary_->broken()) {
        std::vector<uint16_t> written;
        PX_RETURN_IF_ERROR(primary_->Write(header_[0x2D], syncing(), &written));
        return table_->RefreshPrimaryIndex(written);
    }
    PX_RETURN_IF_ERROR(RebuildPrimaryIndex());
    PX_RETURN_IF_ERROR(TreeWriter::Load(primary_path_, table_->chain(), &primary_));
    store_->set_tree(primary_.get());
    return table_->ReopenPrimaryIndex();
}

// Each maintained index takes the entry changes in place; one that cannot
// (or was found out of date) is rebuilt from the table and loaded again.
Status TableWriter::CommitSecondaryIndexes(const std::vector<EntryChange>& changes) {
    uint8_t stamp = header_[0x2D];
    bool same = changes.size() == 2;
    for (auto& m : secondaries_) {
        Status s;
        if (!same || !m->SameEntry(changes[0].record.data(), changes[1].record.data()))
            for (size_t i = 0; s.ok() && i < changes.size(); ++i)
                s = changes[i].add ? m->Add(changes[i].record.data(), changes[i].block) : m->Drop(changes[i].record.data());
        if (s.ok()) s = m->Commit(stamp, syncing());
        if (s.ok()) continue;
        if (!s.IsCorruption()) return s;
        SecondaryIndexInfo info = m->info();
        PX_RETURN_IF_ERROR(RebuildSecondaryIndex(*table_, info, syncing()));
        PX_RETURN_IF_ERROR(ReadIndexHeader(&info));
        PX_RETURN_IF_ERROR(SecondaryMaintainer::Load(*table_, info, stamp, &m));
    }
    for (const SecondaryIndexInfo& info : rebuilt_indexes_) PX_RETURN_IF_ERROR(RebuildSecondaryIndex(*table_, info, syncing()));
    return Status::Ok();
}

Status TableWriter::Commit(int64_t record_delta, size_t changed_from, const std::vector<EntryChange>& changes) {
    StoreLe32(&header_[0x06], uint32_t(int64_t(LoadLe32(&header_[0x06])) + record_delta));
    ++header_[0x2D];
    PX_RETURN_IF_ERROR(store_->WriteHeader());
    PX_RETURN_IF_ERROR(table_->AdoptWrite(header_, changed_from, store_->TakeRewritten()));
    PX_RETURN_IF_ERROR(CommitPrimaryIndex());
    PX_RETURN_IF_ERROR(CommitSecondaryIndexes(changes));
    TakeStamps();
    return Status::Ok();
}

Status TableWriter::Insert(const std::vector<uint8_t>& record, uint64_t* record_number) {
    if (record.size() != table_->header().record_size) return Status::InvalidArgument(table_->name() + ": wrong record size");
    PX_RETURN_IF_ERROR(LockFresh());
    uint64_t position;
    Status s = KeyViolation(record, &position);
    if (!s.ok()) {
        file_->Unlock();
        return s;
    }
    Located at = Locate(position);
    uint16_t block = 0;
    s = store_->Insert(at.chain_index, at.slot, record.data(), &block);
    if (s.ok()) {
        NoteAutoIncrement(table_->header(), record, &header_);
        s = Commit(1, Before(at.chain_index), {EntryChange{true, record, block}});
    }
    s = Finish(s);
    if (s.ok() && record_number) *record_number = position;
    return s;
}

Status TableWriter::Delete(uint64_t record_number) {
    PX_RETURN_IF_ERROR(LockFresh());
    if (record_number >= table_->record_count())
        return Finish(Status::InvalidArgument(table_->name() + ": no record " + std::to_string(record_number + 1)));
    RecordRef old;
    Status s = table_->ReadRecord(record_number, &old);
    if (!s.ok()) return Finish(s);
    std::vector<uint8_t> old_record(old.data, old.data + table_->header().record_size);
    Located at = Locate(record_number + 1);
    s = store_->Remove(at.chain_index, at.slot - 1);
    if (s.ok()) s = Commit(-1, Before(at.chain_index), {EntryChange{false, std::move(old_record), 0}});
    return Finish(s);
}

Status TableWriter::Update(uint64_t record_number, const std::vector<uint8_t>& record, uint64_t* new_number) {
    if (record.size() != table_->header().record_size) return Status::InvalidArgument(table_->name() + ": wrong record size");
    PX_RETURN_IF_ERROR(LockFresh());
    if (record_number >= table_->record_count())
        return Finish(Status::InvalidArgument(table_->name() + ": no record " + std::to_string(record_number + 1)));
    RecordRef old;
    Status s = table_->ReadRecord(record_number, &old);
    if (!s.ok()) return Finish(s);
    std::vector<uint8_t> old_record(old.data, old.data + record.size());
    uint32_t key_width = table_->header().KeyWidth();
    if (table_->is_keyed() && std::memcmp(old_record.data(), record.data(), key_width) != 0) {
        uint64_t position;
        s = KeyViolation(record, &position);
        file_->Unlock();
        PX_RETURN_IF_ERROR(s);
        PX_RETURN_IF_ERROR(Delete(record_number));
        return Insert(record, new_number);
    }
    Located at = Locate(record_number + 1);
    uint16_t block = table_->chain()[at.chain_index].block;
    s = store_->Replace(at.chain_index, at.slot - 1, record.data());
    if (s.ok()) s = Commit(0, Before(at.chain_index), {EntryChange{false, std::move(old_record), block}, EntryChange{true, record, block}});
    s = Finish(s);
    if (s.ok() && new_number) *new_number = record_number;
    return s;
}

}  // namespace paradox
