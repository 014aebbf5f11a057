// What the reference-data updates need from the main window: its directories,
// the update server's address, the download helper with its shared fields,
// the HTTP client, the progress display and the few window actions the runs
// perform (title, cursor, questions, messages, timers).
#pragma once

#include "db/session.h"
#include "platform/run_progress.h"
#include "platform/text_view.h"
#include "sources/http_client.h"
#include "sources/page_retrieval.h"
#include "sources/retrieval_window.h"

#include <QString>

namespace zelvon::updates {

class UpdateHost {
public:
    virtual ~UpdateHost() = default;

    // Application title and hint.
    virtual void setApplicationTitle(const QString& title) = 0;
    virtual void setBusyCursor(bool busy) = 0;
    // Yes and No with No preselected; a box nobody can answer says No.
    virtual bool askYesNo(const QString& caption, const QString& text) = 0;
    virtual void showMessage(const QString& text) = 0;
    // Lets window messages (abort, status window closing) act.
    virtual void pumpMessages() = 0;
    // Timer2: "Received n bytes" in the status window every 500 ms.
    virtual void setTransferTicker(bool running) = 0;
    // Timer1: the automatic fetch-all.
    virtual void stopAutoFetch() = 0;
};

struct UpdateDirectories {
    QString home;        // Home: the suite's data directory
    QString startpath;   // the program's directory
    QString tempPath;    // TempPath
    QString filterPath;  // FilterPath
};

// References into the main window for the length of one run.
struct UpdateContext {
    UpdateHost& host;
    RetrievalWindow& window;
    RunProgress& progress;
    PageRetrieval& retrieval;
    HttpClient& client;
    FetchState& fetch;
    db::Session& session;
    // RichEdit1: the page view.
    TextView& pageView;
    // RichEdit2: the detail view (filter list, loaded day file).
    TextView& detailView;
    UpdateDirectories directories;
    // Zelvon_UpdateURL: scheme and host, no trailing slash needed.
    QString updateUrl;

    // The update server's address of path (which starts with "/").
    QString serverAddress(const QString& path) const;
};

}  // namespace zelvon::updates
