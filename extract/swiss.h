// Swiss quote pages (source 6): the stock page and its detail layout, the
// fund page and the intraday trade list, chosen by the exchange entry. The
// pages write "'" as thousands separator and dates as dd-mm-yyyy.
#pragma once

#include "extract/extraction.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace zelvon::extract::swiss {

SourceEnd Extract(Extraction& run);

// The intraday trade list (entry 1); rows newer than the newest stored trade
// add their volume and are posted one by one.
SourceEnd ExtractIntraday(Extraction& run);

// First "'" deleted, trimmed, first "," turned into ".".
QString NormalisedPrice(QString text);
// First two "'" deleted, then DotToInteger.
std::optional<int32_t> SwissInteger(QString text);
// The first two "-" of a text turned into ".".
QString DashesToDots(QString text);

// End words of the quote log line, from the Swiss source's domain name.
QString StockEndWord(const QString& domain);
QString FundEndWord(const QString& domain);
QString IntradayEndWord(const QString& domain);

// ZDF, tab, price, tab, time text, [tab, Volumen when not 0], tab, end word.
QString SwissQuoteLine(const Extraction& run, const QString& endWord);

}  // namespace zelvon::extract::swiss
