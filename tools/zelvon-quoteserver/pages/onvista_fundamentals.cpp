#include "tools/zelvon-quoteserver/pages/onvista_fundamentals.h"

#include "tools/demodata/catalog.h"
#include "tools/demodata/generated.h"
#include "tools/zelvon-quoteserver/pages/page_text.h"

#include <cmath>
#include <cstdio>

namespace zelvon::quotepages {
namespace {

namespace dd = zelvon::demodata;

bool IsShareGroup(int32_t group)
{
    return group == dd::kGermanShares || group == dd::kUsShares || group == dd::kSwissShares
           || group == dd::kSmallCaps;
}

int64_t Cents(double value)
{
    return std::llround(value * 100);
}

// Generated securities carry ISINs "DE000D" + six digits, their ordinal.
std::optional<dd::Security> GeneratedByIsin(const std::string& isin)
{
    unsigned long n = 0;
    char rest = 0;
    if (isin.size() != 12 || std::sscanf(isin.c_str(), "DE000D%6lu%c", &n, &rest) != 1)
        return std::nullopt;
    dd::Security security = dd::GeneratedSecurity(n);
    return security.isin == isin ? std::optional(security) : std::nullopt;
}

std::optional<dd::Security> SecurityByIsin(const std::string& isin)
{
    for (const dd::Security& security : dd::KitSecurities()) {
        if (security.isin == isin)
            return security;
    }
    return GeneratedByIsin(isin);
}

}  // namespace

std::optional<ShownFundamentals> FundamentalsFor(const std::string& isin, double price)
{
    const std::optional<dd::Security> security = SecurityByIsin(isin);
    if (!security || !IsShareGroup(security->gruppe))
        return std::nullopt;
    ShownFundamentals shown;
    shown.symbol = security->ticker;
    shown.wkn = security->wkn;
    shown.isin = security->isin;
    shown.shares = security->aktienzahl;
    shown.earnings = double(Cents(security->gewinn * 1.08)) / 100;
    shown.dividend = security->dividende > 0 ? double(Cents(security->dividende + 0.10)) / 100 : 0;
    shown.kcv = security->cashflow > 0 ? double(Cents(price / (security->cashflow * 1.05))) / 100 : 0;
    return shown;
}

std::string FundamentalsBlock(const ShownFundamentals& shown)
{
    return "<div class=\"kennzahlen\"><dl><dt>Symbol</dt><dd>" + HtmlText(shown.symbol, 20) + "</dd><dt>WKN</dt><dd>"
           + HtmlText(shown.wkn, 6) + "</dd><dt>ISIN</dt><dd class=\"isin\">" + HtmlText(shown.isin, 20)
           + "</dd></dl><table><tr><th>Anzahl Aktien</th><td>" + GermanNumber(std::llround(shown.shares), 0)
           + "</td></tr><tr><td>Ergebnis je Aktie </td><td>" + PlainGermanNumber(Cents(shown.earnings), 2)
           + "</td></tr><tr><td>Dividende je Aktie </td><td>" + PlainGermanNumber(Cents(shown.dividend), 2)
           + "</td></tr><tr><th>KCV</th><td>2024</td><td>" + PlainGermanNumber(Cents(shown.kcv), 2)
           + "</td></tr></table></div>";
}

}  // namespace zelvon::quotepages
