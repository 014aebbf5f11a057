// The header shared by every block-structured Paradox file (.DB, .PX, .Xnn,
// .Ynn, .XGn, .YGn): fixed part, v4+ extension and the variable part with
// field descriptions, names, sort order and index name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "paradox/field_type.h"
#include "paradox/file.h"
#include "paradox/status.h"

namespace paradox {

enum class FileType : uint8_t {
    kIndexedDb = 0,
    kPrimaryIndex = 1,
    kUnindexedDb = 2,
    kSecondaryData = 3,        // .Xnn, not maintained
    kSecondaryTree = 4,        // .Ynn
    kSecondaryDataMaint = 5,   // .Xnn, maintained
    kCompositeData = 6,        // .XGn, not maintained
    kCompositeTree = 7,        // .YGn
    kCompositeDataMaint = 8,   // .XGn, maintained
};

struct FieldInfo {
    std::string name;  // decoded to UTF-8
    FieldType type = FieldType::kAlpha;
    uint8_t size_byte = 0;  // header size byte (decimals for BCD)
    uint32_t width = 0;     // bytes in the record
    uint32_t offset = 0;    // start within the record
};

struct FileHeader {
    uint16_t record_size = 0;
    uint16_t header_size = 0;
    FileType file_type = FileType::kIndexedDb;
    uint32_t block_size = 0;
    uint32_t num_records = 0;
    uint16_t used_blocks = 0;
    uint16_t file_blocks = 0;
    uint16_t first_block = 0;
    uint16_t last_block = 0;
    uint16_t root_block = 0;  // index files
    uint8_t index_levels = 0; // index files
    uint16_t num_fields = 0;
    uint16_t key_fields = 0;
    uint32_t password_checksum = 0;  // 0 = not encrypted
    uint8_t sort_order = 0;
    uint8_t version_byte = 0;  // raw byte at 0x39
    uint16_t code_page = 0;    // 0 when not stored (v3.x)
    uint32_t auto_increment = 0;
    uint8_t change_count = 0;  // byte 0x2D: bumped by every change of the data
    uint16_t first_free_block = 0;
    uint8_t index_flags = 0;   // X files: 0x01 case-insensitive, 0x10 descending, 0x20 unique
    uint8_t first_indexed_field = 0;
    std::string table_name;
    std::string sort_order_name;
    std::string index_name;  // .XGn only
    std::vector<FieldInfo> fields;
    std::vector<uint16_t> field_numbers;  // v4+ DB/X

    // 30, 35, 40, 50 or 70.
    int VersionLevel() const;
    bool IsDataFile() const;   // .DB, .Xnn, .XGn: has field names
    bool IsIndexTree() const;  // .PX, .Ynn, .YGn
    bool IsEncrypted() const { return password_checksum != 0; }
    uint32_t KeyWidth() const;
    // Bytes by which a file of file_size ends short of its last block.
    uint64_t MissingBytes(uint64_t file_size) const;
};

// Reads and validates the header of file; every count, size and offset is
// checked against the file size (the last block may end early, see
// BlockFile). file_names_code_page is the iconv name used
// for field names (the table's code page).
Status ReadHeader(const RandomAccessFile& file, FileHeader* header);

// The raw header bytes of the file at path (header-size bytes), for
// read-modify-write of headers.
Status ReadHeaderBytes(const std::string& path, std::vector<uint8_t>* bytes);

// Takes the record and block counts, chain ends, free list and
// auto-increment value over from raw header bytes a writer changed.
void RefreshCounts(const std::vector<uint8_t>& bytes, FileHeader* header);

// The iconv name for a table's text, from its code page and sort order.
std::string TextEncodingName(const FileHeader& header);

}  // namespace paradox
