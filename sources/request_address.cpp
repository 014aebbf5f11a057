#include "sources/request_address.h"

#include "sources/source_catalogue.h"

namespace zelvon {
namespace {

// Stored identifiers are far shorter; the cut never reaches further than this.
constexpr qsizetype kBidCutLimit = 1000;

// A field holding only blanks counts as given: nothing is trimmed.
const QString& GivenOr(const QString& preferred, const QString& fallback)
{
    return preferred.isEmpty() ? fallback : preferred;
}

QString Https(const QString& host)
{
    return QStringLiteral("https://") + host;
}

QString Http(const QString& host)
{
    return QStringLiteral("http://") + host;
}

std::optional<QString> YahooAddress(const SecurityIdentifiers& security, const HostConfig& hosts)
{
    return Https(hosts.yahoo) + QStringLiteral("/quote/") + GivenOr(security.Ticker, security.Kennung);
}

std::optional<QString> ComdirectAddress(int source, int entry, const SecurityIdentifiers& security,
                                        const HostConfig& hosts)
{
    const QString suffix = ComdirectCurrencySuffix(source, security.Waehrung);
    QString redirectType;
    QString value;
    switch (entry) {
    case kEntryWkn:
        redirectType = QStringLiteral("WKN");
        value = security.Kennung;
        break;
    case kEntryIsin:
        redirectType = QStringLiteral("ISIN");
        value = security.ISIN;
        break;
    case kEntryTicker:
        redirectType = QStringLiteral("FULLTEXT");
        value = security.Ticker;
        break;
    default:
        return std::nullopt;
    }
    return Https(hosts.comdirect) + QStringLiteral("/inf/search/") + ComdirectPageName(source)
           + QStringLiteral("?IC_BYPASS=1&SEARCH_REDIRECT=true&REDIRECT_TYPE=") + redirectType
           + QStringLiteral("&SEARCH_VALUE=") + value + suffix;
}

std::optional<QString> SwissAddress(int entry, const SecurityIdentifiers& security, const HostConfig& hosts)
{
    const QString& symbol = security.Kennung;
    switch (entry) {
    case kSwissAktienkurse:
    case kSwissFondkurse:
        return Http(hosts.swiss) + QStringLiteral("/fcgi-bin/stockfquote?symbols=") + symbol
               + QStringLiteral("&SQCB=I_AGREE");
    case kSwissAktienkurseIntraday:
        return Http(hosts.swiss) + QStringLiteral("/fcgi-bin/stockfquote?symbols=PAID__") + symbol
               + QStringLiteral("&btn1=1&btn2=") + symbol + QStringLiteral("&btn3=") + symbol
               + QStringLiteral("&SQCB=I_AGREE");
    case kSwissUsAktienkurse:
        return Http(hosts.swissUS) + QStringLiteral("/US_data/securitypage.jsp?lus_symbol=") + symbol
               + QStringLiteral("&lus_market=A&SQCB=I_AGREE");
    case kSwissKursdetailSymbol:
        return Http(hosts.swiss) + QStringLiteral("/sq_mi/public/market/Detail.action?s=") + security.Ticker;
    default:
        return std::nullopt;
    }
}

std::optional<QString> WallstreetAddress(int entry, const SecurityIdentifiers& security, const HostConfig& hosts)
{
    switch (entry) {
    case kWallstreetIsin:
        return Https(hosts.wallstreet) + QStringLiteral("/informer/?spid=ws&informer_searchkey=")
               + GivenOr(security.ISIN, security.Kennung);
    case kWallstreetLsWkn:
        return Https(hosts.wallstreet) + QStringLiteral("/aktien/realtime?wkn=") + BidFreeIdentifier(security.Kennung);
    default:
        return std::nullopt;
    }
}

std::optional<QString> OnvistaAddress(int entry, const SecurityIdentifiers& security, const HostConfig& hosts)
{
    if (entry == kOnvistaDbZertifikate) return Http(hosts.onvistaZert) + QStringLiteral("/") + security.ISIN;
    return Https(hosts.onvista) + QStringLiteral("/") + GivenOr(security.ISIN, security.Kennung);
}

std::optional<QString> ConsorsAddress(int entry, const SecurityIdentifiers& security, const HostConfig& hosts)
{
    const QString base = Https(hosts.consors)
                         + QStringLiteral("/euroWebDe/-?currentpage=financeinfosHome.Desks.searchresult"
                                          "&%24%24event_minisearch=minisearch&%24part=Home.security-search"
                                          "&fieldselector=quote&searchSubmit=Suchen&pattern=");
    switch (entry) {
    case kEntryWkn:
        return base + security.Kennung;
    case kEntryIsin:
        return base + security.ISIN;
    case kEntryTicker:
        return base + security.Ticker;
    default:
        return base;
    }
}

std::optional<QString> TeleboerseAddress(int entry, const SecurityIdentifiers& security, const HostConfig& hosts)
{
    const QString base = Https(hosts.teleboerse) + QStringLiteral("/boersenkurse/suche/?suchbegriff=");
    switch (entry) {
    case kTeleboerseTicker:
        return base + security.Ticker;
    case kTeleboerseWkn:
        return base + security.Kennung;
    case kTeleboerseIsin:
        return base + security.ISIN;
    default:
        return base;
    }
}

}  // namespace

QString ComdirectPageName(int source)
{
    switch (source) {
    case kSourceComdirectFonds:
        return QStringLiteral("fonds.html");
    case kSourceComdirectOptionsscheine:
        return QStringLiteral("optionsscheine.html");
    case kSourceComdirectAktien:
        return QStringLiteral("aktien.html");
    case kSourceComdirectIndizes:
        return QStringLiteral("indizes.html");
    case kSourceComdirectZertifikate:
        return QStringLiteral("zertifikate.html");
    case kSourceComdirectWaehrungen:
        return QStringLiteral("waehrungen.html");
    case kSourceComdirectAlles:
        return QStringLiteral("general.html");
    default:
        return {};
    }
}

QString ComdirectCurrencySuffix(int source, const QString& waehrung)
{
    const bool sortsByCurrency = source == kSourceComdirectFonds || source == kSourceComdirectOptionsscheine
                                 || source == kSourceComdirectAktien || source == kSourceComdirectZertifikate;
    if (!sortsByCurrency || waehrung == QLatin1String("EUR")) return {};
    return QStringLiteral("&SORT=GEN_CURRENCY");
}

QString BidFreeIdentifier(const QString& kennung)
{
    // Upper-cased one character at a time so that positions match the original.
    QString upper = kennung;
    for (QChar& c : upper) c = c.toUpper();
    const qsizetype bid = upper.indexOf(QLatin1String("_BID"));
    if (bid < 0) return kennung;
    QString cut = kennung;
    cut.remove(bid, kBidCutLimit);
    return cut;
}

std::optional<QString> BuildRequestAddress(int source, int entry, const SecurityIdentifiers& security,
                                           const HostConfig& hosts)
{
    if (IsComdirectSource(source)) return ComdirectAddress(source, entry, security, hosts);
    switch (source) {
    case kSourceYahoo:
        return YahooAddress(security, hosts);
    case kSourceSwiss:
        return SwissAddress(entry, security, hosts);
    case kSourceWallstreet:
        return WallstreetAddress(entry, security, hosts);
    case kSourceOnvista:
        return OnvistaAddress(entry, security, hosts);
    case kSourceConsors:
        return ConsorsAddress(entry, security, hosts);
    case kSourceTeleboerse:
        return TeleboerseAddress(entry, security, hosts);
    default:
        // WinBis and TaiPan read local feeds; no source selected has no address.
        return std::nullopt;
    }
}

QString RebuildRequestAddress(int source, int entry, const SecurityIdentifiers& security, const HostConfig& hosts,
                              const QString& previous)
{
    return BuildRequestAddress(source, entry, security, hosts).value_or(previous);
}

}  // namespace zelvon
