#include "paradox/header.h"

#include "paradox/bytes.h"
#include "paradox/text_codec.h"

namespace paradox {
namespace {

constexpr uint32_t kFixedPart = 0x58;
constexpr uint32_t kExtendedPart = 0x78;

Status Bad(const RandomAccessFile& file, const std::string& what) {
    return Status::Corruption(file.Name() + ": invalid header: " + what);
}

int LevelOf(uint8_t version) {
    if (version == 3) return 30;
    if (version == 4) return 35;
    if (version >= 5 && version <= 9) return 40;
    if (version == 10 || version == 11) return 50;
    if (version == 12) return 70;
    return 0;
}

// A NUL-terminated string inside the header bytes; fails when unterminated.
bool ReadCString(const std::vector<uint8_t>& bytes, size_t* pos, size_t end, std::string* out) {
    size_t start = *pos;
    while (*pos < end && bytes[*pos] != 0) ++*pos;
    if (*pos >= end) return false;
    out->assign(reinterpret_cast<const char*>(bytes.data() + start), *pos - start);
    ++*pos;
    return true;
}

Status ParseFixedPart(const RandomAccessFile& file, const std::vector<uint8_t>& h, FileHeader* hd) {
    hd->record_size = LoadLe16(&h[0x00]);
    hd->header_size = LoadLe16(&h[0x02]);
    if (h[0x04] > 8) return Bad(file, "unknown file type " + std::to_string(h[0x04]));
    hd->file_type = FileType(h[0x04]);
    uint8_t block_kib = h[0x05];
    if (block_kib < 1 || block_kib > 32) return Bad(file, "block size " + std::to_string(block_kib) + " KiB");
    hd->block_size = uint32_t(block_kib) * 1024;
    hd->num_records = LoadLe32(&h[0x06]);
    hd->used_blocks = LoadLe16(&h[0x0A]);
    hd->file_blocks = LoadLe16(&h[0x0C]);
    hd->first_block = LoadLe16(&h[0x0E]);
    hd->last_block = LoadLe16(&h[0x10]);
    hd->first_indexed_field = h[0x15];
    hd->root_block = LoadLe16(&h[0x1E]);
    hd->index_levels = h[0x20];
    hd->num_fields = LoadLe16(&h[0x21]);
    hd->key_fields = LoadLe16(&h[0x23]);
    hd->password_checksum = LoadLe32(&h[0x25]);
    hd->sort_order = h[0x29];
    hd->version_byte = h[0x39];
    hd->auto_increment = LoadLe32(&h[0x49]);
    hd->change_count = h[0x2D];
    hd->first_free_block = LoadLe16(&h[0x4D]);
    hd->index_flags = h[0x55];
    if (hd->VersionLevel() == 0) return Bad(file, "unknown file version " + std::to_string(hd->version_byte));
    if (hd->header_size < kFixedPart) return Bad(file, "header size " + std::to_string(hd->header_size));
    if (hd->record_size == 0) return Bad(file, "record size 0");
    if (hd->record_size > hd->block_size - 6) return Bad(file, "record size " + std::to_string(hd->record_size) + " exceeds the block size");
    // Paradox may leave the file ending inside its last block, right after
    // the records in use; the block's own header must still be there.
    uint64_t blocks_end = uint64_t(hd->header_size) + uint64_t(hd->file_blocks) * hd->block_size;
    uint64_t needed = hd->file_blocks == 0 ? blocks_end : blocks_end - hd->block_size + 6;
    if (needed > file.Size())
        return Bad(file, std::to_string(hd->file_blocks) + " blocks of " + std::to_string(hd->block_size) +
                             " bytes do not fit in the file (" + std::to_string(file.Size()) + " bytes)");
    if (hd->first_block > hd->file_blocks || hd->last_block > hd->file_blocks)
        return Bad(file, "first or last block beyond the " + std::to_string(hd->file_blocks) + " blocks in the file");
    if (hd->num_fields == 0 || hd->num_fields > 1024) return Bad(file, "field count " + std::to_string(hd->num_fields));
    if (hd->key_fields > hd->num_fields) return Bad(file, "more key fields than fields");
    return Status::Ok();
}

Status ParseFieldInfo(const RandomAccessFile& file, const std::vector<uint8_t>& h, size_t pos, FileHeader* hd) {
    uint32_t offset = 0;
    for (uint16_t i = 0; i < hd->num_fields; ++i, pos += 2) {
        if (pos + 2 > h.size()) return Bad(file, "field descriptions run past the header");
        uint8_t code = h[pos], size = h[pos + 1];
        if (!IsKnownFieldType(code)) return Bad(file, "field " + std::to_string(i + 1) + " has unknown type " + std::to_string(code));
        FieldInfo f;
        f.type = FieldType(code);
        f.size_byte = size;
        if (!IsValidFieldSize(f.type, size))
            return Bad(file, "field " + std::to_string(i + 1) + " of type " + FieldTypeLetter(f.type) + " has size " + std::to_string(size));
        f.width = RecordWidth(f.type, size);
        f.offset = offset;
        offset += f.width;
        hd->fields.push_back(f);
    }
    if (hd->IsIndexTree()) {
        if (offset + 6 != hd->record_size) return Bad(file, "key width does not match the entry size");
    } else if (offset != hd->record_size) {
        return Bad(file, "field widths add up to " + std::to_string(offset) + ", record size is " + std::to_string(hd->record_size));
    }
    return Status::Ok();
}

Status ParseNames(const RandomAccessFile& file, const std::vector<uint8_t>& h, size_t pos, FileHeader* hd) {
    size_t name_len = hd->VersionLevel() >= 70 ? 261 : 79;
    size_t n = hd->num_fields;
    pos += 4;
    if (hd->IsDataFile()) pos += 4 * n;
    if (pos + name_len > h.size()) return Bad(file, "table name runs past the header");
    size_t table_name_end = pos;
    while (table_name_end < pos + name_len && h[table_name_end]) ++table_name_end;
    hd->table_name.assign(reinterpret_cast<const char*>(&h[pos]), table_name_end - pos);
    pos += name_len;
    if (!hd->IsDataFile()) return Status::Ok();
    TextDecoder decoder(TextEncodingName(*hd));
    for (size_t i = 0; i < n; ++i) {
        std::string raw;
        if (!ReadCString(h, &pos, h.size(), &raw)) return Bad(file, "name of field " + std::to_string(i + 1) + " runs past the header");
        hd->fields[i].name = decoder.Decode(reinterpret_cast<const uint8_t*>(raw.data()), raw.size());
    }
    return Status::Ok();
}

Status ParseExtension(const RandomAccessFile& file, const std::vector<uint8_t>& h, FileHeader* hd) {
    hd->password_checksum = LoadLe32(&h[0x5C]);
    hd->code_page = LoadLe16(&h[0x6A]);
    size_t numbers = size_t(LoadLe16(&h[0x66])) + kFixedPart;
    if (numbers + 2 * hd->num_fields <= h.size()) {
        for (size_t i = 0; i < hd->num_fields; ++i) hd->field_numbers.push_back(LoadLe16(&h[numbers + 2 * i]));
    }
    size_t sort_pos = size_t(LoadLe16(&h[0x6E])) + kFixedPart;
    if (LoadLe16(&h[0x6E]) != 0 && sort_pos < h.size() && !ReadCString(h, &sort_pos, h.size(), &hd->sort_order_name))
        return Bad(file, "sort order name runs past the header");
    bool composite = hd->file_type == FileType::kCompositeData || hd->file_type == FileType::kCompositeDataMaint;
    size_t name_pos = size_t(LoadLe16(&h[0x68])) + kFixedPart;
    if (composite && LoadLe16(&h[0x68]) != 0) {
        if (name_pos >= h.size() || !ReadCString(h, &name_pos, h.size(), &hd->index_name))
            return Bad(file, "index name runs past the header");
    }
    return Status::Ok();
}

}  // namespace

int FileHeader::VersionLevel() const { return LevelOf(version_byte); }

bool FileHeader::IsDataFile() const {
    switch (file_type) {
        case FileType::kIndexedDb: case FileType::kUnindexedDb: case FileType::kSecondaryData:
        case FileType::kSecondaryDataMaint: case FileType::kCompositeData: case FileType::kCompositeDataMaint:
            return true;
        default:
            return false;
    }
}

bool FileHeader::IsIndexTree() const { return !IsDataFile(); }

uint64_t FileHeader::MissingBytes(uint64_t file_size) const {
    uint64_t blocks_end = uint64_t(header_size) + uint64_t(file_blocks) * block_size;
    return blocks_end > file_size ? blocks_end - file_size : 0;
}

uint32_t FileHeader::KeyWidth() const {
    uint32_t width = 0;
    for (size_t i = 0; i < key_fields && i < fields.size(); ++i) width += fields[i].width;
    return width;
}

Status ReadHeader(const RandomAccessFile& file, FileHeader* header) {
    *header = FileHeader();
    if (file.Size() < kFixedPart) return Bad(file, "file is shorter than a header (" + std::to_string(file.Size()) + " bytes)");
    std::vector<uint8_t> h(kFixedPart);
    PX_RETURN_IF_ERROR(file.Read(0, h.size(), h.data()));
    PX_RETURN_IF_ERROR(ParseFixedPart(file, h, header));
    h.resize(header->header_size);
    PX_RETURN_IF_ERROR(file.Read(0, h.size(), h.data()));
    bool extended = header->IsDataFile() && header->VersionLevel() >= 40;
    if (extended && header->header_size < kExtendedPart) return Bad(file, "header size " + std::to_string(header->header_size));
    if (extended) PX_RETURN_IF_ERROR(ParseExtension(file, h, header));
    size_t field_info = extended ? kExtendedPart : kFixedPart;
    PX_RETURN_IF_ERROR(ParseFieldInfo(file, h, field_info, header));
    return ParseNames(file, h, field_info + 2 * header->num_fields, header);
}

std::string TextEncodingName(const FileHeader& header) {
    if (header.sort_order_name.rfind("BLROM", 0) == 0) return "HP-ROMAN8";
    switch (header.code_page) {
        case 0: return "CP437";
        case 936: return "GBK";
        case 932: return "SHIFT_JIS";
        case 949: return "CP949";
        case 950: return "BIG5";
        default: return "CP" + std::to_string(header.code_page);
    }
}

void RefreshCounts(const std::vector<uint8_t>& h, FileHeader* hd) {
    hd->num_records = LoadLe32(&h[0x06]);
    hd->used_blocks = LoadLe16(&h[0x0A]);
    hd->file_blocks = LoadLe16(&h[0x0C]);
    hd->first_block = LoadLe16(&h[0x0E]);
    hd->last_block = LoadLe16(&h[0x10]);
    hd->auto_increment = LoadLe32(&h[0x49]);
    hd->change_count = h[0x2D];
    hd->first_free_block = LoadLe16(&h[0x4D]);
}

Status ReadHeaderBytes(const std::string& path, std::vector<uint8_t>* bytes) {
    std::unique_ptr<RandomAccessFile> file;
    PX_RETURN_IF_ERROR(OpenFile(path, &file));
    if (file->Size() < kFixedPart) return Bad(*file, "file is shorter than a header");
    uint8_t fixed[4];
    PX_RETURN_IF_ERROR(file->Read(0, 4, fixed));
    bytes->resize(LoadLe16(fixed + 2));
    if (bytes->size() < kFixedPart) return Bad(*file, "header size " + std::to_string(bytes->size()));
    return file->Read(0, bytes->size(), bytes->data());
}

}  // namespace paradox
