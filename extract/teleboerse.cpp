#include "extract/teleboerse.h"

#include "extract/conversions.h"
#include "extract/working_text.h"

namespace zelvon::extract::teleboerse {

namespace {

const QString kSingleHit = QStringLiteral("1 Treffer");
const QString kCell = QStringLiteral("<td");
// The result row stands this far after the first mention of the security.
constexpr int kRowOffset = 3499;

// The window from just inside the row's ISIN; an empty ISIN occurs nowhere.
QString RowText(const Extraction& run)
{
    QString s = run.cut.window();
    const QString& isin = run.input.security.ISIN;
    if (!isin.isEmpty())
        DeleteThrough(s, isin);
    return s;
}

// The third cell holds "hh:mm" for today's quotes, "dd.mm." for older ones.
void ReadTimeCell(Extraction& run)
{
    QuoteRecord& q = run.quote;
    QString s = RowText(run);
    DeletePastPosition(s, kCell, 4);
    DeletePastPosition(s, kCell, 4);
    if (s.contains(kCell)) {
        DeletePastPosition(s, kCell, 5);
        DeleteThrough(s, u">");
    }
    CutAt(s, u"<");

    q.Zeit.clear();
    if (s.contains(u':')) {
        q.Datum = run.today();
        q.Zeit = Trimmed(s);
        return;
    }
    const int year = formats::DecodeDate(run.today()).year;
    if (const auto day = TextToDate(s + QString::number(year))) {
        q.Datum = *day;
        return;
    }
    q.Datum = run.today();
    if (const auto time = TextToTime(Trimmed(s)))
        q.Zeit = TimeText(*time);
}

// The fourth cell holds the price, possibly inside a span. False when the row has no such cell.
bool ReadPriceCell(Extraction& run)
{
    QString s = RowText(run);
    for (int i = 0; i < 3; ++i)
        DeletePastPosition(s, kCell, 4);
    if (!s.contains(kCell))
        return false;
    DeletePastPosition(s, kCell, 3);
    if (s.contains(u"<span")) {
        DeletePastPosition(s, u"<span", 5);
        DeleteThrough(s, u">");
    }
    CutAt(s, u"<");
    run.quote.Kurswert = Trimmed(s);
    return true;
}

// Decimal comma first, then a decimal point.
int ConvertPrice(QuoteRecord& q)
{
    auto price = CommaToFloat(q.Kurswert);
    if (!price)
        price = DotToFloat(q.Kurswert);
    if (!price) {
        q.Kurs = 0;
        return kPriceNotANumber;
    }
    q.Kurs = *price;
    // A price of 0 is no quote: it is neither stored nor reported as read.
    return q.Kurs > 0 ? kQuoteRead : kPriceNotPositive;
}

void Report(Extraction& run)
{
    if (run.outcome.status != kQuoteRead) {
        run.reportFailure();
        return;
    }
    const bool otherDay = run.quote.Datum != run.today();
    if (otherDay)
        run.appendLine(DateText(run.quote.Datum));
    run.appendLine(run.quoteLineStart() + u'\t');
    if (otherDay)
        run.appendLine(DateText(run.today()));
    run.outcome.picture = kPictureQuoteRead;
}

}  // namespace

SourceEnd Extract(Extraction& run)
{
    run.wait(kSettleMs);
    run.quote.Datum = run.today();
    int p = run.cut.FindMarker(run.input.security.ISIN, 1);
    if (p < 0)
        p = run.cut.FindMarker(kSingleHit, 1);
    if (p < 1) {
        run.outcome.status = kMarkerMissing;
        return SourceEnd::ToStorage;
    }
    run.cut.TakeWindow(p + kRowOffset, 1000);
    ReadTimeCell(run);
    if (!ReadPriceCell(run)) {
        run.outcome.status = kMarkerMissing;
        return SourceEnd::ToStorage;
    }
    run.outcome.status = ConvertPrice(run.quote);
    Report(run);
    return SourceEnd::ToStorage;
}

}  // namespace zelvon::extract::teleboerse
