// Fetching pages and files for the main window: the page fetch behind
// "&Holen" with its browser and HTTP paths, the follow-up fetch, downloads to a
// file, the pumped delay, the abort and the browser time-out.
#pragma once

#include "sources/retrieval_window.h"
#include "sources/source_catalogue.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <functional>

namespace zelvon {

class BrowserEngine;
class HttpClient;
class PageFiles;
class TextView;

// Configured host names the fetch rules depend on.
struct RetrievalHosts {
    QString swissHost;         // Zelvon_Host_Swiss, may carry ":port"
    QString teleboerseDomain;  // its presence in an address selects the reload rules
};

class PageRetrieval : public QObject {
    Q_OBJECT

public:
    static constexpr int kBrowserTimeoutMs = 5000;
    static constexpr int kDownloadTimerMs = 10000;

    PageRetrieval(RetrievalWindow& window, FetchState& state, TextView& pageView, HttpClient& client, BrowserEngine& browser,
                  PageFiles& pageFiles, RetrievalHosts hosts, QObject* parent = nullptr);

    // The extraction step; until it is set, handing a page over does nothing.
    void setSpeedButton3Click(std::function<void(QObject* sender)> extraction) { speedButton3Click_ = std::move(extraction); }

    void GetButtonClick(QObject* sender);
    void NeuGetButtonClick(QObject* sender);
    // True whenever it returns; a download without an HTTP answer raises.
    bool DateiHolen();
    void Warten(int milliseconds);
    void AbortButtonClick();
    void GetTimerTimer();
    void WebBrowser1DocumentComplete();
    void WebBrowser1NavigateError();

    QTimer& getTimer() { return getTimer_; }

private:
    bool usesBrowser(const QString& url) const;
    void configureForPageFetch();
    bool fetchOverHttp(QByteArray& buffer);
    bool fetchThroughBrowser();
    bool waitForBrowser();
    void endBrowserWaitStep();
    bool reloadTeleboersePage();
    void clearPage();
    void showPage(const QString& text, const QString& address);
    void showBrowserPage();
    void showFailure();
    void showFailureText();
    void showReceived(qint64 bytes);
    void runFinalStage(QObject* sender, bool fetched, QByteArray& buffer);
    bool runSwissDisclaimerStep(QByteArray& buffer);
    void finishFetch();
    void extract(QObject* sender);

    RetrievalWindow& window_;
    FetchState& state_;
    TextView& pageView_;
    HttpClient& client_;
    BrowserEngine& browser_;
    PageFiles& pageFiles_;
    RetrievalHosts hosts_;
    QTimer getTimer_;
    QEventLoop* browserWait_ = nullptr;  // the wait step running, if any
    std::function<void(QObject*)> speedButton3Click_;
};

}  // namespace zelvon
