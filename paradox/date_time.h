// Paradox day numbers (day 1 = 0001-01-01, proleptic Gregorian) and times
// (milliseconds since midnight), and their conversion to the program's
// date-time: days since 1899-12-30 with the time of day as fraction.
#pragma once

#include <cstdint>
#include <string>

namespace paradox {

// Paradox day number of 1899-12-30.
constexpr int64_t kDateTimeEpochDay = 693594;
constexpr int64_t kMillisPerDay = 86400000;

struct CivilDate {
    int64_t year;
    int month;
    int day;
};

CivilDate CivilFromDay(int64_t paradox_day);
int64_t DayFromCivil(int64_t year, int month, int day);

// Timestamps as total milliseconds (day number * 86400000 + ms of day).
double DateTimeFromMillis(int64_t total_millis);
// Rounds to the nearest millisecond, so a value converted from millis comes back unchanged.
int64_t MillisFromDateTime(double date_time);

std::string FormatDate(int64_t paradox_day);      // YYYY-MM-DD
std::string FormatTime(int64_t millis_of_day);    // HH:MM:SS.mmm

}  // namespace paradox
