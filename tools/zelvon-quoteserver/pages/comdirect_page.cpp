#include "tools/zelvon-quoteserver/pages/comdirect_page.h"

#include "tools/zelvon-quoteserver/pages/page_text.h"

#include <array>

namespace zelvon::quotepages {

namespace {

const std::string kPrefix = "/inf/search/";
const std::string kSuffix = ".html";

enum class Layout { kPriceBlock, kFundPriceBlock, kBidAskBlock };

struct PageKind {
    const char* page;
    const char* title;
    Layout layout;
    const char* unit;
    int decimals;
    int64_t low;
    int64_t high;
};

const std::array<PageKind, 7> kKinds = {{
    {"aktien", "Aktie", Layout::kPriceBlock, "EUR", 2, 500, 200'000},
    {"fonds", "Fonds", Layout::kFundPriceBlock, "EUR", 2, 2'000, 50'000},
    {"optionsscheine", "Optionsschein", Layout::kBidAskBlock, "EUR", 2, 100, 2'000},
    {"indizes", "Index", Layout::kPriceBlock, "Pkt.", 2, 100'000, 2'000'000},
    {"zertifikate", "Zertifikat", Layout::kPriceBlock, "EUR", 2, 1'000, 50'000},
    {"waehrungen", "W\xE4hrung", Layout::kPriceBlock, "USD", 4, 5'000, 20'000},
    {"general", "Wertpapier", Layout::kPriceBlock, "EUR", 2, 500, 200'000},
}};

const PageKind* KindOf(const std::string& path)
{
    if (path.size() <= kPrefix.size() + kSuffix.size() || path.compare(0, kPrefix.size(), kPrefix) != 0
        || path.compare(path.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
        return nullptr;
    const std::string page = path.substr(kPrefix.size(), path.size() - kPrefix.size() - kSuffix.size());
    for (const PageKind& kind : kKinds) {
        if (page == kind.page)
            return &kind;
    }
    return nullptr;
}

std::string DateCell(const LocalClock& t)
{
    return TwoDigits(t.day) + "." + TwoDigits(t.month) + "." + TwoDigits(t.year % 100) + " " + TwoDigits(t.hour)
           + ":" + TwoDigits(t.minute);
}

// The identifier stands only in the head: the price cut skips ahead to words
// such as "Fonds" or "ETF" anywhere after the price, never before it.
std::string Head(const PageKind& kind, const std::string& identifier)
{
    return std::string("<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"windows-1252\">"
                       "<title>") + HtmlText(identifier) + " | " + kind.title + " | Kurs" "\xFC" "bersicht | comdirect"
           "</title></head>\n";
}

// Each cell's text starts on a line of its own, as the site writes it; the
// date is read from the third plain cell after the price.
std::string CellsAfterPrice(const std::string& change, const LocalClock& now)
{
    return "<td>\n" + change + " %</td>\n<td>\nXetra</td>\n<td>\n" + DateCell(now) + "</td>\n</tr></table>\n";
}

std::string PriceBlock(const PageKind& kind, const std::string& price, const std::string& change,
                       const LocalClock& now)
{
    const std::string priceCell = kind.layout == Layout::kFundPriceBlock
                                      ? "<td data-label=\"Aktuell\"><span class=\"Fonds\">" + price + " " + kind.unit
                                            + "</span></td>\n"
                                      : "<td data-label=\"Aktuell\" class=\"table__column--right\">" + price + " "
                                            + kind.unit + "</td>\n";
    return "<body><nav><a href=\"#kurse\" data-label=\"Aktuell\">Aktuell</a></nav>\n"
           "<table class=\"simple-table\"><tr>\n" + priceCell + CellsAfterPrice(change, now);
}

std::string BidAskBlock(const std::string& bid, const std::string& ask, const std::string& change,
                        const LocalClock& now)
{
    return "<body><table class=\"simple-table\">\n"
           "<tr><th>Geld / Brief</th><td class=\"output-text\"><span>" + bid + " / " + ask + "</span></td></tr>\n"
           "<tr>" + CellsAfterPrice(change, now);
}

std::string VolumeRow(int32_t volume)
{
    return "<table><tr><th>Umsatz</th>\n<td data-label=\"Tages-Vol.\">" + GermanNumber(volume, 0)
           + "&nbsp;St.</td></tr></table>\n";
}

}  // namespace

std::optional<std::string> ComdirectPages::Identifier(const QuoteRequest& request) const
{
    if (!KindOf(request.path))
        return std::nullopt;
    const auto value = request.query.find("SEARCH_VALUE");
    if (value == request.query.end() || value->second.empty())
        return std::nullopt;
    return value->second;
}

QuotePage ComdirectPages::Build(const QuoteRequest& request, const std::string& identifier, const Tick& tick,
                                const LocalClock& now) const
{
    const PageKind& kind = *KindOf(request.path);
    const int64_t price = PriceUnits(tick, kind.low, kind.high);
    const int64_t previousClose = PriceUnits({tick.seed, 0}, kind.low, kind.high);
    const int64_t changeUnits = (price - previousClose) * 10'000 / previousClose;
    const std::string change = (changeUnits >= 0 ? "+" : "") + GermanNumber(changeUnits, 2);
    const int32_t volume = Volume(tick);

    QuotePage page;
    page.contentType = "text/html; charset=windows-1252";
    page.body = Head(kind, identifier);
    if (kind.layout == Layout::kBidAskBlock)
        page.body += BidAskBlock(GermanNumber(price, kind.decimals), GermanNumber(price + 1, kind.decimals), change, now);
    else
        page.body += PriceBlock(kind, GermanNumber(price, kind.decimals), change, now);
    page.body += VolumeRow(volume);
    page.body += "<p class=\"footnote\">Kurse verz\xF6gert, Angaben ohne Gew\xE4hr</p>\n</body></html>\n";
    page.quote = {UnitsValue(price, kind.decimals), volume, now};
    return page;
}

}  // namespace zelvon::quotepages
