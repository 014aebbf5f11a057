#include "editor/lookups.h"

#include "db/table.h"
#include "platform/error.h"

#include <functional>

namespace zelvon::editor {
namespace {

void Check(const db::Status& status) {
    if (!status.ok()) throw Error(QString::fromStdString(status.message()));
}

db::Field& FieldOf(db::Table& table, const char* name) {
    db::Field* field = table.FindField(name);
    if (!field)
        throw Error(QStringLiteral("Feld '%1' nicht gefunden in %2").arg(name, QString::fromStdString(table.TableName())));
    return *field;
}

void ForEachRow(db::Session& session, const QString& home, const QString& tableName,
                const std::function<void(db::Table&)>& row) {
    db::Table table(session);
    table.SetDatabaseName(home.toStdString());
    table.SetTableName(tableName.toStdString());
    Check(table.Open());
    for (; !table.Eof(); Check(table.Next())) row(table);
}

}  // namespace

std::vector<QString> ReadCurrencies(db::Session& session, const QString& home) {
    std::vector<QString> symbols;
    ForEachRow(session, home, QStringLiteral("Waehrung.db"), [&](db::Table& table) {
        symbols.push_back(QString::fromStdString(FieldOf(table, "Symbol").AsString()));
    });
    return symbols;
}

std::vector<GroupEntry> ReadGroupLookup(db::Session& session, const QString& home, const QString& tableName) {
    std::vector<GroupEntry> entries;
    ForEachRow(session, home, tableName, [&](db::Table& table) {
        entries.push_back({FieldOf(table, "GruppenIndex").AsInteger(),
                           QString::fromStdString(FieldOf(table, "GruppenName").AsString())});
    });
    return entries;
}

}  // namespace zelvon::editor
