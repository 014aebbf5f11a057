#include "paradox/table.h"

#include <algorithm>

#include "paradox/bytes.h"
#include "paradox/crypt.h"

namespace paradox {
namespace {

constexpr uint8_t kGraphicPrefix[4] = {0x01, 0x00, 0x00, 0x01};

std::string StemOf(const std::string& file_name) {
    size_t dot = file_name.find_last_of('.');
    return dot == std::string::npos ? file_name : file_name.substr(0, dot);
}

// Graphic values carry an 8-byte prefix (marker, payload length) that is not part of the picture.
void StripGraphicPrefix(std::vector<uint8_t>* bytes) {
    if (bytes->size() >= 8 && std::equal(kGraphicPrefix, kGraphicPrefix + 4, bytes->begin())) {
        uint32_t payload = uint32_t((*bytes)[4]) | (uint32_t((*bytes)[5]) << 8) | (uint32_t((*bytes)[6]) << 16) |
                           (uint32_t((*bytes)[7]) << 24);
        if (payload == bytes->size() - 8) bytes->erase(bytes->begin(), bytes->begin() + 8);
    }
}

}  // namespace

std::string CompanionPath(const std::string& table_path, const std::string& ext) {
    return FindIgnoringCase(DirName(table_path), StemOf(BaseName(table_path)) + "." + ext);
}

Status Table::Open(const std::string& path, const OpenOptions& options, std::unique_ptr<Table>* out) {
    auto table = std::unique_ptr<Table>(new Table());
    table->path_ = path;
    PX_RETURN_IF_ERROR(OpenFile(path, &table->file_));
    PX_RETURN_IF_ERROR(table->TakeStamp());
    PX_RETURN_IF_ERROR(ReadHeader(*table->file_, &table->header_));
    const FileHeader& h = table->header_;
    if (h.file_type != FileType::kIndexedDb && h.file_type != FileType::kUnindexedDb)
        return Status::Corruption(table->name() + ": not a table (.DB) file");
    if (options.require_password) PX_RETURN_IF_ERROR(table->CheckPassword(options));
    table->blocks_ = std::make_unique<BlockFile>(table->file_.get(), &table->header_, options.cache_bytes);
    PX_RETURN_IF_ERROR(table->blocks_->ReadChain(&table->chain_));
    table->ordinal_of_block_.assign(size_t(h.file_blocks) + 1, -1);
    for (size_t i = 0; i < table->chain_.size(); ++i) {
        table->ordinal_of_block_[table->chain_[i].block] = int32_t(i);
        table->record_count_ += table->chain_[i].record_count;
    }
    table->text_ = std::make_unique<TextDecoder>(TextEncodingName(h));
    table->collation_ = std::make_unique<Collation>(TextEncodingName(h), h.sort_order_name);
    std::vector<FieldInfo> key_fields(h.fields.begin(), h.fields.begin() + h.key_fields);
    table->primary_key_ = KeyLayout(key_fields, table->collation_.get());
    PX_RETURN_IF_ERROR(table->OpenCompanions());
    *out = std::move(table);
    return Status::Ok();
}

Status Table::CheckPassword(const OpenOptions& options) const {
    if (!header_.IsEncrypted()) return Status::Ok();
    for (const std::string& password : options.passwords)
        if (PasswordChecksum(password) == header_.password_checksum) return Status::Ok();
    return Status::PermissionDenied(name() + ": password required or wrong");
}

Status Table::OpenCompanions() {
    bool has_blobs = std::any_of(header_.fields.begin(), header_.fields.end(),
                                 [](const FieldInfo& f) { return IsBlobType(f.type); });
    std::string mb = has_blobs ? CompanionPath(path_, "MB") : std::string();
    if (!mb.empty()) {
        std::unique_ptr<RandomAccessFile> file;
        PX_RETURN_IF_ERROR(OpenFile(mb, &file));
        blob_file_ = std::make_unique<BlobFile>(std::move(file), header_.password_checksum);
    }
    std::string px = is_keyed() ? CompanionPath(path_, "PX") : std::string();
    if (!px.empty()) PX_RETURN_IF_ERROR(PrimaryIndex::Open(px, header_, &primary_index_));
    return Status::Ok();
}

// Taken before anything else is read: a change made meanwhile shows as a
// difference later, never as a table thought current. ReadHeader checks the
// header size afterwards.
Status Table::TakeStamp() {
    stamp_ = StampFiles({path_}).front();
    uint8_t fixed[4] = {};
    PX_RETURN_IF_ERROR(file_->Read(0, std::min<uint64_t>(sizeof fixed, file_->Size()), fixed));
    raw_header_.resize(size_t(std::min<uint64_t>(LoadLe16(fixed + 2), file_->Size())));
    return file_->Read(0, raw_header_.size(), raw_header_.data());
}

Status Table::CheckCurrent(bool* current) const {
    *current = false;
    if (StampFiles({path_}).front() != stamp_) return Status::Ok();
    std::vector<uint8_t> on_disk(raw_header_.size());
    PX_RETURN_IF_ERROR(file_->Read(0, on_disk.size(), on_disk.data()));
    *current = on_disk == raw_header_;
    return Status::Ok();
}

int Table::FindField(const std::string& field_name) const {
    for (size_t i = 0; i < header_.fields.size(); ++i)
        if (EqualsIgnoringCase(header_.fields[i].name, field_name)) return int(i);
    return -1;
}

int64_t Table::ChainOrdinal(uint16_t block) const {
    return block < ordinal_of_block_.size() ? ordinal_of_block_[block] : -1;
}

Status Table::ReadRecord(uint64_t record_number, RecordRef* record) const {
    if (record_number >= record_count_)
        return Status::InvalidArgument(name() + ": record " + std::to_string(record_number + 1) + " does not exist");
    auto it = std::upper_bound(chain_.begin(), chain_.end(), record_number,
                               [](uint64_t n, const ChainEntry& e) { return n < e.first_record; });
    const ChainEntry& entry = *(it - 1);
    uint16_t next = it == chain_.end() ? 0 : it->block;
    PX_RETURN_IF_ERROR(blocks_->ReadBlock(entry.block, &record->block));
    // A block read after another process changed the table must not pass
    // for part of the chain this object holds.
    if (record->block->record_count != entry.record_count || record->block->next != next)
        return Status::Corruption(name() + ": block " + std::to_string(entry.block) + " changed while the table was open");
    record->data = record->block->Record(uint32_t(record_number - entry.first_record));
    return Status::Ok();
}

Status Table::ReadValue(const RecordRef& record, size_t field, Value* value) const {
    const FieldInfo& f = header_.fields[field];
    DecodeField(f, record.data, *text_, value);
    if (!IsBlobType(f.type) || value->is_null) return Status::Ok();
    BlobDescriptor d = ReadBlobDescriptor(f, record.data);
    if (!d.InLeader()) {
        if (!blob_file_) return Status::NotFound(name() + ": field '" + f.name + "' needs the memo file (.MB), which is missing");
        PX_RETURN_IF_ERROR(blob_file_->Read(d, &value->bytes));
    }
    if (f.type == FieldType::kGraphic) StripGraphicPrefix(&value->bytes);
    return Status::Ok();
}

Status Table::LowerBound(const std::vector<uint8_t>& key, size_t n, uint64_t* record_number) const {
    return Bound(key, n, false, record_number);
}

Status Table::UpperBound(const std::vector<uint8_t>& key, size_t n, uint64_t* record_number) const {
    return Bound(key, n, true, record_number);
}

// True when record lies before the bound: below key (lower bound), or not
// above it (upper bound).
bool Table::Below(const uint8_t* record, const uint8_t* key, size_t n, bool upper) const {
    int c = primary_key_.Compare(record, key, n);
    return c < 0 || (upper && c == 0);
}

// The chain position of the block in which the bound starts: every record in
// earlier blocks is below it.
Status Table::StartOrdinal(const uint8_t* key, size_t n, bool upper, size_t* ordinal) const {
    if (!primary_index_ || primary_index_->header().num_records == 0) return SearchChain(key, n, upper, ordinal);
    uint16_t block;
    PX_RETURN_IF_ERROR(primary_index_->FindDataBlock(primary_key_, key, n, upper, &block));
    // A .PX left behind by an interrupted writer may name a block that has
    // since left the chain.
    int64_t found = ChainOrdinal(block);
    if (found < 0) return SearchChain(key, n, upper, ordinal);
    *ordinal = size_t(found);
    return Status::Ok();
}

// Without a usable .PX: the chain is in key order, so search the blocks'
// first records.
Status Table::SearchChain(const uint8_t* key, size_t n, bool upper, size_t* ordinal) const {
    size_t lo = 0, hi = chain_.size();
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        BlockRef block;
        PX_RETURN_IF_ERROR(blocks_->ReadBlock(chain_[mid].block, &block));
        if (!block->record_count || Below(block->Record(0), key, n, upper))
            lo = mid + 1;
        else
            hi = mid;
    }
    *ordinal = lo == 0 ? 0 : lo - 1;
    return Status::Ok();
}

