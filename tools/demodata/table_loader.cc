#include "tools/demodata/table_loader.h"

#include <algorithm>
#include <memory>
#include <numeric>

#include "paradox/blob_writer.h"
#include "paradox/bytes.h"
#include "paradox/crypt.h"
#include "paradox/date_time.h"
#include "paradox/field_codec.h"
#include "paradox/field_encoder.h"
#include "paradox/index_writer.h"
#include "paradox/writable_file.h"

namespace zelvon::demodata {
namespace {

using paradox::FieldType;
using paradox::Status;
using paradox::Value;
using Record = std::vector<uint8_t>;

std::string ReadWhole(const std::string& path, Status* status) {
    std::unique_ptr<paradox::RandomAccessFile> file;
    *status = paradox::OpenFile(path, &file);
    if (!status->ok()) return {};
    std::string bytes(file->Size(), '\0');
    *status = file->Read(0, bytes.size(), reinterpret_cast<uint8_t*>(bytes.data()));
    return bytes;
}

// A fresh table holds only headers (and the .MB header block); encryption
// puts the checksum into each header and encrypts the .MB block.
Status ProtectWithPassword(const std::string& path, const std::string& password) {
    uint32_t checksum = paradox::PasswordChecksum(password);
    std::vector<uint8_t> db;
    PX_RETURN_IF_ERROR(paradox::ReadHeaderBytes(path, &db));
    paradox::StoreLe32(&db[0x5C], checksum);
    db[0x3E] = db[0x3F] = 0;
    PX_RETURN_IF_ERROR(paradox::ReplaceFile(path, std::string(db.begin(), db.end())));
    std::string px = paradox::CompanionPath(path, "PX");
    if (!px.empty()) {
        std::vector<uint8_t> h;
        PX_RETURN_IF_ERROR(paradox::ReadHeaderBytes(px, &h));
        paradox::StoreLe32(&h[0x25], checksum);
        PX_RETURN_IF_ERROR(paradox::ReplaceFile(px, std::string(h.begin(), h.end())));
    }
    std::string mb = paradox::CompanionPath(path, "MB");
    if (mb.empty()) return Status::Ok();
    Status s;
    std::string bytes = ReadWhole(mb, &s);
    PX_RETURN_IF_ERROR(s);
    paradox::EncryptMbChunks(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), checksum);
    return paradox::ReplaceFile(mb, bytes);
}

// The code page lacks some characters; the kit must not lose any silently.
Status CheckRepresentable(const paradox::Table& table, const paradox::FieldInfo& field, const Value& value, size_t row_number) {
    if (value.is_null || value.text.empty()) return Status::Ok();
    std::string bytes = table.text().Encode(value.text);
    if (table.text().Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) == value.text) return Status::Ok();
    return Status::InvalidArgument(table.name() + ", field " + field.name + ", row " + std::to_string(row_number + 1) +
                                   ": text has characters outside the table's code page " + table.text().encoding());
}

Status EncodeRow(const paradox::Table& table, const Row& row, size_t row_number, paradox::BlobWriter* blobs,
                 Record* record) {
    const auto& fields = table.fields();
    if (row.size() != fields.size())
        return Status::InvalidArgument(table.name() + ": row " + std::to_string(row_number + 1) + " has " +
                                       std::to_string(row.size()) + " values for " + std::to_string(fields.size()) + " fields");
    record->assign(table.header().record_size, 0);
    for (size_t i = 0; i < fields.size(); ++i) {
        const paradox::FieldInfo& f = fields[i];
        PX_RETURN_IF_ERROR(CheckRepresentable(table, f, row[i], row_number));
        PX_RETURN_IF_ERROR(paradox::EncodeField(table.name(), f, row[i], table.text(), record->data()));
        if (row[i].is_null || !paradox::IsBlobType(f.type)) continue;
        std::string bytes = paradox::MemoBytes(row[i], table.text());
        if (!paradox::NeedsBlobFile(f, bytes.size())) continue;
        if (!blobs) return Status::NotFound(table.name() + ", field " + f.name + ": the table has no memo file");
        paradox::BlobDescriptor d;
        d.leader_size = f.width - 10;
        PX_RETURN_IF_ERROR(blobs->Append(std::vector<uint8_t>(bytes.begin(), bytes.end()), &d));
        paradox::StoreBlobDescriptor(f, d, record->data());
    }
    return Status::Ok();
}

