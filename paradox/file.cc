#include "paradox/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace paradox {
namespace {

std::string OutOfFile(const std::string& name, uint64_t offset, size_t n, uint64_t size) {
    return name + ": read of " + std::to_string(n) + " bytes at offset " + std::to_string(offset) +
           " lies outside the file (" + std::to_string(size) + " bytes)";
}

class PosixFile final : public RandomAccessFile {
public:
    PosixFile(int fd, uint64_t size, std::string name) : fd_(fd), size_(size), name_(std::move(name)) {}
    ~PosixFile() override { ::close(fd_); }

    Status Read(uint64_t offset, size_t n, uint8_t* out) const override {
        if (offset > size_ || n > size_ - offset) return Status::Corruption(OutOfFile(name_, offset, n, size_));
        size_t done = 0;
        while (done < n) {
            ssize_t got = ::pread(fd_, out + done, n - done, off_t(offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0)
                return Status::IoError(name_ + ": read failed at offset " + std::to_string(offset + done) + ": " +
                                       (got < 0 ? std::strerror(errno) : "file shrank"));
            done += size_t(got);
        }
        return Status::Ok();
    }
    uint64_t Size() const override { return size_; }
    const std::string& Name() const override { return name_; }
    Status UpdateSize() override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return Status::IoError(name_ + ": cannot stat: " + std::strerror(errno));
        size_ = uint64_t(st.st_size);
        return Status::Ok();
    }

private:
    int fd_;
    uint64_t size_;
    std::string name_;
};

class MemoryFile final : public RandomAccessFile {
public:
    MemoryFile(std::string name, std::vector<uint8_t> bytes) : name_(std::move(name)), bytes_(std::move(bytes)) {}

    Status Read(uint64_t offset, size_t n, uint8_t* out) const override {
        if (offset > bytes_.size() || n > bytes_.size() - offset)
            return Status::Corruption(OutOfFile(name_, offset, n, bytes_.size()));
        if (n) std::memcpy(out, bytes_.data() + offset, n);
        return Status::Ok();
    }
    uint64_t Size() const override { return bytes_.size(); }
    const std::string& Name() const override { return name_; }

private:
    std::string name_;
    std::vector<uint8_t> bytes_;
};

}  // namespace

Status OpenFile(const std::string& path, std::unique_ptr<RandomAccessFile>* file) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        if (err == ENOENT) return Status::NotFound(BaseName(path) + ": file not found");
        if (err == EACCES) return Status::PermissionDenied(BaseName(path) + ": permission denied");
        return Status::IoError(BaseName(path) + ": cannot open: " + std::strerror(err));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Status::IoError(BaseName(path) + ": not a regular file");
    }
    *file = std::make_unique<PosixFile>(fd, uint64_t(st.st_size), BaseName(path));
    return Status::Ok();
}

std::unique_ptr<RandomAccessFile> NewMemoryFile(std::string name, std::vector<uint8_t> bytes) {
    return std::make_unique<MemoryFile>(std::move(name), std::move(bytes));
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = x - 'A' + 'a';
        if (y >= 'A' && y <= 'Z') y = y - 'A' + 'a';
        if (x != y) return false;
    }
    return true;
}

std::vector<std::string> ListDirectory(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return names;
    while (struct dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    ::closedir(d);
    return names;
}

static std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::string FindIgnoringCase(const std::string& dir, const std::string& name) {
    std::string exact = JoinPath(dir, name);
    struct stat st {};
    if (::stat(exact.c_str(), &st) == 0) return exact;
    for (const std::string& entry : ListDirectory(dir))
        if (EqualsIgnoringCase(entry, name)) return JoinPath(dir, entry);
    return {};
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace paradox