// The bound within one block. proven: the neighbouring blocks confirm that
// the bound lies here, which an out-of-date .PX cannot promise.
Status Table::BoundInBlock(size_t ordinal, const uint8_t* key, size_t n, bool upper, uint32_t* slot, bool* proven) const {
    BlockRef block;
    PX_RETURN_IF_ERROR(blocks_->ReadBlock(chain_[ordinal].block, &block));
    uint32_t lo = 0, hi = block->record_count;
    while (lo < hi) {
        uint32_t mid = lo + (hi - lo) / 2;
        if (Below(block->Record(mid), key, n, upper))
            lo = mid + 1;
        else
            hi = mid;
    }
    *slot = lo;
    *proven = true;
    if (lo == 0 && ordinal > 0) {
        BlockRef before;
        PX_RETURN_IF_ERROR(blocks_->ReadBlock(chain_[ordinal - 1].block, &before));
        *proven = before->record_count == 0 || Below(before->Record(before->record_count - 1), key, n, upper);
    }
    if (*proven && lo == block->record_count && ordinal + 1 < chain_.size()) {
        BlockRef after;
        PX_RETURN_IF_ERROR(blocks_->ReadBlock(chain_[ordinal + 1].block, &after));
        *proven = after->record_count == 0 || !Below(after->Record(0), key, n, upper);
    }
    return Status::Ok();
}

