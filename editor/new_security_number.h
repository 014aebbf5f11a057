// The number a new security gets, by the rule of the securities table's own
// layout: the engine's autoincrement value when `Firma` is an autoincrement
// field, otherwise the next number after the highest in the whole table
// (the record filter does not hide numbers that are taken).
#pragma once

#include "db/table.h"

#include <cstdint>

namespace zelvon::editor {

int32_t NextSecurityNumber(const db::Table& securities);

}  // namespace zelvon::editor
