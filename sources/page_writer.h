// Writing what was fetched or listed to files: raw downloads byte for byte,
// text views as Windows-1252 lines ending in CR LF. A file is replaced only
// once it has been written completely.
#pragma once

#include <QByteArray>
#include <QString>

namespace zelvon {

class TextView;

// Raises an Error naming the file when it cannot be created or written.
void WriteFileReplacing(const QString& path, const QByteArray& bytes);
void WriteLinesFile(const QString& path, const TextView& view);

}  // namespace zelvon
