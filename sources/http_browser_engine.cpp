#include "sources/http_browser_engine.h"

#include "platform/codec.h"
#include "sources/http_client.h"


namespace zelvon {

namespace {

// Short, so that a page is taken soon after its last byte; each poll lets the
// transfer run for a slice, so a large page still arrives at full speed while
// the caller's wait stays responsive.
constexpr int kPollMs = 2;
constexpr int kTransferSliceMs = 20;

}  // namespace

HttpBrowserEngine::HttpBrowserEngine(HttpClient& client, QObject* parent) : BrowserEngine(parent), client_(client)
{
    pollTimer_.setInterval(kPollMs);
    connect(&pollTimer_, &QTimer::timeout, this, &HttpBrowserEngine::poll);
}

void HttpBrowserEngine::navigate(const QString& url)
{
    stop();
    body_.clear();
    address_.clear();
    client_.startGet(url, received_);
    request_ = client_.requestCount();
    loading_ = true;
    pollTimer_.start();
}

bool HttpBrowserEngine::busy() const
{
    return loading_;
}

// A page cut short by the stop is taken as it stands, as a browser shows
// what it has loaded so far.
void HttpBrowserEngine::stop()
{
    if (!loading_)
        return;
    pollTimer_.stop();
    loading_ = false;
    if (takenOver()) {
        body_.clear();
        return;
    }
    client_.stopGet();
    takeDocument();
}

void HttpBrowserEngine::clearDocument()
{
    stop();
    body_.clear();
    received_.clear();
}

bool HttpBrowserEngine::takenOver() const
{
    return client_.requestCount() != request_;
}

void HttpBrowserEngine::poll()
{
    if (!takenOver() && !client_.pollGet(kTransferSliceMs))
        return;
    pollTimer_.stop();
    loading_ = false;
    const bool complete = !takenOver() && takeDocument() && client_.lastFailure() == TransferFailure::None;
    if (takenOver())
        body_.clear();
    if (complete)
        emit documentComplete();
    else
        emit navigateError();
}

bool HttpBrowserEngine::takeDocument()
{
    // Without an answer, with an error status or past the size limit there
    // is no page, as Qt WebEngine fails such a load; a stalled one is kept as
    // far as it came, as in a browser.
    const TransferFailure failure = client_.lastFailure();
    const int code = client_.responseCode();
    if (failure == TransferFailure::BodyTooLarge || failure == TransferFailure::Other || code <= 0 || code >= 400) {
        body_.clear();
        return false;
    }
    body_ = BodyInnerHtml(codec::DecodeWindows1252(received_));
    address_ = client_.effectiveUrl();
    return true;
}

QString BodyInnerHtml(const QString& html)
{
    const qsizetype bodyTag = html.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive);
    if (bodyTag < 0) {
        const qsizetype headEnd = html.indexOf(QLatin1String("</head>"), 0, Qt::CaseInsensitive);
        return headEnd < 0 ? html : html.mid(headEnd + 7);
    }
    const qsizetype contentStart = html.indexOf(u'>', bodyTag);
    if (contentStart < 0)
        return QString();
    const qsizetype bodyEnd = html.lastIndexOf(QLatin1String("</body"), -1, Qt::CaseInsensitive);
    if (bodyEnd <= contentStart)
        return html.mid(contentStart + 1);
    return html.mid(contentStart + 1, bodyEnd - contentStart - 1);
}

}  // namespace zelvon
