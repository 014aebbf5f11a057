// Creating a table: from field definitions (a level 5 table with the
// extended header), or with the structure of an existing table (its header,
// .PX and .MB headers copied and emptied, so version, code page, sort order,
// block size and password stay as they were). Deleting a table removes its
// whole family of files.
#pragma once

#include <string>
#include <vector>

#include "paradox/field_type.h"
#include "paradox/table.h"

namespace paradox {

struct FieldSpec {
    std::string name;
    FieldType type = FieldType::kAlpha;
    int size = 0;  // A: characters; M: leader bytes; others 0
    bool required = false;
};

struct CreateOptions {
    uint16_t key_fields = 0;  // the first n fields form the primary key
    uint16_t code_page = 1252;
    uint8_t sort_order = 0;  // 'ascii' (byte order)
    std::string sort_order_name = "ascii";
    uint8_t block_kib = 4;
};

Status CreateTable(const std::string& path, const std::vector<FieldSpec>& fields, const CreateOptions& options);
Status CreateLike(const Table& source, const std::string& path);
// An empty .PX beside a keyed table that lacks one (tables written by other
// tools); the next writer fills it from the data blocks.
Status CreatePrimaryIndex(const Table& table);
// Removes path and every file beside it with the same base name and a table
// family extension (.DB .PX .MB .VAL .Xnn .Ynn .XGn .YGn), in any letter case.
Status DeleteTable(const std::string& path);

}  // namespace paradox
