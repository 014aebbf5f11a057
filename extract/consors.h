// Consors search result pages (source 12): price, date and time read from the
// tail that begins a fixed distance after the price marker, the day's volume
// from its table cell. Reported also while the main window is hidden.
#pragma once

#include "extract/extraction.h"

namespace zelvon::extract::consors {

SourceEnd Extract(Extraction& run);

}  // namespace zelvon::extract::consors
