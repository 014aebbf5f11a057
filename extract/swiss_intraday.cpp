// The Swiss intraday trade list: rows numbered 1, 2, 3 ..., each with a time
// cell, a bold price and a volume cell. Trades later than the newest stored
// one add their volume to the stored day volume and are posted as rows of
// their own, in time order, so an interrupted read resumes where it stopped.
#include "extract/swiss.h"

#include "extract/conversions.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <vector>

namespace zelvon::extract::swiss {

namespace {

// Where a cell's text starts.
const QString kCellStart = QStringLiteral("1\">");
// The first row is searched up to this number.
constexpr int kFirstRowLimit = 5000;
constexpr qint64 kMillisecondsPerDay = 86'400'000;

qint64 Milliseconds(DateTime timeOfDay)
{
    return std::llround(timeOfDay * double(kMillisecondsPerDay));
}

// The search position of the first ">n<" for every row number n, found in one
// pass: searching the page once per row would make long lists quadratic.
class RowIndex {
public:
    explicit RowIndex(const TextView& page)
    {
        const QString full = page.text();
        int position = 0;  // the search text counts a line break as one character
        for (qsizetype i = 0; i < full.size(); ++i) {
            if (full[i] == u'\r')
                continue;
            if (full[i] == u'>' && position > 0)
                noteNumberAt(full, i, position);
            ++position;
        }
    }

    int find(int row) const
    {
        const auto found = first_.find(row);
        return found == first_.end() ? -1 : found->second;
    }

private:
    // Row numbers are written without leading zeros and fit 32 bits.
    void noteNumberAt(const QString& full, qsizetype at, int position)
    {
        qsizetype end = at + 1;
        qint64 number = 0;
        while (end < full.size() && full[end].isDigit() && full[end].unicode() < 0x80 && end - at <= 10) {
            number = number * 10 + (full[end].unicode() - u'0');
            ++end;
        }
        const qsizetype digits = end - at - 1;
        const bool plain = digits > 0 && digits <= 10 && (digits == 1 || full[at + 1] != u'0');
        if (plain && end < full.size() && full[end] == u'<' && number <= std::numeric_limits<int32_t>::max())
            first_.try_emplace(int(number), position);
    }

    std::unordered_map<int, int> first_;
};

struct Trade {
    qint64 time = 0;     // milliseconds of the day
    double Kurs = 0;
    int32_t added = 0;   // volume the trade added to the day volume
};

// The stored day volume and time count only when they are of the list's day.
void ReadStoredTrade(Extraction& run)
{
    QuoteRecord& q = run.quote;
    const auto& lastTrade = run.hooks().lastTrade;
    const StoredTrade stored = lastTrade ? lastTrade() : StoredTrade{};
    const bool sameDay = std::floor(stored.Zeit) == q.Datum;
    q.Volumen = sameDay ? stored.Volumen : 0;
    q.ZeitTemp = sameDay ? stored.Zeit - std::floor(stored.Zeit) : 0;
}

// Reads one row from its number's position; returns the status code.
int ReadRow(Extraction& run, int p)
{
    QuoteRecord& q = run.quote;
    PageCutter& cut = run.cut;
    p = cut.FindMarker(kCellStart, p);
    cut.TakeWindow(p + 3, 8);
    q.Zeit = DashesToDots(cut.window());
    if (!TextToTime(q.Zeit))
        q.Zeit = TimeText(run.timeOfDay());
    p = cut.FindMarker(u"<B>", p);
    if (p <= 0)
        return kMarkerMissing;
    cut.TakeWindow(p + 3, 8);
    cut.CutBefore(u"<");
    q.Kurswert = NormalisedPrice(cut.window());
    q.Kurs = DotToFloat(q.Kurswert).value_or(0);
    int status = q.Kurs > 0 ? kQuoteRead : kPriceNotPositive;
    p = cut.FindMarker(kCellStart, p);
    if (p > 0) {
        cut.TakeWindow(p + 3, 20);
        q.AVol = SwissInteger(Before(cut.window(), u'<')).value_or(0);
        status = kPriceNotPositive;
    }
    return status;
}

// A day volume beyond 32 bits takes nothing more.
int32_t AddVolume(QuoteRecord& q)
{
    const qint64 sum = qint64(q.Volumen) + q.AVol;
    if (sum > std::numeric_limits<int32_t>::max() || sum < std::numeric_limits<int32_t>::min())
        return 0;
    q.Volumen = int32_t(sum);
    return q.AVol;
}

// One row per second with a priced trade, in time order, each holding the day
// volume up to and including it; trades of the same second make one row.
void PostTrades(Extraction& run, std::vector<Trade> trades, int32_t storedVolume)
{
    const auto& post = run.hooks().postTrade;
    if (!post)
        return;
    std::stable_sort(trades.begin(), trades.end(), [](const Trade& a, const Trade& b) { return a.time < b.time; });
    qint64 volume = storedVolume;
    double price = 0;
    for (size_t i = 0; i < trades.size(); ++i) {
        volume += trades[i].added;
        if (trades[i].Kurs > 0)
            price = trades[i].Kurs;
        const bool lastOfSecond = i + 1 == trades.size() || trades[i + 1].time != trades[i].time;
        if (lastOfSecond && price > 0) {
            post({run.input.security.Firma, price, int32_t(volume),
                  run.quote.Datum + double(trades[i].time) / double(kMillisecondsPerDay)});
            price = 0;
        }
    }
}

}  // namespace

SourceEnd ExtractIntraday(Extraction& run)
{
    QuoteRecord& q = run.quote;
    q.Kurs = 0;
    q.Zeit = TimeText(run.timeOfDay());
    q.Volumen = 0;
    q.Anzahl = 0;
    q.ZeitTemp = 0;
    // The list has no date of its own: its trades are of the day it is read.
    q.Datum = run.today();

    const RowIndex rows(*run.input.page);
    std::vector<Trade> newTrades;
    int32_t storedVolume = 0;
    int status = kPriceNotPositive;
    while (status == kPriceNotPositive) {
        ++q.Anzahl;
        q.AVol = 0;
        int p = rows.find(q.Anzahl);
        if (q.Anzahl == 1) {
            ReadStoredTrade(run);
            storedVolume = q.Volumen;
            while (p < 1 && q.Anzahl < kFirstRowLimit)
                p = rows.find(++q.Anzahl);
        }
        status = kMarkerMissing;
        if (p <= 0)
            break;
        status = ReadRow(run, p);
        const qint64 time = Milliseconds(TextToTime(q.Zeit).value_or(run.timeOfDay()));
        if (time <= Milliseconds(q.ZeitTemp))
            continue;
        newTrades.push_back({time, q.Kurs, AddVolume(q)});
        if (!run.input.windowVisible)
            continue;
        if (status == kPriceNotPositive)
            run.reportQuote(SwissQuoteLine(run, IntradayEndWord(run.input.swissDomain)));
        else
            run.reportFailure();
    }
    run.outcome.status = status;
    PostTrades(run, std::move(newTrades), storedVolume);
    return SourceEnd::ToStorage;
}

}  // namespace zelvon::extract::swiss
