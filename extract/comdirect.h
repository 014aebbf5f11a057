// comdirect quote pages (sources 1-5, 7, 8): price block or bid/ask block,
// date and time cells, daily volume. The sources differ only in the end word
// of the quote log line.
#pragma once

#include "extract/extraction.h"

namespace zelvon::extract::comdirect {

SourceEnd Extract(Extraction& run);

}  // namespace zelvon::extract::comdirect
