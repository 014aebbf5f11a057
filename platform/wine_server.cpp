#include "platform/wine_server.h"

#include <QFile>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace zelvon {
namespace {

// The server takes a write lock on the first byte of "lock" and keeps it for its life.
bool LockHeld(const QByteArray& lockFile) {
    const int fd = ::open(lockFile.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 1;
    const bool held = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

bool SocketAnswers(const QByteArray& socketFile) {
    sockaddr_un address{};
    if (socketFile.size() >= qsizetype(sizeof(address.sun_path))) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketFile.constData(), socketFile.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool answers = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return answers;
}

}  // namespace

QString WineServerDirectory(const QString& prefix) {
    struct stat info {};
    if (::stat(QFile::encodeName(prefix).constData(), &info) != 0) return {};
    return QStringLiteral("/tmp/.wine-%1/server-%2-%3")
        .arg(::getuid())
        .arg(qulonglong(info.st_dev), 0, 16)
        .arg(qulonglong(info.st_ino), 0, 16);
}

bool WineServerRunning(const QString& prefix) {
    const QString dir = WineServerDirectory(prefix);
    if (dir.isEmpty()) return false;
    return LockHeld(QFile::encodeName(dir + QStringLiteral("/lock"))) ||
           SocketAnswers(QFile::encodeName(dir + QStringLiteral("/socket")));
}

}  // namespace zelvon
