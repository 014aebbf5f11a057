// The sector part of the master update: the downloaded sector list is read
// whole first, and only then replaces every row of Branchen.Db, so that an
// unreadable download leaves the suite's sectors as they were.
#pragma once

#include "db/session.h"
#include "db/variant.h"

#include <QString>

#include <optional>
#include <vector>

namespace zelvon::updates {

struct SectorRow {
    db::Variant index;  // GruppenIndex
    db::Variant name;   // GruppenName
};

// Every row of TmpBranchen.db in Home, in its order; nothing when the table
// is missing, damaged, lacks a field or holds a value Branchen.Db cannot.
std::optional<std::vector<SectorRow>> ReadSectors(db::Session& session, const QString& home);

// Deletes every row of Branchen.Db and appends rows in their order. False
// when Branchen.Db cannot be opened or a write fails; then the rows written
// so far stay.
bool ReplaceSectors(db::Session& session, const QString& home, const std::vector<SectorRow>& rows);

}  // namespace zelvon::updates
