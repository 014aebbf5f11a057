// Rows of a data directory's Intraday.db per security, read with the
// program's own table layer: what the program tests count before and after a run.
#pragma once

#include "app/table_access.h"

#include <QString>

#include <map>

namespace zelvon::test {

inline std::map<int32_t, int> IntradayRowsPerSecurity(const QString& dataDirectory) {
    db::Session session;
    db::Table table(session);
    table.SetDatabaseName(dataDirectory.toStdString());
    table.SetTableName("Intraday.db");
    Check(table.Open());
    std::map<int32_t, int> rows;
    for (Check(table.First()); !table.Eof(); Check(table.Next())) ++rows[FieldInteger(table, "Firma")];
    return rows;
}

}  // namespace zelvon::test
