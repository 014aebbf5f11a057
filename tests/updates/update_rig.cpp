#include "update_rig.h"

#include "paradox/file.h"
#include "tools/demodata/demo_directory.h"
#include "tools/demodata/update_files.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace zelvon::test {

namespace dd = zelvon::demodata;

bool RecordingHost::askYesNo(const QString& caption, const QString&) {
    questions << caption;
    return answers.value(caption, false);
}

void RecordingHost::pumpMessages() {
    ++pumps;
    if (onPump) onPump(pumps);
}

UpdateRig::UpdateRig(size_t securities) {
    dd::DemoOptions options;
    if (securities > 0) options.securities = securities;
    const paradox::Status s = dd::CreateDemoDataDirectory(dir.path().toStdString(), options);
    if (!s.ok()) throw std::runtime_error(s.message());
    PrepareFolders();
}

UpdateRig::UpdateRig(const QString& existingHome) : existing_(existingHome) { PrepareFolders(); }

void UpdateRig::PrepareFolders() {
    fetch.fileNameEdit = path(QStringLiteral("seite.htm"));
    QDir().mkpath(path(QStringLiteral("tmp")));
    QDir().mkpath(path(QStringLiteral("filter")));
}

void UpdateRig::serveDirectory(const std::string& prefix, const QString& directory) {
    const std::string root = directory.toStdString();
    server.routes().Get(prefix + "(.*)", [root](const httplib::Request& request, httplib::Response& response) {
        const std::string name = request.matches[1];
        const std::string file = name.find('/') == std::string::npos ? paradox::FindIgnoringCase(root, name) : "";
        QFile in(QString::fromStdString(file));
        if (file.empty() || !in.open(QIODevice::ReadOnly)) {
            response.status = 404;
            return;
        }
        const QByteArray bytes = in.readAll();
        response.set_content(bytes.toStdString(), "application/octet-stream");
    });
}

updates::UpdateContext UpdateRig::context() {
    updates::UpdateDirectories dirs{home(), home(), path(QStringLiteral("tmp/")), path(QStringLiteral("filter/"))};
    return updates::UpdateContext{host, window, progress, retrieval, client, fetch, session, pageView, detailView, dirs,
                                  server.url(QString())};
}

void WriteServerTables(const QString& directory, size_t securities) {
    const auto rows = securities > 0 ? dd::UpdateSecurities(securities) : dd::UpdateSecurities();
    const paradox::Status s = dd::WriteUpdateTables(directory.toStdString(), rows);
    if (!s.ok()) throw std::runtime_error(s.message());
}

}  // namespace zelvon::test
