#include "paradox/date_time.h"

#include <cmath>
#include <cstdio>

namespace paradox {
namespace {

// Days from 0000-03-01 based arithmetic (Howard Hinnant's civil calendar).
int64_t DaysFromCivilUnix(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

// Paradox day 1 (0001-01-01) is Unix day -719162.
constexpr int64_t kUnixDayOfParadoxDay0 = -719163;

}  // namespace

CivilDate CivilFromDay(int64_t paradox_day) {
    int64_t z = paradox_day + kUnixDayOfParadoxDay0 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = int64_t(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return CivilDate{y + (m <= 2), int(m), int(d)};
}

int64_t DayFromCivil(int64_t year, int month, int day) {
    return DaysFromCivilUnix(year, unsigned(month), unsigned(day)) - kUnixDayOfParadoxDay0;
}

double DateTimeFromMillis(int64_t total_millis) {
    int64_t day = total_millis / kMillisPerDay;
    int64_t ms = total_millis % kMillisPerDay;
    if (ms < 0) {
        ms += kMillisPerDay;
        --day;
    }
    double days = double(day - kDateTimeEpochDay);
    double fraction = double(ms) / double(kMillisPerDay);
    // Before the epoch the fraction still counts forward from midnight, as the
    // date-time type has it (-1.25 is 1899-12-29 06:00).
    return days < 0 ? days - fraction : days + fraction;
}

int64_t MillisFromDateTime(double date_time) {
    double whole = std::trunc(date_time);
    double fraction = std::fabs(date_time - whole);
    int64_t ms = std::llround(fraction * double(kMillisPerDay));
    int64_t day = int64_t(whole) + kDateTimeEpochDay;
    return day * kMillisPerDay + ms;
}

std::string FormatDate(int64_t paradox_day) {
    CivilDate c = CivilFromDay(paradox_day);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04lld-%02d-%02d", static_cast<long long>(c.year), c.month, c.day);
    return buffer;
}

std::string FormatTime(int64_t millis_of_day) {
    char buffer[48];
    int64_t ms = millis_of_day;
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld.%03lld", static_cast<long long>(ms / 3600000),
                  static_cast<long long>(ms / 60000 % 60), static_cast<long long>(ms / 1000 % 60),
                  static_cast<long long>(ms % 1000));
    return buffer;
}

}  // namespace paradox
