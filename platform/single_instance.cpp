#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace zelvon {

QString SingleInstance::LockPath(const QString& name) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) return runtime + u'/' + name + QStringLiteral(".lock");
    return QStringLiteral("/tmp/%1-%2.lock").arg(name).arg(getuid());
}

SingleInstance::SingleInstance(const QString& name) {
    const QByteArray path = LockPath(name).toLocal8Bit();
    fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // Without a lock file we cannot tell; running twice is better than not at all.
    if (fd_ < 0) {
        acquired_ = true;
        return;
    }
    acquired_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace zelvon
