#include "news/umlaute.h"

#include <algorithm>
#include <array>

namespace zelvon::news {
namespace {

struct Replacement {
    const char16_t* sequence;
    const char16_t* replacement;
};

// Before and after the charset mark, in the order they must run.
constexpr std::array<Replacement, 5> kMojibake{{
    {u"\u00C3\u00BC", u"\u00FC"},
    {u"\u00C3\u00A4", u"\u00E4"},
    {u"\u00C3\u0178", u"\u00DF"},
    {u"\u00C3\u00B6", u"\u00F6"},
    {u"\u00C2\u00A7", u"\u00A7"},
}};

constexpr std::array<Replacement, 21> kReferences{{
    {u"&sect;", u"\u00A7"},  {u"&uuml;", u"\u00FC"},  {u"&Uuml;", u"\u00DC"}, {u"&ouml;", u"\u00F6"},
    {u"&Ouml;", u"\u00D6"},  {u"&auml;", u"\u00E4"},  {u"&Auml;", u"\u00C4"}, {u"&quot;", u"\""},
    {u"&amp;", u"&"},        {u"&#38;", u"&"},        {u"&#34;", u"\""},      {u"&#10;", u" "},
    {u"&szlig;", u"\u00DF"}, {u"&#223;", u"\u00DF"}, {u"&#220;", u"\u00DC"}, {u"&#214;", u"\u00D6"},
    {u"&#252;", u"\u00FC"},  {u"&#228;", u"\u00E4"}, {u"&#246;", u"\u00F6"}, {u"&nbsp;&nbsp;", u" "},
    {u"&nbsp;", u""},
}};

constexpr std::array<Replacement, 10> kTags{{
    {u"&#149;", u"-"},
    {u"&#146;", u"\u00B4"},
    {u"&#167;", u"\u00A7"},
    {u"<b>", u""},
    {u"</b>", u""},
    {u"<h1>", u""},
    {u"</h1>", u""},
    {u"<br/>", u""},
    {u"<br />", u""},
    {u"<br>", u"\r"},
}};

// Replaces the first occurrence until none is left. An occurrence that a
// replacement creates starts at most one sequence length before it, and none
// lies further to the front, so the search goes on from there.
void ReplaceRepeatedly(QString& text, QStringView sequence, QStringView replacement) {
    qsizetype from = 0;
    for (qsizetype at; (at = text.indexOf(sequence, from)) >= 0;) {
        text.replace(at, sequence.size(), replacement.toString());
        from = std::max<qsizetype>(0, at - sequence.size() + 1);
    }
}

void ApplyAll(QString& text, const auto& rules) {
    for (const Replacement& rule : rules) {
        ReplaceRepeatedly(text, QStringView(rule.sequence), QStringView(rule.replacement));
    }
}

// "#13;" turns the character before it into a line feed and goes; at the very
// start of the text it only goes.
void ReplaceCarriageReturnMarks(QString& text) {
    const QStringView mark = u"#13;";
    qsizetype from = 0;
    for (qsizetype at; (at = text.indexOf(mark, from)) >= 0;) {
        if (at > 0) text[at - 1] = u'\n';
        text.remove(at, mark.size());
        from = std::max<qsizetype>(0, at - mark.size());
    }
}

}  // namespace

QString umlaute(const QString& tempsum) {
    QString text = tempsum;
    ApplyAll(text, kMojibake);
    const QStringView utf8Mark = u"charset=utf-8";
    if (const qsizetype at = text.indexOf(utf8Mark); at >= 0) {
        text.replace(at, utf8Mark.size(), QStringLiteral("charset=iso-8859-1"));
    }
    ApplyAll(text, kReferences);
    ReplaceCarriageReturnMarks(text);
    ApplyAll(text, kTags);
    return text;
}

}  // namespace zelvon::news
