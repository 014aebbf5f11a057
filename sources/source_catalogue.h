// The fixed catalogue of quote sources and the exchange list of each source.
// Settings, group defaults and the extraction step store both selections as
// indices, so every order below is part of the stored data. Window-free: the
// main window copies these lists into its two selectors.
#pragma once

#include "sources/host_config.h"

#include <QString>
#include <QStringList>

namespace zelvon {

// Positions in the source selector.
enum SourceIndex : int {
    kSourceYahoo = 0,
    kSourceComdirectFonds = 1,
    kSourceComdirectOptionsscheine = 2,
    kSourceComdirectAktien = 3,
    kSourceComdirectIndizes = 4,
    kSourceComdirectZertifikate = 5,
    kSourceSwiss = 6,
    kSourceComdirectWaehrungen = 7,
    kSourceComdirectAlles = 8,
    kSourceWinBis = 9,
    kSourceWallstreet = 10,
    kSourceOnvista = 11,
    kSourceConsors = 12,
    kSourceTaiPan = 13,
    kSourceTeleboerse = 14,
};

inline constexpr int kSourceCount = 15;
// Rows the source selector shows when dropped down: all sources at once.
inline constexpr int kSourceDropDownRows = 15;
// A selector index that selects nothing.
inline constexpr int kNoEntry = -1;

// Entries of the identifier list shared by the comdirect sources and Consors.
enum IdentifierEntry : int { kEntryWkn = 0, kEntryIsin = 1, kEntryTicker = 2 };

// Entries of the Swiss list.
enum SwissEntry : int {
    kSwissAktienkurse = 0,
    kSwissAktienkurseIntraday = 1,
    kSwissFondkurse = 2,
    kSwissUsAktienkurse = 3,
    kSwissKursdetailSymbol = 4,
};

// Entries of the wallstreet-online list.
enum WallstreetEntry : int { kWallstreetIsin = 0, kWallstreetLsWkn = 1 };

// Entries of the Teleboerse list; note the order differs from the identifier list.
enum TeleboerseEntry : int { kTeleboerseTicker = 0, kTeleboerseWkn = 1, kTeleboerseIsin = 2 };

// The one Onvista entry with its own address.
inline constexpr int kOnvistaDbZertifikate = 6;

// True for the comdirect sources 1 to 5, 7 and 8.
constexpr bool IsComdirectSource(int source) {
    return (source >= kSourceComdirectFonds && source <= kSourceComdirectZertifikate) ||
           source == kSourceComdirectWaehrungen || source == kSourceComdirectAlles;
}

// The fifteen captions of the source selector, by source index. The Swiss
// caption carries the configured Swiss domain name.
QStringList SourceCaptions(const HostConfig& hosts);

// The exchange list of a source; empty for an index outside the catalogue.
QStringList ExchangeEntries(int source, const HostConfig& hosts);

// What the exchange selector shows before the first change of source.
QStringList InitialExchangeEntries();

// The entry a source change selects: the default exchange for Yahoo, WinBis and
// TaiPan, the first entry otherwise; kNoEntry when that index is outside the list.
int PreselectedEntry(int source, int stdBoerse, int entryCount);

// The exchange selector's content and selected entry.
struct ExchangeSelection {
    QStringList entries;
    int selected = kNoEntry;
};

// The exchange selector before the first change of source, "Xetra" shown.
ExchangeSelection InitialExchangeSelection();

// The exchange selector after the source selector moved to `source`; the
// caller applies it and then rebuilds the request address.
ExchangeSelection SelectSource(int source, int stdBoerse, const HostConfig& hosts);

}  // namespace zelvon
