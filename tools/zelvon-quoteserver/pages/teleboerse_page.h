// Teleboerse searches, /boersenkurse/suche/?suchbegriff=<id>: the first
// request for an identifier finds the search still running (no "1 Treffer"),
// so the browser loads the page again; later requests show the single hit
// with its result row 3 600 characters after the search term.
#pragma once

#include "tools/zelvon-quoteserver/pages/page_source.h"

namespace zelvon::quotepages {

class TeleboersePages : public PageSource {
public:
    std::string name() const override { return "teleboerse"; }
    std::optional<std::string> Identifier(const QuoteRequest& request) const override;
    QuotePage Build(const QuoteRequest& request, const std::string& identifier, const Tick& tick,
                    const LocalClock& now) const override;
};

}  // namespace zelvon::quotepages
