// Reading and writing fields of the program's table objects where an engine
// failure must end the operation: every failure becomes an Error carrying the
// engine's message, as the standard error box shows it.
#pragma once

#include "db/table.h"
#include "platform/error.h"

#include <QString>

namespace zelvon {

void Check(const db::Status& status);

QString FieldText(const db::Table& table, const char* name);
int32_t FieldInteger(const db::Table& table, const char* name);
bool FieldBoolean(const db::Table& table, const char* name);
double FieldFloat(const db::Table& table, const char* name);

void SetField(db::Table& table, const char* name, const db::Variant& value);

}  // namespace zelvon
