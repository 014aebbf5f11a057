#include "platform/text_view.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using zelvon::TextView;

TEST(TextViewLines, EachKindOfLineBreakEndsOneLine)
{
    TextView view(u"a\rb\nc\r\nd");
    ASSERT_EQ(view.lineCount(), 4);
    EXPECT_EQ(view.line(0), "a");
    EXPECT_EQ(view.line(3), "d");
    EXPECT_EQ(view.text(), "a\r\nb\r\nc\r\nd");
}

TEST(TextViewLines, FinalBreakAddsNoEmptyLineButInnerEmptyLinesStay)
{
    TextView view(u"a\r\n\r\nb\r\n");
    ASSERT_EQ(view.lineCount(), 3);
    EXPECT_EQ(view.line(1), "");
    EXPECT_EQ(view.textLength(), 6);
    EXPECT_EQ(TextView(u"").lineCount(), 0);
    EXPECT_EQ(TextView(u"\n").lineCount(), 1);
}

TEST(TextViewLines, ReadingOutsideTheLinesGivesEmptyText)
{
    TextView view(u"only");
    EXPECT_EQ(view.line(1), "");
    EXPECT_EQ(view.line(-1), "");
}

TEST(TextViewLines, EditingKeepsTextAndSearchInStep)
{
    TextView view;
    view.appendLine("b");
    view.insertLine(0, "a");
    view.appendLine("c");
    EXPECT_EQ(view.text(), "a\r\nb\r\nc");
    EXPECT_EQ(view.find(u"C", 0), 4);
    view.deleteLine(1);
    EXPECT_EQ(view.text(), "a\r\nc");
    EXPECT_EQ(view.find(u"c", 0), 2);
    view.deleteLine(5);
    EXPECT_EQ(view.lineCount(), 2);
    view.clear();
    EXPECT_EQ(view.lineCount(), 0);
    EXPECT_EQ(view.find(u"a", 0), -1);
}

TEST(TextViewLines, EveryChangeIsSignalled)
{
    TextView view;
    int changes = 0;
    QObject::connect(&view, &TextView::changed, [&] { ++changes; });
    view.appendLine("x");
    view.setText(u"y");
    view.clear();
    EXPECT_EQ(changes, 3);
}

TEST(TextViewSearch, BelowTheFirstLineTheFullTextIndexIsOneEarlyPerBreak)
{
    TextView view(u"ab\r\nXYZ123");
    const int found = view.find(u"xyz", 1);
    ASSERT_EQ(found, 3);
    EXPECT_EQ(view.text().mid(found, 4), "\nXYZ");

    TextView threeLines(u"a\r\nb\r\nmark");
    const int third = threeLines.find(u"mark", 0);
    ASSERT_EQ(third, 4);
    EXPECT_EQ(threeLines.text().mid(third, 4), "\r\nma");
}

TEST(TextViewSearch, OnTheFirstLinePositionsAgree)
{
    TextView view(u"<b>Kurs</b>\r\nrest");
    const int found = view.find(u"KURS", 0);
    EXPECT_EQ(view.text().mid(found, 4), "Kurs");
}

TEST(TextViewSearch, CaseIsIgnoredForUmlautsToo)
{
    TextView view(u"xx Börse ÄRGER");
    EXPECT_EQ(view.find(u"BÖRSE", 0), 3);
    EXPECT_EQ(view.find(u"ärger", 0), 9);
    EXPECT_EQ(view.find(u"ß", 0), -1);
}

TEST(TextViewSearch, StartAndRangeBoundTheMatch)
{
    TextView view(u"abcabc");
    EXPECT_EQ(view.find(u"abc", 1), 3);
    EXPECT_EQ(view.find(u"abc", -5), 0);
    EXPECT_EQ(view.find(u"abc", 1, 4), -1);
    EXPECT_EQ(view.find(u"abc", 1, 5), 3);
    EXPECT_EQ(view.find(u"abc", 6), -1);
    EXPECT_EQ(view.find(u"zz", 0), -1);
    EXPECT_EQ(view.find(u"", 0), -1);
}

TEST(TextViewSearch, ALineBreakIsOneSearchableCharacter)
{
    TextView view(u"ab\r\ncd");
    EXPECT_EQ(view.find(u"b\nc", 0), 1);
    EXPECT_EQ(view.find(u"d", 0, 4), -1);
    EXPECT_EQ(view.find(u"d", 0, 5), 4);
}

TEST(TextViewSave, WritesCrLfAfterEveryLineInWindows1252)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("liste.txt");
    TextView view(u"Börse\n€ 12,5");
    ASSERT_TRUE(view.saveToFile(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("B\xF6rse\r\n\x80 12,5\r\n"));
    EXPECT_FALSE(view.saveToFile(dir.filePath("missing/liste.txt")));
}