Status EncodeRows(const paradox::Table& table, const std::vector<Row>& rows, std::vector<Record>* records) {
    std::unique_ptr<paradox::BlobWriter> blobs;
    std::string mb = paradox::CompanionPath(table.path(), "MB");
    if (!mb.empty()) PX_RETURN_IF_ERROR(paradox::BlobWriter::Open(mb, table.header().password_checksum, &blobs));
    records->resize(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) PX_RETURN_IF_ERROR(EncodeRow(table, rows[r], r, blobs.get(), &(*records)[r]));
    return Status::Ok();
}

// Primary key order; equal keys are a key violation naming both rows.
Status SortByKey(const paradox::Table& table, std::vector<Record>* records) {
    size_t n = table.header().key_fields;
    if (n == 0) return Status::Ok();
    std::vector<size_t> order(records->size());
    std::iota(order.begin(), order.end(), 0);
    const paradox::KeyLayout& key = table.primary_key();
    auto less = [&](size_t a, size_t b) { return key.Compare((*records)[a].data(), (*records)[b].data(), n) < 0; };
    std::stable_sort(order.begin(), order.end(), less);
    for (size_t i = 1; i < order.size(); ++i)
        if (!less(order[i - 1], order[i]))
            return Status::InvalidArgument(table.name() + ": key violation: rows " + std::to_string(order[i - 1] + 1) +
                                           " and " + std::to_string(order[i] + 1) + " have the same primary key");
    std::vector<Record> sorted;
    sorted.reserve(records->size());
    for (size_t i : order) sorted.push_back(std::move((*records)[i]));
    *records = std::move(sorted);
    return Status::Ok();
}

void NoteAutoIncrement(const paradox::FileHeader& h, const Record& record, std::vector<uint8_t>* header) {
    for (const paradox::FieldInfo& f : h.fields) {
        if (f.type != FieldType::kAutoIncrement || paradox::AllZero(&record[f.offset], 4)) continue;
        int64_t v = paradox::DecodeInt(&record[f.offset], 4);
        if (v > int64_t(paradox::LoadLe32(&(*header)[0x49]))) paradox::StoreLe32(&(*header)[0x49], uint32_t(v));
    }
}

// Blocks packed full and chained in file order, then the header that counts them.
Status WriteBlocks(const paradox::Table& table, const std::vector<Record>& records) {
    const paradox::FileHeader& h = table.header();
    const uint32_t per_block = (h.block_size - 6) / h.record_size;
    const uint64_t blocks = (records.size() + per_block - 1) / per_block;
    if (blocks > 0xFFFF)
        return Status::InvalidArgument(table.name() + ": " + std::to_string(records.size()) +
                                       " records need more than 65535 blocks");
    std::vector<uint8_t> header;
    PX_RETURN_IF_ERROR(paradox::ReadHeaderBytes(table.path(), &header));
    std::string body;
    body.reserve(blocks * h.block_size);
    for (uint64_t b = 0; b < blocks; ++b) {
        std::vector<uint8_t> block(h.block_size, 0);
        uint32_t count = uint32_t(std::min<uint64_t>(per_block, records.size() - b * per_block));
        paradox::StoreLe16(&block[0], b + 1 < blocks ? uint16_t(b + 2) : 0);
        paradox::StoreLe16(&block[2], uint16_t(b));
        paradox::StoreLe16(&block[4], uint16_t(int16_t((int32_t(count) - 1) * int32_t(h.record_size))));
        for (uint32_t i = 0; i < count; ++i) {
            const Record& r = records[b * per_block + i];
            std::copy(r.begin(), r.end(), block.begin() + 6 + ptrdiff_t(i) * h.record_size);
            NoteAutoIncrement(h, r, &header);
        }
        if (h.IsEncrypted()) paradox::EncryptDbBlock(block.data(), block.size(), h.password_checksum, uint32_t(b + 1));
        body.append(block.begin(), block.end());
    }
    paradox::StoreLe32(&header[0x06], uint32_t(records.size()));
    for (size_t at : {0x0A, 0x0C, 0x10, 0x3A}) paradox::StoreLe16(&header[at], uint16_t(blocks));
    paradox::StoreLe16(&header[0x0E], blocks ? 1 : 0);
    paradox::StoreLe16(&header[0x4D], 0);
    ++header[0x2D];
    return paradox::ReplaceFile(table.path(), std::string(header.begin(), header.end()) + body);
}

