#include "tools/zelvon-quoteserver/update_files.h"

#include "tools/demodata/update_files.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace zelvon::quoteserver {
namespace {

namespace dd = zelvon::demodata;
namespace fs = std::filesystem;

constexpr int kArchiveDays = 100;
constexpr size_t kArchiveLines = 200;

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The file name without its first ".vtf", as the filter update asks for it.
std::string RemoteFilterName(std::string name) {
    const auto at = name.find(".vtf");
    if (at != std::string::npos) name.erase(at, 4);
    return name + ".txt";
}

}  // namespace

bool UpdateFiles::Prepare(std::string& error) {
    char pattern[] = "/tmp/zelvon-update-XXXXXX";
    if (!mkdtemp(pattern)) {
        error = "Kein temporäres Verzeichnis für die Update-Dateien";
        return false;
    }
    const fs::path dir(pattern);
    paradox::Status s = dd::WriteUpdateTables(dir.string(), dd::UpdateSecurities());
    if (s.ok()) s = dd::WriteUpdatePageList(dir.string(), "DDESeiten.db");
    if (!s.ok()) {
        error = "Update-Tabellen nicht geschrieben: " + s.message();
        fs::remove_all(dir);
        return false;
    }
    for (const char* ext : {"DB", "PX", "MB"}) files_[std::string("/Update/Firma.") + ext] = ReadWhole(dir / (std::string("Firma.") + ext));
    files_["/Update/Branchen.db"] = ReadWhole(dir / "Branchen.db");
    files_["/filter/DDESeiten.db.txt"] = ReadWhole(dir / "DDESeiten.db");
    for (const dd::TeletextPage& page : dd::UpdatePages()) {
        std::string name = page.filter;
        files_["/filter/" + RemoteFilterName(name)] = dd::FilterFileText(name);
        // Both side variants exist where a name has one.
        for (const char* side : {"L.", "R."}) {
            const auto at = name.find(side[0] == 'L' ? "R." : "L.");
            if (at == std::string::npos) continue;
            std::string other = name;
            other[at] = side[0];
            files_["/filter/" + RemoteFilterName(other)] = dd::FilterFileText(other);
        }
    }
    fs::remove_all(dir);
    return true;
}

std::optional<UpdateFile> UpdateFiles::Serve(const std::string& path) const {
    const auto it = files_.find(path);
    if (it != files_.end()) {
        const bool text = path.rfind("/filter/", 0) == 0 && path != "/filter/DDESeiten.db.txt";
        return UpdateFile{it->second, text ? "text/plain; charset=windows-1252" : "application/octet-stream"};
    }
    if (path.rfind("/archiv/", 0) == 0) return ArchiveDay(path.substr(8));
    return std::nullopt;
}

// Weekdays of the last 100 days, each "ddmmyyyy.txt".
std::optional<UpdateFile> UpdateFiles::ArchiveDay(const std::string& name) const {
    const std::time_t now = std::time(nullptr);
    for (int back = 0; back < kArchiveDays; ++back) {
        const std::time_t t = now - std::time_t(back) * 86400;
        std::tm day{};
        localtime_r(&t, &day);
        if (day.tm_wday == 0 || day.tm_wday == 6) continue;
        char file[32];
        std::snprintf(file, sizeof file, "%02d%02d%04d.txt", day.tm_mday, day.tm_mon + 1, day.tm_year + 1900);
        if (name == file)
            return UpdateFile{dd::ArchiveDayFile(day.tm_year + 1900, day.tm_mon + 1, day.tm_mday, kArchiveLines),
                              "text/plain; charset=windows-1252"};
    }
    return std::nullopt;
}

}  // namespace zelvon::quoteserver
