#include "extract/onvista.h"

#include "extract/conversions.h"

#include <array>

namespace zelvon::extract::onvista {

namespace {

// The exchange selector's entries: captions of the current layout's line.
const std::array<QString, 16> kCaptions = {
    QStringLiteral("Aktien"),
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
    QStringLiteral("Aktien Realtime"),
};

constexpr int kEntryOptionsscheine = 2;
constexpr int kEntryOptionsscheineEuwax = 3;
constexpr int kEntryZertifikate = 4;
constexpr int kEntryZertifikateEuwax = 5;
constexpr int kEntryZertifikatEmittent = 7;
constexpr int kEntryOptionsscheinEmittent = 8;
constexpr int kEntryAktienRealtime = 15;

const QString kResultMarker = QStringLiteral("(Treffer:");
const std::array<QString, 7> kOlderPriceMarkers = {
    QStringLiteral("currentAsk"),   QStringLiteral("\"price\">"), QStringLiteral(":last:1:1:"),
    QStringLiteral("last:1:1:Stock"), QStringLiteral(":Stock>"),  QStringLiteral(":stock>"),
    QStringLiteral("last:2:1:"),
};
const QString kItemMarker = QStringLiteral("class=\"item\">");
const QString kDatetimeClass = QStringLiteral("class=\"datetime\"");
const QString kDatetimeBareClass = QStringLiteral("class=datetime");
const QString kRealtimeTitle = QStringLiteral("title=\"Realtime\"");
const QString kLastTimeStock = QStringLiteral("lastTime:2:1:Stock");
const QString kBoerseFrankfurt = QStringLiteral("B\u00F6rse Frankfurt");
const QString kKursdatenOptionsschein = QStringLiteral("Kursdaten Optionsschein");

QString Caption(int entry)
{
    return entry >= 0 && entry < int(kCaptions.size()) ? kCaptions[entry] : QString();
}

// Realtime share quotes are written like the delayed ones.
QString KindName(int entry)
{
    return entry == kEntryAktienRealtime ? kCaptions[0] : Caption(entry);
}

// "YYYY-MM-DD" as the current layout writes its dates.
std::optional<DateTime> IsoDate(const QString& text)
{
    const QStringList parts = text.split(u'-');
    if (parts.size() != 3)
        return std::nullopt;
    return TextToDate(parts[2] + u'.' + parts[1] + u'.' + parts[0]);
}

void StartValues(Extraction& run)
{
    QuoteRecord& q = run.quote;
    q.Kurs = 0;
    q.Zeit = TimeText(run.timeOfDay());
    q.Volumen = 0;
    q.Datum = run.today();
}

// The first hit's address goes into URLEdit; the follow-up fetch puts its page
// into the page view, which every later search reads.
void FollowFirstHit(Extraction& run)
{
    PageCutter& cut = run.cut;
    if (cut.FindMarker(kResultMarker, 1) <= 10)
        return;
    int p = cut.FindMarker(kResultMarker, 1);
    p = cut.FindMarker(u"Datum", p);
    p = cut.FindMarker(u"a href", p);
    const int e = cut.FindMarker(u"\"", p + 20);
    run.followUp(cut.pageText(p + 8, e - p - 8));
}

// False when the attributes do not read; p is left where the reading stopped.
bool ReadCurrentLayout(Extraction& run, int& p)
{
    QuoteRecord& q = run.quote;
    PageCutter& cut = run.cut;
    p = cut.FindMarker(u"time datetime=\"", 1);
    if (p < 10)
        p = cut.FindMarker(u"datetimeLast\"", 1);
    const auto date = IsoDate(cut.pageText(p + 15, 10));
    if (!date)
        return false;
    q.Datum = *date;
    q.Zeit = cut.pageText(p + 26, 8);
    p = cut.FindMarker(u"value=\"", p);
    if (p < 10)
        p = cut.FindMarker(u"\"last\":", 1);
    cut.TakeWindow(p + 7, 20);
    cut.CutBefore(u"\"");
    cut.CutBefore(u",");
    const QString value = cut.window();
    // The attribute may hold the security's identifier instead of a price.
    if (value == run.input.security.Kennung || value == run.input.security.ISIN) {
        q.Kurs = 0;
        return true;
    }
    const auto price = DotToFloat(value);
    if (!price)
        return false;
    // A price below zero is no quote either; the older layouts get their turn.
    if (*price < 0) {
        q.Kurs = 0;
        return true;
    }
    q.Kurs = *price;
    q.Kurswert = PriceText(q.Kurs);
    run.outcome.status = kQuoteRead;
    return true;
}

// The current layout carries no volume, so its line has the empty volume column.
void ReportCurrentLayout(Extraction& run)
{
    if (run.input.windowVisible)
        run.reportQuote(run.quoteLineStart() + QStringLiteral("\t\t\t") + Caption(run.input.entry));
    run.outcome.picture = kPictureQuoteRead;
}

void ReadCertificateLayout(Extraction& run, int p)
{
    QuoteRecord& q = run.quote;
    PageCutter& cut = run.cut;
    p = cut.FindMarker(u":BidPrice3:", p);
    cut.TakeWindow(p + 11, 25);
    cut.CutBefore(u":");
    q.Kurs = DotToFloat(cut.window()).value_or(0);
    p = cut.FindMarker(u"LastTime\" >", p);
    cut.TakeWindow(p + 11, 25);
    cut.CutBefore(u"<");
    q.Zeit = cut.window();
    if (!run.input.windowVisible)
        return;
    if (q.Kurs > 0) {
        run.appendLine(run.quoteLineStart() + QStringLiteral("\t\t\tDB-OnVista"));
        run.outcome.picture = kPictureQuoteRead;
    } else {
        run.reportFailure();
    }
}

// Each marker found before position 20 lets the next one search on from it.
int LocateOlderPrice(const PageCutter& cut)
{
    int p = 0;
    for (const QString& marker : kOlderPriceMarkers) {
        if (p < 20 && cut.FindMarker(marker, p) > 0)
            p = cut.FindMarker(marker, p);
    }
    return p;
}

void CutOlderPrice(PageCutter& cut, int p)
{
    cut.TakeWindow(p + 1, 350);
    const qsizetype priceAttribute = cut.window().indexOf(u"price=");
    const qsizetype quoted = cut.window().indexOf(u": '");
    if (priceAttribute + 1 > 20) {
        cut.SkipPast(u"price=", 7, 20);
        cut.CutBefore(u"\"");
        QString s = cut.window();
        ReplaceFirst(s, u'.', u',');
        cut.setWindow(s);
    } else if (quoted + 1 > 5 && quoted + 1 < 20) {
        cut.SkipPast(u": '", 3, 20);
        cut.CutBefore(u"'");
    } else {
        cut.SkipPast(u">", 1, 20);
        cut.CutBefore(u"<");
    }
}

// Thousands dots out; an entity before or after the number is cut off.
QString CleanOlderPrice(QString s)
{
    RemoveFirst(s, u'.');
    RemoveFirst(s, u'.');
    const qsizetype semicolon = s.indexOf(u';');
    if (semicolon >= 0) {
        const qsizetype comma = s.indexOf(u',');
        s = comma < 0 || comma < semicolon ? s.left(semicolon + 1) : s.mid(semicolon + 1);
    }
    return Before(Before(s, u'&'), u'<');
}

int FindFirst(const PageCutter& cut, std::initializer_list<QStringView> markers)
{
    int p = -1;
    for (const QStringView marker : markers) {
        if (p >= 0)
            break;
        p = cut.FindMarker(marker, 1);
    }
    return p;
}

int LocateOlderTime(const PageCutter& cut, int entry)
{
    switch (entry) {
    case kEntryOptionsscheine:
        return FindFirst(cut, {kKursdatenOptionsschein, kLastTimeStock});
    case kEntryZertifikatEmittent:
    case kEntryOptionsscheinEmittent: {
        int p = cut.FindMarker(u"(Emittentenkurs", 1);
        if (p < 0)
            p = cut.FindMarker(u"Geld", p);
        if (p < 0)
            p = cut.FindMarker(kRealtimeTitle, 1);
        return p;
    }
    case kEntryZertifikate:
        return FindFirst(cut, {kBoerseFrankfurt, kRealtimeTitle, kLastTimeStock});
    case kEntryOptionsscheineEuwax:
    case kEntryZertifikateEuwax: {
        int p = cut.FindMarker(kKursdatenOptionsschein, 1);
        if (p < 0)
            p = cut.FindMarker(kRealtimeTitle, 1) + 15;
        if (p < 0)
            p = cut.FindMarker(kLastTimeStock, 1);
        return p;
    }
    default:
        return FindFirst(cut, {kBoerseFrankfurt, kLastTimeStock});
    }
}

// "dd.mm.yyyy hh:mm:ss ...": the date from the first ten characters, the
// time from the eight after the first blank.
bool ReadDateAndTime(Extraction& run, const QString& text)
{
    const auto date = TextToDate(text.left(10));
    if (!date)
        return false;
    run.quote.Datum = *date;
    const QString head = text.left(25);
    run.quote.Zeit = head.mid(head.indexOf(u' ') + 1, 8);
    return true;
}

void FailDateAndTime(Extraction& run, int& p)
{
    run.quote.Datum = run.today();
    run.quote.Zeit = TimeText(run.timeOfDay());
    p = 0;
}

void ReadItemDate(Extraction& run, int& p)
{
    PageCutter& cut = run.cut;
    if (cut.FindMarker(kItemMarker, p) > 0)
        p = cut.FindMarker(kItemMarker, p);
    cut.TakeWindow(p - 1, 1200);
    cut.SkipPast(kItemMarker, 1, 1200);
    cut.SkipPast(u">", 1, 120);
    if (!ReadDateAndTime(run, Trimmed(cut.window())))
        FailDateAndTime(run, p);
}

void ReadDatetimeElement(Extraction& run, int& p)
{
    PageCutter& cut = run.cut;
    p = cut.FindMarker(kDatetimeClass, 1);
    if (p < 0)
        p = cut.FindMarker(kDatetimeBareClass, 1);
    if (p <= 0)
        return;
    p = cut.FindMarker(u">", p);
    cut.TakeWindow(p - 1, 1200);
    cut.SkipPast(u"datetime", 1, 1200);
    cut.SkipPast(u">", 1, 25);
    if (!ReadDateAndTime(run, cut.window()))
        FailDateAndTime(run, p);
}

void ReadOlderLayoutA(Extraction& run)
{
    QuoteRecord& q = run.quote;
    PageCutter& cut = run.cut;
    int p = LocateOlderPrice(cut);
    if (p <= 0)
        return;
    CutOlderPrice(cut, p);
    q.Kurswert = CleanOlderPrice(cut.window());
    const auto price = CommaToFloat(q.Kurswert);
    q.Kurs = price.value_or(0);
    int status = q.Kurs > 0 ? kQuoteRead : kPriceNotPositive;
    if (!price)
        status = kPriceNotANumber;
    run.outcome.status = status;
    q.Datum = run.today();

    p = LocateOlderTime(cut, run.input.entry);
    if (p > 0)
        ReadItemDate(run, p);
    if (p < 1)
        ReadDatetimeElement(run, p);

    if (!run.input.windowVisible)
        return;
    if (status != kQuoteRead)
        run.reportFailure();
    else
        run.reportQuote(run.quoteLineStart() + QStringLiteral("\t\t\t") + KindName(run.input.entry));
}

int LocateDateB(const PageCutter& cut)
{
    int p = cut.FindMarker(u"verz&ouml;gert", 1);
    if (p < 1)
        p = cut.FindMarker(u"Aktueller Kurs", 1);
    if (p < 1)
        p = cut.FindMarker(kDatetimeClass, 1);
    if (p < 1)
        p = cut.FindMarker(kDatetimeBareClass, 1);
    return p;
}

void ReadDateB(Extraction& run)
{
    QuoteRecord& q = run.quote;
    const int p = LocateDateB(run.cut);
    if (p <= 0)
        return;
    const auto date = TextToDate(run.cut.pageText(p - 1, 10));
    if (!date) {
        q.Zeit = TimeText(run.timeOfDay());
        return;
    }
    q.Datum = *date;
    const QString time = run.cut.pageText(p + 16, 5);
    q.Zeit = TextToTime(time) ? time : TimeText(run.timeOfDay());
}

int LocatePriceB(const PageCutter& cut)
{
    int p = cut.FindMarker(u"pfeil_", 1) + 20;
    if (p <= 20) {
        p = cut.FindMarker(u"Hoch/Tief", 1);
        p = cut.FindMarker(u"gif", p);
    }
    return cut.FindMarker(u">", p);
}

// The security's currency next to the number tells the right arrow's price.
void CutPriceB(Extraction& run, int p)
{
    PageCutter& cut = run.cut;
    cut.TakeWindow(p + 2, 50);
    const QString& currency = run.input.security.Waehrung;
    if (currency.isEmpty() || !cut.window().contains(currency)) {
        p = cut.FindMarker(u"pfeil_", p) + 20;
        if (p > 50 && p < 30000)
            cut.TakeWindow(p + 2, 25);
    }
    cut.SkipPast(u"\">", 2, 50);
    cut.CutBefore(u"&");
    QString s = Trimmed(cut.window());
    RemoveFirst(s, u'.');
    RemoveFirst(s, u'.');
    s = Trimmed(Before(s, u'<'));
    ReplaceFirst(s, u',', u'.');
    run.quote.Kurswert = s;
}

void ReadOlderLayoutB(Extraction& run)
{
    QuoteRecord& q = run.quote;
    q.Datum = run.today();
    ReadDateB(run);
    const int p = LocatePriceB(run.cut);
    if (p <= 20) {
        run.reportFailure();
        return;
    }
    CutPriceB(run, p);
    q.Kurs = DotToFloat(q.Kurswert).value_or(0);
    const int status = q.Kurs > 0 ? kQuoteRead : kPriceNotPositive;
    run.outcome.status = status;
    if (run.input.windowVisible && status == kQuoteRead)
        run.reportQuote(run.quoteLineStart() + QStringLiteral("\t\t\tKurs"));
    // A price that did not read is no success, whatever the window shows.
    run.outcome.picture = status == kQuoteRead ? kPictureQuoteRead : kPictureFailure;
}

}  // namespace

SourceEnd Extract(Extraction& run)
{
    FollowFirstHit(run);
    StartValues(run);
    int p = -1;
    if (!ReadCurrentLayout(run, p)) {
        StartValues(run);
        run.outcome.status = kMarkerMissing;
    }
    if (run.quote.Kurs != 0 && run.outcome.status == kQuoteRead) {
        ReportCurrentLayout(run);
        return SourceEnd::ToStorage;
    }
    if (run.input.entry == kOnvistaDbZertifikate)
        ReadCertificateLayout(run, p);
    else if (run.input.entry >= 0)
        ReadOlderLayoutA(run);
    else
        ReadOlderLayoutB(run);
    return SourceEnd::ToStorage;
}

}  // namespace zelvon::extract::onvista