Status Table::Bound(const std::vector<uint8_t>& key, size_t n, bool upper, uint64_t* record_number) const {
    if (!is_keyed()) return Status::InvalidArgument(name() + ": table has no primary key");
    if (n > primary_key_.field_count() || key.size() < primary_key_.PrefixWidth(n))
        return Status::InvalidArgument(name() + ": search key longer than the primary key");
    *record_number = record_count_;
    if (chain_.empty()) return Status::Ok();
    size_t ordinal;
    PX_RETURN_IF_ERROR(StartOrdinal(key.data(), n, upper, &ordinal));
    uint32_t slot;
    bool proven;
    PX_RETURN_IF_ERROR(BoundInBlock(ordinal, key.data(), n, upper, &slot, &proven));
    if (!proven) {
        PX_RETURN_IF_ERROR(SearchChain(key.data(), n, upper, &ordinal));
        PX_RETURN_IF_ERROR(BoundInBlock(ordinal, key.data(), n, upper, &slot, &proven));
    }
    *record_number = chain_[ordinal].first_record + slot;
    return Status::Ok();
}

Status Table::AdoptWrite(const std::vector<uint8_t>& raw_header, size_t changed_from, const std::vector<uint16_t>& rewritten) {
    RefreshCounts(raw_header, &header_);
    PX_RETURN_IF_ERROR(file_->UpdateSize());
    if (changed_from > chain_.size()) changed_from = chain_.size();
    uint64_t records = changed_from == 0 ? 0 : chain_[changed_from - 1].first_record + chain_[changed_from - 1].record_count;
    ordinal_of_block_.resize(size_t(header_.file_blocks) + 1, -1);
    // A rewritten block may have left the chain; the ones still in it are
    // all at or after changed_from and get their position back below.
    for (uint16_t block : rewritten) ordinal_of_block_[block] = -1;
    for (size_t i = changed_from; i < chain_.size(); ++i) {
        chain_[i].first_record = records;
        ordinal_of_block_[chain_[i].block] = int32_t(i);
        records += chain_[i].record_count;
    }
    record_count_ = records;
    for (uint16_t block : rewritten) blocks_->Forget(block);
    if (blob_file_) PX_RETURN_IF_ERROR(blob_file_->UpdateSize());
    stamp_ = StampFiles({path_}).front();
    raw_header_ = raw_header;
    return Status::Ok();
}

Status Table::RefreshPrimaryIndex(const std::vector<uint16_t>& rewritten) {
    return primary_index_ ? primary_index_->Refresh(header_, rewritten) : ReopenPrimaryIndex();
}

Status Table::ReopenPrimaryIndex() {
    primary_index_.reset();
    std::string px = is_keyed() ? CompanionPath(path_, "PX") : std::string();
    return px.empty() ? Status::Ok() : PrimaryIndex::Open(px, header_, &primary_index_);
}

}  // namespace paradox
