// Access to one field of a table's current record, with the conversions the
// program uses. A null field, or no current record, reads as "", 0, 0.0, 0
// (date-time) and false.
#pragma once

#include <cstdint>
#include <string>

#include "db/variant.h"
#include "paradox/field_type.h"
#include "paradox/status.h"

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

    // Setters, valid while the table is in edit or insert state; a value
    // the field cannot hold is refused with an error naming table and field.
    paradox::Status SetValue(const Variant& value) const;
    paradox::Status SetString(const std::string& v) const { return SetValue(v); }
    paradox::Status SetInteger(int64_t v) const { return SetValue(v); }
    paradox::Status SetFloat(double v) const { return SetValue(v); }
    paradox::Status SetDateTime(double v) const { return SetValue(v); }
    paradox::Status SetBoolean(bool v) const { return SetValue(v); }
    paradox::Status Clear() const { return SetValue(std::monostate{}); }

private:
    const Table* table_;
    size_t index_;
};

}  // namespace zelvon::db
