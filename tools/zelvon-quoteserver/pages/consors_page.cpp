#include "tools/zelvon-quoteserver/pages/consors_page.h"

#include "tools/zelvon-quoteserver/pages/page_text.h"

namespace zelvon::quotepages {

namespace {

const std::string kPath = "/euroWebDe/-";
// The extraction reads the page from this far after the price marker; that
// point lies inside the date element's title.
constexpr size_t kTailOffset = 198;

std::string DateText(const LocalClock& t)
{
    return TwoDigits(t.day) + "." + TwoDigits(t.month) + "." + std::to_string(t.year);
}

// The page is fetched whole over HTTP, so everything up to the volume stays on
// the first line: each line break above a marker moves the cuts by one.
std::string QuoteBlock(const std::string& price, const LocalClock& now, int32_t volume)
{
    std::string block = "<div class=\"snapshot\"><span class=\"";
    const size_t p = block.size();
    block += "price price-up\">" + price + "</span> EUR<span class=\"datetime\" title=\"Kurszeit";
    PadTo(block, p + kTailOffset + 20);
    block += "\" data-field=\"price.DATETIME_PRICE\" data-format=\"dd.MM.yyyy\">" + DateText(now) +
             "</span> <span data-format=\"HH:mm\">" + TwoDigits(now.hour) + ":" + TwoDigits(now.minute) +
             "</span></div><div class=\"details\"><span class=\"price price-up\" data-field=\"price.PRICE\">" + price +
             "</span> EUR</div><table class=\"kennzahlen\"><tr><td><span>Tagesumsatz</span>" +
             GermanNumber(volume, 0) + "&nbsp;</td></tr></table>";
    return block;
}

}  // namespace

std::optional<std::string> ConsorsPages::Identifier(const QuoteRequest& request) const
{
    if (request.path != kPath)
        return std::nullopt;
    const auto value = request.query.find("pattern");
    if (value == request.query.end() || value->second.empty())
        return std::nullopt;
    return value->second;
}

QuotePage ConsorsPages::Build(const QuoteRequest&, const std::string& identifier, const Tick& tick,
                              const LocalClock& now) const
{
    const int64_t price = PriceUnits(tick, 500, 200'000);
    const int32_t volume = Volume(tick);
    QuotePage page;
    page.contentType = "text/html; charset=windows-1252";
    page.body = "<!DOCTYPE html><html lang=\"de\"><head><meta charset=\"windows-1252\"><title>Kurs | Consorsbank</title>"
                "</head><body>" + QuoteBlock(GermanNumber(price, 2), now, volume) +
                "\n<footer>Suchergebnis f\xFCr " + HtmlText(identifier) + " - Consorsbank, Angaben ohne Gew\xE4hr</footer>\n"
                "</body></html>\n";
    page.quote = {UnitsValue(price, 2), volume, now};
    return page;
}

}  // namespace zelvon::quotepages
