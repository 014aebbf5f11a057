#include "paradox/table_create.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "paradox/bytes.h"
#include "paradox/crypt.h"
#include "paradox/header_builder.h"
#include "paradox/writable_file.h"

namespace paradox {
namespace {

constexpr size_t kMbUnit = 4096;



Status CheckSpec(const std::string& table, const FieldSpec& f) {
    if (f.name.empty() || f.name.size() > 25)
        return Status::InvalidArgument(table + ": field name '" + f.name + "' must have 1 to 25 characters");
    if (f.size < 0 || f.size > 255 || !IsValidFieldSize(f.type, SizeByte(f)))
        return Status::InvalidArgument(table + ", field " + f.name + ": size " + std::to_string(f.size) +
                                       " is not valid for type " + FieldTypeLetter(f.type));
    return Status::Ok();
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
