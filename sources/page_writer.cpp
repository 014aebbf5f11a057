#include "sources/page_writer.h"

#include "platform/codec.h"
#include "platform/error.h"
#include "platform/text_view.h"

#include <QSaveFile>

namespace zelvon {

void WriteFileReplacing(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Error(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2").arg(path, file.errorString()));
}

void WriteLinesFile(const QString& path, const TextView& view)
{
    QByteArray bytes;
    for (int i = 0; i < view.lineCount(); ++i) {
        bytes += codec::EncodeWindows1252(view.line(i));
        bytes += "\r\n";
    }
    WriteFileReplacing(path, bytes);
}

}  // namespace zelvon
