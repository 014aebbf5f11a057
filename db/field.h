// Access to one field of a table's current record, with the conversions the
// program uses. A null field, or no current record, reads as "", 0, 0.0, 0
// (date-time) and false.
#pragma once

#include <cstdint>
#include <string>

#include "paradox/field_type.h"

namespace zelvon::db {

class Table;

class Field {
public:
    Field(const Table* table, size_t index) : table_(table), index_(index) {}

    const std::string& FieldName() const;
    paradox::FieldType DataType() const;
    int Size() const;
    bool IsNull() const;
    std::string AsString() const;
    int32_t AsInteger() const;
    double AsFloat() const;
    // Days since 1899-12-30, time of day as fraction.
    double AsDateTime() const;
    bool AsBoolean() const;

private:
    const Table* table_;
    size_t index_;
};

}  // namespace zelvon::db
