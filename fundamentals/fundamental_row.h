// Writing what a security's page gave into its row of Firma.db: the figures,
// and identifiers only where the row has none. Each write is one edit that
// is posted whole or cancelled; the engine's refusal (row locked, field
// missing, value too long) comes back as the status.
#pragma once

#include "db/table.h"
#include "fundamentals/fundamental_page.h"

namespace zelvon {

// Aktienzahl (unless the count is 0), Gewinn, CashFlow and Dividende, and
// Ticker, ISIN and Kennung from the symbol, ISIN and WKN where they are empty.
db::Status WriteFigures(db::Table& row, const FundamentalValues& values);

// For a page without figures: a row without ISIN whose WKN is the page's
// gets the page's ISIN and WKN, and its symbol when it has no Ticker.
db::Status FillIdentifiers(db::Table& row, const FundamentalValues& values);

}  // namespace zelvon
