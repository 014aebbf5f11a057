// What the replay prints: the quote list lines of the run, the status code with
// its meaning, the quote record's members, and why no quote was read.
#pragma once

#include "extract/extraction.h"

#include <QString>
#include <QTextStream>

namespace zelvon::replay {

// The German meaning of a source extraction's status code.
QString StatusMeaning(int status);

// Empty when the run read a quote; otherwise why it did not.
QString NoQuoteReason(const extract::ExtractionInput& input, const extract::ExtractionOutcome& outcome,
                      const extract::QuoteRecord& quote);

// Source, entry, clock and the security's fields that are not empty.
void PrintInputs(QTextStream& out, const extract::ExtractionInput& input, const QString& ticker);

void PrintQuoteList(QTextStream& out, const TextView& quoteList);
void PrintOutcome(QTextStream& out, const extract::ExtractionOutcome& outcome);
void PrintQuoteRecord(QTextStream& out, const extract::QuoteRecord& quote);

}  // namespace zelvon::replay
