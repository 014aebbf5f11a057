#include "paradox/header_builder.h"

#include <cctype>
#include <cstring>
#include <ctime>

#include "paradox/bytes.h"
#include "paradox/index_writer.h"
#include "paradox/writable_file.h"

namespace paradox {
namespace {

constexpr uint8_t kLevel5 = 0x0B;
constexpr size_t kNameLength = 79;  // table name slot up to level 5

void Append(std::vector<uint8_t>* h, const std::string& s, size_t width) {
    size_t at = h->size();
    h->resize(at + width, 0);
    std::memcpy(h->data() + at, s.data(), std::min(s.size(), width));
}

}  // namespace

std::string SiblingPath(const std::string& path, std::string ext) {
    size_t dot = path.rfind('.');
    std::string stem = dot == std::string::npos ? path : path.substr(0, dot);
    bool lower = dot != std::string::npos && dot + 1 < path.size() && std::islower(uint8_t(path[dot + 1]));
    for (char& c : ext) c = char(lower ? std::tolower(uint8_t(c)) : std::toupper(uint8_t(c)));
    return stem + ext;
}

uint8_t SizeByte(const FieldSpec& f) {
    switch (f.type) {
        case FieldType::kShort: return 2;
        case FieldType::kLogical: return 1;
        case FieldType::kDate: case FieldType::kLong: case FieldType::kTime: case FieldType::kAutoIncrement: return 4;
        case FieldType::kCurrency: case FieldType::kNumber: case FieldType::kTimestamp: return 8;
        default: return uint8_t(f.size);
    }
}


std::vector<uint8_t> DataHeader(const std::string& name, const std::vector<FieldSpec>& fields, const CreateOptions& o,
                                const std::string& index_name) {
    uint16_t n = uint16_t(fields.size());
    uint32_t record_size = 0;
    for (const FieldSpec& f : fields) record_size += RecordWidth(f.type, SizeByte(f));
    std::vector<uint8_t> h(0x78, 0);
    for (const FieldSpec& f : fields) {
        h.push_back(uint8_t(f.type));
        h.push_back(SizeByte(f));
    }
    h.resize(h.size() + 4 + 4 * n, 0);
    Append(&h, name, kNameLength);
    for (const FieldSpec& f : fields) Append(&h, f.name, f.name.size() + 1);
    size_t numbers = h.size();
    for (uint16_t i = 1; i <= n; ++i) h.insert(h.end(), {uint8_t(i), uint8_t(i >> 8)});
    size_t sort_name = h.size();
    Append(&h, o.sort_order_name, o.sort_order_name.size() + 1);
    size_t index_name_at = h.size();
    if (!index_name.empty()) Append(&h, index_name, index_name.size() + 1);
    size_t used = h.size();
    h.resize(std::max<size_t>(0x800, (used + 0xFF) & ~size_t(0xFF)), 0);
    StoreLe16(&h[0x00], uint16_t(record_size));
    StoreLe16(&h[0x02], uint16_t(h.size()));
    h[0x04] = uint8_t(o.key_fields ? FileType::kIndexedDb : FileType::kUnindexedDb);
    h[0x05] = o.block_kib;
    StoreLe16(&h[0x21], n);
    StoreLe16(&h[0x23], o.key_fields);
    StoreLe32(&h[0x25], 0xFF00FF00u);
    h[0x29] = o.sort_order;
    h[0x2D] = 2;  // BDE accepts an index only once the change counter reached 2
    h[0x39] = kLevel5;
    h[0x3E] = 0x1F;
    h[0x3F] = 0x0F;
    StoreLe16(&h[0x51], uint16_t(used));
    h[0x56] = 0x20;
    StoreLe16(&h[0x58], 0x0100 + kLevel5);
    StoreLe16(&h[0x5A], 0x0100 + kLevel5);
    StoreLe32(&h[0x60], uint32_t(std::time(nullptr)));
    StoreLe16(&h[0x64], uint16_t(n + 1));
    StoreLe16(&h[0x66], uint16_t(numbers - 0x58));
    StoreLe16(&h[0x6A], o.code_page);
    h[0x6C] = h[0x6D] = 1;
    StoreLe16(&h[0x6E], uint16_t(sort_name - 0x58));
    if (!index_name.empty()) StoreLe16(&h[0x68], uint16_t(index_name_at - 0x58));
    return h;
}

std::vector<uint8_t> PrimaryIndexHeader(const std::string& name, const std::vector<FieldSpec>& fields, const CreateOptions& o) {
    std::vector<uint8_t> h(0x58, 0);
    uint32_t key_width = 0;
    for (uint16_t i = 0; i < o.key_fields; ++i) {
        h.push_back(uint8_t(fields[i].type));
        h.push_back(SizeByte(fields[i]));
        key_width += RecordWidth(fields[i].type, SizeByte(fields[i]));
    }
    h.resize(h.size() + 4, 0);
    Append(&h, name, kNameLength);
    size_t used = h.size();
    h.resize(0x800, 0);
    StoreLe16(&h[0x00], uint16_t(key_width + 6));
    StoreLe16(&h[0x02], 0x800);
    h[0x04] = uint8_t(FileType::kPrimaryIndex);
    h[0x05] = o.block_kib;
    StoreLe16(&h[0x21], o.key_fields);
    h[0x29] = o.sort_order;
    h[0x2C] = 2;
    h[0x39] = kLevel5;
    StoreLe16(&h[0x51], uint16_t(used));
    return h;
}

Status WriteEmptyIndex(const std::string& path, std::vector<uint8_t> header) {
    std::string bytes;
    PX_RETURN_IF_ERROR(BuildIndexTree(std::move(header), {}, &bytes));
    return ReplaceFile(path, bytes);
}

void ClearCounts(std::vector<uint8_t>* h) {
    for (size_t at : {0x06, 0x08, 0x0A, 0x0C, 0x0E, 0x10, 0x3A, 0x4D}) StoreLe16(&(*h)[at], 0);
}

}  // namespace paradox
