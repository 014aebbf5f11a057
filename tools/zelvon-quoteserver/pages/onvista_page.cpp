#include "tools/zelvon-quoteserver/pages/onvista_page.h"

#include "tools/zelvon-quoteserver/pages/onvista_fundamentals.h"
#include "tools/zelvon-quoteserver/pages/page_text.h"

#include <algorithm>
#include <cctype>

namespace zelvon::quotepages {

namespace {

const std::string kHitPrefix = "/kurs/";
const std::string kPageHead = "<!DOCTYPE html><html lang=\"de\"><head><meta charset=\"windows-1252\">";

enum class Layout { kCurrent, kSearchResult, kCertificate };

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsCertificateHost(const QuoteRequest& request)
{
    return StartsWith(Lower(request.host), "onvistazert.");
}

bool IsOnvistaHost(const QuoteRequest& request)
{
    return StartsWith(Lower(request.host), "onvista.");
}

Layout LayoutOf(const QuoteRequest& request, const std::string& identifier)
{
    if (IsCertificateHost(request))
        return Layout::kCertificate;
    if (!StartsWith(request.path, kHitPrefix) && StartsWith(identifier, "US"))
        return Layout::kSearchResult;
    return Layout::kCurrent;
}

// The machine-readable attributes take the price with a decimal point.
std::string DotNumber(int64_t units, int decimals)
{
    std::string text = GermanNumber(units, decimals);
    text.erase(std::remove(text.begin(), text.end(), '.'), text.end());
    std::replace(text.begin(), text.end(), ',', '.');
    return text;
}

std::string IsoDate(const LocalClock& t)
{
    return std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day);
}

std::string ClockText(const LocalClock& t)
{
    return TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

// The identifier goes into the hit's address only, percent-encoded, so no
// identifier can put a marker into the page.
std::string PercentEncoded(const std::string& raw)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char c : raw) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_') {
            encoded += char(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        }
    }
    return encoded;
}

// The whole quote stays on the first line: the extraction reads the date and
// time at fixed offsets from their marker, which a line break above would shift.
// The fundamentals, when the security has them, open the second line.
std::string CurrentPage(const std::string& price, const std::string& germanPrice, const LocalClock& now,
                        const std::string& fundamentals)
{
    return kPageHead + "<title>Kurs | onvista</title></head><body><div class=\"quote\"><time datetime=\"" + IsoDate(now)
           + "T" + ClockText(now) + "\">" + TwoDigits(now.hour) + ":" + TwoDigits(now.minute) + "</time><data value=\""
           + price + "\">" + germanPrice + " EUR</data></div>\n" + fundamentals + "<p>Kurse verz\xF6gert</p></body></html>\n";
}

std::string SearchResultPage(const std::string& host, const std::string& identifier, const LocalClock& now)
{
    const std::string hit = "https://" + HtmlText(host, 200) + kHitPrefix + PercentEncoded(identifier);
    return kPageHead + "<title>Suche | onvista</title></head><body><h1>Suchergebnis (Treffer: 1)</h1><table><tr>"
           "<th>Name</th><th>B\xF6rse</th><th>Datum</th></tr><tr><td><a href=\"" + hit + "\">Kurs</a></td><td>Xetra</td>"
           "<td>" + TwoDigits(now.day) + "." + TwoDigits(now.month) + "." + std::to_string(now.year)
           + "</td></tr></table>\n</body></html>\n";
}

std::string CertificatePage(const std::string& price, const std::string& germanPrice, const LocalClock& now)
{
    return kPageHead + "<title>DB-Zertifikate</title></head><body><table><tr><th>Geld</th><td data-push=\"DEMO:BidPrice3:"
           + price + ":EUR\">" + germanPrice + "</td></tr><tr><th>Zeit</th><td class=\"LastTime\" >" + ClockText(now)
           + "</td></tr></table>\n</body></html>\n";
}

}  // namespace

std::optional<std::string> OnvistaPages::Identifier(const QuoteRequest& request) const
{
    if (!IsOnvistaHost(request) && !IsCertificateHost(request))
        return std::nullopt;
    const std::string& path = request.path;
    const size_t start = StartsWith(path, kHitPrefix) && IsOnvistaHost(request) ? kHitPrefix.size() : 1;
    if (path.size() <= start || path[0] != '/')
        return std::nullopt;
    return path.substr(start);
}

QuotePage OnvistaPages::Build(const QuoteRequest& request, const std::string& identifier, const Tick& tick,
                              const LocalClock& now) const
{
    QuotePage page;
    page.contentType = "text/html; charset=windows-1252";
    switch (LayoutOf(request, identifier)) {
    case Layout::kSearchResult:
        page.body = SearchResultPage(request.host, identifier, now);
        break;
    case Layout::kCertificate: {
        const int64_t price = PriceUnits(tick, 100, 5'000);
        page.body = CertificatePage(DotNumber(price, 3), GermanNumber(price, 3), now);
        page.quote = {UnitsValue(price, 3), 0, now};
        break;
    }
    case Layout::kCurrent: {
        const int64_t price = PriceUnits(tick, 500, 2'000'000);
        const std::optional<ShownFundamentals> fundamentals = FundamentalsFor(identifier, UnitsValue(price, 2));
        page.body = CurrentPage(DotNumber(price, 2), GermanNumber(price, 2), now,
                                fundamentals ? FundamentalsBlock(*fundamentals) : std::string());
        page.quote = {UnitsValue(price, 2), 0, now};
        break;
    }
    }
    return page;
}

}  // namespace zelvon::quotepages
