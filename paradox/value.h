// A decoded field value: what a record holds in one field, independent of
// how it is stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "paradox/field_type.h"

namespace paradox {

struct Value {
    FieldType type = FieldType::kAlpha;
    bool is_null = true;
    // Short, Long, AutoIncrement, Logical (0/1), Date (day number), Time (ms of
    // day), Timestamp (total ms).
    int64_t integer = 0;
    double number = 0;  // Number, Currency
    std::string text;   // Alpha (UTF-8); BCD as a plain decimal
    // Memo, formatted memo, blob, OLE, graphic, bytes: the stored bytes
    // (memos are not recoded; see DecodeMemoText).
    std::vector<uint8_t> bytes;
    // BCD whose stored digits contain non-decimal nibbles after the valid ones.
    bool bcd_truncated = false;
};

}  // namespace paradox
