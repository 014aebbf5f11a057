// Program-wide formats: the one place that turns dates, times and numbers into
// text and back ("dd.mm.yyyy", "hh:nn", decimal ",", thousands "."), whatever
// the machine's locale says.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace zelvon {

// Days since 1899-12-30; the fraction is the time of day.
using DateTime = double;

namespace formats {

inline constexpr QChar kDateSeparator = u'.';
inline constexpr QChar kTimeSeparator = u':';
inline constexpr QChar kDecimalSeparator = u',';
inline constexpr QChar kThousandSeparator = u'.';

struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

struct ClockTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Calendar arithmetic on the day count; no time zones involved.
std::optional<DateTime> EncodeDate(int year, int month, int day);
std::optional<DateTime> EncodeTime(int hour, int minute, int second, int millisecond = 0);
CivilDate DecodeDate(DateTime value);
ClockTime DecodeTime(DateTime value);

// Local wall-clock time of the machine.
DateTime Now();
DateTime Today();
// The machine's year, or the year of the innermost YearOfClock alive on this
// thread: a run with its own clock reads two-digit years by that clock.
int CurrentYear();

class YearOfClock {
public:
    explicit YearOfClock(DateTime clock);
    ~YearOfClock();
    YearOfClock(const YearOfClock&) = delete;
    YearOfClock& operator=(const YearOfClock&) = delete;

private:
    int previous_;
};

// Two-digit years fall in [current year - 50, current year + 49].
int ExpandTwoDigitYear(int twoDigitYear, int currentYear);

// "dd.mm.yyyy"; reading accepts d.m.yy and d.m.yyyy with surrounding blanks.
QString DateToStr(DateTime value);
std::optional<DateTime> StrToDate(QStringView text);

// "hh:nn" for the short form, "hh:nn:ss" for the long one; reading takes h:n or h:n:s.
QString TimeToStr(DateTime value);
QString LongTimeToStr(DateTime value);
std::optional<DateTime> StrToTime(QStringView text);

// "dd.mm.yyyy hh:nn:ss".
QString DateTimeToStr(DateTime value);

// General form with up to 15 significant digits, no trailing zeros, "," as decimal separator.
QString FloatToStr(double value);
// Fixed number of decimals, optionally with "." between thousands.
QString FormatFixed(double value, int decimals, bool thousands);
// Currency format 3 ("1.234,56 €") and negative format 8 ("-1.234,56 €").
QString CurrencyToStr(double value, QStringView symbol, int decimals = 2);

// Leading blanks, optional sign, digits, nothing after them; a 32-bit overflow fails.
std::optional<int32_t> StrToInt(QStringView text);
// "," as decimal separator, optional exponent, surrounding blanks; no thousands
// separators; a non-finite result fails.
std::optional<double> StrToFloat(QStringView text);

}  // namespace formats
}  // namespace zelvon
