#include "updates/table_guard.h"

#include "paradox/check.h"
#include "paradox/field_encoder.h"
#include "paradox/file.h"

#include <QStringList>

namespace zelvon::updates {
namespace {

db::Field FieldOf(const db::Table& table, const char* name) {
    db::Field field(nullptr, 0);
    Check(table.FieldByName(name, &field));
    return field;
}

QString Joined(const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& line : lines) out << QString::fromStdString(line);
    return out.join(QStringLiteral("; "));
}

}  // namespace

void Check(const db::Status& status) {
    if (!status.ok()) throw Error(QString::fromStdString(status.message()));
}

std::unique_ptr<db::Table> OpenTable(db::Session& session, const QString& directory, const QString& name,
                                     const QString& index) {
    auto table = std::make_unique<db::Table>(session);
    table->SetDatabaseName(directory.toStdString());
    table->SetTableName(name.toStdString());
    if (!index.isEmpty()) Check(table->SetIndexName(index.toStdString()));
    Check(table->Open());
    return table;
}

void RequireFields(const db::Table& table, std::initializer_list<const char*> fields) {
    for (const char* name : fields) {
        if (!table.engine() || table.engine()->FindField(name) < 0) {
            throw Error(QStringLiteral("Tabelle %1: Feld %2 fehlt")
                            .arg(QString::fromStdString(table.TableName()), QString::fromLatin1(name)));
        }
    }
}

void RequireConsistent(db::Session& session, const QString& directory, const QString& name) {
    const std::string path = paradox::FindIgnoringCase(directory.toStdString(), name.toStdString());
    if (path.empty()) throw Error(QStringLiteral("Tabelle %1 nicht gefunden in %2").arg(name, directory));
    paradox::OpenOptions options;
    options.passwords = session.passwords();
    std::unique_ptr<paradox::Table> table;
    Check(paradox::Table::Open(path, options, &table));
    // The engine reads a keyed table without its .PX; a download must bring it.
    if (table->is_keyed() && !table->primary_index())
        throw Error(QStringLiteral("Tabelle %1: die Indexdatei (.PX) fehlt").arg(name));
    std::vector<std::string> problems;
    Check(paradox::CheckTable(path, options, &problems));
    if (!problems.empty()) {
        throw Error(QStringLiteral("Tabelle %1 ist beschädigt oder passt nicht zu ihrem Index: %2")
                        .arg(name, Joined(problems)));
    }
}

QString Text(const db::Table& table, const char* field) { return QString::fromStdString(FieldOf(table, field).AsString()); }

int32_t Integer(const db::Table& table, const char* field) { return FieldOf(table, field).AsInteger(); }

double Float(const db::Table& table, const char* field) { return FieldOf(table, field).AsFloat(); }

db::Variant CopiedValue(const db::Table& table, const char* field) {
    const db::Field f = FieldOf(table, field);
    if (f.IsNull()) return std::monostate{};
    switch (f.DataType()) {
    case paradox::FieldType::kAlpha:
    case paradox::FieldType::kMemo:
        return f.AsString();
    case paradox::FieldType::kNumber:
    case paradox::FieldType::kCurrency:
        return f.AsFloat();
    default:
        return int64_t(f.AsInteger());
    }
}

void Set(db::Table& table, const char* field, const db::Variant& value) { Check(FieldOf(table, field).SetValue(value)); }

void RequireFits(const db::Table& table, const char* field, const db::Variant& value) {
    const paradox::Table* engine = table.engine();
    const int index = engine ? engine->FindField(field) : -1;
    if (index < 0) RequireFields(table, {field});
    thread_local std::vector<uint8_t> scratch;
    scratch.assign(engine->header().record_size, 0);
    const paradox::FieldInfo& info = engine->fields()[size_t(index)];
    Check(paradox::EncodeField(table.TableName(), info, db::ToEngineValue(info, value), engine->text(), scratch.data()));
}

void DeleteTableFiles(db::Session& session, const QString& directory, const QString& name) {
    if (paradox::FindIgnoringCase(directory.toStdString(), name.toStdString()).empty()) return;
    db::Table table(session);
    table.SetDatabaseName(directory.toStdString());
    table.SetTableName(name.toStdString());
    Check(table.DeleteTable());
}

}  // namespace zelvon::updates
