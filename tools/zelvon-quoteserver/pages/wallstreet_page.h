// wallstreet-online pages: the informer found by ISIN,
// /informer/?spid=ws&informer_searchkey=<id>, with price, time and volume at
// fixed distances after the second "Letzter Kurs", and the L&S realtime page,
// /aktien/realtime?wkn=<id>, with its bid block.
#pragma once

#include "tools/zelvon-quoteserver/pages/page_source.h"

namespace zelvon::quotepages {

class WallstreetPages : public PageSource {
public:
    std::string name() const override { return "wallstreet"; }
    std::optional<std::string> Identifier(const QuoteRequest& request) const override;
    QuotePage Build(const QuoteRequest& request, const std::string& identifier, const Tick& tick,
                    const LocalClock& now) const override;
};

}  // namespace zelvon::quotepages
