// Generated bulk content for the large kit: securities beyond the kit's own
// and depot positions for them, derived from their ordinal alone so that
// every run produces the same rows.
#pragma once

#include <cstddef>
#include <vector>

#include "tools/demodata/catalog.h"

namespace zelvon::demodata {

// Security numbers of generated securities start here.
inline constexpr int32_t kFirstGeneratedFirma = 1000;

// The n-th generated security (0-based): number kFirstGeneratedFirma + n,
// unique Kennung, WKN, ISIN, ticker and ZDF code, names that do not sort in
// number order.
Security GeneratedSecurity(size_t n);

// count open positions and one sold position for every fourth, spread over
// the given security numbers (which must not be empty); numbered from 100000.
std::vector<Transaction> GeneratedPositions(size_t count, const std::vector<int32_t>& firmen);

}  // namespace zelvon::demodata
