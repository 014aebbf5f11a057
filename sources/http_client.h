// The program's one HTTP client: a single libcurl handle that keeps cookies and
// connections for the life of the process. get() blocks the calling thread;
// startGet() and pollGet() run one request a step at a time on the same
// thread, for the browser engine that must not block its wait.
#pragma once

#include "sources/http_error.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <exception>
#include <memory>

namespace zelvon {

namespace detail {
struct HttpTransfer;
}

// How the last request ended short of a whole answer.
enum class TransferFailure {
    None,
    Inactivity,    // no byte for the inactivity limit
    BodyTooLarge,  // the body passed the body limit
    Stopped,       // stopGet() ended it
    Other,         // connection, TLS, scheme, redirects
};

class HttpClient {
public:
    static constexpr int kDefaultMaxRedirects = 15;
    static constexpr int kPageInactivitySeconds = 5;
    static constexpr int kDownloadInactivitySeconds = 30;
    static constexpr int kConnectTimeoutSeconds = 15;
    static constexpr qint64 kDefaultBodyLimit = qint64(256) * 1024 * 1024;

    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Request headers; empty means the header is not sent (libcurl's default).
    void setUserAgent(const QString& userAgent);
    void setAccept(const QString& accept);
    QString userAgent() const { return userAgent_; }
    QString accept() const { return accept_; }
    // Back to the library's defaults: no user agent, "Accept: */*".
    void resetRequestHeaders();

    void setMaxRedirects(int count) { maxRedirects_ = count; }
    // A request ends when no byte arrives for this long, counted from its
    // start and from every byte of its answer.
    void setInactivityLimit(int seconds) { inactivitySeconds_ = seconds; }
    int inactivityLimit() const { return inactivitySeconds_; }
    void setBodyLimit(qint64 bytes) { bodyLimit_ = bytes; }

    // Sent only when a server asks, and never to another host after a redirect.
    void setCredentials(const QString& user, const QString& password);
    // A CA file trusted in addition to the system's store; empty for none.
    void setExtraCaFile(const QString& path) { extraCaFile_ = path; }
    QString extraCaFile() const { return extraCaFile_; }

    // Fetches url into body (emptied first); body keeps what arrived when an
    // error is raised. Raises HttpStatusError for a status of 400 or more and
    // HttpTransportError when no complete answer arrived.
    void get(const QString& url, QByteArray& body);

    // Starts fetching url into body, which must live until the request ends;
    // a request still running is stopped first.
    void startGet(const QString& url, QByteArray& body);
    // Lets the started request make progress for up to sliceMs; true once
    // it has ended (also when none runs). Then lastFailure() and
    // responseCode() tell how.
    bool pollGet(int sliceMs);
    // Ends the started request where it stands; its body keeps what arrived.
    void stopGet();
    bool getRunning() const { return running_ != nullptr; }
    TransferFailure lastFailure() const { return lastFailure_; }

    // Status of the last answer, -1 when the last request got none.
    int responseCode() const { return responseCode_; }
    // Reason phrase of the last answer's status line, empty when none.
    QString statusText() const { return statusText_; }
    // The address the last answer came from, after redirects; empty when none.
    QString effectiveUrl() const { return effectiveUrl_; }
    // Requests made so far; tells whether an answer belongs to a given fetch.
    int requestCount() const { return requestCount_; }
    // Body bytes of the request in progress (or of the last one).
    qint64 bytesReceived() const { return bytesReceived_.load(); }

    // Drops the open connection; the next request connects afresh.
    void closeConnection() { freshConnect_ = true; }

private:
    void configure(detail::HttpTransfer& transfer, const QByteArray& url);
    // Takes the ended request's outcome; its error, if any, into lastError_.
    void finish(int curlCode);

    void* curl_;
    void* multi_;
    std::unique_ptr<detail::HttpTransfer> running_;
    QString userAgent_;
    QString accept_;
    QByteArray userName_;
    QByteArray password_;
    QString extraCaFile_;
    int maxRedirects_ = kDefaultMaxRedirects;
    int inactivitySeconds_ = kPageInactivitySeconds;
    qint64 bodyLimit_ = kDefaultBodyLimit;
    bool freshConnect_ = false;
    int responseCode_ = -1;
    int requestCount_ = 0;
    QString statusText_;
    QString effectiveUrl_;
    TransferFailure lastFailure_ = TransferFailure::None;
    std::exception_ptr lastError_;  // of the last request that ended
    std::atomic<qint64> bytesReceived_{0};
    char errorBuffer_[256] = {};
};

// The address as the transport sends it: blanks, control characters and
// non-ASCII characters percent-encoded (UTF-8), everything else unchanged.
QByteArray TransportAddress(const QString& url);

}  // namespace zelvon
