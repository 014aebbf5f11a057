#include "extract/conversions.h"

#include "qstring_printer.h"

#include <gtest/gtest.h>

using namespace zelvon::extract;
using zelvon::formats::EncodeDate;
using zelvon::formats::EncodeTime;

TEST(DotToFloat, AcceptsOnlyTheWholeDotNumber)
{
    EXPECT_EQ(DotToFloat(u" 12.5"), 12.5);
    EXPECT_EQ(DotToFloat(u"+1e3"), 1000);
    EXPECT_EQ(DotToFloat(u"-0.25E-1"), -0.025);
    EXPECT_EQ(DotToFloat(u"1234.56"), 1234.56);
    for (const char16_t* bad : {u"12.5 ", u"1.", u".5", u"1,5", u"", u" ", u"1e", u"--1", u"1.2.3", u"\t1"})
        EXPECT_FALSE(DotToFloat(bad)) << QString::fromUtf16(bad).toStdString();
}

TEST(DotToFloat, NonFiniteResultsFail)
{
    EXPECT_FALSE(DotToFloat(u"1e999"));
    EXPECT_FALSE(DotToFloat(u"inf"));
    EXPECT_FALSE(DotToFloat(u"nan"));
}

TEST(CommaToFloat, ProgramNumberFormatWithBlanksAround)
{
    EXPECT_EQ(CommaToFloat(u" 12,5 "), 12.5);
    EXPECT_EQ(CommaToFloat(u"0,01"), 0.01);
    EXPECT_EQ(CommaToFloat(u"-3"), -3);
    EXPECT_FALSE(CommaToFloat(u"12.5"));
    EXPECT_FALSE(CommaToFloat(u"1.234,5"));
    EXPECT_FALSE(CommaToFloat(u"1e999"));
    EXPECT_FALSE(CommaToFloat(u""));
}

TEST(DotToInteger, DigitsOnlyAndWithin32Bits)
{
    EXPECT_EQ(DotToInteger(u"  -42"), -42);
    EXPECT_EQ(DotToInteger(u"2147483647"), 2147483647);
    EXPECT_FALSE(DotToInteger(u"2147483648"));
    EXPECT_FALSE(DotToInteger(u"12 "));
    EXPECT_FALSE(DotToInteger(u"1.000"));
    EXPECT_FALSE(DotToInteger(u""));
}

TEST(ScaledVolume, RoundsHalvesToEvenAndRefusesWhatExceeds32Bits)
{
    EXPECT_EQ(ScaledVolume(2.5, 1), 2);
    EXPECT_EQ(ScaledVolume(3.5, 1), 4);
    EXPECT_EQ(ScaledVolume(1.5, 1'000'000), 1'500'000);
    EXPECT_EQ(ScaledVolume(2147.483647, 1'000'000), 2147483647);
    EXPECT_FALSE(ScaledVolume(2147.483648, 1'000'000));
    EXPECT_FALSE(ScaledVolume(5000, 1'000'000));
}

TEST(TextToDate, ProgramFormatAndTwoDigitYearWindow)
{
    const int year = zelvon::formats::CurrentYear();
    EXPECT_EQ(TextToDate(u"31.12.2020"), EncodeDate(2020, 12, 31));
    EXPECT_EQ(TextToDate(u"31.12.20"), EncodeDate(2020, 12, 31));
    const int back50 = year - 50;
    const int ahead49 = year + 49;
    EXPECT_EQ(TextToDate(QString("01.01.%1").arg(back50 % 100, 2, 10, QChar('0'))), EncodeDate(back50, 1, 1));
    EXPECT_EQ(TextToDate(QString("01.01.%1").arg(ahead49 % 100, 2, 10, QChar('0'))), EncodeDate(ahead49, 1, 1));
    EXPECT_FALSE(TextToDate(u"31.02.2020"));
    EXPECT_FALSE(TextToDate(u"17:35"));
    EXPECT_FALSE(TextToDate(u"31.12.20 1"));
}

TEST(TextToDate, AnotherSeparatorHoldsForThatConversionOnly)
{
    EXPECT_EQ(TextToDate(u"31/12/2020", u'/'), EncodeDate(2020, 12, 31));
    EXPECT_FALSE(TextToDate(u"31.12.2020", u'/'));
    EXPECT_FALSE(TextToDate(u"31/12/2020"));
}

TEST(TextToTime, HoursMinutesAndOptionalSeconds)
{
    EXPECT_EQ(TextToTime(u"17:35"), EncodeTime(17, 35, 0));
    EXPECT_EQ(TextToTime(u"9:05:07"), EncodeTime(9, 5, 7));
    EXPECT_FALSE(TextToTime(u"25:00"));
    EXPECT_FALSE(TextToTime(u"17"));
    EXPECT_FALSE(TextToTime(u"12,5"));
}

TEST(WrittenForms, TimeDateAndPrice)
{
    EXPECT_EQ(TimeText(*EncodeTime(9, 5, 7)), "09:05:07");
    EXPECT_EQ(DateText(*EncodeDate(2020, 1, 2)), "02.01.2020");
    EXPECT_EQ(PriceText(1234.56), "1234,56");
    EXPECT_EQ(PriceText(12.5), "12,5");
    EXPECT_EQ(PriceText(7), "7");
}
