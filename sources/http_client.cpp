#include "sources/http_client.h"

#include "sources/tls_trust.h"

#include <curl/curl.h>
#include <openssl/ssl.h>

#include <chrono>
#include <mutex>

namespace zelvon {

namespace {

CURL* Handle(void* curl)
{
    return static_cast<CURL*>(curl);
}

void InitialiseLibcurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The reason phrase of "HTTP/1.1 404 Not Found": everything after the code.
QString ReasonPhrase(QByteArrayView statusLine)
{
    const QByteArray line = statusLine.trimmed().toByteArray();
    const qsizetype afterVersion = line.indexOf(' ');
    if (afterVersion < 0)
        return QString();
    const qsizetype afterCode = line.indexOf(' ', afterVersion + 1);
    if (afterCode < 0)
        return QString();
    return QString::fromLatin1(line.mid(afterCode + 1).trimmed());
}

struct HeaderList {
    curl_slist* list = nullptr;
    ~HeaderList() { curl_slist_free_all(list); }
};

}  // namespace

namespace detail {

using Clock = std::chrono::steady_clock;

// What the libcurl callbacks of one request read and write.
struct HttpTransfer {
    QString url;
    QByteArray* body = nullptr;
    qint64 limit = 0;
    bool overLimit = false;
    Clock::time_point lastByte = Clock::now();
    Clock::duration inactivityLimit{};
    bool inactive = false;
    bool stopped = false;
    QString statusText;
    std::atomic<qint64>* counter = nullptr;
    QString caFile;
    QString caProblem;
    HeaderList headers;
};

}  // namespace detail

using detail::HttpTransfer;

namespace {

constexpr int kBlockingPollMs = 200;

CURLM* MultiHandle(void* multi)
{
    return static_cast<CURLM*>(multi);
}

size_t OnBody(char* data, size_t size, size_t count, void* transferPointer)
{
    auto* transfer = static_cast<HttpTransfer*>(transferPointer);
    const size_t bytes = size * count;
    transfer->lastByte = detail::Clock::now();
    if (transfer->body->size() + qint64(bytes) > transfer->limit) {
        transfer->overLimit = true;
        return 0;
    }
    transfer->body->append(data, qsizetype(bytes));
    transfer->counter->store(transfer->body->size());
    return bytes;
}

size_t OnHeader(char* data, size_t size, size_t count, void* transferPointer)
{
    auto* transfer = static_cast<HttpTransfer*>(transferPointer);
    const size_t bytes = size * count;
    const QByteArrayView line(data, qsizetype(bytes));
    transfer->lastByte = detail::Clock::now();
    // Each response of a redirect or authentication round starts anew.
    if (line.startsWith("HTTP/")) {
        transfer->statusText = ReasonPhrase(line);
        transfer->body->clear();
        transfer->counter->store(0);
    }
    return bytes;
}

// A trickle of bytes must not hold a request open, so the limit is measured
// from the last byte, not as an average rate.
bool Inactive(HttpTransfer& transfer)
{
    if (detail::Clock::now() - transfer.lastByte >= transfer.inactivityLimit)
        transfer.inactive = true;
    return transfer.inactive;
}

long long InactivitySeconds(const HttpTransfer& transfer)
{
    return std::chrono::duration_cast<std::chrono::seconds>(transfer.inactivityLimit).count();
}

int OnProgress(void* transferPointer, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* transfer = static_cast<HttpTransfer*>(transferPointer);
    return Inactive(*transfer) ? 1 : 0;
}

CURLcode OnSslContext(CURL*, void* sslContext, void* transferPointer)
{
    auto* transfer = static_cast<HttpTransfer*>(transferPointer);
    if (transfer->caFile.isEmpty())
        return CURLE_OK;
    X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
    transfer->caProblem = AddCaFileToStore(store, transfer->caFile);
    return transfer->caProblem.isEmpty() ? CURLE_OK : CURLE_SSL_CACERT_BADFILE;
}

}  // namespace

HttpClient::HttpClient()
{
    InitialiseLibcurlOnce();
    curl_ = curl_easy_init();
    if (!curl_)
        throw Error(QStringLiteral("HTTP-Client konnte nicht angelegt werden (libcurl)"));
    CURL* curl = Handle(curl_);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(curl, CURLOPT_SSLVERSION, long(CURL_SSLVERSION_TLSv1_2));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    // The store must not be shared between requests, or a CA file taken out of
    // the settings would stay trusted.
    curl_easy_setopt(curl, CURLOPT_CA_CACHE_TIMEOUT, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, &OnSslContext);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(kConnectTimeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 0L);
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, long(CURLAUTH_ANY));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    multi_ = curl_multi_init();
    if (!multi_) {
        curl_easy_cleanup(curl);
        throw Error(QStringLiteral("HTTP-Client konnte nicht angelegt werden (libcurl multi)"));
    }
}

HttpClient::~HttpClient()
{
    if (running_)
        curl_multi_remove_handle(MultiHandle(multi_), Handle(curl_));
    curl_multi_cleanup(MultiHandle(multi_));
    curl_easy_cleanup(Handle(curl_));
}

void HttpClient::setUserAgent(const QString& userAgent)
{
    userAgent_ = userAgent;
}

void HttpClient::setAccept(const QString& accept)
{
    accept_ = accept;
}

void HttpClient::resetRequestHeaders()
{
    userAgent_.clear();
    accept_.clear();
}

