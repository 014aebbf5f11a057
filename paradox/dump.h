// The canonical text form of a table's records: one line per record, fields
// separated by TAB, used by pxtool and by the tests against reference dumps.
#pragma once

#include <ostream>
#include <string>

#include "paradox/table.h"

namespace paradox {

// Shortest decimal that reads back to the same double, laid out like
// ECMAScript's Number.prototype.toString.
std::string FormatDouble(double value);
// One field in the canonical form.
std::string FormatValue(const Value& value);
// One record's line, without the line end.
Status FormatRecord(const Table& table, const RecordRef& record, std::string* line);
// Header lines ("# ...") and the "#cols" line.
void WriteDumpHeader(const Table& table, std::ostream& out);

}  // namespace paradox
