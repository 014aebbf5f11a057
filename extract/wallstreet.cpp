#include "extract/wallstreet.h"

#include "extract/conversions.h"
#include "extract/working_text.h"

namespace zelvon::extract::wallstreet {

namespace {

const QString kLastPriceMarker = QStringLiteral("Letzter Kurs");
const QString kBidMarker = QStringLiteral(";bid");

// The value of the first tag after marker: the text between its ">" and the next "<".
QString TagValueAfter(QString s, QStringView marker)
{
    DeleteThrough(s, marker);
    DeleteThrough(s, u">");
    CutAt(s, u"<");
    return s;
}

// "L&S WKN": the bid price and its time inside one block.
void ReadBidBlock(Extraction& run)
{
    QuoteRecord& q = run.quote;
    const int p = run.cut.FindMarker(kBidMarker, 5);
    if (p <= 0) {
        run.outcome.status = kMarkerMissing;
        return;
    }
    run.cut.TakeWindow(p - 1, 500);
    q.Zeit = TagValueAfter(run.cut.window(), u"bidTime");
    q.Kurswert = TagValueAfter(run.cut.window(), u";bid\"");
    const auto price = CommaToFloat(q.Kurswert);
    q.Kurs = price.value_or(0);
    run.outcome.status = price ? kQuoteRead : kPriceNotPositive;
}

// "350 Tsd" and "1,2 Mio" scale the number before the first blank.
void ReadVolume(Extraction& run, int p)
{
    QuoteRecord& q = run.quote;
    run.cut.TakeWindow(p + 1999, 1000);
    QString s = run.cut.window();
    DeleteThrough(s, u"Volumen");
    DeleteThrough(s, u">");
    DeleteThrough(s, u">");
    q.Ask = 1;
    if (s.contains(u"Tsd"))
        q.Ask = 1000;
    if (s.contains(u"Mio"))
        q.Ask = 1'000'000;
    CutAt(s, u" ");
    const auto volume = CommaToFloat(s);
    q.Volumen = volume ? ScaledVolume(*volume, q.Ask).value_or(0) : 0;
}

// "ISIN": the second "Letzter Kurs" heads the quote; price, time and volume
// follow it at fixed distances.
void ReadInformer(Extraction& run)
{
    QuoteRecord& q = run.quote;
    PageCutter& cut = run.cut;
    int p = cut.FindMarker(kLastPriceMarker, 10);
    p = cut.FindMarker(kLastPriceMarker, p + 10);
    if (p <= 0) {
        run.outcome.status = kMarkerMissing;
        return;
    }
    q.Datum = run.today();

    cut.TakeWindow(p + 499, 1000);
    QString s = cut.window();
    DeleteThrough(s, u"Kurs");
    DeleteThrough(s, u"trade");
    q.Kurswert = TagValueAfter(s, u"trade");
    ReplaceFirst(q.Kurswert, u',', u'.');
    q.Kurs = DotToFloat(q.Kurswert).value_or(0);
    run.outcome.status = q.Kurs > 0 ? kQuoteRead : kPriceNotPositive;

    cut.TakeWindow(p + 1499, 1000);
    q.Zeit = TagValueAfter(cut.window(), u"tradeTime");

    ReadVolume(run, p);
    // The volume step ends every read as done; a price of 0 is still never reported or stored.
    run.outcome.status = kQuoteRead;
}

// No date lines and no change of the status icon; without a volume the line ends in its tab.
void Report(Extraction& run)
{
    const QuoteRecord& q = run.quote;
    if (run.outcome.status != kQuoteRead || !(q.Kurs > 0) || !run.input.windowVisible)
        return;
    run.savePageIfAsked();
    run.appendLine(run.quoteLineStart() + u'\t' + (q.Volumen != 0 ? QString::number(q.Volumen) : QString()));
}

}  // namespace

SourceEnd Extract(Extraction& run)
{
    QuoteRecord& q = run.quote;
    q.Kurs = 0;
    q.Zeit = TimeText(run.timeOfDay());
    switch (run.input.entry) {
    case kWallstreetLsWkn:
        // The block carries no date; the quote is taken as today's.
        q.Datum = run.today();
        ReadBidBlock(run);
        break;
    case kWallstreetIsin:
        ReadInformer(run);
        break;
    default:
        return SourceEnd::ToStorage;
    }
    Report(run);
    return SourceEnd::ToStorage;
}

}  // namespace zelvon::extract::wallstreet
