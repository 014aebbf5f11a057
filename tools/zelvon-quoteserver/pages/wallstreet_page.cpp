#include "tools/zelvon-quoteserver/pages/wallstreet_page.h"

#include "tools/zelvon-quoteserver/pages/page_text.h"

namespace zelvon::quotepages {

namespace {

const std::string kInformerPath = "/informer/";
const std::string kRealtimePath = "/aktien/realtime";

std::string ClockText(const LocalClock& t)
{
    return TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

// Below a million in thousands, above in millions; the decimals keep every piece.
std::string VolumeText(int32_t volume)
{
    if (volume < 1'000'000)
        return PlainGermanNumber(volume, 3) + " Tsd";
    return PlainGermanNumber(volume, 6) + " Mio";
}

// The identifier stands only below the quote, out of reach of every cut.
std::string Footer(const std::string& identifier)
{
    return "\n<footer>Suche nach " + HtmlText(identifier) + " - wallstreet-online, Angaben ohne Gew\xE4hr</footer>\n"
           "</body></html>\n";
}

// The body's first line holds the whole quote: every line break above the
// second "Letzter Kurs" would move the cuts.
std::string InformerBody(const std::string& price, const std::string& time, const std::string& volume)
{
    std::string body = "<body><nav class=\"tabs\"><a href=\"#kurse\">Letzter Kurs</a><a href=\"#chart\">Chart</a></nav>"
                       "<section class=\"quote\"><h2>";
    const size_t p = body.size();
    body += "Letzter Kurs</h2>";
    PadTo(body, p + 600);
    body += "<div class=\"Kurs\"><span class=\"tradeBox\"><span class=\"trade\">" + price + "</span> EUR</span></div>";
    PadTo(body, p + 1600);
    body += "<div class=\"zeit\">Zeit <span class=\"tradeTime\">" + time + "</span></div>";
    PadTo(body, p + 2100);
    body += "<table class=\"umsatz\"><tr><td>Volumen</td><td>" + volume + " St\xFC" "ck</td></tr></table></section>";
    return body;
}

std::string BidBody(const std::string& bid, const std::string& ask, const std::string& time)
{
    return "<body><div class=\"realtime\"><h1>L&amp;S Realtime</h1><span class=\"label\">Geld</span>"
           "<span data-push=\"LS;bid\">" + bid + "</span> <span class=\"label\">Brief</span><span data-push=\"LS;ask\">"
           + ask + "</span> <span data-push=\"LS;bidTime\">" + time + "</span></div>";
}

}  // namespace

std::optional<std::string> WallstreetPages::Identifier(const QuoteRequest& request) const
{
    const char* key = request.path == kInformerPath ? "informer_searchkey"
                      : request.path == kRealtimePath ? "wkn"
                                                      : nullptr;
    if (!key)
        return std::nullopt;
    const auto value = request.query.find(key);
    if (value == request.query.end() || value->second.empty())
        return std::nullopt;
    return value->second;
}

QuotePage WallstreetPages::Build(const QuoteRequest& request, const std::string& identifier, const Tick& tick,
                                 const LocalClock& now) const
{
    QuotePage page;
    page.contentType = "text/html; charset=windows-1252";
    page.body = "<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"windows-1252\">"
                "<title>Kurs | wallstreet-online.de</title></head>\n";
    if (request.path == kRealtimePath) {
        const int64_t bid = PriceUnits(tick, 10, 2'000);
        page.body += BidBody(PlainGermanNumber(bid, 3), PlainGermanNumber(bid + 5, 3), ClockText(now));
        page.quote = {UnitsValue(bid, 3), 0, now};
    } else {
        const int64_t price = PriceUnits(tick, 500, 500'000);
        const int32_t volume = Volume(tick);
        page.body += InformerBody(PlainGermanNumber(price, 2), ClockText(now), VolumeText(volume));
        page.quote = {UnitsValue(price, 2), volume, now};
    }
    page.body += Footer(identifier);
    return page;
}

}  // namespace zelvon::quotepages
