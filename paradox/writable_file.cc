#include "paradox/writable_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "paradox/file.h"

namespace paradox {
namespace {

constexpr std::chrono::milliseconds kLockRetry{10};

Status Errno(const std::string& path, const std::string& what) {
    return Status::IoError(BaseName(path) + ": " + what + ": " + std::strerror(errno));
}

// One attempt; EAGAIN/EACCES when another open file holds a conflicting lock.
int TryLock(int fd, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    int r;
    do r = fcntl(fd, F_OFD_SETLK, &lock);
    while (r != 0 && errno == EINTR);
    return r;
}

}  // namespace

WritableFile::~WritableFile() { close(fd_); }

Status WritableFile::Open(const std::string& path, bool create, std::unique_ptr<WritableFile>* file) {
    int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT | O_TRUNC : 0);
    int fd = open(path.c_str(), flags, 0644);
    if (fd < 0) return Errno(path, "cannot open for writing");
    file->reset(new WritableFile(path, fd));
    return Status::Ok();
}

Status WritableFile::Read(uint64_t offset, size_t n, uint8_t* out) const {
    while (n > 0) {
        ssize_t done = pread(fd_, out, n, off_t(offset));
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) return Errno(path_, "read at offset " + std::to_string(offset));
        if (done == 0)
            return Status::Corruption(BaseName(path_) + ": read at offset " + std::to_string(offset) + " lies beyond the end");
        out += done;
        offset += uint64_t(done);
        n -= size_t(done);
    }
    return Status::Ok();
}

Status WritableFile::Write(uint64_t offset, const uint8_t* data, size_t n) {
    while (n > 0) {
        ssize_t done = pwrite(fd_, data, n, off_t(offset));
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return Errno(path_, "write at offset " + std::to_string(offset));
        data += done;
        offset += uint64_t(done);
        n -= size_t(done);
    }
    return Status::Ok();
}

Status WritableFile::Sync() { return fdatasync(fd_) == 0 ? Status::Ok() : Errno(path_, "fsync"); }

Status WritableFile::Size(uint64_t* size) const {
    struct stat st {};
    if (fstat(fd_, &st) != 0) return Errno(path_, "stat");
    *size = uint64_t(st.st_size);
    return Status::Ok();
}

Status WritableFile::Lock(std::chrono::milliseconds wait) {
    auto deadline = std::chrono::steady_clock::now() + wait;
    while (TryLock(fd_, F_WRLCK) != 0) {
        if (errno != EAGAIN && errno != EACCES) return Errno(path_, "lock");
        if (std::chrono::steady_clock::now() >= deadline)
            return Status::Locked(BaseName(path_) + ": table is locked by another process (waited " +
                                  std::to_string(wait.count()) + " ms)");
        std::this_thread::sleep_for(kLockRetry);
    }
    return Status::Ok();
}

Status WritableFile::Unlock() { return TryLock(fd_, F_UNLCK) == 0 ? Status::Ok() : Errno(path_, "unlock"); }

Status SyncPath(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Errno(path, "cannot open to sync");
    struct stat st {};
    bool directory = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    int r = directory ? fsync(fd) : fdatasync(fd);
    Status s = r == 0 ? Status::Ok() : Errno(path, "fsync");
    close(fd);
    return s;
}

Status ReplaceFile(const std::string& path, const std::string& bytes, bool sync) {
    std::string temp = path + ".tmp";
    std::unique_ptr<WritableFile> file;
    PX_RETURN_IF_ERROR(WritableFile::Open(temp, true, &file));
    PX_RETURN_IF_ERROR(file->Write(0, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    if (sync) PX_RETURN_IF_ERROR(file->Sync());
    file.reset();
    if (rename(temp.c_str(), path.c_str()) != 0) return Errno(path, "rename from " + BaseName(temp));
    return Status::Ok();
}

}  // namespace paradox
