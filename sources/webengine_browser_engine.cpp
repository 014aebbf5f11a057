#include "sources/webengine_browser_engine.h"

#include "sources/quiet_web_page.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>

#include <memory>

namespace zelvon {

namespace {

const QUrl kBlank(QStringLiteral("about:blank"));

bool IsWebAddress(const QUrl& url)
{
    return url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

QWebEngineProfile* MakeProfile(const WebEngineOptions& options, QObject* parent)
{
    auto* profile = new QWebEngineProfile(options.profileName, parent);
    if (!options.storagePath.isEmpty()) {
        profile->setPersistentStoragePath(options.storagePath);
        profile->setCachePath(options.storagePath + QStringLiteral("/cache"));
    }
    profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     [](QWebEngineDownloadRequest* download) { download->cancel(); });
    return profile;
}

}  // namespace

WebEngineBrowserEngine::WebEngineBrowserEngine(const WebEngineOptions& options, QObject* parent)
    : BrowserEngine(parent), options_(options), profile_(MakeProfile(options, this)),
      page_(new QuietWebPage(profile_, options.caFile, this))
{
    page_->setVisible(false);
    connect(page_, &QWebEnginePage::loadingChanged, this, &WebEngineBrowserEngine::onLoadingChanged);
}

WebEngineBrowserEngine::~WebEngineBrowserEngine()
{
    // The page must go before its profile.
    delete page_;
}

bool WebEngineBrowserEngine::CanStart()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    const QString configured = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
    const QString helper = configured.isEmpty()
                               ? QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + QStringLiteral("/QtWebEngineProcess")
                               : configured;
    return QFileInfo(helper).isExecutable();
}

void WebEngineBrowserEngine::navigate(const QString& url)
{
    target_ = QUrl(url, QUrl::TolerantMode);
    failed_ = false;
    if (!IsWebAddress(target_)) {
        failed_ = true;
        // Only web addresses are loaded; anything else fails like a dead link.
        QTimer::singleShot(0, this, &BrowserEngine::navigateError);
        return;
    }
    loading_ = true;
    page_->load(target_);
}

void WebEngineBrowserEngine::stop()
{
    // Stopping the blank page of a cleared document would keep the page
    // before it on show.
    if (target_ != kBlank)
        page_->triggerAction(QWebEnginePage::Stop);
    loading_ = false;
}

void WebEngineBrowserEngine::setVisible(bool visible)
{
    page_->setVisible(visible);
    emit visibilityChanged(visible);
}

bool WebEngineBrowserEngine::visible() const
{
    return page_->isVisible();
}

void WebEngineBrowserEngine::clearDocument()
{
    target_ = kBlank;
    page_->load(kBlank);
}

void WebEngineBrowserEngine::onLoadingChanged(const QWebEngineLoadingInfo& info)
{
    // The blank page of a cleared document can finish after the next
    // navigation has begun; it must not end that navigation's wait.
    if (info.url() == kBlank && target_ != kBlank)
        return;
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        loading_ = true;
        break;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        loading_ = false;
        break;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        loading_ = false;
        emit documentComplete();
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        loading_ = false;
        failed_ = true;
        emit navigateError();
        break;
    }
}

QString WebEngineBrowserEngine::bodyInnerHtml()
{
    // Without an error page a failed load leaves the previous document in
    // place; it belongs to another address.
    if (failed_)
        return QString();
    struct Answer {
        QString html;
        bool arrived = false;
        QPointer<QEventLoop> waiting;
    };
    auto answer = std::make_shared<Answer>();
    QEventLoop loop;
    answer->waiting = &loop;
    const QString script = QStringLiteral("(function () { var h = document.body ? document.body.innerHTML : '';"
                                          " return h.length > %1 ? '' : h; })()")
                               .arg(options_.bodyLengthLimit);
    page_->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                         [answer](const QVariant& result) {
                             answer->html = result.toString();
                             answer->arrived = true;
                             if (answer->waiting)
                                 answer->waiting->quit();
                         });
    if (!answer->arrived) {
        QTimer::singleShot(options_.bodyReadLimitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    answer->waiting = nullptr;
    return answer->html;
}

}  // namespace zelvon
