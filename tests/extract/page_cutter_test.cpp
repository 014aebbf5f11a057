#include "extract/page_cutter.h"

#include "qstring_printer.h"

#include <gtest/gtest.h>

using namespace zelvon::extract;
using zelvon::TextView;

TEST(PageCutter, AWindowCutBelowTheFirstLineStartsOneEarlyPerLineBreak)
{
    TextView page(u"ab\r\nXYZ123");
    PageCutter cut(page);
    const int p = cut.FindMarker(u"xyz", 1);
    ASSERT_EQ(p, 3);
    cut.TakeWindow(p, 4);
    EXPECT_EQ(cut.window(), "\nXYZ");

    TextView firstLine(u"..XYZ123\r\nab");
    PageCutter same(firstLine);
    same.TakeWindow(same.FindMarker(u"xyz", 1), 4);
    EXPECT_EQ(same.window(), "XYZ1");
}

TEST(PageCutter, SearchesFromOneNeverFindPositionZero)
{
    TextView page(u"Kurs Kurs");
    PageCutter cut(page);
    EXPECT_EQ(cut.FindMarker(u"kurs", 1), 5);
    EXPECT_EQ(cut.FindMarker(u"kurs", -3), 0);
    EXPECT_EQ(cut.FindMarker(u"KURS", 6), -1);
}

TEST(PageCutter, WindowBounds)
{
    TextView page(QString(3000, QChar(u'x')) + QStringLiteral("end"));
    PageCutter cut(page);
    cut.TakeWindow(0, 1500);
    EXPECT_EQ(cut.window().size(), 1000);
    cut.TakeWindow(-7, 3);
    EXPECT_EQ(cut.window(), "xxx");
    cut.TakeWindow(3000, 10);
    EXPECT_EQ(cut.window(), "end");
    cut.TakeWindow(3003, 10);
    EXPECT_EQ(cut.window(), "");
    cut.TakeWindow(5000, 10);
    EXPECT_EQ(cut.window(), "");
}

TEST(PageCutter, SkipPastUsesTheGivenOffsetAndLimitCaseSensitively)
{
    TextView page(u"<td class=\"Kurs\">12,50</td> EUR");
    PageCutter cut(page);
    cut.TakeWindow(0, 100);
    cut.SkipPast(u"kurs", 5);
    EXPECT_EQ(cut.window(), page.text());
    cut.SkipPast(u"Kurs", 5);
    EXPECT_EQ(cut.window(), ">12,50</td> EUR");
    cut.SkipPast(u">", 1, 5);
    EXPECT_EQ(cut.window(), "12,50");
    cut.SkipPast(u"50", 10);
    EXPECT_EQ(cut.window(), "");
}

TEST(PageCutter, CutBeforeKeepsTextBeforeTheFirstOccurrence)
{
    TextView page(u"12,30 / 12,40</span>");
    PageCutter cut(page);
    cut.TakeWindow(0, 100);
    cut.CutBefore(u"#");
    EXPECT_EQ(cut.window(), page.text());
    cut.CutBefore(u"/");
    EXPECT_EQ(cut.window(), "12,30 ");
}

TEST(TextHelpers, FirstOccurrenceOnlyAndTrimOfControlCharacters)
{
    QString s = "1.234.567,89";
    RemoveFirst(s, u'.');
    EXPECT_EQ(s, "1234.567,89");
    ReplaceFirst(s, u',', u'.');
    EXPECT_EQ(s, "1234.567.89");
    RemoveFirst(s, u'#');
    EXPECT_EQ(s, "1234.567.89");
    EXPECT_EQ(Trimmed(u"\t\r\n 12,5\x01 "), "12,5");
    EXPECT_EQ(Trimmed(u"\u00a012\u00a0"), "\u00a012\u00a0");
    EXPECT_EQ(Before(u"1,5 Mio", u' '), "1,5");
    EXPECT_EQ(Before(u"12", u' '), "12");
}
