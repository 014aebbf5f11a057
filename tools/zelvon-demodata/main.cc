// zelvon-demodata: writes the demo data directory.
//   zelvon-demodata DIR [--large] [--short-firma] [--internet-defaults] [--feed-files FEEDDIR]
// Exit status 0 on success, 1 on any failure (with the reason on stderr).
#include <iostream>
#include <string>

#include "tools/demodata/demo_directory.h"
#include "tools/demodata/feed_files.h"

namespace {

int Usage() {
    std::cerr << "Aufruf: zelvon-demodata VERZEICHNIS [--large] [--short-firma] [--internet-defaults]\n"
                 "                       [--feed-files FEEDVERZEICHNIS]\n"
                 "  --large              50.000 Wertpapiere und 5.000 offene Depotpositionen\n"
                 "  --short-firma        Firma.db mit 11 Feldern (ohne Internet und Memo)\n"
                 "  --internet-defaults  Internet.db mit Quellen je Gruppe\n"
                 "  --feed-files         WinBis.txt und TaiPanRT.txt für zelvon-ddefeed\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string directory, feedDirectory;
    zelvon::demodata::DemoOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--large") {
            bool memo = options.memo_fields, internet = options.internet_defaults;
            options = zelvon::demodata::DemoOptions::Large();
            options.memo_fields = memo;
            options.internet_defaults = internet;
        } else if (a == "--short-firma") {
            options.memo_fields = false;
        } else if (a == "--internet-defaults") {
            options.internet_defaults = true;
        } else if (a == "--feed-files" && i + 1 < argc) {
            feedDirectory = argv[++i];
        } else if (directory.empty() && !a.empty() && a.rfind("--", 0) != 0) {
            directory = a;
        } else {
            return Usage();
        }
    }
    if (directory.empty()) return Usage();
    paradox::Status s = zelvon::demodata::CreateDemoDataDirectory(directory, options);
    if (!s.ok()) {
        std::cerr << "zelvon-demodata: Demodaten in " << directory << " nicht angelegt: " << s.ToString() << "\n";
        return 1;
    }
    std::cout << "Demodaten angelegt in " << directory << "\n";
    if (feedDirectory.empty()) return 0;
    s = zelvon::demodata::WriteFeedFiles(feedDirectory);
    if (!s.ok()) {
        std::cerr << "zelvon-demodata: " << s.ToString() << "\n";
        return 1;
    }
    std::cout << "Kursprogramm-Dateien angelegt in " << feedDirectory << "\n";
    return 0;
}
