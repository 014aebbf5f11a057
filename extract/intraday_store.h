// The storage step's table work: one quote as one row of Intraday.db, the
// current security's rows seen as a detail of the securities table. A quote
// with the same date-time as the security's last row updates that row.
#pragma once

#include "db/data_link.h"
#include "db/session.h"
#include "extract/extraction.h"

namespace zelvon::extract {

class IntradayStore {
public:
    // dataSource1 shows Table1 (Firma.db); Intraday.db lives in Table1's database.
    IntradayStore(db::Session& session, db::DataLink& dataSource1);

    // Every table error is swallowed: the row is cancelled, nothing is shown.
    // True when the row was posted.
    bool Store(const IntradayRow& row);

private:
    db::Session& session_;
    db::DataLink& dataSource1_;
};

// Date-times compare at the table's precision, whole milliseconds.
bool SameDateTime(DateTime a, DateTime b);

}  // namespace zelvon::extract
