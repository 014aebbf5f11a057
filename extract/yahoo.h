// Yahoo quote pages (source 0): the page form found by its price markers, and
// the short answer of semicolon-separated fields.
#pragma once

#include "extract/extraction.h"

namespace zelvon::extract::yahoo {

// Exchange entry whose pages use English number format.
inline constexpr int kInternationalTickerEntry = 21;

SourceEnd Extract(Extraction& run);

}  // namespace zelvon::extract::yahoo
