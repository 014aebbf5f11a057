#include "extract/swiss.h"

#include "extract/conversions.h"

namespace zelvon::extract::swiss {

namespace {

constexpr int kFirstUsableChangeMarker = 10;

void StartQuote(Extraction& run)
{
    QuoteRecord& q = run.quote;
    q.Kurs = 0;
    q.Zeit = TimeText(run.timeOfDay());
    q.Datum = run.today();
    q.Volumen = 0;
}

// False when the window is no Swiss date; Datum is then left alone.
bool TakeDate(Extraction& run)
{
    const auto date = TextToDate(DashesToDots(run.cut.window()));
    if (!date)
        return false;
    run.quote.Datum = *date;
    return true;
}

bool TakeTime(Extraction& run)
{
    run.quote.Zeit = run.cut.window();
    return TextToTime(run.quote.Zeit).has_value();
}

// The price window ends at the first of these.
void CutPriceCell(PageCutter& cut)
{
    cut.SkipPast(u"<B>", 3, 20);
    cut.CutBefore(u"</TD>");
    cut.CutBefore(u"<BR>");
    cut.CutBefore(u"&");
}

int ReadPrice(Extraction& run)
{
    QuoteRecord& q = run.quote;
    q.Kurswert = NormalisedPrice(Trimmed(run.cut.window()));
    q.Kurs = DotToFloat(q.Kurswert).value_or(0);
    return q.Kurs > 0 ? kQuoteRead : kPriceNotPositive;
}

void Report(Extraction& run, const QString& endWord)
{
    if (!run.input.windowVisible)
        return;
    if (run.outcome.status == kQuoteRead)
        run.reportQuote(SwissQuoteLine(run, endWord));
    else
        run.reportFailure();
}

int FindChangeMarker(const PageCutter& cut)
{
    int p = cut.FindMarker(u">Change", 1);
    if (p < kFirstUsableChangeMarker)
        p = cut.FindMarker(u"Ver&auml;nderung", 1);
    if (p < kFirstUsableChangeMarker)
        p = cut.FindMarker(u"Veränderung", 1);
    return p;
}

// The date begins two characters before the first "-", the time two before the next ":".
void ReadStockDateTime(Extraction& run, int p)
{
    PageCutter& cut = run.cut;
    p = cut.FindMarker(u"-", p) - 1;
    cut.TakeWindow(p - 1, 10);
    bool read = TakeDate(run);
    if (read) {
        p = cut.FindMarker(u":", p) - 1;
        cut.TakeWindow(p - 1, 8);
        read = TakeTime(run);
    }
    if (!read)
        run.quote.Zeit = TimeText(run.timeOfDay());
}

int FindLastTrade(const PageCutter& cut)
{
    int p = cut.FindMarker(u"Last", 1);
    if (p < 0)
        p = cut.FindMarker(u"Letzter", 1);
    return p;
}

void ReadStockVolume(Extraction& run, bool detail)
{
    PageCutter& cut = run.cut;
    int p = FindLastTrade(cut);
    if (p < 0)
        p = cut.FindMarker(u">Mid", 1);
    if (p <= 0)
        return;
    if (detail) {
        p = cut.FindMarker(u"_body", p) + 5;
        p = cut.FindMarker(u"_body", p) + 7;
    } else {
        p = cut.FindMarker(u"<B>", p);
    }
    cut.TakeWindow(p + 3, 20);
    run.quote.Volumen = SwissInteger(Before(Trimmed(cut.window()), u'<')).value_or(0);
}

void ReadStockPrice(Extraction& run, bool detail)
{
    PageCutter& cut = run.cut;
    int p = FindLastTrade(cut);
    if (p < 0) {
        p = cut.FindMarker(u"change_body", 1);
        p = cut.FindMarker(u"Mid", p);
    }
    if (detail) {
        p = cut.FindMarker(u"change_body", p);
        p = cut.FindMarker(u">", p) + 2;
    } else {
        p = cut.FindMarker(u"ffc", p);
    }
    if (p <= 0)
        return;
    cut.TakeWindow(p - 1, 100);
    cut.setWindow(cut.window().toUpper());
    CutPriceCell(cut);
    cut.CutBefore(u"</");
    run.outcome.status = ReadPrice(run);
}

SourceEnd ExtractStock(Extraction& run, bool detail)
{
    StartQuote(run);
    const int p = FindChangeMarker(run.cut);
    run.outcome.status = kMarkerMissing;
    if (p <= 0)
        return SourceEnd::ToStorage;
    ReadStockDateTime(run, p);
    ReadStockVolume(run, detail);
    ReadStockPrice(run, detail);
    Report(run, StockEndWord(run.input.swissDomain));
    return SourceEnd::ToStorage;
}

// Date and time stand in the first two bold cells after the title. Returns
// the search position the volume search starts from.
int ReadFundDateTime(Extraction& run, int p)
{
    PageCutter& cut = run.cut;
    p = cut.FindMarker(u"<B>", p);
    cut.TakeWindow(p + 3, 10);
    bool read = TakeDate(run);
    if (read) {
        p = cut.FindMarker(u"<B>", p + 5);
        cut.TakeWindow(p + 3, 8);
        read = TakeTime(run);
    }
    if (!read)
        run.quote.Zeit = TimeText(run.timeOfDay());
    return p;
}

// The fund page gives its volume in millions; a volume beyond 32 bits is 0.
void ReadFundVolume(Extraction& run, int p)
{
    PageCutter& cut = run.cut;
    cut.TakeWindow(p + 3, 20);
    QString window = cut.window();
    RemoveFirst(window, u'\'');
    RemoveFirst(window, u'\'');
    cut.setWindow(window);
    cut.CutBefore(u"<BR>");
    const auto millions = DotToInteger(cut.window());
    run.quote.Volumen = millions ? ScaledVolume(*millions, 1'000'000).value_or(0) : 0;
}

SourceEnd ExtractFund(Extraction& run)
{
    StartQuote(run);
    PageCutter& cut = run.cut;
    int p = cut.FindMarker(u"Titel", 1);
    run.outcome.status = kMarkerMissing;
    if (p < 1)
        return SourceEnd::ToStorage;
    p = ReadFundDateTime(run, p);
    p = cut.FindMarker(u"Last", p);
    if (p > 0) {
        p = cut.FindMarker(u"<B>", p);
        ReadFundVolume(run, p);
        p = cut.FindMarker(u"ffcc9", p);
        if (p > 0) {
            cut.TakeWindow(p - 1, 100);
            CutPriceCell(cut);
            run.outcome.status = ReadPrice(run);
        }
    }
    Report(run, FundEndWord(run.input.swissDomain));
    return SourceEnd::ToStorage;
}

}  // namespace

SourceEnd Extract(Extraction& run)
{
    switch (run.input.entry) {
    case kSwissAktienkurse:
    case kSwissUsAktienkurse:
        return ExtractStock(run, false);
    case kSwissKursdetailSymbol:
        return ExtractStock(run, true);
    case kSwissFondkurse:
        return ExtractFund(run);
    case kSwissAktienkurseIntraday:
        return ExtractIntraday(run);
    default:
        return SourceEnd::ToStorage;
    }
}

QString NormalisedPrice(QString text)
{
    RemoveFirst(text, u'\'');
    text = Trimmed(text);
    ReplaceFirst(text, u',', u'.');
    return text;
}

std::optional<int32_t> SwissInteger(QString text)
{
    RemoveFirst(text, u'\'');
    RemoveFirst(text, u'\'');
    return DotToInteger(text);
}

QString DashesToDots(QString text)
{
    ReplaceFirst(text, u'-', u'.');
    ReplaceFirst(text, u'-', u'.');
    return text;
}

QString StockEndWord(const QString& domain)
{
    return domain.toLower();
}

QString FundEndWord(const QString& domain)
{
    return domain.toLower() + QStringLiteral("=> Fond");
}

QString IntradayEndWord(const QString& domain)
{
    QString word = domain.toLower();
    if (!word.isEmpty())
        word[0] = word[0].toUpper();
    return word;
}

QString SwissQuoteLine(const Extraction& run, const QString& endWord)
{
    QString line = run.quoteLineStart();
    if (run.quote.Volumen != 0)
        line += u'\t' + QString::number(run.quote.Volumen);
    return line + u'\t' + endWord;
}

}  // namespace zelvon::extract::swiss
