#include "platform/feed_socket.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace zelvon::feed {

namespace {

QString Variable(const char* name)
{
    return QString::fromLocal8Bit(qgetenv(name));
}

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

}  // namespace

QString SocketDirectory()
{
    const QString own = Variable("ZELVON_DDE_DIR");
    if (!own.isEmpty())
        return QDir::cleanPath(own);
    const QString runtime = Variable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return QDir::cleanPath(runtime) + QStringLiteral("/zelvon-dde");
    return QStringLiteral("/tmp/zelvon-dde-%1").arg(getuid());
}

QString SocketPath(const QString& service)
{
    return SocketDirectory() + u'/' + service;
}

LineConnection::LineConnection(int fd) : fd_(fd) {}

LineConnection::~LineConnection()
{
    ::close(fd_);
}

std::unique_ptr<LineConnection> LineConnection::Connect(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    if (encoded.isEmpty() || encoded.size() >= qsizetype(sizeof(address.sun_path)))
        return nullptr;
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    // Non-blocking while connecting: a server whose queue is full counts as
    // refusing instead of holding the window.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return nullptr;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<LineConnection>(fd);
}

bool LineConnection::sendLine(QByteArrayView line)
{
    QByteArray bytes(line.data(), line.size());
    bytes += '\n';
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

bool LineConnection::takeBufferedLine(QByteArray& line, ReadResult& result)
{
    const qsizetype end = buffer_.indexOf('\n');
    if (end < 0) {
        // Room for the longest line and its CR; more without an LF cannot be a line.
        if (buffer_.size() > kMaxLineBytes + 1) {
            result = ReadResult::TooLong;
            return true;
        }
        return false;
    }
    line = buffer_.left(end);
    buffer_.remove(0, end + 1);
    if (line.endsWith('\r'))
        line.chop(1);
    result = line.size() > kMaxLineBytes ? ReadResult::TooLong : ReadResult::Line;
    return true;
}

ReadResult LineConnection::readLine(QByteArray& line, int timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    ReadResult result = ReadResult::Line;
    while (!takeBufferedLine(line, result)) {
        pollfd wanted{fd_, POLLIN, 0};
        const int ready = ::poll(&wanted, 1, timeoutMs < 0 ? -1 : RemainingMs(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            return ReadResult::TimedOut;
        char chunk[kMaxLineBytes];
        const ssize_t n = ready < 0 ? -1 : ::read(fd_, chunk, sizeof(chunk));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return ReadResult::Closed;
        buffer_.append(chunk, n);
    }
    return result;
}

}  // namespace zelvon::feed
