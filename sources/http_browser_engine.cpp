#include "sources/http_browser_engine.h"

#include "platform/codec.h"
#include "sources/http_client.h"

#include <QTimer>

namespace zelvon {

HttpBrowserEngine::HttpBrowserEngine(HttpClient& client, QObject* parent) : BrowserEngine(parent), client_(client) {}

void HttpBrowserEngine::navigate(const QString& url)
{
    const quint64 navigation = ++navigation_;
    busy_ = true;
    // Like a real browser the load happens later, inside the caller's wait.
    QTimer::singleShot(0, this, [this, navigation, url] { load(navigation, url); });
}

void HttpBrowserEngine::stop()
{
    ++navigation_;
    busy_ = false;
}

void HttpBrowserEngine::clearDocument()
{
    stop();
    body_.clear();
}

void HttpBrowserEngine::load(quint64 navigation, const QString& url)
{
    if (navigation != navigation_)
        return;
    QByteArray bytes;
    bool failed = false;
    try {
        client_.get(url, bytes);
    } catch (const HttpError&) {
        failed = true;
    }
    if (navigation != navigation_)
        return;
    busy_ = false;
    body_ = BodyInnerHtml(codec::DecodeWindows1252(bytes));
    if (failed)
        emit navigateError();
    else
        emit documentComplete();
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
