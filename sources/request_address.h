// The request address of a quote page: built from the selected source and
// exchange entry, the current security's identifiers and the configured hosts.
// Window-free: the main window reads the fields, calls the builder and puts the
// result into its address field. Values enter the address exactly as stored;
// blanks are encoded later, by the transport.
#pragma once

#include "sources/host_config.h"

#include <QString>

#include <optional>

namespace zelvon {

// The fields of the current security record the address depends on, as read.
struct SecurityIdentifiers {
    QString Kennung;
    QString ISIN;
    QString Ticker;
    QString Waehrung;
};

// The new address for `source` and `entry` (kNoEntry when none is selected), or
// no value when this selection leaves the previous address in place: WinBis,
// TaiPan, no source, and comdirect, Swiss or wallstreet-online without an entry.
std::optional<QString> BuildRequestAddress(int source, int entry, const SecurityIdentifiers& security,
                                           const HostConfig& hosts);

// The address the address field holds after the builder ran on `previous`.
QString RebuildRequestAddress(int source, int entry, const SecurityIdentifiers& security, const HostConfig& hosts,
                              const QString& previous);

// The comdirect search page of a source ("aktien.html", ...); empty for other sources.
QString ComdirectPageName(int source);

// "&SORT=GEN_CURRENCY" for the comdirect funds, warrants, shares and
// certificates sources unless the currency is exactly "EUR"; empty otherwise.
QString ComdirectCurrencySuffix(int source, const QString& waehrung);

// Kennung without a trailing "_BID" part, found in any letter case.
QString BidFreeIdentifier(const QString& kennung);

}  // namespace zelvon
