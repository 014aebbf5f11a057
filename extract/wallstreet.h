// wallstreet-online quote pages (source 10): the informer page found by an
// ISIN with price, time and a volume in thousands or millions, and the L&S
// realtime block with its bid fields. Reported only while the window shows.
#pragma once

#include "extract/extraction.h"

namespace zelvon::extract::wallstreet {

SourceEnd Extract(Extraction& run);

}  // namespace zelvon::extract::wallstreet
