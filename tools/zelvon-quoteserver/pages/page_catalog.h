// The demo server's sources: each request goes to the first source that
// recognises it, which builds the page from the next tick of that source's
// price series for the identifier.
#pragma once

#include "tools/zelvon-quoteserver/pages/page_source.h"

#include <memory>
#include <vector>

namespace zelvon::quotepages {

class PageCatalog {
public:
    // Yahoo, comdirect, the Swiss source, Onvista, wallstreet-online, Consors
    // and Teleboerse.
    static std::unique_ptr<PageCatalog> WithBuiltSources();

    void Add(std::unique_ptr<PageSource> source);
    // Empty when no source recognises the request.
    std::optional<QuotePage> Serve(const QuoteRequest& request, const LocalClock& now);
    std::vector<std::string> sourceNames() const;

private:
    std::vector<std::unique_ptr<PageSource>> sources_;
    PriceTicker ticker_;
};

}  // namespace zelvon::quotepages
