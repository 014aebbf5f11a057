#include "extract/yahoo.h"

#include "extract/conversions.h"

#include <array>

namespace zelvon::extract::yahoo {

namespace {

const QString kLargePriceMarker = QStringLiteral("Fw(b) Fz(36px) Mb(-4px) D(ib)");
const QString kFundMarker = QStringLiteral("Mittelkurs");

const std::array<QString, 10> kPriceMarkers = {
    kLargePriceMarker,
    QStringLiteral("Indexstand"),
    QStringLiteral("Index Wert"),
    QStringLiteral("nahmepreis"),
    kFundMarker,
    QStringLiteral("Last Trade"),
    QStringLiteral("Index Value"),
    QStringLiteral("Geld:"),
    QStringLiteral("Briefkurs:"),
    QStringLiteral("_ticker"),
};

constexpr int kShortAnswerLength = 255;
constexpr double kOneHour = 1.0 / 24;
constexpr double kAboutOneMinute = 0.00069;
constexpr double kNewsPageSize = 6500;

// Field k (from 1) of a short answer; once no ";" is left every further field
// is the remaining text.
QString Field(QStringView answer, int k)
{
    QStringView rest = answer;
    for (int i = 1; i < k; ++i) {
        const qsizetype semicolon = rest.indexOf(u';');
        if (semicolon < 0)
            break;
        rest = rest.sliced(semicolon + 1);
    }
    return Before(rest, u';');
}

void ReadShortAnswer(Extraction& run)
{
    QuoteRecord& q = run.quote;
    const QString answer = run.input.page->text().left(kShortAnswerLength);
    q.Zeit = Field(answer, 1);
    q.Datum = TextToDate(Field(answer, 2), u'/').value_or(run.today());
    q.Kurswert = Field(answer, 3);
    q.Volumen = DotToInteger(Field(answer, 4)).value_or(0);
    q.Bid = CommaToFloat(Field(answer, 5)).value_or(0);
    q.Ask = CommaToFloat(Field(answer, 6)).value_or(0);
    q.Kurswert = Trimmed(q.Kurswert);
    ReplaceFirst(q.Kurswert, u',', u'.');
}

// A "." with more than four characters after it is a thousands separator.
void DropThousandsDots(QString& s)
{
    for (int i = 0; i < 2; ++i) {
        const qsizetype dot = s.indexOf(u'.');
        if (dot >= 0 && s.size() - dot - 1 > 4)
            s.remove(dot, 1);
    }
}

QString PriceFromWindow(PageCutter& cut)
{
    cut.SkipPast(u"b>", 2);
    cut.SkipPast(u">", 1, 1000);
    cut.CutBefore(u"<");
    QString s = cut.window();
    DropThousandsDots(s);
    return s;
}

// Reads the time next to the colon after the price; a date there sets Datum.
void ReadTime(Extraction& run, int& p)
{
    QuoteRecord& q = run.quote;
    PageCutter& cut = run.cut;
    if (cut.pageText(p, 2) == u":<")
        p = cut.FindMarker(u":", p + 1);
    q.Datum = run.today();
    if (p <= 0)
        return;
    if (cut.pageText(p + 1, 1) == u"/") {
        p = cut.FindMarker(u">", p - 3);
        const int e = cut.FindMarker(u"<", p);
        cut.setWindow(cut.pageText(p, e - p));
        cut.appendToWindow(DateText(run.today()).mid(2));
    } else {
        cut.TakeWindow(p - 3, 7);
    }
    cut.SkipPast(u">", 1);
    cut.CutBefore(u"<");
    const QString cell = Trimmed(cut.window());
    if (const auto time = TextToTime(cell)) {
        q.Zeit = TimeText(*time);
    } else {
        q.Datum = TextToDate(cell).value_or(run.today());
        q.Zeit = TimeText(run.timeOfDay());
    }
}

// Fund pages give "hh:mm" around the colon; a time one hour ahead is the
// exchange's clock, a later time is yesterday's price.
void ReadFundTime(Extraction& run, int p)
{
    QuoteRecord& q = run.quote;
    run.cut.TakeWindow(p - 2, 5);
    q.Datum = run.today();
    const auto time = TextToTime(Trimmed(run.cut.window()));
    if (!time) {
        q.Zeit = TimeText(run.timeOfDay());
        return;
    }
    q.Zeit = TimeText(*time);
    const double now = run.timeOfDay();
    if (*time > now + kOneHour - kAboutOneMinute && *time < now + kOneHour + kAboutOneMinute)
        q.Zeit = TimeText(now);
    if (TextToTime(q.Zeit).value_or(0) > now)
        q.Datum -= 1;
}

void NormaliseNumberFormat(QString& price, int entry)
{
    if (entry == kInternationalTickerEntry) {
        RemoveFirst(price, u',');
        RemoveFirst(price, u',');
        return;
    }
    RemoveFirst(price, u'.');
    ReplaceFirst(price, u',', u'.');
}

void ReadVolume(Extraction& run, int p)
{
    PageCutter& cut = run.cut;
    p = cut.FindMarker(u"Volumen", p + 1);
    p = cut.FindMarker(u"\">", p);
    if (p <= 0)
        return;
    cut.TakeWindow(p + 2, 10);
    cut.CutBefore(u"<");
    QString s = cut.window();
    RemoveFirst(s, u'.');
    RemoveFirst(s, u'.');
    RemoveFirst(s, u',');
    RemoveFirst(s, u',');
    run.quote.Volumen = DotToInteger(s).value_or(0);
}

SourceEnd ReadPage(Extraction& run)
{
    QuoteRecord& q = run.quote;
    PageCutter& cut = run.cut;
    QString marker;
    int p = -1;
    for (const QString& candidate : kPriceMarkers) {
        p = cut.FindMarker(candidate, 1);
        if (p >= 0) {
            marker = candidate;
            break;
        }
    }
    if (p < 0) {
        run.outcome.status = kMarkerMissing;
        return SourceEnd::AtOnce;
    }

    // Searches from 1 never find position 0, so the window before the marker always exists.
    cut.TakeWindow(p - 1, 1250);
    cut.SkipPast(marker, 2);
    const QString s = PriceFromWindow(cut);
    q.Kurswert = Trimmed(s);
    if (s.isEmpty()) {
        marker = kLargePriceMarker;
        p = cut.FindMarker(marker, 1);
        p = cut.FindMarker(u">", p) + 10;
        p = cut.FindMarker(u">", p) + 2;
        cut.TakeWindow(p - 1, 150);
        q.Kurswert = Trimmed(PriceFromWindow(cut));
    }

    p = cut.FindMarker(u":", p);
    if (marker != kFundMarker)
        ReadTime(run, p);
    else
        ReadFundTime(run, p);
    NormaliseNumberFormat(q.Kurswert, run.input.entry);
    ReadVolume(run, p);
    return SourceEnd::ToStorage;
}

// A name ending in "([0,01])" scales the price; the 40 characters from "])" on are dropped.
void ApplyNameFactor(Extraction& run)
{
    QString s = run.input.security.Firmenname;
    if (!s.contains(u"([") || !s.contains(u"])"))
        return;
    s.remove(0, s.indexOf(u"([") + 2);
    const qsizetype close = s.indexOf(u"])");
    if (close >= 0)
        s.remove(close, 40);
    if (const auto factor = CommaToFloat(s))
        run.quote.Kurs *= *factor;
}

void Report(Extraction& run, int status)
{
    const QuoteRecord& q = run.quote;
    if (status != kQuoteRead) {
        run.reportFailure();
        return;
    }
    const DateTime quoteTime = q.Datum + TextToTime(q.Zeit).value_or(run.timeOfDay());
    if (quoteTime > run.now())
        return;
    QString line = run.quoteLineStart();
    if (q.Volumen != 0)
        line += u'\t' + QString::number(q.Volumen);
    if (run.input.SizeTemp > kNewsPageSize)
        line += QStringLiteral("\t=>Nachrichten");
    run.reportQuote(line);
}

}  // namespace

SourceEnd Extract(Extraction& run)
{
    QuoteRecord& q = run.quote;
    q.Volumen = 0;
    q.Kurs = 0;
    if (run.input.page->lineCount() < 3) {
        ReadShortAnswer(run);
    } else if (ReadPage(run) == SourceEnd::AtOnce) {
        return SourceEnd::AtOnce;
    }

    int status = kQuoteRead;
    if (const auto price = DotToFloat(q.Kurswert))
        q.Kurs = *price;
    else
        status = kPriceNotANumber;
    if (q.Kurs <= 0)
        status = kPriceNotPositive;
    run.outcome.status = status;
    ApplyNameFactor(run);
    if (run.input.windowVisible)
        Report(run, status);
    return SourceEnd::ToStorage;
}

}  // namespace zelvon::extract::yahoo
