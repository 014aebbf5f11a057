// Yahoo quote pages, /quote/<symbol>: the quote header with the large price
// element, the time of the last trade and the day's volume, in German number
// format.
#pragma once

#include "tools/zelvon-quoteserver/pages/page_source.h"

namespace zelvon::quotepages {

class YahooPages : public PageSource {
public:
    std::string name() const override { return "yahoo"; }
    std::optional<std::string> Identifier(const QuoteRequest& request) const override;
    QuotePage Build(const QuoteRequest& request, const std::string& symbol, const Tick& tick,
                    const LocalClock& now) const override;
};

}  // namespace zelvon::quotepages
