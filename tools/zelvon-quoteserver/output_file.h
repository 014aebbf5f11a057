// Files the demo server hands to scripts (CA certificate, ports): written
// under a temporary name and renamed, so a reader never sees half a file.
#pragma once

#include <string>

namespace zelvon::quoteserver {

// False with a German message naming the file in error when it cannot be written.
bool WriteWholeFile(const std::string& path, const std::string& content, std::string& error);

}  // namespace zelvon::quoteserver
