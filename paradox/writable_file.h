// A table file opened for writing: positioned reads and writes through one
// handle, fsync, and the advisory fcntl lock that keeps two writers from
// interleaving a post. The lock belongs to the open file (Linux OFD lock),
// so closing some other handle on the same file never drops it, and it
// conflicts with classic POSIX locks taken by other programs.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "paradox/status.h"

namespace paradox {

// How long a write waits for a table another process holds locked.
constexpr std::chrono::milliseconds kDefaultLockWait{5000};

class WritableFile {
public:
    ~WritableFile();
    WritableFile(const WritableFile&) = delete;
    WritableFile& operator=(const WritableFile&) = delete;

    // Opens an existing file (create = false) or creates/truncates it.
    static Status Open(const std::string& path, bool create, std::unique_ptr<WritableFile>* file);

    Status Read(uint64_t offset, size_t n, uint8_t* out) const;
    Status Write(uint64_t offset, const uint8_t* data, size_t n);
    Status Sync();
    Status Size(uint64_t* size) const;
    // Takes the write lock on the whole file, retrying while another
    // process holds it; after wait a Locked status naming the file.
    Status Lock(std::chrono::milliseconds wait = kDefaultLockWait);
    Status Unlock();
    const std::string& path() const { return path_; }

private:
    WritableFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
    std::string path_;
    int fd_;
};

// Syncs a file or directory by name (fdatasync, fsync for a directory).
Status SyncPath(const std::string& path);

// Writes bytes to path through a temporary file beside it and a rename, so
// readers see either the old file or the complete new one (after a crash
// too, when sync is set).
Status ReplaceFile(const std::string& path, const std::string& bytes, bool sync = true);

}  // namespace paradox
