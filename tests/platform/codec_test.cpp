#include "platform/codec.h"

#include "platform/error.h"

#include <gtest/gtest.h>

namespace zelvon::codec {
namespace {

QByteArray AllBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}

TEST(Windows1252, EveryByteSurvivesARoundTrip)
{
    const QByteArray bytes = AllBytes();
    const QString text = DecodeWindows1252(bytes);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(EncodeWindows1252(text), bytes);
}

TEST(Windows1252, DecodesTheDefinedAndUndefinedUpperHalf)
{
    EXPECT_EQ(DecodeWindows1252("\x80\x81\x8d\x8f\x90\x9d\x9f\xe4\xdf"),
              QString::fromUtf8("\u20ac\u0081\u008d\u008f\u0090\u009d\u0178äß"));
}

TEST(Windows1252, WritesAQuestionMarkForWhatItCannotHold)
{
    EXPECT_EQ(EncodeWindows1252(QString::fromUtf8("a€ĉ😀b")), QByteArray("a\x80??b"));
    EXPECT_EQ(EncodeWindows1252(QString(QChar(0xD800)) + u'x'), QByteArray("?x"));
    EXPECT_EQ(EncodeWindows1252(u"\u0080"), QByteArray("?"));
}

TEST(Windows1252, LeavesEmptyAndLongTextsIntact)
{
    EXPECT_TRUE(DecodeWindows1252("").isEmpty());
    const QByteArray large = AllBytes().repeated(100);
    EXPECT_EQ(EncodeWindows1252(DecodeWindows1252(large)), large);
}

TEST(CodePage, ConvertsOtherTableCodePages)
{
    EXPECT_EQ(DecodeCodePage(850, "\x84\x94\x81"), QString::fromUtf8("äöü"));
    EXPECT_EQ(EncodeCodePage(437, QString::fromUtf8("Ä€")), QByteArray("\x8e?"));
    EXPECT_EQ(DecodeCodePage(1252, "\x81"), QString(QChar(0x81)));
    EXPECT_THROW(DecodeCodePage(99999, "x"), Error);
}

}  // namespace
}  // namespace zelvon::codec
