#include "platform/formats.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

namespace zelvon::formats {
namespace {

TEST(Formats, DatesRoundTripOnTheSuiteEpoch) {
    EXPECT_EQ(*EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(*EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(*EncodeDate(2026, 12, 9), 46365.0);
    const CivilDate d = DecodeDate(46365.75);
    EXPECT_EQ(d.year, 2026);
    EXPECT_EQ(d.month, 12);
    EXPECT_EQ(d.day, 9);
    EXPECT_FALSE(EncodeDate(2025, 2, 29));
    EXPECT_TRUE(EncodeDate(2024, 2, 29));
    EXPECT_FALSE(EncodeDate(2024, 13, 1));
}

TEST(Formats, TimesKeepMilliseconds) {
    const DateTime t = *EncodeDate(2026, 12, 9) + *EncodeTime(23, 59, 59, 999);
    const ClockTime c = DecodeTime(t);
    EXPECT_EQ(c.hour, 23);
    EXPECT_EQ(c.minute, 59);
    EXPECT_EQ(c.second, 59);
    EXPECT_EQ(c.millisecond, 999);
    EXPECT_EQ(DecodeDate(t).day, 9);
    EXPECT_EQ(LongTimeToStr(t), "23:59:59");
    EXPECT_EQ(TimeToStr(t), "23:59");
}

TEST(Formats, DateTextUsesDotsAndTwoDigitYearWindow) {
    EXPECT_EQ(DateToStr(*EncodeDate(2026, 3, 7)), "07.03.2026");
    EXPECT_EQ(*StrToDate(u"7.3.2026"), *EncodeDate(2026, 3, 7));
    EXPECT_EQ(*StrToDate(u" 07.03.2026 "), *EncodeDate(2026, 3, 7));
    EXPECT_EQ(ExpandTwoDigitYear(75, 2026), 2075);
    EXPECT_EQ(ExpandTwoDigitYear(76, 2026), 1976);
    EXPECT_EQ(ExpandTwoDigitYear(0, 2026), 2000);
    for (const char16_t* bad : {u"", u"7.3", u"32.1.2026", u"1.1.202", u"1-1-2026", u"a.b.cccc", u"1.1.2026x"}) {
        EXPECT_FALSE(StrToDate(bad)) << QString::fromUtf16(bad).toStdString();
    }
}

TEST(Formats, TimeTextReadsShortAndLongForms) {
    EXPECT_EQ(*StrToTime(u"9:05"), *EncodeTime(9, 5, 0));
    EXPECT_EQ(*StrToTime(u"17:35:12"), *EncodeTime(17, 35, 12));
    EXPECT_FALSE(StrToTime(u"24:00"));
    EXPECT_FALSE(StrToTime(u"12"));
    EXPECT_FALSE(StrToTime(u"12:3x"));
}

TEST(Formats, NumbersUseCommaAndDotWhateverTheLocale) {
    setenv("LANG", "en_US.UTF-8", 1);
    std::setlocale(LC_ALL, "en_US.UTF-8");
    EXPECT_EQ(FloatToStr(12.5), "12,5");
    EXPECT_EQ(FloatToStr(0.1 + 0.2), "0,3");
    EXPECT_EQ(FloatToStr(100), "100");
    EXPECT_EQ(FloatToStr(-0.25), "-0,25");
    EXPECT_EQ(FloatToStr(1.5e20), "1,5E20");
    EXPECT_EQ(FormatFixed(1234567.891, 2, true), "1.234.567,89");
    EXPECT_EQ(FormatFixed(-0.001, 2, false), "0,00");
    EXPECT_EQ(FormatFixed(2.5, 0, false), "2");
    EXPECT_EQ(CurrencyToStr(1234.5, u"€"), "1.234,50 €");
    EXPECT_EQ(CurrencyToStr(-1234.5, u"€"), "-1.234,50 €");
    std::setlocale(LC_ALL, "C");
}

TEST(Formats, IntegersFailOnOverflowAndTrailingText) {
    EXPECT_EQ(*StrToInt(u"42"), 42);
    EXPECT_EQ(*StrToInt(u" -7"), -7);
    EXPECT_EQ(*StrToInt(u"+3"), 3);
    EXPECT_EQ(*StrToInt(u"2147483647"), 2147483647);
    for (const char16_t* bad : {u"", u"2147483648", u"-2147483649", u"12 ", u"1,5", u"abc", u"+-1", u"-"}) {
        EXPECT_FALSE(StrToInt(bad)) << QString::fromUtf16(bad).toStdString();
    }
}

TEST(Formats, FloatsTakeCommaOnlyAndStayFinite) {
    EXPECT_EQ(*StrToFloat(u" 12,5 "), 12.5);
    EXPECT_EQ(*StrToFloat(u"-3"), -3.0);
    EXPECT_EQ(*StrToFloat(u"+1e3"), 1000.0);
    for (const char16_t* bad : {u"12.5", u"1.234,5", u"1e999", u"inf", u"nan", u"", u"1,5x"}) {
        EXPECT_FALSE(StrToFloat(bad)) << QString::fromUtf16(bad).toStdString();
    }
}

}  // namespace
}  // namespace zelvon::formats
