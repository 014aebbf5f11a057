// The transport of the local quote feeds: where a service's Unix-domain
// socket lives, and one connection carrying LF-ended lines of Windows-1252
// bytes with a time limit on every read. Shared by the conversation component
// and the feed simulator, so both keep to the same line rules.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

namespace zelvon::feed {

// A line holds at most this many bytes, its line end not counted.
inline constexpr int kMaxLineBytes = 4096;

// $ZELVON_DDE_DIR, else $XDG_RUNTIME_DIR/zelvon-dde, else /tmp/zelvon-dde-<uid>;
// an empty variable counts as unset.
QString SocketDirectory();
// The socket of a service, its name as given (case kept).
QString SocketPath(const QString& service);

enum class ReadResult { Line, TimedOut, Closed, TooLong };

class LineConnection {
public:
    // Takes over an open stream socket.
    explicit LineConnection(int fd);
    ~LineConnection();
    LineConnection(const LineConnection&) = delete;
    LineConnection& operator=(const LineConnection&) = delete;

    // Null when the socket does not exist, refuses, or its path is too long.
    static std::unique_ptr<LineConnection> Connect(const QString& path);

    // The line and its LF; false when the peer has gone.
    bool sendLine(QByteArrayView line);
    // The next line without its LF (and without a CR before it). A negative
    // limit waits for as long as it takes.
    ReadResult readLine(QByteArray& line, int timeoutMs);

private:
    bool takeBufferedLine(QByteArray& line, ReadResult& result);

    int fd_;
    QByteArray buffer_;
};

}  // namespace zelvon::feed
