#include "sources/page_retrieval.h"

#include "platform/codec.h"
#include "platform/text_view.h"
#include "platform/trim.h"
#include "sources/browser_engine.h"
#include "sources/http_client.h"
#include "sources/page_files.h"
#include "sources/page_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

namespace zelvon {

namespace {

const QString kPageUserAgent = QStringLiteral("Mozilla/12.0+(compatible)");
constexpr int kShortestPage = 5;
constexpr int kExtractAbove = 30;
constexpr int kEnvelopeAbove = 6500;
constexpr int kBrowserPollMs = 200;
constexpr int kTeleboerseSettleMs = 500;
constexpr int kDisclaimerLinkLength = 1000;

// Keeps the browser's Visible property true only inside the browser path.
class VisibleWhileFetching {
public:
    explicit VisibleWhileFetching(BrowserEngine& browser) : browser_(browser) { browser_.setVisible(true); }
    ~VisibleWhileFetching() { browser_.setVisible(false); }

private:
    BrowserEngine& browser_;
};

}  // namespace

PageRetrieval::PageRetrieval(RetrievalWindow& window, FetchState& state, TextView& pageView, HttpClient& client,
                             BrowserEngine& browser, PageFiles& pageFiles, RetrievalHosts hosts, QObject* parent)
    : QObject(parent), window_(window), state_(state), pageView_(pageView), client_(client), browser_(browser),
      pageFiles_(pageFiles), hosts_(std::move(hosts))
{
    getTimer_.setInterval(kDownloadTimerMs);
    connect(&getTimer_, &QTimer::timeout, this, &PageRetrieval::GetTimerTimer);
    connect(&browser_, &BrowserEngine::documentComplete, this, &PageRetrieval::WebBrowser1DocumentComplete);
    connect(&browser_, &BrowserEngine::navigateError, this, &PageRetrieval::WebBrowser1NavigateError);
}

void PageRetrieval::GetButtonClick(QObject* sender)
{
    state_.aborted = false;
    clearPage();
    if (window_.sourceIndex() == kSourceWinBis) {
        extract(sender);
        finishFetch();
        return;
    }
    window_.showStatusIcon(StatusIcon::Hourglass);
    QByteArray buffer;
    window_.setFetchButtons(FetchButtons::Fetching);
    window_.showStatus(0, QStringLiteral("Loading"));
    configureForPageFetch();
    getTimer_.start(kBrowserTimeoutMs);

    bool fetched = usesBrowser(state_.urlEdit) ? fetchThroughBrowser() : fetchOverHttp(buffer);
    if (!fetched && !state_.aborted) {
        const int code = client_.responseCode();
        if (code >= 400 || code <= 0) {
            showFailure();
        } else {
            getTimer_.stop();
            showReceived(buffer.size());
            fetched = true;
            state_.lade = true;
        }
    }
    runFinalStage(sender, fetched, buffer);
    finishFetch();
}

void PageRetrieval::configureForPageFetch()
{
    client_.setMaxRedirects(HttpClient::kDefaultMaxRedirects);
    client_.setInactivityLimit(HttpClient::kPageInactivitySeconds);
    client_.setUserAgent(kPageUserAgent);
}

bool PageRetrieval::usesBrowser(const QString& url) const
{
    return url.contains(QLatin1String("wallstreet")) || url.contains(QLatin1String("yahoo"))
           || url.contains(QLatin1String("comdirect"))
           || (!hosts_.teleboerseDomain.isEmpty() && url.contains(hosts_.teleboerseDomain));
}

bool PageRetrieval::fetchOverHttp(QByteArray& buffer)
{
    try {
        client_.get(state_.urlEdit, buffer);
    } catch (const HttpError&) {
        return false;
    }
    showPage(codec::DecodeWindows1252(buffer), client_.effectiveUrl());
    return true;
}

bool PageRetrieval::fetchThroughBrowser()
{
    try {
        getTimer_.stop();
        VisibleWhileFetching visible(browser_);
        browser_.stop();
        const QString url = state_.urlEdit;
        getTimer_.start(kBrowserTimeoutMs);
        browser_.navigate(url);
        if (!waitForBrowser())
            return false;
        getTimer_.stop();
        browser_.stop();
        showBrowserPage();
        if (!hosts_.teleboerseDomain.isEmpty() && url.contains(hosts_.teleboerseDomain) && !reloadTeleboersePage())
            return false;
        state_.lade = true;
        getTimer_.stop();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Waits in steps of kBrowserPollMs while GetTimer runs; a step ends early
// when the document-complete event, the time-out or the abort switches the
// timer off, so a page that arrives fast is taken at once. False when the
// abort button ended the wait.
bool PageRetrieval::waitForBrowser()
{
    while (getTimer_.isActive() && !QCoreApplication::closingDown()) {
        QEventLoop step;
        browserWait_ = &step;
        QTimer::singleShot(kBrowserPollMs, &step, &QEventLoop::quit);
        step.exec();
        browserWait_ = nullptr;
    }
    return !state_.aborted;
}

void PageRetrieval::endBrowserWaitStep()
{
    if (browserWait_)
        browserWait_->quit();
}

// The search result of that site often lacks the hit on the first load; it
// is loaded up to twice more. False when the abort button ended a wait.
bool PageRetrieval::reloadTeleboersePage()
{
    const QString hit = QStringLiteral("1 Treffer");
    int found = pageView_.find(hit, 1);
    if (found >= 0)
        found = pageView_.find(window_.securityIsin(), 1);
    if (found < 0) {
        getTimer_.stop();
        Warten(kTeleboerseSettleMs);
        if (!browser_.busy())
            browser_.navigate(state_.urlEdit);
        getTimer_.start(kBrowserTimeoutMs);
        if (!waitForBrowser())
            return false;
        getTimer_.stop();
        Warten(kTeleboerseSettleMs);
        browser_.stop();
        showBrowserPage();
    }
    if (pageView_.find(hit, 1) < 0) {
        getTimer_.start(kBrowserTimeoutMs);
        Warten(kTeleboerseSettleMs);
        browser_.navigate(state_.urlEdit);
        if (!waitForBrowser())
            return false;
        getTimer_.stop();
        Warten(kTeleboerseSettleMs);
        browser_.stop();
        showBrowserPage();
    }
    return true;
}

// An error of the disclaimer fetch or the extraction step skips the rest and
// goes on to the caller.
void PageRetrieval::runFinalStage(QObject* sender, bool fetched, QByteArray& buffer)
{
    window_.setFetchButtons(FetchButtons::Idle);
    if (Trimmed(pageView_.text()).size() < kShortestPage)
        fetched = false;
    const bool fetchedBeforeDisclaimer = fetched;
    if (fetched && window_.sourceIndex() == kSourceSwiss)
        fetched = runSwissDisclaimerStep(buffer);
    if (fetchedBeforeDisclaimer) {
        state_.sizeTemp = double(pageView_.textLength());
        if (fetched) {
            if (state_.sizeTemp > kExtractAbove)
                extract(sender);
            if (state_.sizeTemp > kEnvelopeAbove) {
                window_.showStatusIcon(StatusIcon::Envelope);
                if (window_.savePolicy() == kSaveOnMessage)
                    pageFiles_.SpeedButton4Click();
            }
        }
    }
}

// Some pages of the Swiss source are a disclaimer that links to the real page.
// Returns whether the page still counts as fetched.
bool PageRetrieval::runSwissDisclaimerStep(QByteArray& buffer)
{
    const int position = pageView_.find(QStringLiteral("accept_disclaimer.jsp"), 1);
    if (position < 0)
        return true;
    QString link = pageView_.text().mid(position - 1, kDisclaimerLinkLength);
    const qsizetype quote = link.indexOf(u'"');
    if (quote >= 0)
        link.truncate(quote);
    state_.urlEdit = QStringLiteral("http://") + hosts_.swissHost + QStringLiteral("/crossborder") + link;

    buffer.clear();
    getTimer_.setInterval(kDownloadTimerMs);
    bool fetched = true;
    try {
        client_.get(state_.urlEdit, buffer);
        showReceived(buffer.size());
    } catch (const HttpError&) {
        if (client_.responseCode() < 400)
            throw;
        showFailure();
        fetched = false;
        getTimer_.stop();
    }
    showPage(codec::DecodeWindows1252(buffer), client_.effectiveUrl());
    return fetched;
}

void PageRetrieval::finishFetch()
{
    window_.setFetchButtons(FetchButtons::Idle);
    try {
        browser_.clearDocument();
    } catch (const std::exception&) {
    }
    QCoreApplication::processEvents();
}

void PageRetrieval::extract(QObject* sender)
{
    if (speedButton3Click_)
        speedButton3Click_(sender);
}

void PageRetrieval::NeuGetButtonClick(QObject*)
{
    clearPage();
    window_.showStatusIcon(StatusIcon::Hourglass);
    QByteArray buffer;
    window_.setFetchButtons(FetchButtons::Fetching);
    window_.showStatus(0, QStringLiteral("Loading"));
    client_.setInactivityLimit(HttpClient::kPageInactivitySeconds);
    getTimer_.setInterval(kDownloadTimerMs);
    bool ok = false;
    std::exception_ptr pending;
    try {
        client_.get(state_.urlEdit, buffer);
        getTimer_.stop();
        showReceived(buffer.size());
        ok = true;
    } catch (const HttpError&) {
        if (client_.responseCode() < 400) {
            pending = std::current_exception();
        } else {
            showFailure();
            state_.lade = false;
            getTimer_.stop();
        }
    }
    window_.setFetchButtons(FetchButtons::Idle);
    if (ok) {
        showPage(codec::DecodeWindows1252(buffer), client_.effectiveUrl());
        state_.sizeTemp = double(buffer.size());
    }
    if (pending)
        std::rethrow_exception(pending);
}

bool PageRetrieval::DateiHolen()
{
    const QString target = state_.fileNameEdit;
    if (!QFileInfo::exists(target))
        QDir().mkdir(QFileInfo(target).absolutePath());
    QByteArray buffer;
    window_.setFetchButtons(FetchButtons::Fetching);
    window_.showStatus(0, QStringLiteral("Loading"));
    getTimer_.setInterval(kDownloadTimerMs);
    client_.setInactivityLimit(HttpClient::kDownloadInactivitySeconds);
    std::exception_ptr pending;
    try {
        client_.get(state_.urlEdit, buffer);
        WriteFileReplacing(target, buffer);
        showReceived(buffer.size());
    } catch (const std::exception&) {
        if (client_.responseCode() < 400) {
            pending = std::current_exception();
        } else {
            showFailureText();
            state_.lade = false;
            getTimer_.stop();
        }
    }
    if (!buffer.isEmpty())
        state_.sizeTemp = double(buffer.size());
    // Also after a transport failure, so the window is usable again.
    window_.setFetchButtons(FetchButtons::Idle);
    if (pending)
        std::rethrow_exception(pending);
    return true;
}

void PageRetrieval::Warten(int milliseconds)
{
    if (milliseconds <= 0 || QCoreApplication::closingDown())
        return;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void PageRetrieval::AbortButtonClick()
{
    state_.aborted = true;
    getTimer_.stop();
    endBrowserWaitStep();
    client_.closeConnection();
    browser_.stop();
    window_.moveToLastSecurity();
    state_.lade = false;
}

void PageRetrieval::GetTimerTimer()
{
    try {
        browser_.stop();
        client_.resetRequestHeaders();
    } catch (const std::exception&) {
    }
    getTimer_.stop();
    endBrowserWaitStep();
}

void PageRetrieval::WebBrowser1DocumentComplete()
{
    browser_.stop();
    getTimer_.stop();
    endBrowserWaitStep();
}

// The engines show no error page of their own; the wait runs on to the time-out.
void PageRetrieval::WebBrowser1NavigateError() {}

void PageRetrieval::clearPage()
{
    pageView_.clear();
    state_.pageAddress.clear();
}

void PageRetrieval::showPage(const QString& text, const QString& address)
{
    pageView_.clear();
    pageView_.setText(text);
    state_.pageAddress = address;
}

// Only the document the navigation produced is taken; otherwise the page
// view stays empty.
void PageRetrieval::showBrowserPage()
{
    const QString body = browser_.bodyInnerHtml();
    showPage(body, browser_.documentAddress());
}

void PageRetrieval::showFailure()
{
    showFailureText();
    window_.showStatusIcon(StatusIcon::Prohibited);
}

void PageRetrieval::showFailureText()
{
    window_.showStatus(0, QStringLiteral("Failed : %1 %2").arg(client_.responseCode()).arg(client_.statusText()));
}

void PageRetrieval::showReceived(qint64 bytes)
{
    window_.showStatus(0, QStringLiteral("Received %1 bytes").arg(bytes));
}

}  // namespace zelvon
