// The text normalisation: every replacement with its pair, and the mixed
// cases where the order of the rules decides the result.
#include "news/umlaute.h"

#include <gtest/gtest.h>

namespace zelvon::news {
namespace {

struct Pair {
    const char16_t* in;
    const char16_t* out;
};

TEST(Umlaute, EveryReplacementAndItsOrder) {
    const Pair pairs[] = {
        // UTF-8 bytes read as Windows-1252.
        {u"\u00C3\u00BC", u"ü"}, {u"\u00C3\u00A4", u"ä"}, {u"\u00C3\u0178", u"ß"},
        {u"\u00C3\u00B6", u"ö"}, {u"\u00C2\u00A7", u"§"},
        {u"charset=utf-8", u"charset=iso-8859-1"},
        {u"&sect;", u"§"}, {u"&uuml;", u"ü"}, {u"&Uuml;", u"Ü"}, {u"&ouml;", u"ö"}, {u"&Ouml;", u"Ö"},
        {u"&auml;", u"ä"}, {u"&Auml;", u"Ä"}, {u"&quot;", u"\""}, {u"&amp;", u"&"}, {u"&#38;", u"&"},
        {u"&#34;", u"\""}, {u"&#10;", u" "}, {u"&szlig;", u"ß"}, {u"&#223;", u"ß"}, {u"&#220;", u"Ü"},
        {u"&#214;", u"Ö"}, {u"&#252;", u"ü"}, {u"&#228;", u"ä"}, {u"&#246;", u"ö"},
        {u"a&nbsp;&nbsp;b", u"a b"}, {u"a&nbsp;b", u"ab"},
        {u"a&#13;b", u"a\nb"}, {u"#13;ab", u"ab"},
        {u"&#149;", u"-"}, {u"&#146;", u"´"}, {u"&#167;", u"§"},
        {u"a<b>b</b>", u"ab"}, {u"<h1>T</h1>", u"T"}, {u"a<br/>b<br />c", u"abc"}, {u"a<br>b", u"a\rb"},
        // A rule repeats on what it produced ...
        {u"&amp;amp;", u"&"},
        // ... but an earlier rule does not run again, while a later one still sees it.
        {u"&amp;uuml;", u"&uuml;"},
        {u"&#38;uuml;", u"&uuml;"},
        {u"&#38;#252;", u"ü"},
        {u"&#38;nbsp;", u""},
        // Three in a row: one pair becomes a blank, the third goes.
        {u"a&nbsp;&nbsp;&nbsp;b", u"a b"},
        // "&#13;" made by "&amp;" still becomes a line break: its rule comes later.
        {u"x&amp;#13;y", u"x\ny"},
        // Only the first charset mark.
        {u"charset=utf-8 charset=utf-8", u"charset=iso-8859-1 charset=utf-8"},
        // Capitals stay.
        {u"<BR>&UUML;&Nbsp;\u00C3\u0084", u"<BR>&UUML;&Nbsp;\u00C3\u0084"},
        {u"", u""},
    };
    for (const Pair& p : pairs) {
        const QString in = QString::fromUtf16(p.in);
        EXPECT_EQ(umlaute(in), QString::fromUtf16(p.out)) << in.toStdString();
    }
}

TEST(Umlaute, LeavesItsArgumentAlone) {
    const QString text = QStringLiteral("f&uuml;r");
    EXPECT_EQ(umlaute(text), QStringLiteral("für"));
    EXPECT_EQ(text, QStringLiteral("f&uuml;r"));
}

}  // namespace
}  // namespace zelvon::news
