// Onvista quote pages, told apart by the host asked for: on an "onvista."
// host /<id> is the current layout with its time element and value attribute,
// except for US identifiers, which get a search result page whose first hit is
// /kurs/<id> (the current layout again); on an "onvistazert." host /<id> is the
// certificate page with its push fields for the bid and its time.
#pragma once

#include "tools/zelvon-quoteserver/pages/page_source.h"

namespace zelvon::quotepages {

class OnvistaPages : public PageSource {
public:
    std::string name() const override { return "onvista"; }
    std::optional<std::string> Identifier(const QuoteRequest& request) const override;
    QuotePage Build(const QuoteRequest& request, const std::string& identifier, const Tick& tick,
                    const LocalClock& now) const override;
};

}  // namespace zelvon::quotepages
