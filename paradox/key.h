// Keys: the leading fields of a record or index entry, compared field by
// field (numbers by their stored bytes, text by the table's collation).
// A search key may hold fewer fields than the index has.
#pragma once

#include <cstdint>
#include <vector>

#include "paradox/collation.h"
#include "paradox/header.h"
#include "paradox/text_codec.h"
#include "paradox/value.h"

namespace paradox {

class KeyLayout {
public:
    KeyLayout() = default;
    // fields: the key fields in order, with offsets inside the key buffer.
    KeyLayout(std::vector<FieldInfo> fields, const Collation* collation, std::vector<bool> descending = {});

    size_t field_count() const { return fields_.size(); }
    const FieldInfo& field(size_t i) const { return fields_[i]; }
    uint32_t width() const { return width_; }
    // Width of the first n fields.
    uint32_t PrefixWidth(size_t n) const;

    // Compares the first n fields of two key buffers.
    int Compare(const uint8_t* a, const uint8_t* b, size_t n) const;

    // Encodes values for the first values.size() fields; a value of another
    // type is converted where that makes sense, else InvalidArgument.
    Status Encode(const std::vector<Value>& values, const TextDecoder& text, std::vector<uint8_t>* key) const;

private:
    std::vector<FieldInfo> fields_;
    std::vector<bool> descending_;
    const Collation* collation_ = nullptr;
    uint32_t width_ = 0;
};

// Encodes one value into a field of type field.type (width field.width).
Status EncodeValue(const FieldInfo& field, const Value& value, const TextDecoder& text, uint8_t* out);

}  // namespace paradox
