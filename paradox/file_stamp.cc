#include "paradox/file_stamp.h"

#include <sys/stat.h>

namespace paradox {

std::vector<FileStamp> StampFiles(const std::vector<std::string>& paths) {
    std::vector<FileStamp> stamps;
    for (const std::string& path : paths) {
        FileStamp s;
        s.path = path;
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) {
            s.device = uint64_t(st.st_dev);
            s.inode = uint64_t(st.st_ino);
            s.size = uint64_t(st.st_size);
            s.modified_ns = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        }
        stamps.push_back(std::move(s));
    }
    return stamps;
}

}  // namespace paradox