void HttpClient::setCredentials(const QString& user, const QString& password)
{
    userName_ = user.toUtf8();
    password_ = password.toUtf8();
}

void HttpClient::get(const QString& url, QByteArray& body)
{
    startGet(url, body);
    bool ended = false;
    while (!ended)
        ended = pollGet(kBlockingPollMs);
    if (lastError_)
        std::rethrow_exception(lastError_);
}

void HttpClient::startGet(const QString& url, QByteArray& body)
{
    stopGet();
    body.clear();
    ++requestCount_;
    bytesReceived_ = 0;
    responseCode_ = -1;
    statusText_.clear();
    effectiveUrl_.clear();
    lastFailure_ = TransferFailure::None;
    lastError_ = nullptr;
    errorBuffer_[0] = '\0';

    running_ = std::make_unique<HttpTransfer>();
    running_->url = url;
    running_->body = &body;
    running_->limit = bodyLimit_;
    running_->inactivityLimit = std::chrono::seconds(inactivitySeconds_);
    running_->counter = &bytesReceived_;
    running_->caFile = extraCaFile_;
    configure(*running_, TransportAddress(url));
    freshConnect_ = false;
    curl_multi_add_handle(MultiHandle(multi_), Handle(curl_));
}

bool HttpClient::pollGet(int sliceMs)
{
    if (!running_)
        return true;
    const auto end = detail::Clock::now() + std::chrono::milliseconds(sliceMs);
    for (;;) {
        int stillRunning = 0;
        curl_multi_perform(MultiHandle(multi_), &stillRunning);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(MultiHandle(multi_), &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == Handle(curl_)) {
                finish(message->data.result);
                return true;
            }
        }
        // libcurl looks at the progress callback only while bytes flow or
        // about once a second; an idle poll checks the limit itself.
        if (Inactive(*running_)) {
            finish(CURLE_OPERATION_TIMEDOUT);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - detail::Clock::now()).count();
        if (left <= 0)
            return false;
        curl_multi_poll(MultiHandle(multi_), nullptr, 0, int(left), nullptr);
    }
}

void HttpClient::stopGet()
{
    if (!running_)
        return;
    running_->stopped = true;
    finish(CURLE_ABORTED_BY_CALLBACK);
}

void HttpClient::configure(HttpTransfer& transfer, const QByteArray& url)
{
    CURL* curl = Handle(curl_);
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, long(maxRedirects_));
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, freshConnect_ ? 1L : 0L);
    const QByteArray agent = userAgent_.toUtf8();
    curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.isEmpty() ? nullptr : agent.constData());
    if (!accept_.isEmpty())
        transfer.headers.list = curl_slist_append(nullptr, ("Accept: " + accept_.toUtf8()).constData());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, transfer.headers.list);
    const bool withCredentials = !userName_.isEmpty();
    curl_easy_setopt(curl, CURLOPT_USERNAME, withCredentials ? userName_.constData() : nullptr);
    curl_easy_setopt(curl, CURLOPT_PASSWORD, withCredentials ? password_.constData() : nullptr);
}

void HttpClient::finish(int curlCode)
{
    curl_multi_remove_handle(MultiHandle(multi_), Handle(curl_));
    const std::unique_ptr<HttpTransfer> transfer = std::move(running_);
    long code = 0;
    curl_easy_getinfo(Handle(curl_), CURLINFO_RESPONSE_CODE, &code);
    responseCode_ = code > 0 ? int(code) : -1;
    statusText_ = responseCode_ > 0 ? transfer->statusText : QString();
    char* effective = nullptr;
    curl_easy_getinfo(Handle(curl_), CURLINFO_EFFECTIVE_URL, &effective);
    effectiveUrl_ = responseCode_ > 0 && effective ? QString::fromUtf8(effective) : QString();

    if (transfer->inactive || transfer->stopped || transfer->overLimit || curlCode != CURLE_OK) {
        QString reason = QString::fromLocal8Bit(errorBuffer_[0] ? errorBuffer_ : curl_easy_strerror(CURLcode(curlCode)));
        lastFailure_ = TransferFailure::Other;
        if (transfer->stopped) {
            lastFailure_ = TransferFailure::Stopped;
            reason = QStringLiteral("abgebrochen");
        } else if (transfer->inactive) {
            lastFailure_ = TransferFailure::Inactivity;
            reason = QStringLiteral("%1 s lang keine Daten").arg(InactivitySeconds(*transfer));
        } else if (transfer->overLimit) {
            lastFailure_ = TransferFailure::BodyTooLarge;
            reason = QStringLiteral("Antwort größer als %1 Bytes").arg(transfer->limit);
        } else if (!transfer->caProblem.isEmpty()) {
            reason = transfer->caProblem;
        }
        lastError_ = std::make_exception_ptr(HttpTransportError(
            QStringLiteral("Abruf von %1 fehlgeschlagen: %2").arg(transfer->url, reason), responseCode_));
        return;
    }
    if (responseCode_ >= 400)
        lastError_ = std::make_exception_ptr(HttpStatusError(
            QStringLiteral("Abruf von %1 fehlgeschlagen: %2 %3").arg(transfer->url).arg(responseCode_).arg(statusText_),
            responseCode_));
}

QByteArray TransportAddress(const QString& url)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray encoded;
    for (const char c : url.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F) {
            encoded.append(c);
            continue;
        }
        encoded.append('%');
        encoded.append(kHex[byte >> 4]);
        encoded.append(kHex[byte & 0x0F]);
    }
    return encoded;
}

}  // namespace zelvon
