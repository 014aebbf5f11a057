#include "tools/zelvon-quoteserver/pages/page_catalog.h"

#include "tools/zelvon-quoteserver/pages/comdirect_page.h"
#include "tools/zelvon-quoteserver/pages/onvista_page.h"
#include "tools/zelvon-quoteserver/pages/consors_page.h"
#include "tools/zelvon-quoteserver/pages/teleboerse_page.h"
#include "tools/zelvon-quoteserver/pages/wallstreet_page.h"
#include "tools/zelvon-quoteserver/pages/swiss_page.h"
#include "tools/zelvon-quoteserver/pages/yahoo_page.h"

namespace zelvon::quotepages {

std::unique_ptr<PageCatalog> PageCatalog::WithBuiltSources()
{
    auto catalog = std::make_unique<PageCatalog>();
    catalog->Add(std::make_unique<YahooPages>());
    catalog->Add(std::make_unique<ComdirectPages>());
    catalog->Add(std::make_unique<OnvistaPages>());
    catalog->Add(std::make_unique<WallstreetPages>());
    catalog->Add(std::make_unique<ConsorsPages>());
    catalog->Add(std::make_unique<TeleboersePages>());
    catalog->Add(std::make_unique<SwissPages>());
    return catalog;
}

void PageCatalog::Add(std::unique_ptr<PageSource> source)
{
    sources_.push_back(std::move(source));
}

std::optional<QuotePage> PageCatalog::Serve(const QuoteRequest& request, const LocalClock& now)
{
    for (const auto& source : sources_) {
        if (const auto identifier = source->Identifier(request)) {
            const Tick tick = ticker_.Next(source->name() + ":" + *identifier);
            return source->Build(request, *identifier, tick, now);
        }
    }
    return std::nullopt;
}

std::vector<std::string> PageCatalog::sourceNames() const
{
    std::vector<std::string> names;
    for (const auto& source : sources_)
        names.push_back(source->name());
    return names;
}

}  // namespace zelvon::quotepages
