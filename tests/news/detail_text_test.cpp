// The cuts of a detail page and the identifier candidate, on the edge cases
// where positions and line counts decide.
#include "news/detail_text.h"
#include "news/security_match.h"

#include <gtest/gtest.h>

namespace zelvon::news {
namespace {

QString Lines(int from, int to) {
    QStringList lines;
    for (int i = from; i <= to; ++i) lines << QStringLiteral("z%1").arg(i);
    return lines.join(u'\n');
}

TEST(DetailText, HeadAndTailCuts) {
    TextView long_(Lines(0, 4) + "\n<div class=Detail_body_pre>\n" + Lines(6, 15));
    CutHead(long_);
    EXPECT_EQ(long_.line(0), "z0");
    EXPECT_EQ(long_.line(1), "z6") << "through the marker's line";

    TextView short_(QStringLiteral("z0\nz1\nDetail_body_pre\nz3"));
    CutHead(short_);
    EXPECT_EQ(short_.text(), "z0\r\nDetail_body_pre\r\nz3") << "fewer than 10 lines lose line 1 only";

    TextView none(QStringLiteral("z0\nz1"));
    CutHead(none);
    CutTail(none);
    EXPECT_EQ(none.text(), "z0\r\nz1");

    TextView tail(QStringLiteral("z0\nz1\nende</pre></div>\nz3\nz4"));
    CutTail(tail);
    EXPECT_EQ(tail.text(), "z0\r\nz1");
    TextView onlyFirst(QStringLiteral("</pre></div>\nz1"));
    CutTail(onlyFirst);
    EXPECT_EQ(onlyFirst.lineCount(), 2) << "line 0 is never looked at";
}

TEST(DetailText, BodyCutAndKeptExtension) {
    TextView body(QStringLiteral("<h6>T</h6> Text der Meldung.<script>x</script>"));
    EXPECT_EQ(KeptExtension(body), ".txt") << "\"<html>\" is looked for from position 1";
    CutBody(body);
    EXPECT_EQ(body.text(), "Text der Meldung");
    TextView noScript(QStringLiteral("<h6>T</h6> Text"));
    CutBody(noScript);
    EXPECT_EQ(noScript.text(), "");
    TextView html(QStringLiteral(" <html>Text"));
    EXPECT_EQ(KeptExtension(html), ".htm");
    CutBody(html);
    EXPECT_EQ(html.text(), " <html>Text") << "no heading: unchanged";
}

TEST(DetailText, IdentifierCandidates) {
    struct Case {
        QString text;
        IdentifierCandidate::Kind kind;
        QString candidate;
    };
    const Case cases[] = {
        {"x WKN: 716460) mehr", IdentifierCandidate::Kind::Wkn, "716460"},
        {"WKN: 716460 ISIN: DE0007164600,", IdentifierCandidate::Kind::Isin, "DE0007164600"},
        {"x ISIN: DE0007164600; (ISIN XX)", IdentifierCandidate::Kind::Isin, "DE0007164600"},
        {"x (ISIN DE0007164600) und mehr Text", IdentifierCandidate::Kind::Isin, "DE0007164600"},
        {"x WKN: 71<b> mehr", IdentifierCandidate::Kind::Wkn, ""},
        {"x WKN: 7164601234567890123456789012345", IdentifierCandidate::Kind::Wkn, "71646012345678901234567890123"},
        {"keine Kennung", IdentifierCandidate::Kind::None, ""},
    };
    for (const Case& c : cases) {
        const IdentifierCandidate found = FindIdentifier(TextView(c.text));
        EXPECT_EQ(found.kind, c.kind) << c.text.toStdString();
        EXPECT_EQ(found.text, c.candidate) << c.text.toStdString();
    }
    EXPECT_EQ(ApplyCutRules("abcd<efg"), "");
    EXPECT_EQ(ApplyCutRules("abcde<fg"), "abcde");
    EXPECT_EQ(ApplyCutRules("abcdef;g,h"), "abcdef");
    EXPECT_EQ(ApplyCutRules("abcdefgh\r\nx"), "abcdefgh");
}

}  // namespace
}  // namespace zelvon::news
