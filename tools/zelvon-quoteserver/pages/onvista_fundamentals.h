// The fundamentals block of the demo Onvista share pages: symbol, WKN and
// ISIN, then share count, earnings and dividend per share and the
// price/cash-flow ratio. The figures are this year's: the demo kit's stored
// ones moved on a little, so that a fundamentals run changes Firma.db. Funds,
// warrants, certificates and indices of the kit get no block.
#pragma once

#include <optional>
#include <string>

namespace zelvon::quotepages {

struct ShownFundamentals {
    std::string symbol, wkn, isin;
    double shares = 0;
    double earnings = 0;
    double dividend = 0;
    double kcv = 0;  // 0 where the kit has no cash flow
};

// The block's figures for a page showing price; nothing for kit securities
// other than shares.
std::optional<ShownFundamentals> FundamentalsFor(const std::string& isin, double price);

// One line of markup; it goes on the page's second line, where the
// fundamentals reading expects it.
std::string FundamentalsBlock(const ShownFundamentals& shown);

}  // namespace zelvon::quotepages
