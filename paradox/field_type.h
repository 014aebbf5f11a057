// The Paradox field types: type codes as stored in the header, their letters
// and the record width each type occupies.
#pragma once

#include <cstdint>
#include <string>

namespace paradox {

enum class FieldType : uint8_t {
    kAlpha = 0x01,
    kDate = 0x02,
    kShort = 0x03,
    kLong = 0x04,
    kCurrency = 0x05,
    kNumber = 0x06,
    kLogical = 0x09,
    kMemo = 0x0C,
    kBlob = 0x0D,
    kFormattedMemo = 0x0E,
    kOle = 0x0F,
    kGraphic = 0x10,
    kTime = 0x14,
    kTimestamp = 0x15,
    kAutoIncrement = 0x16,
    kBcd = 0x17,
    kBytes = 0x18,
};

bool IsKnownFieldType(uint8_t code);
// The letter Paradox shows for the type ("A", "$", "+", ...).
const char* FieldTypeLetter(FieldType type);
// Bytes the field takes in a record, given the size byte from the header
// (for BCD the size byte holds the number of decimals, the width is 17).
uint32_t RecordWidth(FieldType type, uint8_t size_byte);
// Whether size_byte is a legal size for the type.
bool IsValidFieldSize(FieldType type, uint8_t size_byte);
// Memo, formatted memo, blob, OLE and graphic: values that may live in the .MB.
bool IsBlobType(FieldType type);
// Types whose stored bytes compare like the values (all but Alpha).
bool IsNumericType(FieldType type);

}  // namespace paradox
