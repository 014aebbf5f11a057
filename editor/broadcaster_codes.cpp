#include "editor/broadcaster_codes.h"

#include "platform/error.h"

#include <functional>

namespace zelvon::editor {
namespace {

db::Field& FieldOf(db::Table& table, const QString& name) {
    db::Field* field = table.FindField(name.toStdString());
    if (!field)
        throw Error(QStringLiteral("Feld '%1' nicht gefunden in %2").arg(name, QString::fromStdString(table.TableName())));
    return *field;
}

void Check(const db::Status& status, const db::Table& table) {
    if (!status.ok())
        throw Error(QStringLiteral("%1: %2").arg(QString::fromStdString(table.TableName()),
                                                 QString::fromStdString(status.message())));
}

// Edits and posts each admitted record with the value newValue gives it.
void ForEachAdmitted(db::Table& securities, db::Field& target, const std::function<std::string()>& newValue) {
    securities.StartBatch();
    try {
        for (Check(securities.First(), securities); !securities.Eof(); Check(securities.Next(), securities)) {
            const std::string value = newValue();
            Check(securities.Edit(), securities);
            db::Status s = target.SetString(value);
            if (s.ok()) s = securities.Post();
            if (!s.ok()) {
                securities.Cancel();
                Check(s, securities);
            }
        }
    } catch (const Error&) {
        securities.FinishBatch();
        throw;
    }
    Check(securities.FinishBatch(), securities);
}

}  // namespace

int ShorteningLength(const QString& entry) {
    bool number = false;
    const int length = entry.trimmed().toInt(&number);
    if (!number) throw Error(QStringLiteral("'%1' ist keine gültige ganze Zahl.").arg(entry));
    if (length < 0 || length > kLongestShortening)
        throw Error(QStringLiteral("Die Länge %1 liegt nicht zwischen 0 und %2; keine Kennung wurde geändert.")
                        .arg(length)
                        .arg(kLongestShortening));
    return length;
}

void CopyToSender4(db::Table& securities, const QString& field) {
    db::Field& source = FieldOf(securities, field);
    db::Field& target = FieldOf(securities, QStringLiteral("Sender4"));
    ForEachAdmitted(securities, target, [&source] { return source.AsString(); });
}

void ShortenCodes(db::Table& securities, const QString& field, int length) {
    db::Field& codes = FieldOf(securities, field);
    ForEachAdmitted(securities, codes, [&codes, length] {
        return QString::fromStdString(codes.AsString()).left(length).toStdString();
    });
}

}  // namespace zelvon::editor
