#include "updates/archive_calendar.h"

#include <cmath>

namespace zelvon::updates {
namespace {

// Day 0, 1899-12-30, was a Saturday.
int DayInWeek(DateTime day) {
    const int64_t n = int64_t(std::floor(day));
    return int(((n % 7) + 7) % 7);
}

}  // namespace

bool IsSaturday(DateTime day) { return DayInWeek(day) == 0; }

bool IsSunday(DateTime day) { return DayInWeek(day) == 1; }

DateTime WeekdayFor(DateTime day) {
    if (IsSunday(day)) day -= 2;
    if (IsSaturday(day)) day -= 1;
    return day;
}

}  // namespace zelvon::updates
