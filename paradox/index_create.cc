#include "paradox/index_create.h"

#include <algorithm>

#include "paradox/bytes.h"
#include "paradox/header_builder.h"
#include "paradox/secondary_index.h"
#include "paradox/secondary_writer.h"
#include "paradox/writable_file.h"

namespace paradox {
namespace {

constexpr int kMaxCompositeIndexes = 16;

FieldSpec SpecOf(const FieldInfo& f) { return FieldSpec{f.name, f.type, f.size_byte, false}; }

uint16_t FieldNumber(const Table& table, int field) {
    const auto& numbers = table.header().field_numbers;
    return size_t(field) < numbers.size() ? numbers[size_t(field)] : uint16_t(field + 1);
}

Status IndexFields(const Table& table, const SecondaryIndexSpec& spec, std::vector<FieldSpec>* fields,
                   std::vector<int>* sources) {
    for (const std::string& name : spec.fields) {
        int f = table.FindField(name);
        if (f < 0) return Status::NotFound(table.name() + ": index " + spec.name + ": no field " + name);
        sources->push_back(f);
        fields->push_back(SpecOf(table.fields()[size_t(f)]));
    }
    for (int k = 0; k < int(table.header().key_fields); ++k)
        if (std::find(sources->begin(), sources->end(), k) == sources->end())
            fields->push_back(SpecOf(table.fields()[size_t(k)]));
    if (!table.is_keyed()) fields->push_back(FieldSpec{"Tup No", FieldType::kLong, 0, false});
    fields->push_back(FieldSpec{"Blk Num", FieldType::kShort, 0, false});
    if (!table.is_keyed()) fields->push_back(FieldSpec{"Tup Offset", FieldType::kShort, 0, false});
    return Status::Ok();
}

std::string FreeIndexStem(const Table& table, int* number) {
    for (int n = 0; n < kMaxCompositeIndexes; ++n) {
        std::string ext = "XG" + std::string(1, "0123456789ABCDEF"[n]);
        if (CompanionPath(table.path(), ext).empty()) {
            *number = n;
            return SiblingPath(table.path(), "." + ext);
        }
    }
    return std::string();
}

}  // namespace

Status CreateSecondaryIndex(const Table& table, const SecondaryIndexSpec& spec, std::string* x_path) {
    if (spec.fields.empty()) return Status::InvalidArgument(table.name() + ": index " + spec.name + " names no field");
    std::vector<FieldSpec> fields;
    std::vector<int> sources;
    PX_RETURN_IF_ERROR(IndexFields(table, spec, &fields, &sources));
    int number;
    std::string x = FreeIndexStem(table, &number);
    if (x.empty()) return Status::InvalidArgument(table.name() + ": no free index file number");
    std::vector<uint8_t> db;
    PX_RETURN_IF_ERROR(ReadHeaderBytes(table.path(), &db));
    const FileHeader& h = table.header();
    CreateOptions o;
    // Every field but the last ("Blk Num", or "Tup Offset" without a
    // primary key) counts as a key field.
    o.key_fields = uint16_t(fields.size() - 1);
    o.code_page = h.code_page;
    o.sort_order = h.sort_order;
    o.sort_order_name = h.sort_order_name;
    o.block_kib = uint8_t(h.block_size / 1024);
    std::vector<uint8_t> xh = DataHeader(BaseName(x), fields, o, spec.name);
    // Paradox keeps indexes of tables without a key only as non-maintained
    // ones (rebuilt after changes), which is what our writer does with them.
    xh[0x04] = uint8_t(table.is_keyed() ? FileType::kCompositeDataMaint : FileType::kCompositeData);
    xh[0x15] = uint8_t(sources[0] + 1);
    xh[0x2C] = 0xFF;
    xh[0x2E] = db[0x2E];
    xh[0x2F] = db[0x2D];
    xh[0x55] = spec.case_insensitive ? 0x01 : 0x00;
    size_t numbers = size_t(LoadLe16(&xh[0x66])) + 0x58;
    for (size_t i = 0; i < sources.size(); ++i) StoreLe16(&xh[numbers + 2 * i], FieldNumber(table, sources[i]));
    std::string y = SiblingPath(x, ".YG" + std::string(1, "0123456789ABCDEF"[number]));
    std::vector<uint8_t> yh = PrimaryIndexHeader(BaseName(y), fields, o);
    yh[0x04] = uint8_t(FileType::kCompositeTree);
    PX_RETURN_IF_ERROR(WriteEmptyIndex(y, yh));
    PX_RETURN_IF_ERROR(ReplaceFile(x, std::string(xh.begin(), xh.end())));
    SecondaryIndexInfo info;
    info.name = spec.name;
    info.path = x;
    std::unique_ptr<RandomAccessFile> file;
    PX_RETURN_IF_ERROR(OpenFile(x, &file));
    PX_RETURN_IF_ERROR(ReadHeader(*file, &info.header));
    PX_RETURN_IF_ERROR(RebuildSecondaryIndex(table, info, true));
    *x_path = x;
    return Status::Ok();
}

}  // namespace paradox
