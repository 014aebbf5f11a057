#include "platform/dde_client.h"

#include "platform/codec.h"

#include <optional>

namespace zelvon {

namespace {

// The bytes of a verb's argument, or nothing when the text cannot travel in
// one Windows-1252 line: a line break would start a second command, and a
// character replaced by "?" would ask for another topic or item.
std::optional<QByteArray> LineArgument(const QString& text)
{
    const QByteArray bytes = codec::EncodeWindows1252(text);
    if (bytes.contains('\n') || bytes.contains('\r') || codec::DecodeWindows1252(bytes) != text)
        return std::nullopt;
    return bytes;
}

}  // namespace

DdeClientConv::DdeClientConv() = default;

DdeClientConv::~DdeClientConv()
{
    CloseLink();
}

bool DdeClientConv::SetLink(const QString& service, const QString& topic)
{
    CloseLink();
    service_ = service;
    topic_ = topic;
    return true;
}

bool DdeClientConv::OpenLink()
{
    if (connection_)
        return true;
    const std::optional<QByteArray> topic = LineArgument(topic_);
    if (!topic || service_.isEmpty() || service_.contains(u'/'))
        return false;
    const QByteArray line = "CONNECT " + *topic;
    if (line.size() > feed::kMaxLineBytes)
        return false;
    std::unique_ptr<feed::LineConnection> connection = feed::LineConnection::Connect(feed::SocketPath(service_));
    if (!connection || !connection->sendLine(line))
        return false;
    QByteArray answer;
    if (connection->readLine(answer, kConnectTimeoutMs) != feed::ReadResult::Line || answer != "OK")
        return false;
    connection_ = std::move(connection);
    return true;
}

QString DdeClientConv::RequestData(const QString& item)
{
    if (!connection_)
        fail(item, QStringLiteral("keine offene Verbindung"));
    const std::optional<QByteArray> name = LineArgument(item);
    if (!name || name->size() + 8 > feed::kMaxLineBytes)
        fail(item, QStringLiteral("Elementname lässt sich nicht senden"));
    if (!connection_->sendLine("REQUEST " + *name))
        fail(item, QStringLiteral("Verbindung vom Kursprogramm beendet"));
    QByteArray answer;
    switch (connection_->readLine(answer, kRequestTimeoutMs)) {
    case feed::ReadResult::TimedOut:
        fail(item, QStringLiteral("keine Antwort nach %1 s").arg(kRequestTimeoutMs / 1000));
    case feed::ReadResult::Closed:
        fail(item, QStringLiteral("Verbindung vom Kursprogramm beendet"));
    case feed::ReadResult::TooLong:
        fail(item, QStringLiteral("Antwortzeile länger als %1 Bytes").arg(feed::kMaxLineBytes));
    case feed::ReadResult::Line:
        break;
    }
    if (answer.startsWith("DATA "))
        return codec::DecodeWindows1252(QByteArrayView(answer).sliced(5));
    if (answer == "NODATA")
        return QString();
    fail(item, QStringLiteral("unbekannte Antwort \"%1\"").arg(codec::DecodeWindows1252(answer.left(80))));
}

void DdeClientConv::CloseLink()
{
    if (!connection_)
        return;
    connection_->sendLine("CLOSE");
    connection_.reset();
}

void DdeClientConv::fail(const QString& item, const QString& what)
{
    // After a failure the state of the line is unknown: hang up without CLOSE.
    connection_.reset();
    throw DdeError(QStringLiteral("DDE %1|%2, Element %3: %4").arg(service_, topic_, item, what));
}

}  // namespace zelvon
