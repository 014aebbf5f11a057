// Fuzz target: the first bytes choose the source (any of the fifteen), the
// exchange entry, the window state, a company-name factor, whether the
// security has an ISIN, and the clock; the rest is the page text in
// Windows-1252, whose second half is also the page a follow-up fetch returns.
// The DDE sources run with no feed to talk to. The extraction runs twice on
// one quote record, as the main window's record carries values over; the
// Swiss intraday list's posts of the first run are the stored trades of the
// second. Odd pages may give no quote; crashes, undefined behaviour and
// impossible outcomes may not.
#include "extract/extraction.h"
#include "platform/codec.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace {

using namespace zelvon;
using namespace zelvon::extract;

constexpr size_t kSettingBytes = 3;
// Entries that mean something to some source, and none.
constexpr int kEntries[] = {0, 1, 2, kOnvistaDbZertifikate, 21, -1};
// At most a date line above and below the quote line.
constexpr int kLinesPerRun = 3;

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool KnownStatus(int status)
{
    return status == kQuoteRead || status == kMarkerMissing || status == kPriceNotPositive
           || status == kPriceNotANumber;
}

bool IsIntradayList(const ExtractionInput& input)
{
    return input.source == kSourceSwiss && input.entry == kSwissAktienkurseIntraday;
}

// Posts of one run: priced, in strictly rising time, after the stored trade,
// with a day volume that never falls.
void CheckPosts(const std::vector<IntradayRow>& posts, size_t from, const StoredTrade& stored, DateTime now)
{
    DateTime previous = stored.Zeit;
    int32_t volume = std::floor(stored.Zeit) == std::floor(now) ? stored.Volumen : 0;
    for (size_t i = from; i < posts.size(); ++i) {
        Require(posts[i].Kurs > 0 && std::isfinite(posts[i].Kurs));
        Require(posts[i].Zeit > previous && posts[i].Volumen >= volume);
        previous = posts[i].Zeit;
        volume = posts[i].Volumen;
    }
}

void Check(const ExtractionOutcome& outcome, const QuoteRecord& quote, int listedBefore, const TextView& quoteList,
           bool intraday)
{
    Require(KnownStatus(outcome.status));
    Require(intraday || quoteList.lineCount() - listedBefore <= kLinesPerRun);
    if (outcome.stored)
        Require(quote.Kurs > 0 && std::isfinite(quote.Kurs) && quote.Datum != 0);
    if (outcome.endedAtOnce)
        Require(!outcome.stored);
}

DateTime Clock(uint8_t choice)
{
    const int hours[] = {0, 10, 18, 23};
    return *formats::EncodeDate(2024, 3, 15) + *formats::EncodeTime(hours[choice % 4], choice % 60, 30);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kSettingBytes)
        return 0;
    const uint8_t flags = data[1];
    const QString text = codec::DecodeWindows1252(QByteArrayView(data + kSettingBytes, qsizetype(size - kSettingBytes)));
    TextView page(text);
    TextView quoteList;
    ExtractionInput input;
    input.page = &page;
    input.quoteList = &quoteList;
    input.source = data[0] % kSourceCount;
    input.entry = kEntries[(data[0] / kSourceCount + (flags & 3)) % std::size(kEntries)];
    input.windowVisible = !(flags & 4);
    input.savePolicy = (flags >> 3) % 3;
    input.security.ZDF = QStringLiteral("FUZZ");
    input.security.Firmenname = (flags & 32) ? QStringLiteral("Kleinwert AG ([0,01])") : QStringLiteral("Wert AG");
    input.security.ISIN = (flags & 128) ? QStringLiteral("DE0007164600") : QString();
    input.SizeTemp = (flags & 64) ? 7000 : double(page.textLength());
    input.now = Clock(data[2]);
    if (input.source == kSourceSwiss && input.entry == 0)
        input.entry = data[2] % 5;
    input.swissDomain = QStringLiteral("fuzz.example");

    std::vector<IntradayRow> posts;
    StoredTrade stored;
    ExtractionHooks hooks;
    hooks.followup = [&](const QString&) { page.setText(text.mid(text.size() / 2)); };
    hooks.lastTrade = [&] { return stored; };
    hooks.postTrade = [&](const IntradayRow& row) { posts.push_back(row); };
    QuoteExtractor extractor;
    for (int run = 0; run < 2; ++run) {
        page.setText(text);
        const int listedBefore = quoteList.lineCount();
        const size_t postedBefore = posts.size();
        const ExtractionOutcome outcome = extractor.SpeedButton3Click(input, hooks);
        Check(outcome, extractor.quote, listedBefore, quoteList, IsIntradayList(input));
        CheckPosts(posts, postedBefore, stored, input.now);
        if (!posts.empty())
            stored = {posts.back().Volumen, posts.back().Zeit};
    }
    return 0;
}
