// Swiss quote pages: /fcgi-bin/stockfquote?symbols=<symbol> (a stock page, or a
// fund page for a symbol of digits, a Swiss valor number), the intraday trade
// list under symbols=PAID__<symbol>, the US page /US_data/securitypage.jsp and
// the detail page /sq_mi/public/market/Detail.action. Every page is one line,
// as the site writes it. For some securities a disclaimer page stands in
// front, linking to /crossborder/accept_disclaimer.jsp?target=<the page>.
#pragma once

#include "tools/zelvon-quoteserver/pages/page_source.h"

namespace zelvon::quotepages {

class SwissPages : public PageSource {
public:
    std::string name() const override { return "swiss"; }
    std::optional<std::string> Identifier(const QuoteRequest& request) const override;
    QuotePage Build(const QuoteRequest& request, const std::string& identifier, const Tick& tick,
                    const LocalClock& now) const override;
};

// The request a disclaimer link leads to; empty when request is no disclaimer acceptance.
std::optional<QuoteRequest> DisclaimerTarget(const QuoteRequest& request);

}  // namespace zelvon::quotepages
