#include "app/table_access.h"

namespace zelvon {
namespace {

db::Field FieldOf(const db::Table& table, const char* name) {
    db::Field field(nullptr, 0);
    Check(table.FieldByName(name, &field));
    return field;
}

}  // namespace

void Check(const db::Status& status) {
    if (!status.ok()) throw Error(QString::fromStdString(status.message()));
}

QString FieldText(const db::Table& table, const char* name) {
    return QString::fromStdString(FieldOf(table, name).AsString());
}

int32_t FieldInteger(const db::Table& table, const char* name) { return FieldOf(table, name).AsInteger(); }

bool FieldBoolean(const db::Table& table, const char* name) { return FieldOf(table, name).AsBoolean(); }

double FieldFloat(const db::Table& table, const char* name) { return FieldOf(table, name).AsFloat(); }

void SetField(db::Table& table, const char* name, const db::Variant& value) {
    Check(FieldOf(table, name).SetValue(value));
}

}  // namespace zelvon
