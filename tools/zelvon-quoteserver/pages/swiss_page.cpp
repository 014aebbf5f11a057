#include "tools/zelvon-quoteserver/pages/swiss_page.h"

#include "tools/zelvon-quoteserver/pages/page_text.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace zelvon::quotepages {

namespace {

const std::string kQuotePath = "/fcgi-bin/stockfquote";
const std::string kUsPath = "/US_data/securitypage.jsp";
const std::string kDetailPath = "/sq_mi/public/market/Detail.action";
const std::string kDisclaimerPath = "/crossborder/accept_disclaimer.jsp";
const std::string kIntradayPrefix = "PAID__";
// The list opens at 09:00:00 and has a trade every 47 seconds from then on.
constexpr int kOpeningSecond = 9 * 3600;
constexpr int kTradeSpacing = 47;
constexpr int kLongestList = 400;

enum class Kind { kStock, kFund, kIntraday, kDetail };

std::string QueryValue(const QuoteRequest& request, const char* key)
{
    const auto found = request.query.find(key);
    return found == request.query.end() ? std::string() : found->second;
}

bool AllDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<Kind> KindOf(const QuoteRequest& request, std::string& identifier)
{
    if (request.path == kDetailPath) {
        identifier = QueryValue(request, "s");
        return Kind::kDetail;
    }
    if (request.path == kUsPath) {
        identifier = QueryValue(request, "lus_symbol");
        return Kind::kStock;
    }
    if (request.path != kQuotePath)
        return std::nullopt;
    identifier = QueryValue(request, "symbols");
    if (identifier.rfind(kIntradayPrefix, 0) == 0) {
        identifier.erase(0, kIntradayPrefix.size());
        return Kind::kIntraday;
    }
    return AllDigits(identifier) ? Kind::kFund : Kind::kStock;
}

// units / 10^decimals with "." before the decimals and "'" between thousands.
std::string SwissNumber(int64_t units, int decimals)
{
    std::string text = GermanNumber(units, decimals);
    std::replace(text.begin(), text.end(), '.', '\'');
    std::replace(text.begin(), text.end(), ',', '.');
    return text;
}

std::string SwissDate(const LocalClock& t)
{
    return TwoDigits(t.day) + "-" + TwoDigits(t.month) + "-" + std::to_string(t.year);
}

std::string ClockText(int hour, int minute, int second)
{
    return TwoDigits(hour) + ":" + TwoDigits(minute) + ":" + TwoDigits(second);
}

const std::string kHead = "<html><head><meta charset=\"windows-1252\"><title>Kurse - Swiss Demo</title></head><body>";

// The identifier stands last, where no marker is searched for any more.
std::string Foot(const std::string& identifier)
{
    return "<p class=\"footnote\">Symbol " + HtmlText(identifier) + ", Kurse verz\xF6gert</p></body></html>";
}

// The change column comes after the date: a negative change would otherwise
// be the first "-" after the header.
std::string StockPage(const std::string& price, const std::string& change, int32_t volume, const LocalClock& now)
{
    return "<table class=\"quote\"><tr><th>Change</th><th>Datum</th><th>%</th></tr><tr><td>" + SwissDate(now) + " "
           + ClockText(now.hour, now.minute, now.second) + "</td><td>" + change + "</td></tr>"
           "<tr><th>Last</th><td>Volumen <B>" + SwissNumber(volume, 0) + "</B></td><td bgcolor=\"#ffcc00\"><B>"
           + price + "</B></td></tr></table>";
}

std::string DetailPage(const std::string& price, const std::string& change, int32_t volume, const LocalClock& now)
{
    return "<div class=\"head_body\">Ver&auml;nderung " + SwissDate(now) + " " + ClockText(now.hour, now.minute, now.second)
           + "</div><div><span>Last</span><span class=\"time_body\">" + change
           + "</span><span class=\"size_body\"><b>" + SwissNumber(volume, 0) + "</b></span><span class=\"change_body\">"
           + price + "</span></div>";
}

// The fund page gives its volume in millions.
std::string FundPage(const std::string& price, int32_t millions, const LocalClock& now)
{
    return "<table><tr><td>Titel</td><td><B>" + SwissDate(now) + "</B></td><td><B>"
           + ClockText(now.hour, now.minute, now.second) + "</B></td></tr><tr><td>Last</td><td><B>"
           + std::to_string(millions) + "<BR>Mio.</B></td><TD bgcolor=\"#ffcc99\"><B>" + price
           + "&nbsp;CHF</B></TD></tr></table>";
}

struct Trade {
    int second;
    int64_t price;
    int32_t volume;
};

// The day's trades so far: a stable list that grows by three with each request.
std::vector<Trade> Trades(const Tick& tick, const LocalClock& now)
{
    const int nowSecond = now.hour * 3600 + now.minute * 60 + now.second;
    const int opening = nowSecond > kOpeningSecond ? kOpeningSecond : 0;
    const int open = std::max((nowSecond - opening) / kTradeSpacing, 1);
    const int count = std::min({5 + 3 * int(std::min<uint64_t>(tick.count, kLongestList)), open, kLongestList});
    std::vector<Trade> trades;
    for (int k = 0; k < count; ++k)
        trades.push_back({opening + (k + 1) * kTradeSpacing, PriceUnits({tick.seed, uint64_t(k)}, 500, 500'000),
                          int32_t(1000 + (tick.seed >> 8) % 9000 + uint64_t(k) * 37 % 5000)});
    return trades;
}

std::string IntradayPage(const std::vector<Trade>& trades)
{
    std::string rows = "<table class=\"trades\"><tr><th>Nr</th><th>Zeit</th><th>Kurs</th><th>Anzahl</th></tr>";
    for (size_t i = 0; i < trades.size(); ++i) {
        const Trade& t = trades[i];
        rows += "<tr><td class=\"nr\">" + std::to_string(i + 1) + "</td><td class=\"c1\">"
                + ClockText(t.second / 3600, t.second / 60 % 60, t.second % 60) + "</td><td><B>" + SwissNumber(t.price, 2)
                + "</B></td><td class=\"c1\">" + SwissNumber(t.volume, 0) + "</td></tr>";
    }
    return rows + "</table>";
}

std::string PercentEncoded(const std::string& text)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '/' || c == '.' || c == '_' || c == '-') {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string TargetOf(const QuoteRequest& request)
{
    std::string target = request.path;
    char separator = '?';
    for (const auto& [key, value] : request.query) {
        target += separator + key + "=" + value;
        separator = '&';
    }
    return target;
}

std::string DisclaimerPage(const QuoteRequest& request)
{
    return kHead + "<h1>Rechtliche Hinweise</h1><p>Die Kurse dieser Seiten sind nur f\xFCr Anleger in der Schweiz "
                   "bestimmt.</p><a href=\"/accept_disclaimer.jsp?target=" + PercentEncoded(TargetOf(request))
           + "\">Akzeptieren</a></body></html>";
}

// A security with an even key meets the disclaimer first.
bool DisclaimerFirst(const QuoteRequest& request, const Tick& tick)
{
    return request.path != kDisclaimerPath && tick.seed % 2 == 0;
}

}  // namespace

std::optional<QuoteRequest> DisclaimerTarget(const QuoteRequest& request)
{
    if (request.path != kDisclaimerPath)
        return std::nullopt;
    const std::string target = QueryValue(request, "target");
    const size_t question = target.find('?');
    QuoteRequest inner{target.substr(0, question), {}};
    if (question == std::string::npos)
        return inner;
    size_t start = question + 1;
    while (start <= target.size()) {
        const size_t end = std::min(target.find('&', start), target.size());
        const std::string pair = target.substr(start, end - start);
        const size_t equals = pair.find('=');
        if (equals != std::string::npos)
            inner.query.emplace(pair.substr(0, equals), pair.substr(equals + 1));
        start = end + 1;
    }
    return inner;
}

std::optional<std::string> SwissPages::Identifier(const QuoteRequest& request) const
{
    const QuoteRequest page = DisclaimerTarget(request).value_or(request);
    std::string identifier;
    if (!KindOf(page, identifier) || identifier.empty())
        return std::nullopt;
    return identifier;
}

QuotePage SwissPages::Build(const QuoteRequest& request, const std::string& identifier, const Tick& tick,
                            const LocalClock& now) const
{
    QuotePage page;
    page.contentType = "text/html; charset=windows-1252";
    if (DisclaimerFirst(request, tick)) {
        page.body = DisclaimerPage(request);
        return page;
    }
    std::string unused;
    const Kind kind = *KindOf(DisclaimerTarget(request).value_or(request), unused);
    const int64_t price = PriceUnits(tick, 500, 500'000);
    const int64_t previousClose = PriceUnits({tick.seed, 0}, 500, 500'000);
    const std::string change = SwissNumber((price - previousClose) * 10'000 / previousClose, 2) + "%";
    const int32_t volume = Volume(tick);
    page.body = kHead;
    switch (kind) {
    case Kind::kStock:
        page.body += StockPage(SwissNumber(price, 2), change, volume, now);
        page.quote = {UnitsValue(price, 2), volume, now};
        break;
    case Kind::kDetail:
        page.body += DetailPage(SwissNumber(price, 2), change, volume, now);
        page.quote = {UnitsValue(price, 2), volume, now};
        break;
    case Kind::kFund: {
        const int32_t millions = 1 + volume % 900;
        page.body += FundPage(SwissNumber(price, 2), millions, now);
        page.quote = {UnitsValue(price, 2), millions * 1'000'000, now};
        break;
    }
    case Kind::kIntraday: {
        const std::vector<Trade> trades = Trades(tick, now);
        page.body += IntradayPage(trades);
        int32_t total = 0;
        for (const Trade& t : trades)
            total += t.volume;
        const Trade& last = trades.back();
        page.quote = {UnitsValue(last.price, 2), total,
                      {now.year, now.month, now.day, last.second / 3600, last.second / 60 % 60, last.second % 60}};
        break;
    }
    }
    page.body += Foot(identifier);
    return page;
}

}  // namespace zelvon::quotepages
