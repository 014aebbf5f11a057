#include "news/file_download.h"

#include "sources/page_writer.h"

#include <QDir>
#include <QFileInfo>

namespace zelvon::news {

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
    WriteFileReplacing(path, body);
    progress.SetPanel(0, QStringLiteral("Received %1 bytes").arg(body.size()));
}

}  // namespace zelvon::news
