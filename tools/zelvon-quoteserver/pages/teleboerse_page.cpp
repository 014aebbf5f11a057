#include "tools/zelvon-quoteserver/pages/teleboerse_page.h"

#include "tools/zelvon-quoteserver/pages/page_text.h"

namespace zelvon::quotepages {

namespace {

const std::string kPath = "/boersenkurse/suche/";
constexpr size_t kRowDistance = 3600;

std::string Head()
{
    return "<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"windows-1252\">"
           "<title>Suche | teleboerse.de</title></head>\n";
}

std::string PendingBody(const std::string& term)
{
    return "<body><div class=\"suche\">Suche nach <b>" + term + "</b> l\xE4uft &hellip;</div>\n</body></html>\n";
}

// One line up to the row: the row is found by its distance from the term in
// the search head, which every line break in between would shorten.
std::string ResultBody(const std::string& term, const std::string& time, const std::string& price)
{
    std::string body = "<body><div class=\"suche\">1 Treffer f\xFCr <b>";
    const size_t p = body.size();
    body += term + "</b></div><div class=\"werbung\">";
    PadTo(body, p + kRowDistance - 20);
    body += "</div><table class=\"treffer\"><tbody><tr><td class=\"isin\">" + term +
            "</td><td class=\"name\">Suchtreffer</td><td class=\"boerse\">Xetra</td><td class=\"zeit\">" + time +
            "</td><td class=\"kurs\"><span class=\"wert\">" + price + "</span> Pkt.</td></tr></tbody></table>\n"
            "<p class=\"hinweis\">Kurse verz\xF6gert, Angaben ohne Gew\xE4hr</p>\n</body></html>\n";
    return body;
}

}  // namespace

std::optional<std::string> TeleboersePages::Identifier(const QuoteRequest& request) const
{
    if (request.path != kPath)
        return std::nullopt;
    const auto value = request.query.find("suchbegriff");
    if (value == request.query.end() || value->second.empty())
        return std::nullopt;
    return value->second;
}

QuotePage TeleboersePages::Build(const QuoteRequest&, const std::string& identifier, const Tick& tick,
                                 const LocalClock& now) const
{
    const std::string term = HtmlText(identifier);
    QuotePage page;
    page.contentType = "text/html; charset=windows-1252";
    page.body = Head();
    if (tick.count == 0) {
        page.body += PendingBody(term);
        return page;
    }
    const int64_t price = PriceUnits(tick, 500, 2'000'000);
    page.body += ResultBody(term, TwoDigits(now.hour) + ":" + TwoDigits(now.minute), PlainGermanNumber(price, 2));
    page.quote = {UnitsValue(price, 2), 0, now};
    return page;
}

}  // namespace zelvon::quotepages
