// Encoding of application values into record bytes for writing: every type
// the program writes, in the table's code page, with refusals (naming table
// and field) for text that does not fit and numbers outside the type's range.
// Memo text longer than the record's leader is written to the .MB by the
// caller; EncodeField only fills the leader then.
#pragma once

#include <cstdint>
#include <string>

#include "paradox/field_codec.h"
#include "paradox/header.h"
#include "paradox/text_codec.h"
#include "paradox/value.h"

namespace paradox {

// Writes value into field of record (the whole record buffer). table names
// the table in error messages. Blob-type values longer than the leader are
// not stored here (see NeedsBlobFile).
Status EncodeField(const std::string& table, const FieldInfo& field, const Value& value, const TextDecoder& text,
                   uint8_t* record);

// Whether a blob-type value of this many bytes must live in the .MB.
bool NeedsBlobFile(const FieldInfo& field, size_t length);

// The bytes a memo value is stored as: text in the code page.
std::string MemoBytes(const Value& value, const TextDecoder& text);

// Writes the blob descriptor at the end of a blob field.
void StoreBlobDescriptor(const FieldInfo& field, const BlobDescriptor& descriptor, uint8_t* record);

}  // namespace paradox
