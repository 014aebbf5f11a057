// The two commands that work on the teletext codes of every security the
// securities table admits: copying one broadcaster's codes into `Sender4`,
// and cutting one broadcaster's codes to their first x characters.
#pragma once

#include "db/table.h"

#include <QString>

#include <optional>

namespace zelvon::editor {

// Codes are kept to at most this many characters.
inline constexpr int kLongestShortening = 20;
inline constexpr const char* kShorteningDefault = "9";

// The entry of the "X:" box as a length: a whole number from 0 to 20, else an
// Error in German before any record is touched.
int ShorteningLength(const QString& entry);

// Both visit the admitted records from the first to behind the last, one
// post each, synced once at the end. The field is checked before the first
// record (none changes when the table lacks it); a failed post stops the
// loop with an Error, the records before it stay changed.
void CopyToSender4(db::Table& securities, const QString& field);
void ShortenCodes(db::Table& securities, const QString& field, int length);

}  // namespace zelvon::editor
