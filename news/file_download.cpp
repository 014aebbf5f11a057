#include "news/file_download.h"

#include "platform/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zelvon::news {
namespace {

// The run deletes these files once it has read them: no sync to the disk, but
// never half a file left behind.
void WriteTemporaryFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush()) return;
    file.remove();
    throw Error(QStringLiteral("Datei %1 nicht schreibbar").arg(path));
}

}  // namespace

void DownloadFile(HttpClient& client, const QString& url, const QString& path, RunProgress& progress) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    progress.SetPanel(0, QStringLiteral("Loading"));
    QByteArray body;
    try {
        client.get(url, body);
    } catch (const HttpStatusError&) {
        progress.SetPanel(0, QStringLiteral("Failed : %1 %2").arg(client.responseCode()).arg(client.statusText()));
        return;
    }
    WriteTemporaryFile(path, body);
    progress.SetPanel(0, QStringLiteral("Received %1 bytes").arg(body.size()));
}

}  // namespace zelvon::news