Status WritePrimaryIndex(const paradox::Table& table) {
    std::string px = paradox::CompanionPath(table.path(), "PX");
    std::vector<uint8_t> db, header;
    PX_RETURN_IF_ERROR(paradox::ReadHeaderBytes(table.path(), &db));
    PX_RETURN_IF_ERROR(paradox::ReadHeaderBytes(px, &header));
    header[0x2C] = db[0x2D];
    uint32_t width = table.header().KeyWidth();
    std::vector<paradox::IndexEntry> leaves;
    for (const paradox::ChainEntry& e : table.chain()) {
        paradox::BlockRef block;
        PX_RETURN_IF_ERROR(table.blocks().ReadBlock(e.block, &block));
        leaves.push_back({std::vector<uint8_t>(block->Record(0), block->Record(0) + width), e.block, e.record_count});
    }
    std::string bytes;
    PX_RETURN_IF_ERROR(paradox::BuildIndexTree(std::move(header), leaves, &bytes));
    return paradox::ReplaceFile(px, bytes);
}

Status WriteSecondaryIndexes(const paradox::Table& table, const TableDefinition& definition) {
    for (const paradox::SecondaryIndexSpec& index : definition.indexes) {
        std::string x_path;
        PX_RETURN_IF_ERROR(paradox::CreateSecondaryIndex(table, index, &x_path));
    }
    return Status::Ok();
}

Status Build(const std::string& path, const TableDefinition& definition, const std::vector<Row>& rows) {
    paradox::CreateOptions create;
    create.key_fields = definition.key_fields;
    PX_RETURN_IF_ERROR(paradox::CreateTable(path, definition.fields, create));
    if (!definition.password.empty()) PX_RETURN_IF_ERROR(ProtectWithPassword(path, definition.password));
    paradox::OpenOptions open;
    if (!definition.password.empty()) open.passwords = {definition.password};
    std::unique_ptr<paradox::Table> table;
    PX_RETURN_IF_ERROR(paradox::Table::Open(path, open, &table));
    std::vector<Record> records;
    PX_RETURN_IF_ERROR(EncodeRows(*table, rows, &records));
    PX_RETURN_IF_ERROR(SortByKey(*table, &records));
    PX_RETURN_IF_ERROR(WriteBlocks(*table, records));
    PX_RETURN_IF_ERROR(paradox::Table::Open(path, open, &table));
    if (table->is_keyed()) {
        PX_RETURN_IF_ERROR(WritePrimaryIndex(*table));
        PX_RETURN_IF_ERROR(paradox::Table::Open(path, open, &table));
    }
    return WriteSecondaryIndexes(*table, definition);
}

Value Make(FieldType type) {
    Value v;
    v.type = type;
    v.is_null = false;
    return v;
}

}  // namespace

Status WriteTable(const std::string& directory, const TableDefinition& definition, const std::vector<Row>& rows) {
    std::string path = directory + "/" + definition.file_name;
    PX_RETURN_IF_ERROR(paradox::DeleteTable(path));
    Status s = Build(path, definition, rows);
    if (!s.ok()) paradox::DeleteTable(path);
    return s;
}

Value Null() { return Value(); }

Value Text(const std::string& utf8) {
    if (utf8.empty()) return Null();
    Value v = Make(FieldType::kAlpha);
    v.text = utf8;
    return v;
}

Value Integer(int64_t i) {
    Value v = Make(FieldType::kLong);
    v.integer = i;
    return v;
}

Value Number(double d) {
    Value v = Make(FieldType::kNumber);
    v.number = d;
    return v;
}

Value Logical(bool b) {
    Value v = Make(FieldType::kLogical);
    v.integer = b ? 1 : 0;
    return v;
}

Value Date(int year, int month, int day) {
    Value v = Make(FieldType::kDate);
    v.integer = paradox::DayFromCivil(year, month, day);
    return v;
}

Value Timestamp(int year, int month, int day, int hour, int minute, int second) {
    Value v = Make(FieldType::kTimestamp);
    v.integer = paradox::DayFromCivil(year, month, day) * paradox::kMillisPerDay + ((hour * 60 + minute) * 60 + second) * 1000LL;
    return v;
}

Value Memo(const std::string& utf8) {
    if (utf8.empty()) return Null();
    Value v = Make(FieldType::kMemo);
    v.text = utf8;
    return v;
}

}  // namespace zelvon::demodata
