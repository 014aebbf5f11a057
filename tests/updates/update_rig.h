// A reference-data update wired as the main window wires it: a demo data
// directory written by the kit, the page retrieval on the HTTP client, a
// loopback update server, a recording window and a console progress whose
// stop request tests can trigger.
#pragma once

#include "loopback_server.h"
#include "platform/run_progress.h"
#include "platform/text_view.h"
#include "sources/http_browser_engine.h"
#include "sources/http_client.h"
#include "sources/page_files.h"
#include "sources/page_retrieval.h"
#include "test_window.h"
#include "updates/update_context.h"

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <string>

namespace zelvon::test {

struct RecordingHost : updates::UpdateHost {
    void setApplicationTitle(const QString& text) override { title = text; }
    void setBusyCursor(bool on) override { busy = on; }
    bool askYesNo(const QString& caption, const QString& text) override;
    void showMessage(const QString& text) override { messages << text; }
    void pumpMessages() override;
    void setTransferTicker(bool running) override { ticker = running; }
    void stopAutoFetch() override { autoFetchStopped = true; }

    QString title;
    bool busy = false;
    QMap<QString, bool> answers;  // by caption; unanswered: No
    QStringList questions;
    QStringList messages;
    int pumps = 0;
    std::function<void(int)> onPump;
    bool ticker = false;
    bool autoFetchStopped = false;
};

class UpdateRig {
public:
    // A demo data directory with `securities` rows in Firma.db.
    explicit UpdateRig(size_t securities = 0);
    // On an existing data directory (kept after the rig).
    explicit UpdateRig(const QString& existingHome);

    // Serves every file of directory under prefix ("/Update/" ...), letter case ignored.
    void serveDirectory(const std::string& prefix, const QString& directory);
    void start() { server.start(); }
    updates::UpdateContext context();

    QString home() const { return (existing_.isEmpty() ? dir.path() : existing_) + QStringLiteral("/"); }
    QString path(const QString& name) const { return home() + name; }

    QTemporaryDir dir;
    QTemporaryDir serverDir;
    LoopbackServer server;
    TestWindow window;
    FetchState fetch;
    TextView pageView;
    TextView detailView;
    HttpClient client;
    HttpBrowserEngine browser{client};
    PageFiles pageFiles{window, fetch, pageView, detailView};
    PageRetrieval retrieval{window, fetch, pageView, client, browser, pageFiles, RetrievalHosts{}};
    ConsoleProgress progress{std::chrono::milliseconds(0)};
    RecordingHost host;
    db::Session session;

private:
    void PrepareFolders();
    QString existing_;
};

// The update server's master files (kit securities changed by the maker) in directory.
void WriteServerTables(const QString& directory, size_t securities = 0);

}  // namespace zelvon::test
