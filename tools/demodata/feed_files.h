// The feed simulator's files for the demo's WinBis and TaiPan groups:
// <service>.txt with topic<TAB>item<TAB>value lines in Windows-1252.
#pragma once

#include <string>

#include "paradox/status.h"

namespace zelvon::demodata {

// The file's bytes for "WinBis" or "TaiPanRT".
std::string FeedFileText(const std::string& service);
// Writes WinBis.txt and TaiPanRT.txt into directory, creating it when missing.
paradox::Status WriteFeedFiles(const std::string& directory);

}  // namespace zelvon::demodata
