#include "sources/http_client.h"

#include "sources/tls_trust.h"

#include <curl/curl.h>
#include <openssl/ssl.h>

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

// What the libcurl callbacks of one request read and write.
struct HttpTransfer {
    QByteArray* body = nullptr;
    qint64 limit = 0;
    bool overLimit = false;
    QString statusText;
    std::atomic<qint64>* counter = nullptr;
    QString caFile;
    QString caProblem;
    HeaderList headers;
};

}  // namespace detail

using detail::HttpTransfer;

namespace {

size_t OnBody(char* data, size_t size, size_t count, void* transferPointer)
{
    auto* transfer = static_cast<HttpTransfer*>(transferPointer);
    const size_t bytes = size * count;
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
    // Each response of a redirect or authentication round starts anew.
    if (line.startsWith("HTTP/")) {
        transfer->statusText = ReasonPhrase(line);
        transfer->body->clear();
        transfer->counter->store(0);
    }
    return bytes;
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
}

HttpClient::~HttpClient()
{
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
    body.clear();
    ++requestCount_;
    bytesReceived_ = 0;
    responseCode_ = -1;
    statusText_.clear();
    errorBuffer_[0] = '\0';

    HttpTransfer transfer;
    transfer.body = &body;
    transfer.limit = bodyLimit_;
    transfer.counter = &bytesReceived_;
    transfer.caFile = extraCaFile_;
    configure(transfer, TransportAddress(url));
    const CURLcode result = curl_easy_perform(Handle(curl_));
    freshConnect_ = false;
    finish(result, transfer, url);
}

void HttpClient::configure(HttpTransfer& transfer, const QByteArray& url)
{
    CURL* curl = Handle(curl_);
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, long(maxRedirects_));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(inactivitySeconds_));
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

void HttpClient::finish(int curlCode, const HttpTransfer& transfer, const QString& url)
{
    long code = 0;
    curl_easy_getinfo(Handle(curl_), CURLINFO_RESPONSE_CODE, &code);
    responseCode_ = code > 0 ? int(code) : -1;
    statusText_ = responseCode_ > 0 ? transfer.statusText : QString();

    if (curlCode != CURLE_OK) {
        QString reason = QString::fromLocal8Bit(errorBuffer_[0] ? errorBuffer_ : curl_easy_strerror(CURLcode(curlCode)));
        if (transfer.overLimit)
            reason = QStringLiteral("Antwort größer als %1 Bytes").arg(transfer.limit);
        if (!transfer.caProblem.isEmpty())
            reason = transfer.caProblem;
        throw HttpTransportError(QStringLiteral("Abruf von %1 fehlgeschlagen: %2").arg(url, reason), responseCode_);
    }
    if (responseCode_ >= 400)
        throw HttpStatusError(QStringLiteral("Abruf von %1 fehlgeschlagen: %2 %3").arg(url).arg(responseCode_).arg(statusText_),
                              responseCode_);
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
