// The update server part of the demo quote server: the maker's master and
// sector tables under "/Update/", the standard page list and filter files
// under "/filter/", and the price archive's day files of the last 100 days
// under "/archiv/". The tables are written with our engine at start.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace zelvon::quoteserver {

struct UpdateFile {
    std::string body;
    std::string contentType;
};

class UpdateFiles {
public:
    // False with a German message in error when the tables cannot be written.
    bool Prepare(std::string& error);
    // The file at path, nothing when the update server has none there.
    std::optional<UpdateFile> Serve(const std::string& path) const;

private:
    std::optional<UpdateFile> ArchiveDay(const std::string& name) const;

    std::map<std::string, std::string> files_;  // path -> bytes
};

}  // namespace zelvon::quoteserver
