// The storage step's table work: one quote as one row of Intraday.db, the
// current security's rows seen as a detail of the securities table. A quote
// with the same date-time as the security's last row updates that row.
// IntradayTrades does the same for the many trades of one intraday list.
#pragma once

#include "db/data_link.h"
#include "db/session.h"
#include "db/table.h"
#include "extract/extraction.h"

#include <memory>

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

// The trades of one intraday list: the newest stored trade, then one post per
// trade on a table object kept open from the first post to the last, the
// posts synced to the disk together when the object goes.
class IntradayTrades {
public:
    IntradayTrades(db::Session& session, db::DataLink& dataSource1);
    ~IntradayTrades();

    // The security's last row, stepping back over rows whose Volumen is 0 (at
    // most to its first row); a default StoredTrade for none. Raises Error
    // naming the table when it cannot be opened or positioned.
    StoredTrade LastTrade();
    // As IntradayStore::Store, each row posted at once.
    bool Post(const IntradayRow& row);

private:
    db::Session& session_;
    db::DataLink& dataSource1_;
    std::unique_ptr<db::Table> table_;
};

// Date-times compare at the table's precision, whole milliseconds.
bool SameDateTime(DateTime a, DateTime b);

}  // namespace zelvon::extract
