// The browser engine on Qt WebEngine. It runs on a named profile kept on disk,
// so cookies and consent answers survive restarts, and never shows anything
// of its own: no error pages, dialogs, pop-ups, downloads or permission prompts.
// A doubtful certificate is rejected unless the extra CA file issued it.
// Every navigation and every clearing starts a new generation; reports of
// the engine and documents that belong to an earlier one are never taken
// for the current fetch.
#pragma once

#include "sources/browser_engine.h"

#include <QList>
#include <QUrl>

class QWebEngineLoadingInfo;
class QWebEngineNavigationRequest;
class QWebEnginePage;
class QWebEngineProfile;

namespace zelvon {

struct WebEngineOptions {
    QString profileName = QStringLiteral("Zelvon");
    // Empty: Qt's default place for the profile.
    QString storagePath;
    // The setting Zelvon_CAFile; empty for none.
    QString caFile;
    // How long reading the body may wait for the page's answer.
    int bodyReadLimitMs = 3000;
    // How long clearing the document may wait for the empty page.
    int clearLimitMs = 3000;
    // A document larger than this, in characters, counts as no page, as an
    // HTTP body past the client's limit does.
    qint64 bodyLengthLimit = qint64(256) * 1024 * 1024;
};

class WebEngineBrowserEngine : public BrowserEngine {
    Q_OBJECT

public:
    explicit WebEngineBrowserEngine(const WebEngineOptions& options, QObject* parent = nullptr);
    ~WebEngineBrowserEngine() override;

    // False when Qt WebEngine cannot run here (no GUI application, helper
    // process missing).
    static bool CanStart();

    void navigate(const QString& url) override;
    void stop() override;
    bool busy() const override { return loading_; }
    void setVisible(bool visible) override;
    bool visible() const override;
    QString bodyInnerHtml() override;
    QString documentAddress() const override { return documentAddress_; }
    void clearDocument() override;

    // For a view that shows the page.
    QWebEnginePage* page() const { return page_; }

signals:
    // The empty page of a clearing is on show, or the clearing was overtaken.
    void clearingEnded();

private:
    enum class Phase { Idle, Navigating, Clearing };

    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void onNavigationRequested(QWebEngineNavigationRequest& request);
    void onNavigationReport(const QWebEngineLoadingInfo& info);
    // Whether url is one the current navigation went to (its address or a
    // redirect of it).
    bool belongsToNavigation(const QUrl& url) const;
    void startGeneration(Phase phase);
    void waitForClearing();
    // The body of the answer to the read script, or "" when the document is
    // not the current navigation's.
    QString takeBody(const QVariant& answer);

    WebEngineOptions options_;
    QWebEngineProfile* profile_;
    QWebEnginePage* page_;
    int generation_ = 0;
    Phase phase_ = Phase::Idle;
    QList<QUrl> addresses_;  // of the current navigation, in the order gone to
    QString documentAddress_;
    bool loading_ = false;
    bool failed_ = false;
};

}  // namespace zelvon
