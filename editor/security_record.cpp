#include "editor/security_record.h"

#include "editor/new_security_number.h"
#include "platform/error.h"

namespace zelvon::editor {
namespace {

QString Quoted(const std::string& text) { return QStringLiteral("„%1“").arg(QString::fromStdString(text)); }

// The engine's refusal in the words the user is shown; the changes stay.
Error WriteFailed(const db::Status& status, const db::Table& table, const QString& done) {
    const QString name = QString::fromStdString(table.TableName());
    if (status.IsLocked())
        return Error(QStringLiteral("Der Datensatz ist gesperrt: ein anderes Programm schreibt gerade in %1. "
                                    "Ihre Eingaben bleiben erhalten; versuchen Sie es später noch einmal.")
                         .arg(name));
    return Error(QStringLiteral("Der Datensatz konnte nicht %1 werden (%2): %3")
                     .arg(done, name, QString::fromStdString(status.message())));
}

void Check(const db::Status& status) {
    if (!status.ok()) throw Error(QString::fromStdString(status.message()));
}

}  // namespace

db::Field* SecurityRecord::FieldOf(const std::string& name) const {
    return const_cast<db::Table&>(table_).FindField(name);
}

bool SecurityRecord::HasField(const std::string& name) const { return FieldOf(name) != nullptr; }

bool SecurityRecord::HasChange(const std::string& name) const {
    const db::Field* field = FieldOf(name);
    return field && changes_.count(field->FieldName()) > 0;
}

db::Variant SecurityRecord::Change(const std::string& name) const {
    return changes_.at(FieldOf(name)->FieldName());
}

QString SecurityRecord::Text(const std::string& name) const {
    if (HasChange(name)) {
        const db::Variant v = Change(name);
        if (const auto* s = std::get_if<std::string>(&v)) return QString::fromStdString(*s);
        if (const auto* i = std::get_if<int64_t>(&v)) return QString::number(*i);
        return QString();
    }
    const db::Field* field = FieldOf(name);
    if (!field || inserting_) return QString();
    return QString::fromStdString(field->AsString());
}

int32_t SecurityRecord::Integer(const std::string& name) const {
    if (HasChange(name)) {
        const db::Variant v = Change(name);
        const auto* i = std::get_if<int64_t>(&v);
        return i ? int32_t(*i) : 0;
    }
    const db::Field* field = FieldOf(name);
    return field && !inserting_ ? field->AsInteger() : 0;
}

bool SecurityRecord::Boolean(const std::string& name) const {
    if (HasChange(name)) {
        const db::Variant v = Change(name);
        const auto* b = std::get_if<bool>(&v);
        return b && *b;
    }
    const db::Field* field = FieldOf(name);
    return field && !inserting_ && field->AsBoolean();
}

void SecurityRecord::SetValue(const std::string& name, const db::Variant& value) {
    db::Field* field = table_.FindField(name);
    if (!field) throw Error(QStringLiteral("Feld '%1' nicht gefunden in %2").arg(QString::fromStdString(name),
                                                                              QString::fromStdString(table_.TableName())));
    changes_[field->FieldName()] = value;
}

void SecurityRecord::Insert() {
    Post();
    const int32_t number = NextSecurityNumber(table_);
    changes_.clear();
    inserting_ = true;
    changes_[table_.FindField("Firma")->FieldName()] = int64_t(number);
}

void SecurityRecord::CheckText(const db::Field& field, const std::string& text) const {
    bool lossless = true;
    const std::string bytes = table_.engine()->text().Encode(text, &lossless);
    const QString name = QString::fromStdString(field.FieldName());
    if (!lossless)
        throw Error(QStringLiteral("Das Feld %1 kann den Text %2 nicht speichern: er enthält Zeichen, die der "
                                   "Zeichensatz der Tabelle (%3) nicht kennt. Nichts wurde gespeichert.")
                        .arg(name, Quoted(text), QString::fromStdString(table_.engine()->text().encoding())));
    if (field.DataType() == paradox::FieldType::kAlpha && int(bytes.size()) > field.Size())
        throw Error(QStringLiteral("Der Text im Feld %1 ist %2 Zeichen lang; das Feld fasst höchstens %3. "
                                   "Nichts wurde gespeichert.")
                        .arg(name)
                        .arg(bytes.size())
                        .arg(field.Size()));
}

void SecurityRecord::CheckChanges() const {
    for (const auto& [name, value] : changes_) {
        const auto* text = std::get_if<std::string>(&value);
        if (text) CheckText(*FieldOf(name), *text);
    }
}

void SecurityRecord::WriteChanges() {
    for (const auto& [name, value] : changes_) {
        const db::Status set = table_.FindField(name)->SetValue(value);
        if (!set.ok()) {
            table_.Cancel();
            throw Error(QStringLiteral("Das Feld %1 nimmt den Wert nicht an: %2. Nichts wurde gespeichert.")
                            .arg(QString::fromStdString(name), QString::fromStdString(set.message())));
        }
    }
}

void SecurityRecord::Post() {
    if (!Modified()) return;
    CheckChanges();
    const db::Status editing = inserting_ ? table_.Append() : table_.Edit();
    if (!editing.ok()) throw WriteFailed(editing, table_, QStringLiteral("gespeichert"));
    WriteChanges();
    const db::Status posted = table_.Post();
    if (!posted.ok()) {
        table_.Cancel();
        throw WriteFailed(posted, table_, QStringLiteral("gespeichert"));
    }
    changes_.clear();
    inserting_ = false;
}

void SecurityRecord::Cancel() {
    changes_.clear();
    inserting_ = false;
}

void SecurityRecord::Delete() {
    if (inserting_) return Cancel();
    changes_.clear();
    const db::Status deleted = table_.Delete();
    if (!deleted.ok()) throw WriteFailed(deleted, table_, QStringLiteral("gelöscht"));
}

void SecurityRecord::First() {
    Post();
    Check(table_.First());
}

void SecurityRecord::Prior() {
    Post();
    Check(table_.Prior());
}

void SecurityRecord::Next() {
    Post();
    Check(table_.Next());
}

void SecurityRecord::Last() {
    Post();
    Check(table_.Last());
}

}  // namespace zelvon::editor
