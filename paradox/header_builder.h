// Headers for new files of a table family, laid out like those of a level 5
// table: data files (.DB, and .X, which is a keyed table of its own) and
// index trees (.PX, .Y), plus the empty index file made from such a header.
#pragma once

#include <string>
#include <vector>

#include "paradox/table_create.h"

namespace paradox {

// Path with the extension replaced by ext, keeping the letter case style
// of the original extension.
std::string SiblingPath(const std::string& path, std::string ext);
// The header size byte: the given size where the type has one, else the
// type's fixed width.
uint8_t SizeByte(const FieldSpec& f);
// index_name: stored after the sort order name (.XGn files only).
std::vector<uint8_t> DataHeader(const std::string& name, const std::vector<FieldSpec>& fields, const CreateOptions& o,
                                const std::string& index_name = std::string());
// A .PX-style header over the first o.key_fields of fields.
std::vector<uint8_t> PrimaryIndexHeader(const std::string& name, const std::vector<FieldSpec>& fields, const CreateOptions& o);
Status WriteEmptyIndex(const std::string& path, std::vector<uint8_t> header);
// Zero record and block counts, chain ends and free list.
void ClearCounts(std::vector<uint8_t>* header);

}  // namespace paradox
