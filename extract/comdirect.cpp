#include "extract/comdirect.h"

#include "extract/conversions.h"

#include <algorithm>

namespace zelvon::extract::comdirect {

namespace {

const QString kCurrentMarker = QStringLiteral("\"Aktuell\"");
const QString kDateCellMarker = QStringLiteral("table__column--top\" data-label=\"Datum Zeit\">");

// Finds the price block, or else the bid/ask block; leaves its cell in the window.
int LocatePrice(PageCutter& cut)
{
    int p = cut.FindMarker(kCurrentMarker, 1);
    p = cut.FindMarker(kCurrentMarker, p + 5);
    if (p < 0)
        p = cut.FindMarker(u"Morningstar", p + 10);
    if (p > 0) {
        cut.TakeWindow(p, 1500);
        cut.SkipPast(u"Aktuell", 5, 1000);
        cut.SkipPast(u"Fonds", 5, 100);
        cut.SkipPast(u"ETF", 5, 100);
        cut.SkipPast(u">", 1, 100);
        return p;
    }
    p = cut.FindMarker(u"Geld / Brief", p + 10);
    p = cut.FindMarker(u"output-text", p + 10);
    cut.TakeWindow(p, 1500);
    cut.SkipPast(u"Geld / Brief", 16, 1000);
    cut.SkipPast(u">", 1, 100);
    cut.SkipPast(u">", 1, 100);
    cut.CutBefore(u"/");
    return p;
}

int ReadPrice(Extraction& run)
{
    QuoteRecord& q = run.quote;
    run.cut.CutBefore(u"<");
    q.Kurswert = Trimmed(Before(Trimmed(run.cut.window()), u' '));
    RemoveFirst(q.Kurswert, u'.');
    const auto price = CommaToFloat(q.Kurswert);
    if (!price) {
        q.Kurs = 0;
        return kPriceNotANumber;
    }
    q.Kurs = *price;
    return q.Kurs > 0 ? kQuoteRead : kPriceNotPositive;
}

// "hh:mm" from two characters before the first colon; no colon: from the start.
QString TimeAroundColon(const QString& text)
{
    const qsizetype colon = text.indexOf(u':');
    return text.mid(std::max<qsizetype>(colon - 2, 0), 5);
}

// The third table cell after the price holds "dd.mm.yy hh:mm".
bool ReadDateCell(Extraction& run, int p)
{
    QuoteRecord& q = run.quote;
    PageCutter& cut = run.cut;
    cut.TakeWindow(p, 550);
    for (int i = 0; i < 3; ++i)
        cut.SkipPast(u"<td>", 5, 400);
    const QString cell = Trimmed(cut.window());
    const auto date = TextToDate(cell.left(8));
    if (!date)
        return false;
    q.Datum = *date;
    q.Zeit = TimeAroundColon(cell);
    return true;
}

int ReadLabelledDateCell(Extraction& run)
{
    QuoteRecord& q = run.quote;
    PageCutter& cut = run.cut;
    const int p = cut.FindMarker(kDateCellMarker, 1);
    cut.TakeWindow(p, 1500);
    cut.SkipPast(u"Datum Zeit", 1, 1000);
    cut.SkipPast(u">", 1, 100);
    cut.CutBefore(u"<");
    const QString cell = Trimmed(cut.window());
    const QString time = TimeAroundColon(cell);
    q.Zeit = time.isEmpty() ? TimeText(run.timeOfDay()) : time;
    if (const auto date = TextToDate(Before(cell, u'&')))
        q.Datum = *date;
    return p;
}

// "1,5 Mio" is one and a half million pieces.
void ReadVolume(Extraction& run, int p)
{
    PageCutter& cut = run.cut;
    p = cut.FindMarker(u"Tages-Vol", p + 5);
    cut.TakeWindow(p, 1550);
    cut.SkipPast(u"Tages-Vol", 5, 1000);
    cut.SkipPast(u">", 1, 1000);
    if (p <= 0)
        return;
    const double factor = cut.window().contains(u"Mio") ? 1'000'000 : 1;
    QString s = Trimmed(Before(Before(cut.window(), u'&'), u'<'));
    RemoveFirst(s, u'.');
    RemoveFirst(s, u'.');
    const auto volume = CommaToFloat(s);
    run.quote.Volumen = volume ? ScaledVolume(*volume, factor).value_or(0) : 0;
}

// The currency and "all kinds" sources keep their quotes out of the quote list.
std::optional<QString> QuoteLine(const Extraction& run)
{
    const QString start = run.quoteLineStart();
    const QString volume = u'\t' + QString::number(run.quote.Volumen);
    switch (run.input.source) {
    case kSourceComdirectFonds:
        return start + volume + QStringLiteral("\tFond");
    case kSourceComdirectOptionsscheine:
        return start + volume + QStringLiteral("\tOptionsschein");
    case kSourceComdirectAktien:
        return start + volume + QStringLiteral("\tAktie");
    case kSourceComdirectIndizes:
        return start + QStringLiteral("\t\tIndex");
    case kSourceComdirectWaehrungen:
    case kSourceComdirectAlles:
        return std::nullopt;
    default:
        return start + volume;
    }
}

}  // namespace

SourceEnd Extract(Extraction& run)
{
    QuoteRecord& q = run.quote;
    q.Kurs = 0;
    q.Zeit = TimeText(run.timeOfDay());
    q.Datum = run.today();
    q.Volumen = 0;

    int p = LocatePrice(run.cut);
    if (p <= 0) {
        run.outcome.status = kMarkerMissing;
        return SourceEnd::ToStorage;
    }
    const int status = ReadPrice(run);
    run.outcome.status = status;
    if (!ReadDateCell(run, p))
        p = ReadLabelledDateCell(run);
    ReadVolume(run, p);

    if (!run.input.windowVisible)
        return SourceEnd::ToStorage;
    if (status == kQuoteRead && q.Kurs > 0)
        run.reportQuote(QuoteLine(run));
    else
        run.reportFailure();
    return SourceEnd::ToStorage;
}

}  // namespace zelvon::extract::comdirect
