#include "paradox/field_type.h"

namespace paradox {

bool IsKnownFieldType(uint8_t code) {
    switch (code) {
        case 0x01: case 0x02: case 0x03: case 0x04: case 0x05: case 0x06: case 0x09:
        case 0x0C: case 0x0D: case 0x0E: case 0x0F: case 0x10:
        case 0x14: case 0x15: case 0x16: case 0x17: case 0x18:
            return true;
        default:
            return false;
    }
}

const char* FieldTypeLetter(FieldType type) {
    switch (type) {
        case FieldType::kAlpha: return "A";
        case FieldType::kDate: return "D";
        case FieldType::kShort: return "S";
        case FieldType::kLong: return "I";
        case FieldType::kCurrency: return "$";
        case FieldType::kNumber: return "N";
        case FieldType::kLogical: return "L";
        case FieldType::kMemo: return "M";
        case FieldType::kBlob: return "B";
        case FieldType::kFormattedMemo: return "F";
        case FieldType::kOle: return "O";
        case FieldType::kGraphic: return "G";
        case FieldType::kTime: return "T";
        case FieldType::kTimestamp: return "@";
        case FieldType::kAutoIncrement: return "+";
        case FieldType::kBcd: return "#";
        case FieldType::kBytes: return "Y";
    }
    return "?";
}

uint32_t RecordWidth(FieldType type, uint8_t size_byte) {
    return type == FieldType::kBcd ? 17 : size_byte;
}

bool IsBlobType(FieldType type) {
    switch (type) {
        case FieldType::kMemo: case FieldType::kBlob: case FieldType::kFormattedMemo:
        case FieldType::kOle: case FieldType::kGraphic:
            return true;
        default:
            return false;
    }
}

bool IsNumericType(FieldType type) { return type != FieldType::kAlpha && !IsBlobType(type) && type != FieldType::kBytes; }

bool IsValidFieldSize(FieldType type, uint8_t size) {
    switch (type) {
        case FieldType::kAlpha: case FieldType::kBytes: return size >= 1;
        case FieldType::kShort: return size == 2;
        case FieldType::kDate: case FieldType::kLong: case FieldType::kTime: case FieldType::kAutoIncrement: return size == 4;
        case FieldType::kCurrency: case FieldType::kNumber: case FieldType::kTimestamp: return size == 8;
        case FieldType::kLogical: return size == 1;
        case FieldType::kBcd: return size <= 32;
        case FieldType::kMemo: case FieldType::kBlob: case FieldType::kFormattedMemo:
        case FieldType::kOle: case FieldType::kGraphic: return size >= 10 && size <= 250;
    }
    return false;
}

}  // namespace paradox
