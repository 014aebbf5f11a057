// The browser engine without a browser: fetches the address with the program's
// HTTP client and serves the body of the HTML as the document. Chosen by the
// setting Zelvon_Browser = "http" and used when Qt WebEngine cannot start.
// Pages that write their content with JavaScript arrive without it. Like a
// browser it loads while its caller waits, and a stop keeps what has arrived.
#pragma once

#include "sources/browser_engine.h"

#include <QByteArray>
#include <QTimer>

namespace zelvon {

class HttpClient;

class HttpBrowserEngine : public BrowserEngine {
    Q_OBJECT

public:
    explicit HttpBrowserEngine(HttpClient& client, QObject* parent = nullptr);

    void navigate(const QString& url) override;
    void stop() override;
    bool busy() const override;
    void setVisible(bool visible) override { visible_ = visible; }
    bool visible() const override { return visible_; }
    QString bodyInnerHtml() override { return body_; }
    QString documentAddress() const override { return body_.isEmpty() ? QString() : address_; }
    void clearDocument() override;

private:
    void poll();
    // Another request on the client ended this load.
    bool takenOver() const;
    // Makes what arrived the document; false when it counts as no page.
    bool takeDocument();

    HttpClient& client_;
    QTimer pollTimer_;
    QByteArray received_;
    QString body_;
    QString address_;  // where body_ came from
    bool loading_ = false;
    int request_ = 0;  // the client's request number of this load
    bool visible_ = false;
};

// What a browser's document.body.innerHTML gives for this HTML text: the
// content between the body tags, or after the head when there is no body tag.
QString BodyInnerHtml(const QString& html);

}  // namespace zelvon
