// The structure of every table the demo data kit writes: file name, fields
// with their Paradox types and sizes, primary key, secondary indexes and
// password. The documentation of the suite's tables lists the same.
#pragma once

#include <string>
#include <vector>

#include "tools/demodata/table_loader.h"

namespace zelvon::demodata {

// With memo_fields: all 21 fields, including Internet and Memo. Without: the
// 11 fields the quote fetch needs, as in older securities tables.
TableDefinition FirmaTable(bool memo_fields);
// Gruppen.db, Branchen.db and merkmal.db share one layout (GruppenIndex, GruppenName).
TableDefinition GroupTable(const std::string& file_name);
TableDefinition CurrencyTable();
TableDefinition WatchTable(const std::string& file_name);
TableDefinition TransactionTable(const std::string& password);
TableDefinition IntradayTable();
TableDefinition NewsTable();
// DDESeiten.Db, TVAktiv.Db and DDEAktiv.Db share one layout.
TableDefinition TeletextTable(const std::string& file_name);
TableDefinition InternetDefaultsTable();

// Watch.db, Watch2.db, Watch3.db, Watch4.db for lists 1 to 4.
std::string WatchFileName(int list);

}  // namespace zelvon::demodata
