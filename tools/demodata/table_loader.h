// Writing a whole new table in one pass: the table is created from its
// field definitions, the records are sorted by primary key and packed into
// full blocks (as Paradox builds a table sequentially), then the primary
// index and the secondary indexes are built. Used for tables that are
// written once and completely, where posting record by record would rebuild
// the indexes after every record.
#pragma once

#include <string>
#include <vector>

#include "paradox/table_create.h"
#include "paradox/value.h"
#include "paradox/index_create.h"

namespace zelvon::demodata {

struct TableDefinition {
    std::string file_name;  // e.g. "Firma.db"
    std::vector<paradox::FieldSpec> fields;
    uint16_t key_fields = 0;  // the first n fields form the primary key
    std::string password;     // empty: not encrypted
    std::vector<paradox::SecondaryIndexSpec> indexes;
};

// One value per field of the table, in field order.
using Row = std::vector<paradox::Value>;

// Replaces any table of that name in directory (with all its family files).
// A duplicate primary key is refused (InvalidArgument naming table and record)
// and leaves no table behind.
paradox::Status WriteTable(const std::string& directory, const TableDefinition& definition, const std::vector<Row>& rows);

// Value helpers for building rows.
paradox::Value Null();
paradox::Value Text(const std::string& utf8);
paradox::Value Integer(int64_t v);
paradox::Value Number(double v);
paradox::Value Logical(bool v);
paradox::Value Date(int year, int month, int day);
paradox::Value Timestamp(int year, int month, int day, int hour, int minute, int second);
paradox::Value Memo(const std::string& utf8);

}  // namespace zelvon::demodata
