#include "paradox/field_codec.h"

#include <cmath>
#include <cstring>

#include "paradox/bytes.h"

namespace paradox {

int64_t DecodeInt(const uint8_t* p, size_t width) {
    if (width == 2) return int16_t(LoadBe16(p) ^ 0x8000);
    return int32_t(LoadBe32(p) ^ 0x80000000u);
}

void EncodeInt(int64_t v, uint8_t* p, size_t width) {
    if (width == 2)
        StoreBe16(p, uint16_t(uint16_t(int16_t(v)) ^ 0x8000));
    else
        StoreBe32(p, uint32_t(int32_t(v)) ^ 0x80000000u);
}

double DecodeDouble(const uint8_t* p) {
    uint64_t bits = LoadBe64(p);
    bits = (bits & 0x8000000000000000ull) ? (bits & ~0x8000000000000000ull) : ~bits;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

void EncodeDouble(double v, uint8_t* p) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    bits = (bits & 0x8000000000000000ull) ? ~bits : (bits | 0x8000000000000000ull);
    StoreBe64(p, bits);
}

std::string DecodeBcd(const uint8_t* p, bool* truncated) {
    bool negative = (p[0] & 0x80) == 0;
    int decimals = p[0] & 0x3F;
    if (decimals > 32) decimals = 32;
    *truncated = false;
    std::string digits;
    for (int i = 0; i < 32; ++i) {
        int nibble = (i % 2 == 0) ? p[1 + i / 2] >> 4 : p[1 + i / 2] & 0x0F;
        if (negative) nibble = 15 - nibble;
        if (nibble > 9) {
            // Past the valid digits BDE leaves junk; the value ends there.
            *truncated = true;
            digits.append(size_t(32 - i), '0');
            break;
        }
        digits.push_back(char('0' + nibble));
    }
    std::string whole = digits.substr(0, size_t(32 - decimals));
    std::string fraction = digits.substr(size_t(32 - decimals));
    size_t first = whole.find_first_not_of('0');
    whole = first == std::string::npos ? "0" : whole.substr(first);
    size_t last = fraction.find_last_not_of('0');
    fraction = last == std::string::npos ? "" : fraction.substr(0, last + 1);
    std::string out = fraction.empty() ? whole : whole + "." + fraction;
    if (negative && out != "0") out = "-" + out;
    return out;
}

BlobDescriptor ReadBlobDescriptor(const FieldInfo& field, const uint8_t* record) {
    const uint8_t* p = record + field.offset + field.width - 10;
    BlobDescriptor d;
    d.leader_size = field.width - 10;
    d.locator = LoadLe32(p);
    d.length = LoadLe32(p + 4);
    d.mod_number = LoadLe16(p + 8);
    return d;
}

void DecodeField(const FieldInfo& field, const uint8_t* record, const TextDecoder& decoder, Value* value) {
    const uint8_t* p = record + field.offset;
    *value = Value();
    value->type = field.type;
    if (field.type == FieldType::kAlpha) {
        size_t n = 0;
        while (n < field.width && p[n] != 0) ++n;
        value->is_null = n == 0;
        value->text = decoder.Decode(p, n);
        return;
    }
    if (IsBlobType(field.type)) {
        BlobDescriptor d = ReadBlobDescriptor(field, record);
        value->is_null = d.length == 0;
        if (!value->is_null && d.InLeader()) value->bytes.assign(p, p + d.length);
        return;
    }
    if (AllZero(p, field.width)) return;
    value->is_null = false;
    switch (field.type) {
        case FieldType::kShort: case FieldType::kLong: case FieldType::kAutoIncrement:
        case FieldType::kDate: case FieldType::kTime:
            value->integer = DecodeInt(p, field.width);
            break;
        case FieldType::kNumber: case FieldType::kCurrency:
            value->number = DecodeDouble(p);
            break;
        case FieldType::kTimestamp: {
            double ms = DecodeDouble(p);
            value->number = ms;
            // Out-of-range garbage would make the integer conversion undefined.
            value->integer = (ms > -9e15 && ms < 9e15) ? int64_t(ms) : 0;
            break;
        }
        case FieldType::kLogical:
            value->integer = p[0] == 0x80 ? 0 : 1;
            break;
        case FieldType::kBcd:
            value->text = DecodeBcd(p, &value->bcd_truncated);
            break;
        case FieldType::kBytes:
            value->bytes.assign(p, p + field.width);
            break;
        default:
            break;
    }
}

}  // namespace paradox
