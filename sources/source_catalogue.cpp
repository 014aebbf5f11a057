#include "sources/source_catalogue.h"

namespace zelvon {
namespace {

QStringList IdentifierList()
{
    return {QStringLiteral("WKN"), QStringLiteral("ISIN"), QStringLiteral("Ticker")};
}

QStringList YahooList(const HostConfig& hosts)
{
    return {QStringLiteral("Xetra"),      QStringLiteral("Frankfurt"),  QStringLiteral("Stuttgart"),
            QStringLiteral("München"),    QStringLiteral("Düsseldorf"), QStringLiteral("Berlin"),
            QStringLiteral("Hamburg"),    QStringLiteral("Bremen"),     QStringLiteral("Hannover"),
            QStringLiteral("Wien"),       QStringLiteral("Zürich"),     QStringLiteral("London"),
            QStringLiteral("Paris"),      QStringLiteral("Milano"),     QStringLiteral("Madrid"),
            QStringLiteral("Kopenhagen"), QStringLiteral("Oslo"),       QStringLiteral("Stockholm"),
            QStringLiteral("Barcelona"),  QStringLiteral("USA"),        QStringLiteral("L&S Ticker"),
            QStringLiteral("Ticker ") + hosts.yahooIntlDomain(),        QStringLiteral("Ticker")};
}

QStringList SwissList()
{
    return {QStringLiteral("Aktienkurse"), QStringLiteral("Aktienkurse Intraday"), QStringLiteral("Fondkurse"),
            QStringLiteral("US Aktienkurse"), QStringLiteral("Kursdetail Symbol")};
}

QStringList WinBisList()
{
    return {QStringLiteral("Xetra"),
            QStringLiteral("Frankfurt"),
            QStringLiteral("Stuttgart"),
            QStringLiteral("München"),
            QStringLiteral("Düsseldorf"),
            QStringLiteral("Berlin"),
            QStringLiteral("Hamburg"),
            QStringLiteral("Bremen"),
            QStringLiteral("Hannover"),
            QStringLiteral("EUREX"),
            QStringLiteral("Investmentfonds"),
            QStringLiteral("Devisenkurse"),
            QStringLiteral("Indizes"),
            QStringLiteral("Edelmetalle"),
            QStringLiteral("LIFFELondon"),
            QStringLiteral("Zürich Aktien"),
            QStringLiteral("Wien Börse"),
            QStringLiteral("Wien Terminbörse"),
            QStringLiteral("New York Mercantile Exchange"),
            QStringLiteral("NASDAQ"),
            QStringLiteral("New York Stock Exchange"),
            QStringLiteral("American Stock Exchange")};
}

QStringList WallstreetList()
{
    return {QStringLiteral("ISIN"), QStringLiteral("L&S WKN")};
}

QStringList OnvistaList()
{
    return {QStringLiteral("Aktien"),
            QStringLiteral("Fonds"),
            QStringLiteral("Optionsscheine"),
            QStringLiteral("Optionsscheine(Euwax)"),
            QStringLiteral("Zertifikate"),
            QStringLiteral("Zertifikate(Euwax)"),
            QStringLiteral("DB-Zertifikate"),
            QStringLiteral("Zertifikat Emittent"),
            QStringLiteral("Optionsschein Emittent"),
            QStringLiteral("Index"),
            QStringLiteral("Anleihen"),
            QStringLiteral("Futures"),
            QStringLiteral("Rohstoffe"),
            QStringLiteral("Waehrungen"),
            QStringLiteral("ETF"),
            QStringLiteral("Aktien Realtime")};
}

QStringList TaiPanList()
{
    return {QStringLiteral("Berlin"),
            QStringLiteral("Düsseldorf"),
            QStringLiteral("Frankfurt"),
            QStringLiteral("Hamburg"),
            QStringLiteral("Hannover"),
            QStringLiteral("München"),
            QStringLiteral("Stuttgart"),
            QStringLiteral("Xetra"),
            QStringLiteral("Stoxx-Indizes"),
            QStringLiteral("AMEX"),
            QStringLiteral("New York Stock Exchange"),
            QStringLiteral("NASDAQ"),
            QStringLiteral("OTC"),
            QStringLiteral("XETRA US Stars"),
            QStringLiteral("XETRA European Stars"),
            QStringLiteral("EUWAX")};
}

QStringList TeleboerseList()
{
    return {QStringLiteral("Ticker"), QStringLiteral("WKN"), QStringLiteral("ISIN")};
}

// Sources whose preselection follows the default exchange rather than entry 0.
bool PreselectsDefaultExchange(int source)
{
    return source == kSourceYahoo || source == kSourceWinBis || source == kSourceTaiPan;
}

}  // namespace

QStringList SourceCaptions(const HostConfig& hosts)
{
    return {QStringLiteral("Yahoo Deutschland Finanzen"),
            QStringLiteral("ComDirect - Fonds/ETF"),
            QStringLiteral("ComDirect - Optionsscheine"),
            QStringLiteral("ComDirect - Aktienkurse"),
            QStringLiteral("ComDirect - Indizes"),
            QStringLiteral("ComDirect - Zertifikate "),
            QStringLiteral("Schweizer Kurse von ") + hosts.swissDomain(),
            QStringLiteral("ComDirect - Waehrungen"),
            QStringLiteral("ComDirect - Alles"),
            QStringLiteral("WinBis / NetBis"),
            QStringLiteral("Wallstrret Online"),
            QStringLiteral("Onvista"),
            QStringLiteral("Consors"),
            QStringLiteral("TaiPanRT muss geöffnet sein"),
            QStringLiteral("Teleboerse")};
}

QStringList ExchangeEntries(int source, const HostConfig& hosts)
{
    if (IsComdirectSource(source) || source == kSourceConsors) return IdentifierList();
    switch (source) {
    case kSourceYahoo:
        return YahooList(hosts);
    case kSourceSwiss:
        return SwissList();
    case kSourceWinBis:
        return WinBisList();
    case kSourceWallstreet:
        return WallstreetList();
    case kSourceOnvista:
        return OnvistaList();
    case kSourceTaiPan:
        return TaiPanList();
    case kSourceTeleboerse:
        return TeleboerseList();
    default:
        return {};
    }
}

QStringList InitialExchangeEntries()
{
    return {QStringLiteral("Xetra"),  QStringLiteral("Frankfurt"),  QStringLiteral("Stuttgart"),
            QStringLiteral("München"), QStringLiteral("Düsseldorf"), QStringLiteral("Berlin"),
            QStringLiteral("Hamburg"), QStringLiteral("Bremen"),     QStringLiteral("Hannover"),
            QStringLiteral("London"),  QStringLiteral("Paris"),      QStringLiteral("Milano"),
            QStringLiteral("Madrid"),  QStringLiteral("Kopenhagen"), QStringLiteral("Oslo"),
            QStringLiteral("Stockholm"), QStringLiteral("Barcelona")};
}

int PreselectedEntry(int source, int stdBoerse, int entryCount)
{
    const int wanted = PreselectsDefaultExchange(source) ? stdBoerse : 0;
    // A stored default from another list may point past this one, or be negative
    // after a hand-edited setting; both leave the selector without a choice.
    if (wanted < 0 || wanted >= entryCount) return kNoEntry;
    return wanted;
}

ExchangeSelection InitialExchangeSelection()
{
    return {InitialExchangeEntries(), 0};
}

ExchangeSelection SelectSource(int source, int stdBoerse, const HostConfig& hosts)
{
    ExchangeSelection selection;
    selection.entries = ExchangeEntries(source, hosts);
    selection.selected = PreselectedEntry(source, stdBoerse, static_cast<int>(selection.entries.size()));
    return selection;
}

}  // namespace zelvon
