// Consors search results, /euroWebDe/-?...&pattern=<id>: a price marker in
// the head of the quote, the date and time elements 200 characters after it,
// the price again, and the day's volume cell.
#pragma once

#include "tools/zelvon-quoteserver/pages/page_source.h"

namespace zelvon::quotepages {

class ConsorsPages : public PageSource {
public:
    std::string name() const override { return "consors"; }
    std::optional<std::string> Identifier(const QuoteRequest& request) const override;
    QuotePage Build(const QuoteRequest& request, const std::string& identifier, const Tick& tick,
                    const LocalClock& now) const override;
};

}  // namespace zelvon::quotepages
