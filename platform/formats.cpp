#include "platform/formats.h"

#include "platform/trim.h"

#include <QDateTime>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace zelvon::formats {
namespace {

constexpr int64_t kMillisecondsPerDay = 86'400'000;
// Day number of 1899-12-30 counted from 1970-01-01.
constexpr int64_t kEpochOffsetDays = 25'569;

// Days from 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

CivilDate CivilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
    return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Splits a value into whole days and milliseconds of the day; negative day
// numbers carry their time as a positive fraction, as the suite stores them.
void SplitDayAndTime(DateTime value, int64_t& day, int64_t& msOfDay) {
    if (value >= 0) {
        const int64_t total = std::llround(value * kMillisecondsPerDay);
        day = total / kMillisecondsPerDay;
        msOfDay = total % kMillisecondsPerDay;
        return;
    }
    day = static_cast<int64_t>(std::trunc(value));
    msOfDay = std::llround(std::fabs(value - static_cast<double>(day)) * kMillisecondsPerDay);
    if (msOfDay >= kMillisecondsPerDay) {
        msOfDay = 0;
        --day;
    }
}

QString TwoDigits(int value) { return QString::number(value).rightJustified(2, u'0'); }

std::optional<int> ParseSmallNumber(QStringView text, int maxDigits) {
    if (text.isEmpty() || text.size() > maxDigits) return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

std::string ToAscii(QStringView text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text) {
        if (c.unicode() > 127) return {};
        out.push_back(static_cast<char>(c.unicode()));
    }
    return out;
}

}  // namespace

std::optional<DateTime> EncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return std::nullopt;
    if (day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
    return static_cast<double>(DaysFromCivil(year, month, day) + kEpochOffsetDays);
}

std::optional<DateTime> EncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999) {
        return std::nullopt;
    }
    const int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<double>(ms) / kMillisecondsPerDay;
}

CivilDate DecodeDate(DateTime value) {
    int64_t day = 0;
    int64_t ms = 0;
    SplitDayAndTime(value, day, ms);
    return CivilFromDays(day - kEpochOffsetDays);
}

ClockTime DecodeTime(DateTime value) {
    int64_t day = 0;
    int64_t ms = 0;
    SplitDayAndTime(value, day, ms);
    ClockTime t;
    t.millisecond = static_cast<int>(ms % 1000);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.minute = static_cast<int>(ms / 60'000 % 60);
    t.hour = static_cast<int>(ms / 3'600'000);
    return t;
}

DateTime Now() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return *EncodeDate(d.year(), d.month(), d.day()) +
           *EncodeTime(t.hour(), t.minute(), t.second(), t.msec());
}

DateTime Today() { return std::floor(Now()); }

namespace {
// 0 while no YearOfClock is alive.
thread_local int yearOfClock = 0;
}  // namespace

int CurrentYear() { return yearOfClock != 0 ? yearOfClock : QDate::currentDate().year(); }

YearOfClock::YearOfClock(DateTime clock) : previous_(yearOfClock) { yearOfClock = DecodeDate(clock).year; }

YearOfClock::~YearOfClock() { yearOfClock = previous_; }

int ExpandTwoDigitYear(int twoDigitYear, int currentYear) {
    const int first = currentYear - 50;
    int year = first - first % 100 + twoDigitYear;
    if (year < first) year += 100;
    return year;
}

QString DateToStr(DateTime value) {
    const CivilDate d = DecodeDate(value);
    return TwoDigits(d.day) + kDateSeparator + TwoDigits(d.month) + kDateSeparator +
           QString::number(d.year).rightJustified(4, u'0');
}

