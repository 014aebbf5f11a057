// The TaiPan RT feed (source 13): price, volume and the time of the last
// price from the local quote program "TaiPanRT", on the topic made of the
// security's identifier and the exchange code. Its quote log line keeps the
// WinBis columns, with the bid and ask fields it does not read left empty.
#pragma once

#include "extract/extraction.h"

namespace zelvon::extract::taipan {

// The exchange code of an entry; "ETR" without one.
QString ExchangeCode(int entry);

SourceEnd Extract(Extraction& run);

}  // namespace zelvon::extract::taipan
