// The browser engine without a browser: fetches the address with the program's
// HTTP client and serves the body of the HTML as the document. Chosen by the
// setting Zelvon_Browser = "http" and used when Qt WebEngine cannot start.
// Pages that write their content with JavaScript arrive without it.
#pragma once

#include "sources/browser_engine.h"

namespace zelvon {

class HttpClient;

class HttpBrowserEngine : public BrowserEngine {
    Q_OBJECT

public:
    explicit HttpBrowserEngine(HttpClient& client, QObject* parent = nullptr);

    void navigate(const QString& url) override;
    void stop() override;
    bool busy() const override { return busy_; }
    void setVisible(bool visible) override { visible_ = visible; }
    bool visible() const override { return visible_; }
    QString bodyInnerHtml() override { return body_; }
    void clearDocument() override;

private:
    void load(quint64 navigation, const QString& url);

    HttpClient& client_;
    QString body_;
    bool busy_ = false;
    bool visible_ = false;
    // A stop or a newer navigation makes a queued load obsolete.
    quint64 navigation_ = 0;
};

// What a browser's document.body.innerHTML gives for this HTML text: the
// content between the body tags, or after the head when there is no body tag.
QString BodyInnerHtml(const QString& html);

}  // namespace zelvon
