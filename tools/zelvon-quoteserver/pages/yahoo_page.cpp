#include "tools/zelvon-quoteserver/pages/yahoo_page.h"

#include "tools/zelvon-quoteserver/pages/page_text.h"

namespace zelvon::quotepages {

namespace {

const std::string kPrefix = "/quote/";

struct PriceRange {
    int64_t low;
    int64_t high;
};

// Index symbols start with "^" and quote in points, everything else in euros (cents here).
PriceRange RangeOf(const std::string& symbol)
{
    if (symbol.front() == '^')
        return {100'000, 2'000'000};
    return {500, 200'000};
}

// Price, change, time and volume stay on the page's first line: the extraction
// cuts time and volume at fixed offsets that every line break above would shift.
std::string QuoteHeader(const std::string& price, const std::string& change, const std::string& time,
                        const std::string& volume)
{
    return "<div id=\"quote-header-info\"><h1 class=\"D(ib) Fz(18px)\">Kurs</h1>"
           "<span class=\"Trsdu(0.3s) Fw(b) Fz(36px) Mb(-4px) D(ib)\" data-reactid=\"32\">" + price + "</span>"
           "<span class=\"Trsdu(0.3s) Fw(500) Pstart(10px) Fz(24px)\" data-reactid=\"33\">" + change + "</span>"
           "<div id=\"quote-market-notice\"><span class=\"time\">" + time + "</span> MEZ. B\xF6rse Xetra</div>"
           "<table><tr><td>Volumen</td><td class=\"Ta(end) Fw(600) Lh(14px)\">" + volume + "</td></tr></table></div>";
}

}  // namespace

std::optional<std::string> YahooPages::Identifier(const QuoteRequest& request) const
{
    if (request.path.compare(0, kPrefix.size(), kPrefix) != 0)
        return std::nullopt;
    std::string symbol = request.path.substr(kPrefix.size());
    if (!symbol.empty() && symbol.back() == '/')
        symbol.pop_back();
    if (symbol.empty() || symbol.find('/') != std::string::npos)
        return std::nullopt;
    return symbol;
}

QuotePage YahooPages::Build(const QuoteRequest&, const std::string& symbol, const Tick& tick,
                            const LocalClock& now) const
{
    const PriceRange range = RangeOf(symbol);
    const int64_t price = PriceUnits(tick, range.low, range.high);
    // The first price of the series stands for the previous day's close.
    const int64_t previousClose = PriceUnits({tick.seed, 0}, range.low, range.high);
    const int64_t change = price - previousClose;
    const int32_t volume = Volume(tick);
    const std::string time = TwoDigits(now.hour) + ":" + TwoDigits(now.minute);
    // The symbol stands only below the quote, where no marker search can reach it first.
    const std::string shownName = HtmlText(symbol);

    QuotePage page;
    page.contentType = "text/html; charset=windows-1252";
    page.body = "<!DOCTYPE html><html lang=\"de-DE\"><head><meta charset=\"windows-1252\">"
                "<title>Aktienkurs - Yahoo Finanzen</title></head><body>"
                + QuoteHeader(GermanNumber(price, 2), (change >= 0 ? "+" : "") + GermanNumber(change, 2), time,
                              GermanNumber(volume, 0))
                + "\n<section id=\"quote-summary\"><table>"
                  "<tr><td>Vortag</td><td>" + GermanNumber(previousClose, 2) + "</td></tr>"
                  "<tr><td>Tagesbereich</td><td>" + GermanNumber(price - price / 100, 2) + " - "
                + GermanNumber(price + price / 100, 2) + "</td></tr></table></section>\n"
                  "<footer>Kursdaten f\xFCr " + shownName + " - Yahoo Finanzen, Angaben ohne Gew\xE4hr</footer>\n"
                  "</body></html>\n";
    page.quote = {UnitsValue(price, 2), volume, now};
    return page;
}

}  // namespace zelvon::quotepages
