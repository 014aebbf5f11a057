// Opening the tables an update reads or writes so that a missing table, a
// damaged or foreign index or a missing field stops the run before any row
// of the suite changes; every engine failure becomes an Error naming it.
#pragma once

#include "db/table.h"
#include "platform/error.h"

#include <QString>

#include <initializer_list>
#include <memory>

namespace zelvon::updates {

void Check(const db::Status& status);

// A table object on directory/name (index: empty for primary order), open.
std::unique_ptr<db::Table> OpenTable(db::Session& session, const QString& directory, const QString& name,
                                     const QString& index = QString());

// Raises naming table and field when one of fields is missing.
void RequireFields(const db::Table& table, std::initializer_list<const char*> fields);

// A downloaded table must be consistent with its own index and memo files
// (a .PX from another table or an earlier download is refused).
void RequireConsistent(db::Session& session, const QString& directory, const QString& name);

// Raises naming table and field when value cannot be stored there (too
// long, out of range), so a bad downloaded row is refused before any write.
void RequireFits(const db::Table& table, const char* field, const db::Variant& value);

QString Text(const db::Table& table, const char* field);
int32_t Integer(const db::Table& table, const char* field);
double Float(const db::Table& table, const char* field);
// A field's value for copying into another table: null stays null, text as
// text, every other type as its number.
db::Variant CopiedValue(const db::Table& table, const char* field);
void Set(db::Table& table, const char* field, const db::Variant& value);

// Deletes a table with all its files; a table that is not there is no fault.
void DeleteTableFiles(db::Session& session, const QString& directory, const QString& name);

}  // namespace zelvon::updates
