// The lists behind the dialog's drop-down lookups: currencies (`Symbol` of
// Waehrung.db) and the group-like tables whose rows pair `GruppenIndex` with
// `GruppenName` (gruppen.db, Branchen.db, merkmal.db), in table order.
#pragma once

#include "db/session.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace zelvon::editor {

struct GroupEntry {
    int32_t index = 0;
    QString name;
};

// Raise an Error naming the table when it cannot be read.
std::vector<QString> ReadCurrencies(db::Session& session, const QString& home);
std::vector<GroupEntry> ReadGroupLookup(db::Session& session, const QString& home, const QString& tableName);

}  // namespace zelvon::editor
