#include "paradox/field_encoder.h"

#include <cmath>
#include <cstring>

#include "paradox/bytes.h"
#include "paradox/field_codec.h"

namespace paradox {
namespace {

Status Refuse(const std::string& table, const FieldInfo& field, const std::string& what) {
    return Status::InvalidArgument(table + ", field " + field.name + " (" + FieldTypeLetter(field.type) +
                                   std::to_string(field.size_byte) + "): " + what);
}

Status CheckRange(const std::string& table, const FieldInfo& field, int64_t v, int64_t lo, int64_t hi) {
    if (v >= lo && v <= hi) return Status::Ok();
    return Refuse(table, field, "value " + std::to_string(v) + " outside " + std::to_string(lo) + ".." + std::to_string(hi));
}

// Text the code page cannot hold is refused: a '?' in its place would change the data for good.
Status EncodeText(const std::string& table, const FieldInfo& field, const std::string& utf8, const TextDecoder& text,
                  std::string* bytes) {
    bool lossless = true;
    *bytes = text.Encode(utf8, &lossless);
    if (lossless) return Status::Ok();
    return Refuse(table, field, "text has characters that code page " + text.encoding() + " cannot hold");
}

Status EncodeAlpha(const std::string& table, const FieldInfo& field, const Value& value, const TextDecoder& text,
                   uint8_t* out) {
    std::string bytes;
    PX_RETURN_IF_ERROR(EncodeText(table, field, value.text, text, &bytes));
    if (bytes.size() > field.width)
        return Refuse(table, field, "text of " + std::to_string(bytes.size()) + " bytes is longer than the field");
    std::memcpy(out, bytes.data(), bytes.size());
    return Status::Ok();
}

Status EncodeLeader(const std::string& table, const FieldInfo& field, const Value& value, const TextDecoder& text,
                    uint8_t* record) {
    std::string bytes(value.bytes.begin(), value.bytes.end());
    if (field.type == FieldType::kMemo && value.bytes.empty())
        PX_RETURN_IF_ERROR(EncodeText(table, field, value.text, text, &bytes));
    if (bytes.size() > 0xFFFFFFF0u) return Refuse(table, field, "value too large");
    BlobDescriptor d;
    d.leader_size = field.width - 10;
    d.length = uint32_t(bytes.size());
    std::memcpy(record + field.offset, bytes.data(), std::min<size_t>(bytes.size(), d.leader_size));
    StoreBlobDescriptor(field, d, record);
    return Status::Ok();
}

Status EncodeNumber(const std::string& table, const FieldInfo& field, const Value& value, uint8_t* out) {
    double v = value.number;
    if (!std::isfinite(v)) return Refuse(table, field, "not a finite number");
    EncodeDouble(v, out);
    return Status::Ok();
}

}  // namespace

bool NeedsBlobFile(const FieldInfo& field, size_t length) { return length > field.width - 10; }

std::string MemoBytes(const Value& value, const TextDecoder& text) {
    if (!value.bytes.empty()) return std::string(value.bytes.begin(), value.bytes.end());
    return text.Encode(value.text);
}

void StoreBlobDescriptor(const FieldInfo& field, const BlobDescriptor& d, uint8_t* record) {
    uint8_t* p = record + field.offset + field.width - 10;
    StoreLe32(p, d.locator);
    StoreLe32(p + 4, d.length);
    StoreLe16(p + 8, d.mod_number);
}

Status EncodeField(const std::string& table, const FieldInfo& field, const Value& value, const TextDecoder& text,
                   uint8_t* record) {
    uint8_t* out = record + field.offset;
    std::memset(out, 0, field.width);
    if (value.is_null) return Status::Ok();
    switch (field.type) {
        case FieldType::kAlpha:
            return EncodeAlpha(table, field, value, text, out);
        case FieldType::kShort:
            PX_RETURN_IF_ERROR(CheckRange(table, field, value.integer, -32767, 32767));
            EncodeInt(value.integer, out, 2);
            return Status::Ok();
        case FieldType::kLong: case FieldType::kAutoIncrement:
            PX_RETURN_IF_ERROR(CheckRange(table, field, value.integer, -2147483647, 2147483647));
            EncodeInt(value.integer, out, 4);
            return Status::Ok();
        case FieldType::kDate:
            // 0001-01-01 .. 9999-12-31 as day numbers.
            PX_RETURN_IF_ERROR(CheckRange(table, field, value.integer, 1, 3652059));
            EncodeInt(value.integer, out, 4);
            return Status::Ok();
        case FieldType::kTime:
            PX_RETURN_IF_ERROR(CheckRange(table, field, value.integer, 0, 86399999));
            EncodeInt(value.integer, out, 4);
            return Status::Ok();
        case FieldType::kTimestamp:
            PX_RETURN_IF_ERROR(CheckRange(table, field, value.integer, 86400000, 3652059 * 86400000LL + 86399999));
            EncodeDouble(double(value.integer), out);
            return Status::Ok();
        case FieldType::kNumber: case FieldType::kCurrency:
            return EncodeNumber(table, field, value, out);
        case FieldType::kLogical:
            out[0] = value.integer ? 0x81 : 0x80;
            return Status::Ok();
        case FieldType::kMemo: case FieldType::kBlob: case FieldType::kFormattedMemo:
            return EncodeLeader(table, field, value, text, record);
        case FieldType::kBytes:
            if (value.bytes.size() > field.width) return Refuse(table, field, "more bytes than the field holds");
            std::memcpy(out, value.bytes.data(), value.bytes.size());
            return Status::Ok();
        default:
            return Refuse(table, field, "writing this field type is not supported");
    }
}

}  // namespace paradox
