// A second process holding a classic POSIX write lock on a file, as another
// program does while it writes a table; the lock goes when the holder does.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace zelvon::test {

class LockHolder {
public:
    explicit LockHolder(const std::string& path) {
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        child_ = fork();
        if (child_ == 0) {
            const int fd = open(path.c_str(), O_RDWR);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            if (fd < 0 || fcntl(fd, F_SETLK, &lock) != 0) _exit(2);
            char c = 1;
            if (write(ready[1], &c, 1) != 1) _exit(3);
            for (;;) pause();
        }
        close(ready[1]);
        char c = 0;
        EXPECT_EQ(read(ready[0], &c, 1), 1);
        close(ready[0]);
    }
    ~LockHolder() {
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

private:
    pid_t child_ = -1;
};

}  // namespace zelvon::test
