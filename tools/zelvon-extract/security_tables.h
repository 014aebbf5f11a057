// The tables of a data directory as the replay stores a quote: Firma.db
// positioned on one security as the master, Intraday.db written through the
// program's storage step and read back to confirm the row.
#pragma once

#include "db/data_link.h"
#include "db/session.h"
#include "db/table.h"
#include "extract/intraday_store.h"

#include <QString>

namespace zelvon::replay {

class SecurityTables {
public:
    SecurityTables();

    // Positions Firma.db of directory on security firma and checks that
    // Intraday.db opens. False with a German message naming the table in error.
    bool Open(const QString& directory, int32_t firma, QString& error);

    // The current record's fields that the extraction reads.
    extract::Security CurrentSecurity();
    // Stores the row as the storage step does; table errors are swallowed there.
    void Store(const extract::IntradayRow& row);
    // The Swiss intraday list's view of the security's rows; LastTrade raises
    // Error when Intraday.db cannot be read.
    extract::StoredTrade LastTrade();
    void PostTrade(const extract::IntradayRow& row);
    // True when Intraday.db holds row's price at row's date-time for the security.
    bool Holds(const extract::IntradayRow& row);

    QString intradayPath() const;

private:
    bool OpenTable(db::Table& table, const char* name, QString& error);
    QString Text(const char* field);

    QString directory_;
    db::Session session_;
    db::Table table1_;
    db::DataLink dataSource1_;
    extract::IntradayStore store_;
    extract::IntradayTrades trades_;
};

}  // namespace zelvon::replay
