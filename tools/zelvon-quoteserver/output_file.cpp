#include "tools/zelvon-quoteserver/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zelvon::quoteserver {

bool WriteWholeFile(const std::string& path, const std::string& content, std::string& error)
{
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    bool written = file && std::fwrite(content.data(), 1, content.size(), file) == content.size();
    if (file && std::fclose(file) != 0)
        written = false;
    if (written && std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    error = "Datei nicht schreibbar: " + path + ": " + std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
}

}  // namespace zelvon::quoteserver
