// A table file opened for writing: positioned writes, fsync, and the
// advisory fcntl lock that keeps two writers from interleaving a post.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "paradox/status.h"

namespace paradox {

class WritableFile {
public:
    ~WritableFile();
    WritableFile(const WritableFile&) = delete;
    WritableFile& operator=(const WritableFile&) = delete;

    // Opens an existing file (create = false) or creates/truncates it.
    static Status Open(const std::string& path, bool create, std::unique_ptr<WritableFile>* file);

    Status Write(uint64_t offset, const uint8_t* data, size_t n);
    Status Sync();
    // Blocks until this process holds the write lock on the whole file.
    Status Lock();
    Status Unlock();
    const std::string& path() const { return path_; }

private:
    WritableFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
    std::string path_;
    int fd_;
};

// Writes bytes to path through a temporary file beside it and a rename, so
// readers see either the old file or the complete new one (after a crash
// too, when sync is set).
Status ReplaceFile(const std::string& path, const std::string& bytes, bool sync = true);

}  // namespace paradox
