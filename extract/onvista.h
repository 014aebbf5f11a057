// Onvista quote pages (source 11): a search result page is first replaced by
// the page of its first hit; then the current layout with its machine-readable
// attributes, and when that gives no price the certificate layout (entry 6),
// the older layout A (any other entry) or the older layout B (no entry).
#pragma once

#include "extract/extraction.h"

namespace zelvon::extract::onvista {

SourceEnd Extract(Extraction& run);

}  // namespace zelvon::extract::onvista
