#include "extract/extraction.h"

#include "extract/comdirect.h"
#include "extract/consors.h"
#include "extract/taipan.h"
#include "extract/conversions.h"
#include "extract/onvista.h"
#include "extract/teleboerse.h"
#include "extract/wallstreet.h"
#include "extract/winbis.h"
#include "extract/swiss.h"
#include "extract/yahoo.h"

#include <cmath>

namespace zelvon::extract {

Extraction::Extraction(const ExtractionInput& input, const ExtractionHooks& hooks, QuoteRecord& quote)
    : input(input), quote(quote), cut(*input.page), hooks_(hooks)
{
}

DateTime Extraction::now() const
{
    return today() + timeOfDay();
}

DateTime Extraction::today() const
{
    return std::floor(input.now);
}

DateTime Extraction::timeOfDay() const
{
    const formats::ClockTime t = formats::DecodeTime(input.now);
    return formats::EncodeTime(t.hour, t.minute, t.second, t.millisecond).value_or(0);
}

QString Extraction::quoteLineStart() const
{
    return input.security.ZDF + u'\t' + PriceText(quote.Kurs) + u'\t' + quote.Zeit;
}

void Extraction::reportFailure()
{
    outcome.picture = kPictureFailure;
}

void Extraction::reportQuote(const std::optional<QString>& quoteLine)
{
    savePageIfAsked();
    const bool earlierDay = quote.Datum < today();
    if (earlierDay)
        appendLine(DateText(quote.Datum));
    if (quoteLine)
        appendLine(*quoteLine);
    if (earlierDay)
        appendLine(DateText(today()));
    outcome.picture = kPictureQuoteRead;
}

void Extraction::savePageIfAsked()
{
    if (input.savePolicy != 2)
        return;
    outcome.pageSaved = true;
    if (hooks_.savePage)
        hooks_.savePage();
}

void Extraction::appendLine(const QString& line)
{
    if (input.quoteList)
        input.quoteList->appendLine(line);
}

void Extraction::followUp(const QString& address)
{
    if (hooks_.followup)
        hooks_.followup(address);
}

void Extraction::wait(int milliseconds)
{
    if (hooks_.wait)
        hooks_.wait(milliseconds);
}

void Extraction::showStatus(const QString& text)
{
    outcome.feedStatus = text;
    if (hooks_.showStatus)
        hooks_.showStatus(text);
}

void Extraction::fetchButtonsBusy()
{
    if (hooks_.fetchButtonsBusy)
        hooks_.fetchButtonsBusy();
}

ExtractionOutcome QuoteExtractor::SpeedButton3Click(const ExtractionInput& input, const ExtractionHooks& hooks)
{
    Extraction run(input, hooks, quote);
    const formats::YearOfClock year(run.now());
    quote.Volumen = 0;
    quote.Kurs = 0;
    const bool pageEmpty = input.page->textLength() == 0;
    if (input.source == kSourceWinBis || !pageEmpty) {
        if (dispatch(run) == SourceEnd::AtOnce) {
            run.outcome.endedAtOnce = true;
            return run.outcome;
        }
    }
    storageStep(run, hooks);
    return run.outcome;
}

void QuoteExtractor::SpeedButton5Click(TextView& quoteList)
{
    quoteList.clear();
}

SourceEnd QuoteExtractor::dispatch(Extraction& run)
{
    if (run.input.source == kSourceYahoo)
        return yahoo::Extract(run);
    if (IsComdirectSource(run.input.source))
        return comdirect::Extract(run);
    if (run.input.source == kSourceOnvista)
        return onvista::Extract(run);
    if (run.input.source == kSourceWallstreet)
        return wallstreet::Extract(run);
    if (run.input.source == kSourceConsors)
        return consors::Extract(run);
    if (run.input.source == kSourceTeleboerse)
        return teleboerse::Extract(run);
    if (run.input.source == kSourceSwiss)
        return swiss::Extract(run);
    if (run.input.source == kSourceWinBis)
        return winbis::Extract(run);
    if (run.input.source == kSourceTaiPan)
        return taipan::Extract(run);
    return SourceEnd::ToStorage;
}

void QuoteExtractor::storageStep(Extraction& run, const ExtractionHooks& hooks)
{
    if (quote.Kurs > 0 && quote.Datum != 0) {
        quote.ZeitTemp = TextToTime(quote.Zeit).value_or(run.timeOfDay());
        run.outcome.stored = true;
        if (hooks.store)
            hooks.store({run.input.security.Firma, quote.Kurs, quote.Volumen, quote.Datum + quote.ZeitTemp});
    }
    if (hooks.fetchButtonsReady)
        hooks.fetchButtonsReady();
}

}  // namespace zelvon::extract
