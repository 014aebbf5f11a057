#include "paradox/secondary_maintainer.h"

#include <algorithm>
#include <cstring>

#include "paradox/bytes.h"

namespace paradox {
namespace {

constexpr uint8_t kCaseInsensitiveFlag = 0x01;

}  // namespace

Status SecondaryMaintainer::Load(const Table& table, const SecondaryIndexInfo& info, uint8_t table_stamp,
                                 std::unique_ptr<SecondaryMaintainer>* out) {
    std::unique_ptr<SecondaryMaintainer> m(new SecondaryMaintainer());
    m->info_ = info;
    m->name_ = BaseName(info.path);
    const FileHeader& x = info.header;
    if (!table.is_keyed()) return Status::NotSupported(m->name_ + ": index of a table without a primary key");
    if (x.key_fields == 0 || x.key_fields > x.num_fields) return Status::Corruption(m->name_ + ": no key fields");
    std::vector<FieldInfo> fields;
    std::vector<bool> descending;
    for (size_t i = 0; i < x.key_fields; ++i) {
        int source = table.FindField(x.fields[i].name);
        if (source < 0 || table.fields()[size_t(source)].type != x.fields[i].type ||
            table.fields()[size_t(source)].width != x.fields[i].width)
            return Status::Corruption(m->name_ + ": key field '" + x.fields[i].name + "' does not match " + table.name());
        m->source_.push_back(table.fields()[size_t(source)]);
        fields.push_back(x.fields[i]);
        descending.push_back(i < x.field_numbers.size() && (x.field_numbers[i] & 0x8000) != 0);
    }
    m->collation_ = &table.collation();
    m->key_ = KeyLayout(fields, m->collation_, descending);
    m->case_insensitive_ = (x.index_flags & kCaseInsensitiveFlag) != 0;
    for (size_t f = 0; f < table.primary_key().field_count(); ++f)
        if (m->case_insensitive_ && table.primary_key().field(f).type == FieldType::kAlpha) m->folds_key_ = true;
    m->width_ = m->key_.width();
    m->record_size_ = x.record_size;
    if (m->width_ + 2 != m->record_size_) return Status::NotSupported(m->name_ + ": index record layout not recognised");
    PX_RETURN_IF_ERROR(ReadHeaderBytes(info.path, &m->header_));
    bool stamped = m->header_[0x2F] == table_stamp;
    std::unique_ptr<RandomAccessFile> file;
    PX_RETURN_IF_ERROR(OpenFile(info.path, &file));
    BlockFile blocks(file.get(), &m->info_.header);
    PX_RETURN_IF_ERROR(blocks.ReadChain(&m->chain_));
    uint64_t total = 0;
    for (const ChainEntry& e : m->chain_) total += e.record_count;
    if (total != table.record_count())
        return Status::Corruption(m->name_ + ": holds " + std::to_string(total) + " entries for " +
                                  std::to_string(table.record_count()) + " records");
    PX_RETURN_IF_ERROR(WritableFile::Open(info.path, false, &m->file_));
    m->store_ = std::make_unique<BlockStore>(m->file_.get(), &m->header_, x.password_checksum, &m->chain_);
    PX_RETURN_IF_ERROR(m->ReadFirstKeys());
    std::string y = TreePathOf(info.path);
    PX_RETURN_IF_ERROR(TreeWriter::Load(y, m->chain_, &m->tree_));
    // Other programs do not always keep the stamps in step: an index whose
    // stamps differ is kept when its entries still match the table.
    if (!stamped || m->tree_->stamp() != m->header_[0x2D]) {
        PX_RETURN_IF_ERROR(m->CheckContents(table));
        // A writer stopped before the header may have left its count behind.
        StoreLe32(&m->header_[0x06], uint32_t(total));
    }
    m->store_->set_tree(m->tree_.get());
    *out = std::move(m);
    return Status::Ok();
}

Status SecondaryMaintainer::CheckContents(const Table& table) const {
    std::unique_ptr<IndexOrder> order;
    PX_RETURN_IF_ERROR(IndexOrder::Build(table, info_, &order));
    if (!order->read_from_file()) return Status::Corruption(name_ + ": out of date: " + order->mismatch());
    if (order->FirstOutOfOrder() < order->size()) return Status::Corruption(name_ + ": entries out of order");
    PX_RETURN_IF_ERROR(tree_->CheckEntryCount());
    for (size_t i = 0; i < chain_.size(); ++i)
        if (chain_[i].record_count > 0)
            PX_RETURN_IF_ERROR(tree_->CheckFirstKey(chain_[i].block, first_keys_[i].data(), first_keys_[i].size()));
    return Status::Ok();
}

Status SecondaryMaintainer::ReadFirstKeys() {
    first_keys_.assign(chain_.size(), {});
    return RefreshFirstKeys(0, chain_.size());
}

Status SecondaryMaintainer::RefreshFirstKeys(size_t from, size_t to) {
    std::vector<uint8_t> block;
    for (size_t i = from; i < to && i < chain_.size(); ++i) {
        PX_RETURN_IF_ERROR(store_->Read(i, &block));
        first_keys_[i].assign(block.begin() + 6, block.begin() + 6 + width_);
    }
    return Status::Ok();
}

std::vector<uint8_t> SecondaryMaintainer::EntryKey(const uint8_t* record) const {
    std::vector<uint8_t> key(width_, 0);
    for (size_t k = 0; k < source_.size(); ++k) {
        uint8_t* at = key.data() + key_.field(k).offset;
        std::memcpy(at, record + source_[k].offset, source_[k].width);
        if (case_insensitive_ && source_[k].type == FieldType::kAlpha) collation_->FoldCase(at, source_[k].width);
    }
    return key;
}

bool SecondaryMaintainer::SameEntry(const uint8_t* old_record, const uint8_t* new_record) const {
    return EntryKey(old_record) == EntryKey(new_record);
}

// The chain entry whose block holds key or its predecessor: the last one
// whose first key is not above key.
size_t SecondaryMaintainer::Find(const uint8_t* key) const {
    size_t lo = 0, hi = chain_.size();
    const size_t all = key_.field_count();
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        if (chain_[mid].record_count > 0 && key_.Compare(first_keys_[mid].data(), key, all) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo == 0 ? 0 : lo - 1;
}

Status SecondaryMaintainer::SlotIn(size_t index, const uint8_t* key, uint32_t* slot, bool* equal) const {
    *slot = 0;
    *equal = false;
    if (chain_.empty()) return Status::Ok();
    std::vector<uint8_t> block;
    PX_RETURN_IF_ERROR(store_->Read(index, &block));
    const size_t all = key_.field_count();
    uint32_t lo = 0, hi = chain_[index].record_count;
    while (lo < hi) {
        uint32_t mid = lo + (hi - lo) / 2;
        if (key_.Compare(&block[6 + size_t(mid) * record_size_], key, all) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    *slot = lo;
    *equal = lo < chain_[index].record_count && key_.Compare(&block[6 + size_t(lo) * record_size_], key, all) == 0;
    return Status::Ok();
}

// Blocks around index may have changed their first entry, been added or left.
Status SecondaryMaintainer::AfterChange(size_t index, size_t chain_before) {
    if (chain_.size() > chain_before) {
        size_t at = std::min(chain_before == 0 ? 0 : index + 1, first_keys_.size());
        first_keys_.insert(first_keys_.begin() + ptrdiff_t(at), std::vector<uint8_t>());
    }
    if (chain_.size() < chain_before) first_keys_.erase(first_keys_.begin() + ptrdiff_t(index));
    if (first_keys_.size() != chain_.size()) first_keys_.resize(chain_.size());
    changed_ = true;
    size_t from = index == 0 ? 0 : index - 1;
    return RefreshFirstKeys(from, index + 2);
}

Status SecondaryMaintainer::Add(const uint8_t* record, uint16_t block) {
    std::vector<uint8_t> entry = EntryKey(record);
    entry.resize(record_size_);
    StoreBe16(&entry[width_], uint16_t(block ^ 0x8000));
    size_t index = Find(entry.data());
    uint32_t slot;
    bool equal;
    PX_RETURN_IF_ERROR(SlotIn(index, entry.data(), &slot, &equal));
    // Folded text keys of two records may be equal ("ab" and "AB").
    if (equal && !folds_key_) return Status::Corruption(name_ + ": holds an entry for a record that is being added");
    size_t before = chain_.size();
    uint16_t landed;
    PX_RETURN_IF_ERROR(store_->Insert(index, slot, entry.data(), &landed));
    StoreLe32(&header_[0x06], LoadLe32(&header_[0x06]) + 1);
    return AfterChange(index, before);
}

Status SecondaryMaintainer::Drop(const uint8_t* record) {
    std::vector<uint8_t> key = EntryKey(record);
    size_t index = Find(key.data());
    uint32_t slot;
    bool equal;
    PX_RETURN_IF_ERROR(SlotIn(index, key.data(), &slot, &equal));
    if (!equal) return Status::Corruption(name_ + ": has no entry for a record that is being removed");
    size_t before = chain_.size();
    PX_RETURN_IF_ERROR(store_->Remove(index, slot));
    StoreLe32(&header_[0x06], LoadLe32(&header_[0x06]) - 1);
    return AfterChange(index, before);
}

Status SecondaryMaintainer::Commit(uint8_t table_stamp, bool durable) {
    store_->TakeRewritten();
    if (changed_) {
        if (tree_->broken()) return Status::Corruption(name_ + ": its tree cannot be changed in place");
        ++header_[0x2D];
        PX_RETURN_IF_ERROR(tree_->Write(header_[0x2D], durable));
        changed_ = false;
    }
    header_[0x2F] = table_stamp;
    if (durable) PX_RETURN_IF_ERROR(file_->Sync());
    return file_->Write(0, header_.data(), header_.size());
}

}  // namespace paradox
