#include "news/news_tables.h"

#include "platform/error.h"

namespace zelvon::news {
namespace {

db::Field FieldOf(const db::Table& table, const char* name) {
    db::Field field(nullptr, 0);
    CheckTable(table.FieldByName(name, &field), table);
    return field;
}

void Open(db::Table& table, const QString& home, const char* name, const char* index) {
    table.SetDatabaseName(home.toStdString());
    table.SetTableName(name);
    CheckTable(table.SetIndexName(index), table);
    CheckTable(table.Open(), table);
}

// Tables keep single-byte code pages: one character, one byte of the field.
QString FitToField(const QString& text, int size) { return text.left(size); }

}  // namespace

void CheckTable(const db::Status& status, const db::Table& table) {
    if (status.ok()) return;
    throw Error(QStringLiteral("%1 in %2: %3")
                    .arg(QString::fromStdString(table.TableName()), QString::fromStdString(table.DatabaseName()),
                         QString::fromStdString(status.message())));
}

QString TextField(const db::Table& table, const char* name) { return QString::fromStdString(FieldOf(table, name).AsString()); }
int32_t IntegerField(const db::Table& table, const char* name) { return FieldOf(table, name).AsInteger(); }
bool BooleanField(const db::Table& table, const char* name) { return FieldOf(table, name).AsBoolean(); }

NewsTables::NewsTables(db::Session& session, const QString& home) : news_(session), firma_(session) {
    Open(news_, home, "Nachrichten.db", "");
    Open(firma_, home, "Firma.db", "IWKN");
    news_.StartBatch();
}

// A failed sync cannot be reported from here; every row was written when it was posted.
NewsTables::~NewsTables() { news_.FinishBatch(); }

bool NewsTables::Holds(int32_t nummer) {
    bool found = false;
    CheckTable(news_.FindKey({int64_t(nummer)}, &found), news_);
    return found;
}

void NewsTables::Append(const NewsRow& row) {
    CheckTable(news_.Append(), news_);
    try {
        const db::Field nachricht = FieldOf(news_, "Nachricht");
        CheckTable(FieldOf(news_, "Firma").SetInteger(row.firma), news_);
        CheckTable(nachricht.SetString(FitToField(row.nachricht, nachricht.Size()).toStdString()), news_);
        CheckTable(FieldOf(news_, "Zeit").SetDateTime(row.zeit), news_);
        CheckTable(FieldOf(news_, "Aktiv").SetBoolean(row.aktiv), news_);
        CheckTable(FieldOf(news_, "Nummer").SetInteger(row.nummer), news_);
        CheckTable(news_.Post(), news_);
    } catch (...) {
        news_.Cancel();
        throw;
    }
}

}  // namespace zelvon::news
