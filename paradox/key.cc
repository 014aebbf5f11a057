#include "paradox/key.h"

#include <cmath>
#include <cstring>

#include "paradox/field_codec.h"

namespace paradox {

KeyLayout::KeyLayout(std::vector<FieldInfo> fields, const Collation* collation, std::vector<bool> descending)
    : fields_(std::move(fields)), descending_(std::move(descending)), collation_(collation) {
    descending_.resize(fields_.size(), false);
    for (FieldInfo& f : fields_) {
        f.offset = width_;
        width_ += f.width;
    }
}

uint32_t KeyLayout::PrefixWidth(size_t n) const {
    uint32_t w = 0;
    for (size_t i = 0; i < n && i < fields_.size(); ++i) w += fields_[i].width;
    return w;
}

int KeyLayout::Compare(const uint8_t* a, const uint8_t* b, size_t n) const {
    for (size_t i = 0; i < n && i < fields_.size(); ++i) {
        const FieldInfo& f = fields_[i];
        int c;
        if (f.type == FieldType::kAlpha && collation_) {
            c = collation_->Compare(a + f.offset, b + f.offset, f.width);
        } else {
            c = std::memcmp(a + f.offset, b + f.offset, f.width);
            c = c < 0 ? -1 : c > 0 ? 1 : 0;
        }
        if (c != 0) return descending_[i] ? -c : c;
    }
    return 0;
}

Status KeyLayout::Encode(const std::vector<Value>& values, const TextDecoder& text, std::vector<uint8_t>* key) const {
    if (values.size() > fields_.size())
        return Status::InvalidArgument(std::to_string(values.size()) + " key values for " + std::to_string(fields_.size()) + " key fields");
    key->assign(width_, 0);
    for (size_t i = 0; i < values.size(); ++i)
        PX_RETURN_IF_ERROR(EncodeValue(fields_[i], values[i], text, key->data() + fields_[i].offset));
    return Status::Ok();
}

Status EncodeValue(const FieldInfo& field, const Value& value, const TextDecoder& text, uint8_t* out) {
    std::memset(out, 0, field.width);
    if (value.is_null) return Status::Ok();
    switch (field.type) {
        case FieldType::kAlpha: {
            std::string bytes = value.type == FieldType::kAlpha ? text.Encode(value.text) : value.text;
            std::memcpy(out, bytes.data(), bytes.size() < field.width ? bytes.size() : field.width);
            return Status::Ok();
        }
        case FieldType::kShort: case FieldType::kLong: case FieldType::kAutoIncrement:
        case FieldType::kDate: case FieldType::kTime:
            EncodeInt(value.integer, out, field.width);
            return Status::Ok();
        case FieldType::kLogical:
            out[0] = value.integer ? 0x81 : 0x80;
            return Status::Ok();
        case FieldType::kNumber: case FieldType::kCurrency:
            EncodeDouble(value.number, out);
            return Status::Ok();
        case FieldType::kTimestamp:
            EncodeDouble(double(value.integer), out);
            return Status::Ok();
        default:
            return Status::InvalidArgument(std::string("fields of type ") + FieldTypeLetter(field.type) + " cannot be searched");
    }
}

}  // namespace paradox
