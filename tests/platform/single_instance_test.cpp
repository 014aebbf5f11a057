#include "platform/single_instance.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace zelvon {
namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_RUNTIME_DIR", dir_.path().toLocal8Bit()); }
    QTemporaryDir dir_;
};

// A child holds the lock until it is killed; its pipe says when it holds it.
pid_t StartHolder() {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        SingleInstance held(QStringLiteral("ZelvonTest"));
        const char ok = held.acquired() ? '1' : '0';
        (void)!write(fds[1], &ok, 1);
        for (;;) pause();
    }
    close(fds[1]);
    char ok = 0;
    EXPECT_EQ(read(fds[0], &ok, 1), 1);
    EXPECT_EQ(ok, '1');
    close(fds[0]);
    return pid;
}

TEST_F(SingleInstanceTest, SecondHolderIsRefusedUntilTheFirstDies) {
    const pid_t holder = StartHolder();
    {
        SingleInstance second(QStringLiteral("ZelvonTest"));
        EXPECT_FALSE(second.acquired());
    }
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    SingleInstance after(QStringLiteral("ZelvonTest"));
    EXPECT_TRUE(after.acquired());
    EXPECT_TRUE(SingleInstance::LockPath("ZelvonTest").startsWith(dir_.path()));
}

}  // namespace
}  // namespace zelvon
