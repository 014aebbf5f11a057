// The record buffer of the security entry dialog over the main window's
// securities table: the current security's field values with the user's
// unsaved changes on top, edit and insert mode, post, cancel, delete and the
// moves (a move off a changed record posts it first). Changes stay in the
// buffer until a post succeeds, so a refused or failed post loses nothing.
#pragma once

#include "db/table.h"

#include <QString>

#include <map>
#include <string>

namespace zelvon::editor {

// More fields than this and the table carries Internet and Memo.
inline constexpr int kFieldsWithoutInformation = 11;

class SecurityRecord {
public:
    explicit SecurityRecord(db::Table& securities) : table_(securities) {}

    db::Table& table() { return table_; }
    bool HasField(const std::string& name) const;
    bool HasInformationFields() const { return table_.FieldCount() > kFieldsWithoutInformation; }

    // The value the user sees: a change not yet posted, else the record's.
    QString Text(const std::string& name) const;
    int32_t Integer(const std::string& name) const;
    bool Boolean(const std::string& name) const;
    int32_t SecurityNumber() const { return Integer("Firma"); }

    // Changes the buffer only; the table is written by Post.
    void SetValue(const std::string& name, const db::Variant& value);
    bool Modified() const { return inserting_ || !changes_.empty(); }
    bool Inserting() const { return inserting_; }

    // A new, empty security with the next security number.
    void Insert();
    // Writes the changes; every refusal raises an Error in German naming the
    // field or the lock, and keeps the changes.
    void Post();
    void Cancel();
    void Delete();

    void First();
    void Prior();
    void Next();
    void Last();
    bool Bof() const { return table_.Bof(); }
    bool Eof() const { return table_.Eof(); }

private:
    db::Variant Change(const std::string& name) const;
    bool HasChange(const std::string& name) const;
    // Every text must fit its field and the table's code page before the table is touched.
    void CheckChanges() const;
    void CheckText(const db::Field& field, const std::string& text) const;
    void WriteChanges();
    db::Field* FieldOf(const std::string& name) const;

    db::Table& table_;
    std::map<std::string, db::Variant> changes_;
    bool inserting_ = false;
};

}  // namespace zelvon::editor
