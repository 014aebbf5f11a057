// Runs a built tool as a real child process: to completion with its output
// captured, or in the background until a signal stops it.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace zelvon::tools::testing {

struct ToolResult {
    int exitCode = -1;  // -1: killed by a signal or timed out
    std::string out;
    std::string err;
};

inline std::string ReadWhole(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

class ToolProcess {
public:
    // Output goes to files beside outputStem, so a chatty child never blocks on a pipe.
    ToolProcess(const std::string& binary, const std::vector<std::string>& args, const std::string& outputStem)
        : outPath_(outputStem + ".out"), errPath_(outputStem + ".err")
    {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(binary.c_str()));
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }

    ~ToolProcess()
    {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    bool started() const { return pid_ > 0; }
    void Signal(int signal) { ::kill(pid_, signal); }

    // The exit status once the child ended within the limit; -1 when a signal ended it.
    std::optional<int> Wait(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!exited_) {
            int status = 0;
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                exited_ = true;
                exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            } else if (std::chrono::steady_clock::now() > end) {
                return std::nullopt;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        return exitCode_;
    }

    std::string out() const { return ReadWhole(outPath_); }
    std::string err() const { return ReadWhole(errPath_); }

private:
    std::string outPath_;
    std::string errPath_;
    pid_t pid_ = -1;
    bool exited_ = false;
    int exitCode_ = -1;
};

inline ToolResult RunTool(const std::string& binary, const std::vector<std::string>& args,
                          const std::string& outputStem, std::chrono::seconds limit = std::chrono::seconds(60))
{
    ToolProcess process(binary, args, outputStem);
    EXPECT_TRUE(process.started()) << binary;
    const std::optional<int> code = process.Wait(limit);
    EXPECT_TRUE(code.has_value()) << binary << " did not end within " << limit.count() << " s";
    return {code.value_or(-1), process.out(), process.err()};
}

}  // namespace zelvon::tools::testing