std::optional<DateTime> StrToDate(QStringView text) {
    const QStringView trimmed = TrimmedView(text);
    const qsizetype first = trimmed.indexOf(kDateSeparator);
    const qsizetype second = first < 0 ? -1 : trimmed.indexOf(kDateSeparator, first + 1);
    if (second < 0) return std::nullopt;
    const auto day = ParseSmallNumber(trimmed.mid(0, first), 2);
    const auto month = ParseSmallNumber(trimmed.mid(first + 1, second - first - 1), 2);
    const QStringView yearText = trimmed.mid(second + 1);
    const auto year = ParseSmallNumber(yearText, 4);
    if (!day || !month || !year || (yearText.size() != 2 && yearText.size() != 4)) {
        return std::nullopt;
    }
    const int fullYear = yearText.size() == 2 ? ExpandTwoDigitYear(*year, CurrentYear()) : *year;
    return EncodeDate(fullYear, *month, *day);
}

QString TimeToStr(DateTime value) {
    const ClockTime t = DecodeTime(value);
    return TwoDigits(t.hour) + kTimeSeparator + TwoDigits(t.minute);
}

QString LongTimeToStr(DateTime value) {
    const ClockTime t = DecodeTime(value);
    return TimeToStr(value) + kTimeSeparator + TwoDigits(t.second);
}

std::optional<DateTime> StrToTime(QStringView text) {
    const QStringView trimmed = TrimmedView(text);
    const auto parts = trimmed.split(kTimeSeparator);
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    const auto hour = ParseSmallNumber(parts[0], 2);
    const auto minute = ParseSmallNumber(parts[1], 2);
    const auto second = parts.size() == 3 ? ParseSmallNumber(parts[2], 2) : std::optional<int>(0);
    if (!hour || !minute || !second) return std::nullopt;
    return EncodeTime(*hour, *minute, *second);
}

QString DateTimeToStr(DateTime value) { return DateToStr(value) + u' ' + LongTimeToStr(value); }

QString FloatToStr(double value) {
    if (!std::isfinite(value)) return value != value ? QStringLiteral("NAN") : QStringLiteral("INF");
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    const auto e = text.find('e');
    if (e != std::string::npos) {
        // "1.5e+20" -> "1,5E20", "1e-05" -> "1E-5"
        std::string mantissa = text.substr(0, e);
        const char sign = text[e + 1];
        std::string digits = text.substr(e + 2);
        digits.erase(0, digits.find_first_not_of('0'));
        text = mantissa + 'E' + (sign == '-' ? "-" : "") + digits;
    }
    QString out = QString::fromLatin1(text.c_str());
    out.replace(u'.', kDecimalSeparator);
    return out;
}

QString FormatFixed(double value, int decimals, bool thousands) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return FloatToStr(value);
    std::string text(buffer, result.ptr);
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.erase(0, 1);
    const auto point = text.find('.');
    std::string whole = text.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    QString out;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (thousands && i > 0 && (whole.size() - i) % 3 == 0) out += kThousandSeparator;
        out += QChar(whole[i]);
    }
    if (!fraction.empty()) out += kDecimalSeparator + QString::fromLatin1(fraction.c_str());
    const bool allZero = out.count(u'0') + out.count(kDecimalSeparator) + out.count(kThousandSeparator) == out.size();
    return negative && !allZero ? u'-' + out : out;
}

QString CurrencyToStr(double value, QStringView symbol, int decimals) {
    return FormatFixed(value, decimals, true) + u' ' + symbol.toString();
}

std::optional<int32_t> StrToInt(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].unicode() <= 32) ++i;
    const std::string ascii = ToAscii(text.mid(i));
    if (ascii.empty()) return std::nullopt;
    const char* begin = ascii.data();
    const char* end = begin + ascii.size();
    if (*begin == '+' && begin + 1 != end && begin[1] != '-') ++begin;
    int32_t value = 0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
    return value;
}

std::optional<double> StrToFloat(QStringView text) {
    std::string ascii = ToAscii(TrimmedView(text));
    if (ascii.empty() || ascii.find('.') != std::string::npos) return std::nullopt;
    for (char& c : ascii) {
        if (c == ',') c = '.';
    }
    const char* begin = ascii.data();
    const char* end = begin + ascii.size();
    if (*begin == '+' && begin + 1 != end && begin[1] != '-') ++begin;
    double value = 0;
    const auto result = std::from_chars(begin, end, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace zelvon::formats
