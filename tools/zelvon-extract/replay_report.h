// What the replay prints: one "name<TAB>value" line per member of the run's
// result in a fixed order, so scripts can read it line by line.
#pragma once

#include "extract/extraction.h"

#include <QString>
#include <QTextStream>

#include <optional>

namespace zelvon::replay {

// Tab, CR and LF as the two characters \t, \r and \n, so a value stays on one line.
QString EscapeLineBreaks(const QString& text);

// Kurs, Datum, Zeit, Volumen, Bid, Ask, Status, Icon, Stored, the quote list's
// lines, Followup when a search result page led to a follow-up fetch, SavePage
// and, when the run ended at once, Ended.
void PrintReplay(QTextStream& out, const extract::QuoteRecord& quote, const extract::ExtractionOutcome& outcome,
                 const TextView& quoteList, const std::optional<QString>& followupAddress);

}  // namespace zelvon::replay
