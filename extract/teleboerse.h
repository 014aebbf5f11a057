// Teleboerse search results (source 14): the security's row found by its ISIN
// or by the single hit, its time or day cell and its price cell counted off
// by table cells. Reported also while the main window is hidden; the page is
// never saved from here.
#pragma once

#include "extract/extraction.h"

namespace zelvon::extract::teleboerse {

// The result page keeps building after the browser reports it complete.
inline constexpr int kSettleMs = 1000;

SourceEnd Extract(Extraction& run);

}  // namespace zelvon::extract::teleboerse
