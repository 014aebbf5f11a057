// The embedded browser as the page retrieval drives it: load an address, tell
// when the document is complete or the navigation failed, stop, report busy,
// and hand out the loaded document's body as HTML text.
#pragma once

#include <QObject>
#include <QString>

namespace zelvon {

class BrowserEngine : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void navigate(const QString& url) = 0;
    virtual void stop() = 0;
    virtual bool busy() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool visible() const = 0;
    // The body element's inner HTML of the document that the last navigation
    // produced, as it stands now; "" when there is no body, or when the
    // document on show is not that navigation's (it has not committed yet,
    // it failed, or it is an earlier fetch's).
    virtual QString bodyInnerHtml() = 0;
    // The address of the document the last bodyInnerHtml() came from, after
    // redirects; "" when it gave an empty body or nothing.
    virtual QString documentAddress() const = 0;
    // Replaces the current document by an empty one; it has been replaced
    // when this returns, so the next navigation starts from the empty one.
    virtual void clearDocument() = 0;

signals:
    void documentComplete();
    void navigateError();
    // The control is shown only while the browser path fetches.
    void visibilityChanged(bool visible);
};

}  // namespace zelvon
