#include "db/field.h"

#include <cmath>
#include <limits>

#include "db/table.h"
#include "paradox/date_time.h"
#include "paradox/dump.h"

namespace zelvon::db {
namespace {

paradox::Value ReadValue(const Table* table, size_t index) {
    paradox::Value value;
    value.type = table->engine()->fields()[index].type;
    const paradox::RecordRef* record = table->CurrentRecord();
    if (!record || !table->engine()->ReadValue(*record, index, &value).ok()) value.is_null = true;
    return value;
}

int32_t ClampToInt32(double v) {
    if (!(v == v)) return 0;
    if (v >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (v <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return int32_t(std::nearbyint(v));
}

}  // namespace

const std::string& Field::FieldName() const { return table_->engine()->fields()[index_].name; }
paradox::FieldType Field::DataType() const { return table_->engine()->fields()[index_].type; }
int Field::Size() const { return table_->engine()->fields()[index_].size_byte; }
// The table object owns the edit buffer; a Field is only a handle on it.
paradox::Status Field::SetValue(const Variant& value) const {
    return const_cast<Table*>(table_)->SetFieldValue(index_, value);
}

bool Field::IsNull() const { return ReadValue(table_, index_).is_null; }

std::string Field::AsString() const {
    paradox::Value v = ReadValue(table_, index_);
    if (v.is_null) return "";
    using paradox::FieldType;
    switch (v.type) {
        case FieldType::kAlpha: case FieldType::kBcd: return v.text;
        case FieldType::kMemo: case FieldType::kFormattedMemo:
            return table_->engine()->text().Decode(v.bytes.data(), v.bytes.size());
        case FieldType::kBlob: case FieldType::kOle: case FieldType::kGraphic: case FieldType::kBytes:
            return std::string(v.bytes.begin(), v.bytes.end());
        default: return paradox::FormatValue(v);
    }
}

int32_t Field::AsInteger() const {
    paradox::Value v = ReadValue(table_, index_);
    if (v.is_null) return 0;
    using paradox::FieldType;
    switch (v.type) {
        case FieldType::kNumber: case FieldType::kCurrency: return ClampToInt32(v.number);
        case FieldType::kAlpha: case FieldType::kBcd: return ClampToInt32(std::strtod(v.text.c_str(), nullptr));
        default: return ClampToInt32(double(v.integer));
    }
}

double Field::AsFloat() const {
    paradox::Value v = ReadValue(table_, index_);
    if (v.is_null) return 0.0;
    using paradox::FieldType;
    switch (v.type) {
        case FieldType::kNumber: case FieldType::kCurrency: return v.number;
        case FieldType::kAlpha: case FieldType::kBcd: return std::strtod(v.text.c_str(), nullptr);
        case FieldType::kDate: case FieldType::kTime: case FieldType::kTimestamp: return AsDateTime();
        default: return double(v.integer);
    }
}

double Field::AsDateTime() const {
    paradox::Value v = ReadValue(table_, index_);
    if (v.is_null) return 0.0;
    using paradox::FieldType;
    switch (v.type) {
        case FieldType::kDate: return double(v.integer - paradox::kDateTimeEpochDay);
        case FieldType::kTime: return double(v.integer) / double(paradox::kMillisPerDay);
        case FieldType::kTimestamp: return paradox::DateTimeFromMillis(v.integer);
        case FieldType::kNumber: case FieldType::kCurrency: return v.number;
        default: return 0.0;
    }
}

bool Field::AsBoolean() const {
    paradox::Value v = ReadValue(table_, index_);
    if (v.is_null) return false;
    using paradox::FieldType;
    switch (v.type) {
        case FieldType::kNumber: case FieldType::kCurrency: return v.number != 0;
        case FieldType::kAlpha: return v.text == "True" || v.text == "true" || v.text == "T" || v.text == "J";
        default: return v.integer != 0;
    }
}

}  // namespace zelvon::db
