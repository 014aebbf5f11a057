// The browser engine on Qt WebEngine. It runs on a named profile kept on disk,
// so cookies and consent answers survive restarts, and never shows anything
// of its own: no error pages, dialogs, pop-ups, downloads or permission prompts.
// A doubtful certificate is rejected unless the extra CA file issued it.
#pragma once

#include "sources/browser_engine.h"

#include <QUrl>

class QWebEngineLoadingInfo;
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
    void clearDocument() override;

    // For a view that shows the page.
    QWebEnginePage* page() const { return page_; }

private:
    void onLoadingChanged(const QWebEngineLoadingInfo& info);

    WebEngineOptions options_;
    QWebEngineProfile* profile_;
    QWebEnginePage* page_;
    QUrl target_;
    bool loading_ = false;
    bool failed_ = false;
};

}  // namespace zelvon
