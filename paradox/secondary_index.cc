#include "paradox/secondary_index.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "paradox/bytes.h"

namespace paradox {
namespace {

constexpr uint8_t kCaseInsensitiveFlag = 0x01;

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// "X06" -> 6, "XG0" -> -1 (composite), anything else -> 0.
int IndexFileKind(const std::string& ext) {
    if (ext.size() == 3 && (ext[0] == 'X' || ext[0] == 'x')) {
        if ((ext[1] == 'G' || ext[1] == 'g') && IsHexDigit(ext[2])) return -1;
        if (IsHexDigit(ext[1]) && IsHexDigit(ext[2])) return std::stoi(ext.substr(1), nullptr, 16);
    }
    return 0;
}

}  // namespace

std::string TreePathOf(const std::string& x_path) {
    std::string y = x_path;
    size_t dot = y.rfind('.');
    y[dot + 1] = y[dot + 1] == 'x' ? 'y' : 'Y';
    return y;
}

Status ListSecondaryIndexes(const Table& table, std::vector<SecondaryIndexInfo>* indexes) {
    indexes->clear();
    std::string stem = table.name().substr(0, table.name().find_last_of('.'));
    std::string dir = DirName(table.path());
    for (const std::string& entry : ListDirectory(dir)) {
        size_t dot = entry.find_last_of('.');
        if (dot == std::string::npos || !EqualsIgnoringCase(entry.substr(0, dot), stem)) continue;
        int kind = IndexFileKind(entry.substr(dot + 1));
        if (kind == 0) continue;
        SecondaryIndexInfo info;
        info.path = dir.empty() ? entry : dir + "/" + entry;
        std::unique_ptr<RandomAccessFile> file;
        PX_RETURN_IF_ERROR(OpenFile(info.path, &file));
        PX_RETURN_IF_ERROR(ReadHeader(*file, &info.header));
        if (kind > 0) {
            if (kind > int(table.fields().size()) || info.header.first_indexed_field != kind)
                return Status::Corruption(entry + ": does not index field " + std::to_string(kind) + " of " + table.name());
            info.name = table.fields()[size_t(kind - 1)].name;
        } else {
            info.name = info.header.index_name;
        }
        indexes->push_back(std::move(info));
    }
    std::sort(indexes->begin(), indexes->end(),
              [](const SecondaryIndexInfo& a, const SecondaryIndexInfo& b) { return a.path < b.path; });
    return Status::Ok();
}

Status IndexOrder::Open(const Table& table, const std::string& name, std::unique_ptr<IndexOrder>* order) {
    std::vector<SecondaryIndexInfo> indexes;
    PX_RETURN_IF_ERROR(ListSecondaryIndexes(table, &indexes));
    for (const SecondaryIndexInfo& info : indexes)
        if (EqualsIgnoringCase(info.name, name)) return Build(table, info, order);
    return Status::NotFound(table.name() + ": index '" + name + "' not found");
}

Status IndexOrder::Build(const Table& table, const SecondaryIndexInfo& info, std::unique_ptr<IndexOrder>* out) {
    auto order = std::unique_ptr<IndexOrder>(new IndexOrder());
    order->name_ = info.name;
    const FileHeader& x = info.header;
    std::string x_name = BaseName(info.path);
    if (x.file_type != FileType::kSecondaryData && x.file_type != FileType::kSecondaryDataMaint &&
        x.file_type != FileType::kCompositeData && x.file_type != FileType::kCompositeDataMaint)
        return Status::Corruption(x_name + ": not a secondary index file");
    PX_RETURN_IF_ERROR(ParseIndexLayout(x, x_name, &order->layout_));
    if (order->layout_.value_fields == 0) return Status::Corruption(x_name + ": no key fields");
    order->case_insensitive_ = (x.index_flags & kCaseInsensitiveFlag) != 0;
    std::vector<FieldInfo> key_fields;
    std::vector<bool> descending;
    for (size_t i = 0; i < order->layout_.value_fields; ++i) {
        int source = table.FindField(x.fields[i].name);
        if (source < 0 || table.fields()[size_t(source)].type != x.fields[i].type ||
            table.fields()[size_t(source)].width != x.fields[i].width)
            return Status::Corruption(x_name + ": key field '" + x.fields[i].name + "' does not match " + table.name());
        order->key_source_.push_back(source);
        order->source_fields_.push_back(table.fields()[size_t(source)]);
        key_fields.push_back(x.fields[i]);
        descending.push_back(i < x.field_numbers.size() && (x.field_numbers[i] & 0x8000) != 0);
    }
    order->collation_ = &table.collation();
    order->key_ = KeyLayout(key_fields, &table.collation(), descending);
    Status read = order->ReadFromFile(table, info);
    if (!read.ok() && !read.IsCorruption()) return read;
    if (!read.ok()) {
        order->mismatch_ = read.message();
        PX_RETURN_IF_ERROR(order->SortInMemory(table));
    }
    *out = std::move(order);
    return Status::Ok();
}

// A case-insensitive index holds primary key text folded, so the key no
// longer names one record exactly.
bool IndexOrder::FoldsPrimaryKey(const Table& table) const {
    if (!case_insensitive_) return false;
    for (size_t f = 0; f < table.primary_key().field_count(); ++f)
        if (table.primary_key().field(f).type == FieldType::kAlpha) return true;
    return false;
}

// The values a record's entry holds: its indexed fields, text folded when
// the index ignores case.
void IndexOrder::EntryValues(const uint8_t* record, uint8_t* out) const {
    for (size_t k = 0; k < source_fields_.size(); ++k) {
        const FieldInfo& source = source_fields_[k];
        uint8_t* at = out + key_.field(k).offset;
        std::memcpy(at, record + source.offset, source.width);
        if (case_insensitive_ && source.type == FieldType::kAlpha) collation_->FoldCase(at, source.width);
    }
}

Status IndexOrder::MapByValues(const Table& table, ValueMap* map) const {
    std::string values(key_.width(), '\0');
    for (uint64_t r = 0; r < table.record_count(); ++r) {
        RecordRef record;
        PX_RETURN_IF_ERROR(table.ReadRecord(r, &record));
        EntryValues(record.data, reinterpret_cast<uint8_t*>(values.data()));
        (*map)[values].records.push_back(r);
    }
    return Status::Ok();
}

// Entries with equal values stand for their records in table order.
Status IndexOrder::LocateByValues(const uint8_t* x_record, ValueMap* map, uint64_t* record_number) const {
    auto it = map->find(std::string(reinterpret_cast<const char*>(x_record), key_.width()));
    if (it == map->end() || it->second.next == it->second.records.size())
        return Status::Corruption("index entry without a matching record");
    *record_number = it->second.records[it->second.next++];
    return Status::Ok();
}

Status IndexOrder::ReadFromFile(const Table& table, const SecondaryIndexInfo& info) {
    std::unique_ptr<RandomAccessFile> file;
    PX_RETURN_IF_ERROR(OpenFile(info.path, &file));
    FileHeader header;
    PX_RETURN_IF_ERROR(ReadHeader(*file, &header));
    if (header.IsEncrypted() && header.password_checksum != table.header().password_checksum)
        return Status::Corruption(file->Name() + ": encrypted with another key than the table");
    BlockFile blocks(file.get(), &header);
    std::vector<ChainEntry> chain;
    PX_RETURN_IF_ERROR(blocks.ReadChain(&chain));
    uint64_t total = chain.empty() ? 0 : chain.back().first_record + chain.back().record_count;
    if (total != table.record_count())
        return Status::Corruption(file->Name() + ": holds " + std::to_string(total) + " entries for " +
                                  std::to_string(table.record_count()) + " records");
    bool by_values = !table.is_keyed() || FoldsPrimaryKey(table);
    ValueMap by_value;
    if (by_values) PX_RETURN_IF_ERROR(MapByValues(table, &by_value));
    records_.reserve(total);
    keys_.reserve(total * key_.width());
    for (const ChainEntry& entry : chain) {
        BlockRef block;
        PX_RETURN_IF_ERROR(blocks.ReadBlock(entry.block, &block));
        for (uint32_t i = 0; i < block->record_count; ++i) {
            const uint8_t* x_record = block->Record(i);
            uint64_t record_number;
            if (by_values) {
                PX_RETURN_IF_ERROR(LocateByValues(x_record, &by_value, &record_number));
            } else {
                PX_RETURN_IF_ERROR(LocateRecord(table, x_record, EntryBlock(layout_, x_record), &record_number));
                PX_RETURN_IF_ERROR(MatchesRecord(table, x_record, record_number));
            }
            records_.push_back(record_number);
            keys_.insert(keys_.end(), x_record, x_record + key_.width());
        }
    }
    read_from_file_ = true;
    return Status::Ok();
}

// Finds the table record an index entry stands for by its primary key: first
// in the hinted block, else through the primary index.
Status IndexOrder::LocateRecord(const Table& table, const uint8_t* x_record, uint16_t hint_block,
                                uint64_t* record_number) const {
    const KeyLayout& pk = table.primary_key();
    std::vector<uint8_t> pk_bytes(pk.width(), 0);
    for (size_t f = 0; f < pk.field_count(); ++f) {
        int at = -1;
        for (size_t k = 0; k < key_source_.size(); ++k)
            if (key_source_[k] == int(f)) at = int(k);
        if (at < 0) return Status::Corruption("index lacks primary key field '" + pk.field(f).name + "'");
        std::memcpy(pk_bytes.data() + pk.field(f).offset, x_record + key_.field(size_t(at)).offset, pk.field(f).width);
    }
    int64_t ordinal = table.ChainOrdinal(hint_block);
    if (ordinal >= 0) {
        const ChainEntry& entry = table.chain()[size_t(ordinal)];
        BlockRef block;
        PX_RETURN_IF_ERROR(table.blocks().ReadBlock(entry.block, &block));
        for (uint32_t i = 0; i < block->record_count; ++i)
            if (std::memcmp(block->Record(i), pk_bytes.data(), pk.width()) == 0) {
                *record_number = entry.first_record + i;
                return Status::Ok();
            }
    }
    PX_RETURN_IF_ERROR(table.LowerBound(pk_bytes, pk.field_count(), record_number));
    RecordRef record;
    if (*record_number < table.record_count()) PX_RETURN_IF_ERROR(table.ReadRecord(*record_number, &record));
    if (!record.data || std::memcmp(record.data, pk_bytes.data(), pk.width()) != 0)
        return Status::Corruption("index entry without a matching record");
    return Status::Ok();
}

// The entry's key fields must hold the record's values (folded when the
// index ignores case).
Status IndexOrder::MatchesRecord(const Table& table, const uint8_t* x_record, uint64_t record_number) const {
    RecordRef record;
    PX_RETURN_IF_ERROR(table.ReadRecord(record_number, &record));
    std::vector<uint8_t> values(key_.width());
    EntryValues(record.data, values.data());
    if (std::memcmp(values.data(), x_record, values.size()) != 0)
        return Status::Corruption("index entry differs from record " + std::to_string(record_number + 1));
    return Status::Ok();
}

Status IndexOrder::SortInMemory(const Table& table) {
    uint64_t n = table.record_count();
    keys_.assign(n * key_.width(), 0);
    records_.resize(n);
    for (uint64_t r = 0; r < n; ++r) {
        RecordRef record;
        PX_RETURN_IF_ERROR(table.ReadRecord(r, &record));
        EntryValues(record.data, keys_.data() + r * key_.width());
    }
    std::vector<uint64_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    const size_t all = key_.field_count();
    std::stable_sort(order.begin(), order.end(), [&](uint64_t a, uint64_t b) {
        return key_.Compare(keys_.data() + a * key_.width(), keys_.data() + b * key_.width(), all) < 0;
    });
    std::vector<uint8_t> sorted_keys(keys_.size());
    for (uint64_t i = 0; i < n; ++i)
        std::memcpy(sorted_keys.data() + i * key_.width(), keys_.data() + order[i] * key_.width(), key_.width());
    keys_ = std::move(sorted_keys);
    records_ = std::move(order);
    read_from_file_ = false;
    return Status::Ok();
}

uint64_t IndexOrder::FirstOutOfOrder() const {
    for (uint64_t i = 1; i < records_.size(); ++i)
        if (key_.Compare(KeyAt(i - 1), KeyAt(i), key_.field_count()) > 0) return i;
    return records_.size();
}

uint64_t IndexOrder::Bound(const std::vector<uint8_t>& key, size_t n, bool upper) const {
    std::vector<uint8_t> probe = key;
    probe.resize(key_.width(), 0);
    // Case-insensitive keys are stored upper-cased; search the same way.
    if (case_insensitive_)
        for (size_t k = 0; k < n && k < key_.field_count(); ++k)
            if (key_.field(k).type == FieldType::kAlpha)
                collation_->FoldCase(probe.data() + key_.field(k).offset, key_.field(k).width);
    uint64_t lo = 0, hi = records_.size();
    while (lo < hi) {
        uint64_t mid = lo + (hi - lo) / 2;
        int c = key_.Compare(KeyAt(mid), probe.data(), n);
        if (c < 0 || (upper && c == 0))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

}  // namespace paradox
