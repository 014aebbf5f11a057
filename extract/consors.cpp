#include "extract/consors.h"

#include "extract/conversions.h"
#include "extract/working_text.h"

#include <algorithm>
#include <climits>

namespace zelvon::extract::consors {

namespace {

// Tried in this order, on the page and again in its tail.
const QString kPriceMarkers[] = {QStringLiteral("price price-"), QStringLiteral("price.PRICE"),
                                 QStringLiteral("market-value")};
const QString kDateMarker = QStringLiteral("price.DATETIME_PRICE");
const QString kTimeMarker = QStringLiteral("HH:mm");
// The date and time elements count only this near the tail's start.
constexpr int kTailReach = 300;
// The tail starts this far after the price marker.
constexpr int kTailOffset = 198;

int FindPriceMarker(const PageCutter& cut)
{
    for (const QString& marker : kPriceMarkers) {
        const int p = cut.FindMarker(marker, 1);
        if (p >= 0)
            return p;
    }
    return -1;
}

// Leaves s as the time step left it, for the price step that follows.
void ReadDateAndTime(Extraction& run, const QString& tail, QString& s)
{
    QuoteRecord& q = run.quote;
    s = tail;
    if (!OccursBefore(s, kDateMarker, kTailReach))
        return;
    DeleteThrough(s, u">");
    q.Datum = TextToDate(QStringView(s).left(10)).value_or(run.today());
    s = tail;
    if (!OccursBefore(s, kTimeMarker, kTailReach))
        return;
    DeleteThrough(s, kTimeMarker);
    DeleteThrough(s, u">");
    q.Zeit = TimeText(TextToTime(QStringView(s).left(5)).value_or(run.timeOfDay()));
}

int ReadPrice(Extraction& run, QString s)
{
    QuoteRecord& q = run.quote;
    for (const QString& marker : kPriceMarkers) {
        if (s.contains(marker)) {
            DeleteThrough(s, marker);
            break;
        }
    }
    DeleteThrough(s, u">");
    CutAt(s, u"<");
    q.Kurswert = Trimmed(s);
    RemoveFirst(q.Kurswert, u'.');
    RemoveFirst(q.Kurswert, u'.');
    ReplaceFirst(q.Kurswert, u',', u'.');
    q.Kurs = DotToFloat(q.Kurswert).value_or(0);
    return q.Kurs > 0 ? kQuoteRead : kPriceNotPositive;
}

// "Tagesumsatz" and the cell's end; the volume is copied into Ask, which
// decides whether the quote line carries it.
void ReadVolume(Extraction& run, int p)
{
    QuoteRecord& q = run.quote;
    p = run.cut.FindMarker(u"Tagesumsatz", p + 11);
    if (p <= 0)
        return;
    const int end = run.cut.FindMarker(u"</td>", p + 18);
    QString s = run.cut.pageText(p + 18, std::min(end - p - 18, kWindowLimit));
    s.remove(QStringLiteral("&nbsp;"));
    s.remove(u'.');
    q.Volumen = DotToInteger(s).value_or(0);
    q.Ask = q.Volumen;
}

void Report(Extraction& run)
{
    const QuoteRecord& q = run.quote;
    const bool otherDay = q.Datum != run.today();
    const bool read = run.outcome.status == kQuoteRead;
    if (read) {
        run.savePageIfAsked();
        if (otherDay)
            run.appendLine(DateText(q.Datum));
        const QString volume = q.Ask != 0 ? QString::number(q.Volumen) + u'\t' : QString();
        run.appendLine(run.quoteLineStart() + u'\t' + volume);
    }
    if (otherDay)
        run.appendLine(DateText(run.today()));
    run.outcome.picture = read ? kPictureQuoteRead : kPictureFailure;
}

}  // namespace

SourceEnd Extract(Extraction& run)
{
    QuoteRecord& q = run.quote;
    q.Kurs = 0;
    q.Zeit = TimeText(run.timeOfDay());
    // Pages without a date element are taken as today's.
    q.Datum = run.today();
    const int p = FindPriceMarker(run.cut);
    if (p <= 0) {
        run.outcome.status = kMarkerMissing;
        run.reportFailure();
        return SourceEnd::ToStorage;
    }
    const QString tail = run.cut.pageText(p + kTailOffset, INT_MAX);
    QString s;
    ReadDateAndTime(run, tail, s);
    run.outcome.status = ReadPrice(run, s);
    ReadVolume(run, p);
    Report(run);
    return SourceEnd::ToStorage;
}

}  // namespace zelvon::extract::consors
