// A news service on 127.0.0.1 and a suite data directory from the demo kit,
// for running the news run against real tables: the overview and detail pages
// the server sends, how often each was asked for, and the rows and files the
// run left behind.
#pragma once

#include "db/session.h"
#include "db/table.h"
#include "loopback_server.h"
#include "news/news_run.h"
#include "platform/run_progress.h"
#include "tests/news/news_pages.h"
#include "tools/demodata/demo_directory.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>

namespace zelvon::test {

struct StoredNews {
    int32_t firma = 0;
    QString nachricht;
    double zeit = 0;
    bool aktiv = false;
};

// The stderr log of an unattended run, kept for the test; counts the beeps and
// asks to stop once it has seen stopAfter items.
class RecordingProgress : public ConsoleProgress {
public:
    RecordingProgress() : ConsoleProgress(std::chrono::milliseconds(0)) {}
    void SetMessage(const QString& text, bool alert) override {
        ConsoleProgress::SetMessage(text, alert);
        if (overviewLoaded && !alert && ++items == stopAfter) RequestStop();
        if (text == QStringLiteral("Nachrichten-Übersichtsseite geladen")) overviewLoaded = true;
    }
    void Beep() override { ++beeps; }
    int beeps = 0;
    int items = 0;
    int stopAfter = -1;
    bool overviewLoaded = false;
    QStringList lines;

protected:
    void WriteLine(const QString& line) override { lines << line; }
};

class NewsService {
public:
    NewsService() {
        server.routes().Get("/", [this](const httplib::Request&, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            response.set_content(overview_.toStdString(), "text/html; charset=iso-8859-1");
        });
        server.routes().Get("/news/detail", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            const std::string id = request.get_param_value("id");
            ++requests_[id];
            if (id == endless_) {
                response.set_chunked_content_provider("text/html", [](size_t, httplib::DataSink& sink) {
                    static const std::string chunk(4096, 'x');
                    return sink.write(chunk.data(), chunk.size());
                });
                return;
            }
            const auto page = details_.find(id);
            if (page == details_.end()) {
                response.status = 404;
                return;
            }
            response.set_content(page->second.toStdString(), "text/html; charset=utf-8");
        });
        server.start();
    }

    void SetOverview(const QByteArray& page) {
        std::lock_guard lock(mutex_);
        overview_ = page;
    }
    void SetDetail(const std::string& id, const QByteArray& page) {
        std::lock_guard lock(mutex_);
        details_[id] = page;
    }
    // This detail page sends bytes for ever.
    void SetEndless(const std::string& id) {
        std::lock_guard lock(mutex_);
        endless_ = id;
    }
    int Requests(const std::string& id) {
        std::lock_guard lock(mutex_);
        return requests_[id];
    }
    int DetailRequests() {
        std::lock_guard lock(mutex_);
        int sum = 0;
        for (const auto& [id, count] : requests_) sum += count;
        return sum;
    }
    QString base() const { return server.url(QString()); }

    LoopbackServer server;

private:
    std::mutex mutex_;
    QByteArray overview_;
    std::map<std::string, QByteArray> details_;
    std::map<std::string, int> requests_;
    std::string endless_;
};

class NewsRig {
public:
    NewsRig() {
        CopyDemoData(Home());
        QDir().mkpath(Temp());
        QDir().mkpath(Kept());
        settings.newsUrl = service.base();
        settings.home = Home();
        settings.tempPath = Temp();
        settings.keptDirectory = Kept();
        // A page that never ends stops here, within milliseconds on loopback.
        settings.pageLimit = 256 * 1024;
    }

    // The demo kit is written once per process and copied for every rig.
    static void CopyDemoData(const QString& home) {
        static QTemporaryDir kit;
        static const bool written =
            demodata::CreateDemoDataDirectory(kit.filePath("Daten").toStdString(), demodata::DemoOptions()).ok();
        ASSERT_TRUE(written);
        CopyFiles(kit.filePath("Daten"), home);
    }
    // The files of from and of its subfolders (the depots).
    static void CopyFiles(const QString& from, const QString& to) {
        QDir().mkpath(to);
        const QDir source(from);
        for (const QString& name : source.entryList(QDir::Files)) ASSERT_TRUE(QFile::copy(source.filePath(name), to + name));
        for (const QString& sub : source.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            CopyFiles(source.filePath(sub), to + sub + u'/');
        }
    }

    QString Home() const { return dir.filePath(QStringLiteral("Daten")) + u'/'; }
    QString Temp() const { return dir.filePath(QStringLiteral("Temp")) + u'/'; }
    QString Kept() const { return dir.filePath(QStringLiteral("Kept")) + u'/'; }

    news::NewsRunResult Run(RunProgress& progress) {
        news::NewsRun run(session, client, progress, settings);
        return run.Newseinlesen();
    }

    std::map<int32_t, StoredNews> Rows() {
        db::Session readSession;
        db::Table table(readSession);
        table.SetDatabaseName(Home().toStdString());
        table.SetTableName("Nachrichten.db");
        EXPECT_TRUE(table.Open().ok());
        std::map<int32_t, StoredNews> rows;
        for (db::Status s = table.First(); s.ok() && !table.Eof(); s = table.Next()) {
            rows[table.FindField("Nummer")->AsInteger()] = {
                table.FindField("Firma")->AsInteger(), QString::fromStdString(table.FindField("Nachricht")->AsString()),
                table.FindField("Zeit")->AsDateTime(), table.FindField("Aktiv")->AsBoolean()};
        }
        return rows;
    }

    // Every file below the rig's directory that is not a table of the data directory.
    QStringList FilesOutsideData() const {
        QStringList files;
        for (const QString& sub : {QStringLiteral("."), QStringLiteral("Temp"), QStringLiteral("Kept")}) {
            for (const QString& name : QDir(dir.filePath(sub)).entryList(QDir::Files)) files << sub + u'/' + name;
        }
        return files;
    }

    QTemporaryDir dir;
    NewsService service;
    db::Session session;
    HttpClient client;
    news::NewsRunSettings settings;
};

}  // namespace zelvon::test
