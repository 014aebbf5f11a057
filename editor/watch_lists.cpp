#include "editor/watch_lists.h"

#include "db/table.h"
#include "platform/error.h"

namespace zelvon::editor {
namespace {

void Check(const db::Status& status, int list) {
    if (status.ok()) return;
    if (status.IsLocked())
        throw Error(QStringLiteral("Die Beobachtungsliste %1 ist gesperrt: ein anderes Programm schreibt gerade "
                                   "hinein. Versuchen Sie es später noch einmal.")
                        .arg(WatchTableName(list)));
    throw Error(QStringLiteral("Beobachtungsliste %1: %2").arg(WatchTableName(list), QString::fromStdString(status.message())));
}

}  // namespace

QString WatchTableName(int list) { return list == 0 ? QStringLiteral("Watch.db") : QStringLiteral("Watch%1.db").arg(list + 1); }

bool WatchLists::Holds(int list, int32_t firma) const {
    db::Table table(session_);
    table.SetDatabaseName(home_.toStdString());
    table.SetTableName(WatchTableName(list).toStdString());
    Check(table.Open(), list);
    bool found = false;
    Check(table.FindKey({int64_t(firma)}, &found), list);
    return found;
}

std::array<bool, kWatchLists> WatchLists::Membership(int32_t firma) const {
    std::array<bool, kWatchLists> held{};
    for (int list = 0; list < kWatchLists; ++list) {
        try {
            held[size_t(list)] = Holds(list, firma);
        } catch (const Error&) {
            held[size_t(list)] = false;
        }
    }
    return held;
}

void WatchLists::SetMember(int list, int32_t firma, bool member) {
    db::Table table(session_);
    table.SetDatabaseName(home_.toStdString());
    table.SetTableName(WatchTableName(list).toStdString());
    table.SetLockWait(lockWait_);
    Check(table.Open(), list);
    bool found = false;
    Check(table.FindKey({int64_t(firma)}, &found), list);
    if (found && !member) Check(table.Delete(), list);
    if (!found && member) {
        Check(table.Append(), list);
        Check(table.FindField("Firma") ? table.FindField("Firma")->SetInteger(firma)
                                       : db::Status::NotFound("Feld 'Firma' nicht gefunden"),
              list);
        Check(table.Post(), list);
    }
}

}  // namespace zelvon::editor
