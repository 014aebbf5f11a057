#include "tools/demodata/index_files.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>

#include "paradox/bytes.h"
#include "paradox/file.h"
#include "paradox/index_writer.h"
#include "paradox/writable_file.h"

namespace zelvon::demodata {
namespace {

using paradox::FieldInfo;
using paradox::FieldType;
using paradox::Status;
using paradox::StoreLe16;
using paradox::StoreLe32;

constexpr size_t kNameSlot = 79;
constexpr uint8_t kMaintainedComposite = 8;
constexpr uint8_t kCompositeTree = 7;

struct IndexField {
    FieldInfo info;
    uint16_t number;  // DB field number for indexed fields, else the position in the index record
};

void AppendText(std::vector<uint8_t>* h, const std::string& s, size_t width) {
    size_t at = h->size();
    h->resize(at + width, 0);
    std::memcpy(h->data() + at, s.data(), std::min(s.size(), width));
}

void AppendCString(std::vector<uint8_t>* h, const std::string& s) { AppendText(h, s, s.size() + 1); }

std::string SiblingPath(const std::string& table_path, const std::string& ext) {
    size_t dot = table_path.rfind('.');
    bool lower = dot != std::string::npos && dot + 1 < table_path.size() && std::islower(uint8_t(table_path[dot + 1]));
    std::string e = ext;
    for (char& c : e) c = char(lower ? std::tolower(uint8_t(c)) : std::toupper(uint8_t(c)));
    return table_path.substr(0, dot) + e;
}

Status IndexRecordFields(const paradox::Table& table, const SecondaryIndexDefinition& index, std::vector<IndexField>* out) {
    std::vector<std::string> names = index.fields;
    for (size_t k = 0; k < table.primary_key().field_count(); ++k) {
        const std::string& pk = table.primary_key().field(k).name;
        bool listed = std::any_of(names.begin(), names.end(),
                                  [&](const std::string& n) { return paradox::EqualsIgnoringCase(n, pk); });
        if (!listed) names.push_back(pk);
    }
    for (size_t i = 0; i < names.size(); ++i) {
        int f = table.FindField(names[i]);
        if (f < 0) return Status::InvalidArgument(table.name() + ", index " + index.name + ": no field '" + names[i] + "'");
        bool indexed = i < index.fields.size();
        out->push_back({table.fields()[size_t(f)], uint16_t(indexed ? f + 1 : int(i) + 1)});
    }
    FieldInfo hint;
    hint.name = "Blk Num";
    hint.type = FieldType::kShort;
    hint.size_byte = 2;
    hint.width = 2;
    out->push_back({hint, uint16_t(out->size() + 1)});
    return Status::Ok();
}

std::vector<uint8_t> DataFileHeader(const paradox::Table& table, const std::vector<uint8_t>& db, uint8_t px_stamp,
                                    const std::string& file_name, const SecondaryIndexDefinition& index,
                                    const std::vector<IndexField>& fields) {
    const uint16_t n = uint16_t(fields.size());
    uint32_t record_size = 0;
    std::vector<uint8_t> h(0x78, 0);
    for (const IndexField& f : fields) {
        h.push_back(uint8_t(f.info.type));
        h.push_back(f.info.size_byte);
        record_size += f.info.width;
    }
    h.resize(h.size() + 4 + 4 * n, 0);
    AppendText(&h, file_name, kNameSlot);
    for (const IndexField& f : fields) AppendCString(&h, table.text().Encode(f.info.name));
    size_t numbers = h.size();
    for (const IndexField& f : fields) h.insert(h.end(), {uint8_t(f.number), uint8_t(f.number >> 8)});
    size_t sort_name = h.size();
    AppendCString(&h, table.header().sort_order_name);
    size_t index_name = h.size();
    AppendCString(&h, index.name);
    size_t used = h.size();
    h.resize(std::max<size_t>(0x800, (used + 0xFF) & ~size_t(0xFF)), 0);
    uint32_t checksum = table.header().password_checksum;
    StoreLe16(&h[0x00], uint16_t(record_size));
    StoreLe16(&h[0x02], uint16_t(h.size()));
    h[0x04] = kMaintainedComposite;
    h[0x05] = db[0x05];
    h[0x15] = uint8_t(fields.front().number);
    StoreLe16(&h[0x21], n);
    StoreLe16(&h[0x23], uint16_t(n - 1));
    StoreLe32(&h[0x25], 0xFF00FF00u);
    h[0x29] = db[0x29];
    h[0x2C] = 0xFF;
    h[0x2D] = 1;
    h[0x2E] = db[0x2E];
    h[0x2F] = px_stamp;
    h[0x39] = db[0x39];
    h[0x3E] = checksum ? 0 : 0x1F;
    h[0x3F] = checksum ? 0 : 0x0F;
    StoreLe16(&h[0x51], uint16_t(used));
    h[0x56] = 0x20;
    StoreLe16(&h[0x58], uint16_t(0x0100 + db[0x39]));
    StoreLe16(&h[0x5A], uint16_t(0x0100 + db[0x39]));
    StoreLe32(&h[0x5C], checksum);
    StoreLe32(&h[0x60], uint32_t(std::time(nullptr)));
    StoreLe16(&h[0x64], uint16_t(n + 1));
    StoreLe16(&h[0x66], uint16_t(numbers - 0x58));
    StoreLe16(&h[0x68], uint16_t(index_name - 0x58));
    StoreLe16(&h[0x6A], table.header().code_page);
    h[0x6C] = h[0x6D] = 1;
    StoreLe16(&h[0x6E], uint16_t(sort_name - 0x58));
    return h;
}

std::vector<uint8_t> TreeFileHeader(const paradox::Table& table, const std::vector<uint8_t>& db, uint8_t x_stamp,
                                    const std::string& file_name, const std::vector<IndexField>& fields) {
    const size_t keys = fields.size() - 1;  // all but the block hint
    uint32_t key_width = 0;
    std::vector<uint8_t> h(0x58, 0);
    for (size_t i = 0; i < keys; ++i) {
        h.push_back(uint8_t(fields[i].info.type));
        h.push_back(fields[i].info.size_byte);
        key_width += fields[i].info.width;
    }
    h.resize(h.size() + 4, 0);
    AppendText(&h, file_name, kNameSlot);
    size_t used = h.size();
    h.resize(0x800, 0);
    StoreLe16(&h[0x00], uint16_t(key_width + 6));
    StoreLe16(&h[0x02], 0x800);
    h[0x04] = kCompositeTree;
    h[0x05] = db[0x05];
    StoreLe16(&h[0x21], uint16_t(keys));
    StoreLe32(&h[0x25], table.header().password_checksum);
    h[0x29] = db[0x29];
    h[0x2C] = x_stamp;
    h[0x39] = db[0x39];
    StoreLe16(&h[0x51], uint16_t(used));
    return h;
}

}  // namespace

Status CreateSecondaryIndexFiles(const paradox::Table& table, const SecondaryIndexDefinition& index, int number) {
    if (index.fields.empty()) return Status::InvalidArgument(table.name() + ", index " + index.name + ": no fields");
    if (!table.is_keyed()) return Status::NotSupported(table.name() + ", index " + index.name + ": the table has no primary key");
    std::vector<IndexField> fields;
    PX_RETURN_IF_ERROR(IndexRecordFields(table, index, &fields));
    std::vector<uint8_t> db, px;
    PX_RETURN_IF_ERROR(paradox::ReadHeaderBytes(table.path(), &db));
    PX_RETURN_IF_ERROR(paradox::ReadHeaderBytes(paradox::CompanionPath(table.path(), "PX"), &px));
    std::string x_path = SiblingPath(table.path(), ".XG" + std::to_string(number));
    std::string y_path = SiblingPath(table.path(), ".YG" + std::to_string(number));
    std::vector<uint8_t> x = DataFileHeader(table, db, px[0x2C], paradox::BaseName(x_path), index, fields);
    std::string y;
    PX_RETURN_IF_ERROR(paradox::BuildIndexTree(TreeFileHeader(table, db, x[0x2D], paradox::BaseName(y_path), fields), {}, &y));
    PX_RETURN_IF_ERROR(paradox::ReplaceFile(y_path, y));
    return paradox::ReplaceFile(x_path, std::string(x.begin(), x.end()));
}

}  // namespace zelvon::demodata
