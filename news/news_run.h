// The ad-hoc news run: the overview of the news service, then every item the
// news table does not hold yet, one after the other: its detail page fetched,
// cut and cleaned, matched to a security, kept as a text file and stored as a
// row of Nachrichten.db. Window-free: it talks to a RunProgress.
#pragma once

#include "db/session.h"
#include "news/news_tables.h"
#include "news/overview_scan.h"
#include "platform/run_progress.h"
#include "platform/text_view.h"
#include "sources/http_client.h"

#include <QString>

#include <cstdint>

namespace zelvon::news {

struct NewsRunSettings {
    QString newsUrl;        // Zelvon_NewsURL: scheme and host of the service
    QString home;           // data directory with Nachrichten.db and Firma.db, ends with "/"
    QString tempPath;       // for the overview and the detail pages, ends with "/"
    QString keptDirectory;  // where the cleaned texts are kept, ends with "/"
    int sprache = 0;        // 0: an item marked "engl." is stored inactive
    int inactivitySeconds = HttpClient::kDownloadInactivitySeconds;
    // A news page is a few kilobytes; a page that never ends stops here.
    qint64 pageLimit = qint64(16) * 1024 * 1024;
};

struct NewsRunResult {
    bool overviewRead = false;
    int items = 0;   // items on the overview, skipped ones included
    int stored = 0;  // rows appended to Nachrichten.db
    bool stopped = false;  // the user closed the progress display
};

class NewsRun {
public:
    NewsRun(db::Session& session, HttpClient& client, RunProgress& progress, NewsRunSettings settings);

    // Raises Error on a transport failure, a news number that is not a
    // 32-bit decimal number, a table error or a kept file that cannot be
    // written; the temporary files are deleted in every case.
    NewsRunResult Newseinlesen();

    static constexpr const char* kCaption = "Meldungen einlesen";

private:
    bool ReadOverview();
    void ScanOverview(NewsTables& tables, NewsRunResult& result);
    bool ProcessItem(NewsTables& tables, const OverviewItem& item, int32_t nummer);
    bool OnService(const QString& address) const;
    void Download(const QString& url, const QString& path);
    void Pump();
    QString OverviewFile() const;

    db::Session& session_;
    HttpClient& client_;
    RunProgress& progress_;
    NewsRunSettings settings_;
    QString baseAddress_;
    TextView pageView_;
    TextView detailView_;
};

// The news number as A3 wants it: decimal digits that fit 32 bits; anything
// else raises the conversion error.
int32_t NewsNumber(const QString& number);

}  // namespace zelvon::news
