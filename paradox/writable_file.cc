#include "paradox/writable_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "paradox/file.h"

namespace paradox {
namespace {

Status Errno(const std::string& path, const std::string& what) {
    return Status::IoError(BaseName(path) + ": " + what + ": " + std::strerror(errno));
}

Status SetLock(int fd, short type, const std::string& path) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    while (fcntl(fd, F_SETLKW, &lock) != 0) {
        if (errno != EINTR) return Errno(path, "lock");
    }
    return Status::Ok();
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
Status WritableFile::Lock() { return SetLock(fd_, F_WRLCK, path_); }
Status WritableFile::Unlock() { return SetLock(fd_, F_UNLCK, path_); }

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
