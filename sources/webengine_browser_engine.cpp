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
#include <QWebEngineNavigationRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

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

// Records in each new document, before any of its own scripts can change
// it, the address it was committed under. The page's scripts cannot see or
// touch this world.
QWebEngineScript CommitRecorder()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("zelvon-committed-address"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(QStringLiteral("window.zelvonCommitted = document.URL;"));
    return script;
}

// Answers [committed address, body], or null for a body past the limit and
// for a document read in an earlier generation: that one keeps its mark, it
// is an earlier fetch's page that a navigation which never committed left on
// show.
QString ReadScript(int generation, qint64 lengthLimit)
{
    return QStringLiteral("(function (generation, limit) {"
                          " var committed = window.zelvonCommitted; var earlier = window.zelvonReadIn;"
                          " window.zelvonReadIn = generation;"
                          " if (typeof committed !== 'string' || (earlier !== undefined && earlier !== generation))"
                          " return null;"
                          " var h = document.body ? document.body.innerHTML : '';"
                          " return h.length > limit ? null : [committed, h]; })(%1, %2)")
        .arg(generation)
        .arg(lengthLimit);
}

}  // namespace

WebEngineBrowserEngine::WebEngineBrowserEngine(const WebEngineOptions& options, QObject* parent)
    : BrowserEngine(parent), options_(options), profile_(MakeProfile(options, this)),
      page_(new QuietWebPage(profile_, options.caFile, this))
{
    page_->setVisible(false);
    page_->scripts().insert(CommitRecorder());
    connect(page_, &QWebEnginePage::loadingChanged, this, &WebEngineBrowserEngine::onLoadingChanged);
    connect(page_, &QWebEnginePage::navigationRequested, this, &WebEngineBrowserEngine::onNavigationRequested);
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

void WebEngineBrowserEngine::startGeneration(Phase phase)
{
    const bool overtakesClearing = phase_ == Phase::Clearing;
    ++generation_;
    phase_ = phase;
    addresses_.clear();
    documentAddress_.clear();
    failed_ = false;
    loading_ = false;
    if (overtakesClearing)
        emit clearingEnded();
}

void WebEngineBrowserEngine::navigate(const QString& url)
{
    startGeneration(Phase::Navigating);
    const QUrl target(url, QUrl::TolerantMode);
    if (!IsWebAddress(target)) {
        failed_ = true;
        // Only web addresses are loaded; anything else fails like a dead link.
        const int generation = generation_;
        QTimer::singleShot(0, this, [this, generation] {
            if (generation == generation_)
                emit navigateError();
        });
        return;
    }
    addresses_.append(target);
    loading_ = true;
    page_->load(target);
}

void WebEngineBrowserEngine::stop()
{
    // Stopping the empty page of a clearing would keep the page before it on
    // show.
    if (phase_ == Phase::Navigating)
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
    startGeneration(Phase::Clearing);
    page_->load(kBlank);
    waitForClearing();
}

// Pumps until the empty page is on show, so that no report or document of
// the fetch before can reach the next navigation.
void WebEngineBrowserEngine::waitForClearing()
{
    if (phase_ != Phase::Clearing)
        return;
    QEventLoop loop;
    connect(this, &WebEngineBrowserEngine::clearingEnded, &loop, &QEventLoop::quit);
    QTimer::singleShot(options_.clearLimitMs, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WebEngineBrowserEngine::belongsToNavigation(const QUrl& url) const
{
    const QUrl wanted = url.adjusted(QUrl::RemoveFragment);
    for (const QUrl& address : addresses_) {
        if (address.adjusted(QUrl::RemoveFragment) == wanted)
            return true;
    }
    return false;
}

void WebEngineBrowserEngine::onNavigationRequested(QWebEngineNavigationRequest& request)
{
    // The address as the engine spells it, and every redirect on the way.
    if (phase_ == Phase::Navigating && request.isMainFrame())
        addresses_.append(request.url());
}

void WebEngineBrowserEngine::onLoadingChanged(const QWebEngineLoadingInfo& info)
{
    if (phase_ == Phase::Clearing) {
        if (info.url() == kBlank && info.status() == QWebEngineLoadingInfo::LoadSucceededStatus) {
            phase_ = Phase::Idle;
            emit clearingEnded();
        }
        return;
    }
    // Late reports of an earlier navigation or of a clearing, which may come
    // after the next navigation has begun, must not end its wait.
    if (phase_ == Phase::Navigating && belongsToNavigation(info.url()))
        onNavigationReport(info);
}

void WebEngineBrowserEngine::onNavigationReport(const QWebEngineLoadingInfo& info)
{
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
    documentAddress_.clear();
    // Without an error page a failed load leaves the document before it in
    // place; it belongs to another address.
    if (phase_ != Phase::Navigating || failed_)
        return QString();
    struct Answer {
        QVariant result;
        bool arrived = false;
        QPointer<QEventLoop> waiting;
    };
    auto answer = std::make_shared<Answer>();
    QEventLoop loop;
    answer->waiting = &loop;
    const int generation = generation_;
    page_->runJavaScript(ReadScript(generation, options_.bodyLengthLimit), QWebEngineScript::ApplicationWorld,
                         [answer](const QVariant& result) {
                             answer->result = result;
                             answer->arrived = true;
                             if (answer->waiting)
                                 answer->waiting->quit();
                         });
    if (!answer->arrived) {
        QTimer::singleShot(options_.bodyReadLimitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    answer->waiting = nullptr;
    // A navigation or clearing while the answer was awaited makes it stale.
    if (generation != generation_)
        return QString();
    return takeBody(answer->result);
}

QString WebEngineBrowserEngine::takeBody(const QVariant& answer)
{
    const QVariantList parts = answer.toList();
    if (parts.size() != 2)
        return QString();
    const QUrl committed(parts[0].toString());
    if (!belongsToNavigation(committed))
        return QString();
    const QString body = parts[1].toString();
    if (!body.isEmpty())
        documentAddress_ = committed.toString();
    return body;
}

}  // namespace zelvon
