#include "paradox/table_create.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "paradox/bytes.h"
#include "paradox/crypt.h"
#include "paradox/index_writer.h"
#include "paradox/writable_file.h"

namespace paradox {
namespace {

constexpr uint8_t kLevel5 = 0x0B;
constexpr size_t kNameLength = 79;  // table name slot up to level 5
constexpr size_t kMbUnit = 4096;

// Path with the extension replaced by ext, keeping the letter case style
// of the original extension.
std::string SiblingPath(const std::string& path, std::string ext) {
    size_t dot = path.rfind('.');
    std::string stem = dot == std::string::npos ? path : path.substr(0, dot);
    bool lower = dot != std::string::npos && dot + 1 < path.size() && std::islower(uint8_t(path[dot + 1]));
    for (char& c : ext) c = char(lower ? std::tolower(uint8_t(c)) : std::toupper(uint8_t(c)));
    return stem + ext;
}

// The header size byte: the given size where the type has one, else the
// type's fixed width.
uint8_t SizeByte(const FieldSpec& f) {
    switch (f.type) {
        case FieldType::kShort: return 2;
        case FieldType::kLogical: return 1;
        case FieldType::kDate: case FieldType::kLong: case FieldType::kTime: case FieldType::kAutoIncrement: return 4;
        case FieldType::kCurrency: case FieldType::kNumber: case FieldType::kTimestamp: return 8;
        default: return uint8_t(f.size);
    }
}

Status CheckSpec(const std::string& table, const FieldSpec& f) {
    if (f.name.empty() || f.name.size() > 25)
        return Status::InvalidArgument(table + ": field name '" + f.name + "' must have 1 to 25 characters");
    if (f.size < 0 || f.size > 255 || !IsValidFieldSize(f.type, SizeByte(f)))
        return Status::InvalidArgument(table + ", field " + f.name + ": size " + std::to_string(f.size) +
                                       " is not valid for type " + FieldTypeLetter(f.type));
    return Status::Ok();
}

void Append(std::vector<uint8_t>* h, const std::string& s, size_t width) {
    size_t at = h->size();
    h->resize(at + width, 0);
    std::memcpy(h->data() + at, s.data(), std::min(s.size(), width));
}

std::vector<uint8_t> DataHeader(const std::string& name, const std::vector<FieldSpec>& fields, const CreateOptions& o) {
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

std::vector<uint8_t> BlobHeader() {
    std::vector<uint8_t> b(kMbUnit, 0);
    StoreLe16(&b[1], 1);
    StoreLe16(&b[3], 1);
    const uint8_t constants[] = {0x82, 0x73, 0x02, 0x00, 0x29, 0x00};
    std::memcpy(&b[5], constants, sizeof constants);
    StoreLe16(&b[0x0B], 0x1000);
    StoreLe16(&b[0x0D], 0x1000);
    b[0x10] = 0x10;
    StoreLe16(&b[0x11], 0x40);
    StoreLe16(&b[0x13], 0x0800);
    StoreLe16(&b[0x29], 0x02A1);
    return b;
}

Status WriteNew(const std::string& path, const std::vector<uint8_t>& bytes) {
    return ReplaceFile(path, std::string(bytes.begin(), bytes.end()));
}

Status WriteEmptyIndex(const std::string& path, std::vector<uint8_t> header) {
    std::string bytes;
    PX_RETURN_IF_ERROR(BuildIndexTree(std::move(header), {}, &bytes));
    return ReplaceFile(path, bytes);
}

void ClearCounts(std::vector<uint8_t>* h) {
    for (size_t at : {0x06, 0x08, 0x0A, 0x0C, 0x0E, 0x10, 0x3A, 0x4D}) StoreLe16(&(*h)[at], 0);
}

}  // namespace

Status CreateTable(const std::string& path, const std::vector<FieldSpec>& fields, const CreateOptions& options) {
    std::string name = BaseName(path);
    if (fields.empty() || fields.size() > 255) return Status::InvalidArgument(name + ": a table needs 1 to 255 fields");
    if (options.key_fields > fields.size()) return Status::InvalidArgument(name + ": more key fields than fields");
    bool memo = false;
    for (const FieldSpec& f : fields) {
        PX_RETURN_IF_ERROR(CheckSpec(name, f));
        memo = memo || IsBlobType(f.type);
    }
    if (memo) PX_RETURN_IF_ERROR(WriteNew(SiblingPath(path, ".MB"), BlobHeader()));
    if (options.key_fields > 0)
        PX_RETURN_IF_ERROR(WriteEmptyIndex(SiblingPath(path, ".PX"), PrimaryIndexHeader(BaseName(SiblingPath(path, ".PX")), fields, options)));
    return WriteNew(path, DataHeader(name, fields, options));
}

Status CreateLike(const Table& source, const std::string& path) {
    std::vector<uint8_t> header;
    PX_RETURN_IF_ERROR(ReadHeaderBytes(source.path(), &header));
    ClearCounts(&header);
    std::string px = CompanionPath(source.path(), "PX");
    if (!px.empty()) {
        std::vector<uint8_t> px_header;
        PX_RETURN_IF_ERROR(ReadHeaderBytes(px, &px_header));
        PX_RETURN_IF_ERROR(WriteEmptyIndex(SiblingPath(path, ".PX"), std::move(px_header)));
    }
    if (source.blob_file()) {
        std::vector<uint8_t> mb(kMbUnit);
        PX_RETURN_IF_ERROR(source.blob_file()->file().Read(0, mb.size(), mb.data()));
        uint32_t checksum = source.header().password_checksum;
        if (checksum) DecryptMbChunks(mb.data(), mb.size(), checksum);
        StoreLe16(&mb[1], 1);
        if (checksum) EncryptMbChunks(mb.data(), mb.size(), checksum);
        PX_RETURN_IF_ERROR(WriteNew(SiblingPath(path, ".MB"), mb));
    }
    return WriteNew(path, header);
}

Status CreatePrimaryIndex(const Table& table) {
    if (!table.is_keyed()) return Status::InvalidArgument(table.name() + ": a table without a primary key has no .PX");
    std::vector<FieldSpec> keys;
    for (size_t i = 0; i < table.header().key_fields; ++i) {
        const FieldInfo& f = table.fields()[i];
        keys.push_back(FieldSpec{f.name, f.type, f.size_byte, false});
    }
    CreateOptions o;
    o.key_fields = table.header().key_fields;
    o.sort_order = table.header().sort_order;
    o.block_kib = uint8_t(table.header().block_size / 1024);
    std::string px = SiblingPath(table.path(), ".PX");
    return WriteEmptyIndex(px, PrimaryIndexHeader(BaseName(px), keys, o));
}

static bool IsFamilyExtension(std::string ext) {
    for (char& c : ext) c = char(std::toupper(uint8_t(c)));
    if (ext == "DB" || ext == "PX" || ext == "MB" || ext == "VAL") return true;
    if (ext.size() == 3 && (ext[0] == 'X' || ext[0] == 'Y'))
        return std::isxdigit(uint8_t(ext[2])) && (std::isxdigit(uint8_t(ext[1])) || ext[1] == 'G');
    return false;
}

Status DeleteTable(const std::string& path) {
    std::string dir = DirName(path), base = BaseName(path);
    std::string stem = base.substr(0, base.rfind('.'));
    for (const std::string& entry : ListDirectory(dir)) {
        size_t dot = entry.rfind('.');
        if (dot == std::string::npos || !EqualsIgnoringCase(entry.substr(0, dot), stem)) continue;
        if (!IsFamilyExtension(entry.substr(dot + 1))) continue;
        std::string full = dir.empty() ? entry : dir + "/" + entry;
        if (std::remove(full.c_str()) != 0) return Status::IoError(entry + ": cannot delete");
    }
    return Status::Ok();
}

}  // namespace paradox
