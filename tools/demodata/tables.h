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
TableSpec FirmaTable(bool memo_fields);
// Gruppen.db, Branchen.db and merkmal.db share one layout (GruppenIndex, GruppenName).
TableSpec GroupTable(const std::string& file_name);
TableSpec CurrencyTable();
TableSpec WatchTable(const std::string& file_name);
TableSpec TransactionTable(const std::string& password);
TableSpec IntradayTable();
TableSpec NewsTable();
// DDESeiten.Db, TVAktiv.Db and DDEAktiv.Db share one layout.
TableSpec TeletextTable(const std::string& file_name);
TableSpec InternetDefaultsTable();

// Watch.db, Watch2.db, Watch3.db, Watch4.db for lists 1 to 4.
std::string WatchFileName(int list);

}  // namespace zelvon::demodata
