// The four watch lists a security can be on: Watch.db, Watch2.db, Watch3.db
// and Watch4.db in the data directory, each one row per security, keyed on
// `Firma`. Each question opens the list afresh, so another program's changes
// are seen.
#pragma once

#include "db/session.h"
#include "paradox/writable_file.h"

#include <QString>

#include <array>
#include <chrono>
#include <cstdint>

namespace zelvon::editor {

inline constexpr int kWatchLists = 4;

QString WatchTableName(int list);

class WatchLists {
public:
    WatchLists(db::Session& session, QString home) : session_(session), home_(std::move(home)) {}

    void SetHome(const QString& home) { home_ = home; }
    void SetLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

    // Which lists hold firma; a list that cannot be read counts as not holding it.
    std::array<bool, kWatchLists> Membership(int32_t firma) const;
    // Whether list 0..3 holds firma; raises an Error naming the list when it cannot be read.
    bool Holds(int list, int32_t firma) const;
    // Adds or removes firma's row so that the list matches member; a list
    // already in that state is not written. Raises an Error naming the list.
    void SetMember(int list, int32_t firma, bool member);

private:
    db::Session& session_;
    QString home_;
    std::chrono::milliseconds lockWait_ = paradox::kDefaultLockWait;
};

}  // namespace zelvon::editor
