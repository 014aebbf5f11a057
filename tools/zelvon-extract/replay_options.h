// The replay tool's command line: the source and entry, the saved page, the
// current security's fields, the run's clock and the optional data directory
// the quote is stored into.
#pragma once

#include "platform/formats.h"

#include <QString>

#include <optional>

namespace zelvon::replay {

struct ReplayOptions {
    int source = -1;
    int entry = -1;
    QString pageFile;
    // The page the follow-up fetch returns; empty: that fetch fails with an HTTP error.
    QString followupFile;
    std::optional<QString> kennung;
    std::optional<QString> isin;
    // No source the replay runs reads a ticker; accepted so the command line stays the same for all.
    std::optional<QString> ticker;
    std::optional<QString> waehrung;
    std::optional<QString> name;
    std::optional<QString> zdf;
    std::optional<DateTime> now;
    bool hidden = false;
    int policy = 0;
    std::optional<double> sizeTemp;
    std::optional<int32_t> firma;
    QString storeDirectory;
    std::optional<QString> swissDomain;
    // The last stored intraday row as the Swiss intraday list reads it; both or neither.
    std::optional<int32_t> lastVolume;
    std::optional<DateTime> lastTime;
    bool help = false;
};

extern const char* const kReplayUsage;

// False with a German message in error when the arguments are not usable.
bool ParseReplayOptions(const QStringList& arguments, ReplayOptions& options, QString& error);

// "dd.mm.yyyy hh:nn:ss".
std::optional<DateTime> ParseDateTime(const QString& text);

}  // namespace zelvon::replay
