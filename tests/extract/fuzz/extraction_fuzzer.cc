// Fuzz target: the first bytes choose the source (any of the fifteen), the
// exchange entry, the window state, a company-name factor, whether the
// security has an ISIN, and the clock; the rest is the page text in
// Windows-1252, whose second half is also the page a follow-up fetch returns.
// The DDE sources run with no feed to talk to. The extraction runs twice on
// one quote record, as the
// main window's record carries values over. Odd pages may give no quote;
// crashes, undefined behaviour and impossible outcomes may not.
#include "extract/extraction.h"
#include "platform/codec.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>

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

void Check(const ExtractionOutcome& outcome, const QuoteRecord& quote, int listedBefore, const TextView& quoteList)
{
    Require(KnownStatus(outcome.status));
    Require(quoteList.lineCount() - listedBefore <= kLinesPerRun);
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

    ExtractionHooks hooks;
    hooks.followup = [&](const QString&) { page.setText(text.mid(text.size() / 2)); };
    QuoteExtractor extractor;
    for (int run = 0; run < 2; ++run) {
        page.setText(text);
        const int listedBefore = quoteList.lineCount();
        const ExtractionOutcome outcome = extractor.SpeedButton3Click(input, hooks);
        Check(outcome, extractor.quote, listedBefore, quoteList);
    }
    return 0;
}
