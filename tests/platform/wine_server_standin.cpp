// Stands in for a running Wine server: in the given server directory it listens
// on "socket" and holds the write lock on the first byte of "lock", as wineserver
// does, until its standard input closes. Modes: "both", "socket", "lock".
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool MakeDirectories(const std::string& dir) {
    for (size_t at = 1; at != std::string::npos; at = dir.find('/', at + 1)) {
        const std::string part = dir.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

int Listen(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ::unlink(path.c_str());
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(fd, 4) != 0) {
        return -1;
    }
    return fd;
}

int Lock(const std::string& path) {
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_len = 1;
    if (fd < 0 || ::fcntl(fd, F_SETLK, &lock) != 0) return -1;
    return fd;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wine_server_standin SERVERDIR both|socket|lock\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::string mode = argv[2];
    if (!MakeDirectories(dir)) return 1;
    if (mode != "lock" && Listen(dir + "/socket") < 0) return 1;
    if (mode != "socket" && Lock(dir + "/lock") < 0) return 1;
    std::puts("ready");
    std::fflush(stdout);
    char buffer[64];
    while (::read(0, buffer, sizeof(buffer)) > 0) {
    }
    ::unlink((dir + "/socket").c_str());
    ::unlink((dir + "/lock").c_str());
    ::rmdir(dir.c_str());
    return 0;
}
