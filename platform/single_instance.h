// The program-wide named mutex: an exclusive lock on a file in the user's
// runtime directory, held for the life of the process and freed by the kernel
// when the process ends, however it ends.
#pragma once

#include <QString>

namespace zelvon {

class SingleInstance {
public:
    explicit SingleInstance(const QString& name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another process holds the lock.
    bool acquired() const { return acquired_; }

    // $XDG_RUNTIME_DIR/<name>.lock, or a per-user file in /tmp when unset.
    static QString LockPath(const QString& name);

private:
    int fd_ = -1;
    bool acquired_ = false;
};

}  // namespace zelvon
