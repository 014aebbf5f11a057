// The calendar of the price archive import: which day's file a run reads for
// each step from the start day to today (a weekend reads the Friday before;
// today's file only late in the evening or through that mapping).
#pragma once

#include "platform/formats.h"

namespace zelvon::updates {

bool IsSaturday(DateTime day);
bool IsSunday(DateTime day);

// A Sunday goes back two days, then a Saturday one: the Friday before.
DateTime WeekdayFor(DateTime day);

// Time of day before which today's file is not yet on the server (23:00:05.76).
inline constexpr double kLateEvening = 0.9584;

}  // namespace zelvon::updates
