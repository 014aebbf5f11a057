// comdirect quote pages, /inf/search/<page>.html?...SEARCH_VALUE=<id>: the
// price block of shares, funds, indices, certificates, currencies and the
// general search, and the bid/ask block of warrants, each with the date cell
// and the day's volume.
#pragma once

#include "tools/zelvon-quoteserver/pages/page_source.h"

namespace zelvon::quotepages {

class ComdirectPages : public PageSource {
public:
    std::string name() const override { return "comdirect"; }
    std::optional<std::string> Identifier(const QuoteRequest& request) const override;
    QuotePage Build(const QuoteRequest& request, const std::string& identifier, const Tick& tick,
                    const LocalClock& now) const override;
};

}  // namespace zelvon::quotepages
