// The WinBis / NetBis feed (source 9): price, volume, ask, ask size, bid and
// bid size of a security from the local quote program "WinBis", each item in
// a conversation of its own on the topic of the selected exchange.
#pragma once

#include "extract/extraction.h"

namespace zelvon::extract::winbis {

// The DDE topic of an exchange entry; "FWB" without one.
QString Topic(int entry);

SourceEnd Extract(Extraction& run);

}  // namespace zelvon::extract::winbis
