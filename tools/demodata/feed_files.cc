#include "tools/demodata/feed_files.h"

#include <filesystem>
#include <fstream>

#include "paradox/text_codec.h"
#include "tools/demodata/catalog.h"

namespace zelvon::demodata {

std::string FeedFileText(const std::string& service) {
    const paradox::TextDecoder windows1252("WINDOWS-1252");
    std::string text = "# " + service + ": Thema<TAB>Element<TAB>Wert; wird bei jeder Änderung neu gelesen\n";
    for (const FeedValue& v : KitFeedValues())
        if (v.service == service) text += v.topic + '\t' + v.item + '\t' + v.value + '\n';
    return windows1252.Encode(text);
}

paradox::Status WriteFeedFiles(const std::string& directory) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    for (const char* service : {"WinBis", "TaiPanRT"}) {
        const std::string path = (std::filesystem::path(directory) / (std::string(service) + ".txt")).string();
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << FeedFileText(service);
        file.close();
        if (!file) return paradox::Status::IoError("Kursprogramm-Datei " + path + " kann nicht geschrieben werden");
    }
    return paradox::Status::Ok();
}

}  // namespace zelvon::demodata
