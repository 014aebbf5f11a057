// The contract between the demo quote server and one source's page builder: a
// request as the server received it, the page that answers it and the quote the
// page shows, so that tests can compare what the extraction reads with it.
#pragma once

#include "tools/zelvon-quoteserver/pages/local_clock.h"
#include "tools/zelvon-quoteserver/pages/price_ticker.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace zelvon::quotepages {

struct QuoteRequest {
    std::string path;                          // percent-decoded, without the query
    std::multimap<std::string, std::string> query;  // percent-decoded parameters
    std::string host;                          // the Host header, port included
};

struct ShownQuote {
    double price = 0;
    int32_t volume = 0;  // 0: the page shows none
    LocalClock time;     // date and time printed on the page (minutes precision)
};

struct QuotePage {
    std::string contentType;
    std::string body;  // bytes as sent
    ShownQuote quote;
};

class PageSource {
public:
    virtual ~PageSource() = default;

    // Short name for logs and for keeping the sources' price series apart.
    virtual std::string name() const = 0;
    // The security's identifier when the request is one of this source's page
    // requests; empty when the request is not this source's.
    virtual std::optional<std::string> Identifier(const QuoteRequest& request) const = 0;
    virtual QuotePage Build(const QuoteRequest& request, const std::string& identifier, const Tick& tick,
                            const LocalClock& now) const = 0;
};

}  // namespace zelvon::quotepages
