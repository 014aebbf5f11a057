#include "tool_process.h"

#include "db/table.h"
#include "extract/intraday_store.h"
#include "paradox/table_create.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <random>

using zelvon::tools::testing::RunTool;
using zelvon::tools::testing::ToolResult;
using paradox::FieldType;

namespace {

const char* const kNow = "15.03.2024 18:00:00";

// A build tree inside the checkout compiles this file by a path relative to
// the build root, which is the folder above the tools' folder.
std::string Fixture(const char* name)
{
    const QString source = QStringLiteral(__FILE__);
    const QString buildRoot = QFileInfo(QStringLiteral(ZELVON_EXTRACT_BINARY)).absolutePath() + "/..";
    const QFileInfo file(QFileInfo(source).isAbsolute() ? source : buildRoot + "/" + source);
    return QDir::cleanPath(file.absolutePath() + "/pages/" + name).toStdString();
}

class ReplayTool : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    ToolResult Run(const std::vector<std::string>& args)
    {
        return RunTool(ZELVON_EXTRACT_BINARY, args, path("run" + std::to_string(runs_++)));
    }
    ToolResult Replay(int source, const std::string& page, std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"--source", std::to_string(source), "--entry", "0", page, "--now", kNow};
        args.insert(args.end(), more.begin(), more.end());
        return Run(args);
    }

    std::string path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }
    std::string Write(const std::string& name, const QByteArray& bytes)
    {
        QFile file(QString::fromStdString(path(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path(name);
    }

    QTemporaryDir dir_;
    int runs_ = 0;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

using Fields = std::vector<std::pair<std::string, std::string>>;

// The report's "name<TAB>value" lines; a line without a tab or an unterminated
// last line fails the test.
Fields Parse(const std::string& out)
{
    Fields fields;
    size_t begin = 0;
    while (begin < out.size()) {
        const size_t end = out.find('\n', begin);
        EXPECT_NE(end, std::string::npos) << "unterminated last line:\n" << out;
        const std::string line = out.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        const size_t tab = line.find('\t');
        EXPECT_NE(tab, std::string::npos) << "line without a tab: " << line;
        fields.emplace_back(line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1));
        begin = end == std::string::npos ? out.size() : end + 1;
    }
    return fields;
}

// The fixed order: nine result lines, the quote list's lines, Followup or
// nothing, SavePage, then Ended or nothing.
void ExpectFixedLayout(const std::string& out)
{
    const Fields fields = Parse(out);
    const char* const head[] = {"Kurs", "Datum", "Zeit", "Volumen", "Bid", "Ask", "Status", "Icon", "Stored"};
    ASSERT_GE(fields.size(), std::size(head) + 1) << out;
    for (size_t i = 0; i < std::size(head); ++i)
        EXPECT_EQ(fields[i].first, head[i]) << out;
    size_t i = std::size(head);
    while (i < fields.size() && fields[i].first == "Line")
        ++i;
    if (i < fields.size() && fields[i].first == "Followup")
        ++i;
    ASSERT_LT(i, fields.size()) << out;
    EXPECT_EQ(fields[i].first, "SavePage") << out;
    EXPECT_TRUE(fields[i].second == "yes" || fields[i].second == "no") << out;
    ++i;
    if (i < fields.size()) {
        EXPECT_EQ(fields[i].first, "Ended") << out;
        EXPECT_EQ(fields[i].second, "at-once") << out;
        EXPECT_EQ(i + 1, fields.size()) << out;
    }
    EXPECT_TRUE(fields[8].second == "yes" || fields[8].second == "no") << out;
}

std::string Value(const std::string& out, const std::string& name)
{
    for (const auto& [field, value] : Parse(out)) {
        if (field == name)
            return value;
    }
    return "<no " + name + ">";
}

std::vector<std::string> QuoteListLines(const std::string& out)
{
    std::vector<std::string> lines;
    for (const auto& [field, value] : Parse(out)) {
        if (field == "Line")
            lines.push_back(value);
    }
    return lines;
}

QByteArray ReadFixture(const char* name)
{
    QFile file(QString::fromStdString(Fixture(name)));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

}  // namespace

TEST_F(ReplayTool, YahooPageGivesTheWholeReportInItsOrder)
{
    const ToolResult r = Replay(0, Fixture("yahoo_quote.html"), {"--zdf", "SAP"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Kurs\t1234,56\n"
                     "Datum\t15.03.2024\n"
                     "Zeit\t17:35:00\n"
                     "Volumen\t1234567\n"
                     "Bid\t0\n"
                     "Ask\t0\n"
                     "Status\t0\n"
                     "Icon\t2\n"
                     "Stored\tyes\n"
                     "Line\tSAP\\t1234,56\\t17:35:00\\t1234567\n"
                     "SavePage\tno\n");
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST_F(ReplayTool, YahooShortAnswerWithBidAskAndDateLines)
{
    const ToolResult r = Replay(0, Fixture("yahoo_short_answer.txt"), {"--zdf", "SAP"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Kurs\t12,5\n"
                     "Datum\t31.12.2020\n"
                     "Zeit\t17:35\n"
                     "Volumen\t1000\n"
                     "Bid\t12,4\n"
                     "Ask\t12,6\n"
                     "Status\t0\n"
                     "Icon\t2\n"
                     "Stored\tyes\n"
                     "Line\t31.12.2020\n"
                     "Line\tSAP\\t12,5\\t17:35\\t1000\n"
                     "Line\t15.03.2024\n"
                     "SavePage\tno\n");
}

TEST_F(ReplayTool, ComdirectPageByEndWordOfTheSource)
{
    const ToolResult shares = Replay(3, Fixture("comdirect_aktie.html"), {"--zdf", "SAP"});
    EXPECT_EQ(shares.exitCode, 0) << shares.err;
    EXPECT_EQ(shares.out, "Kurs\t1234,56\n"
                          "Datum\t31.12.2020\n"
                          "Zeit\t17:35\n"
                          "Volumen\t1500000\n"
                          "Bid\t0\n"
                          "Ask\t0\n"
                          "Status\t0\n"
                          "Icon\t2\n"
                          "Stored\tyes\n"
                          "Line\t31.12.2020\n"
                          "Line\tSAP\\t1234,56\\t17:35\\t1500000\\tAktie\n"
                          "Line\t15.03.2024\n"
                          "SavePage\tno\n");

    const ToolResult indices = Replay(4, Fixture("comdirect_aktie.html"), {"--zdf", "DAX"});
    EXPECT_EQ(QuoteListLines(indices.out),
              (std::vector<std::string>{"31.12.2020", "DAX\\t1234,56\\t17:35\\t\\tIndex", "15.03.2024"}));
}

TEST_F(ReplayTool, WallstreetInformerListsOnlyWhileShownAndLeavesTheIcon)
{
    const ToolResult shown = Replay(10, Fixture("wallstreet_informer.html"), {"--zdf", "SAP"});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.out, "Kurs\t123,45\n"
                         "Datum\t15.03.2024\n"
                         "Zeit\t17:35:12\n"
                         "Volumen\t1200000\n"
                         "Bid\t0\n"
                         "Ask\t1000000\n"
                         "Status\t0\n"
                         "Icon\tunchanged\n"
                         "Stored\tyes\n"
                         "Line\tSAP\\t123,45\\t17:35:12\\t1200000\n"
                         "SavePage\tno\n");
    const ToolResult hidden = Replay(10, Fixture("wallstreet_informer.html"), {"--hidden"});
    EXPECT_EQ(Value(hidden.out, "Stored"), "yes");
    EXPECT_TRUE(QuoteListLines(hidden.out).empty()) << hidden.out;
}

TEST_F(ReplayTool, ConsorsAndTeleboerseListTheirQuoteAlsoWhenHidden)
{
    const ToolResult consors = Replay(12, Fixture("consors_suche.html"), {"--zdf", "SAP", "--hidden"});
    EXPECT_EQ(consors.exitCode, 0) << consors.err;
    EXPECT_EQ(consors.out, "Kurs\t1234,56\n"
                           "Datum\t14.03.2024\n"
                           "Zeit\t17:35:00\n"
                           "Volumen\t1234567\n"
                           "Bid\t0\n"
                           "Ask\t1234567\n"
                           "Status\t0\n"
                           "Icon\t2\n"
                           "Stored\tyes\n"
                           "Line\t14.03.2024\n"
                           "Line\tSAP\\t1234,56\\t17:35:00\\t1234567\\t\n"
                           "Line\t15.03.2024\n"
                           "SavePage\tno\n");

    const ToolResult tele = Replay(14, Fixture("teleboerse_suche.html"),
                                   {"--zdf", "SAP", "--isin", "DE0007164600", "--hidden", "--policy", "2"});
    EXPECT_EQ(tele.exitCode, 0) << tele.err;
    EXPECT_EQ(Value(tele.out, "Kurs"), "123,45");
    EXPECT_EQ(Value(tele.out, "Zeit"), "17:35");
    EXPECT_EQ(Value(tele.out, "Icon"), "2");
    EXPECT_EQ(Value(tele.out, "SavePage"), "no") << "Teleboerse never saves its page";
    EXPECT_EQ(QuoteListLines(tele.out), std::vector<std::string>{"SAP\\t123,45\\t17:35\\t"});

}

TEST_F(ReplayTool, InputsThatShapeTheRun)
{
    const ToolResult factor = Replay(0, Fixture("yahoo_quote.html"), {"--name", "Kleinwert AG ([0,01])"});
    EXPECT_EQ(Value(factor.out, "Kurs"), "12,3456");

    const ToolResult news = Replay(0, Fixture("yahoo_quote.html"), {"--sizetemp", "7000", "--policy", "2"});
    ASSERT_EQ(QuoteListLines(news.out).size(), 1u) << news.out;
    EXPECT_TRUE(QuoteListLines(news.out)[0].ends_with("\\t1234567\\t=>Nachrichten")) << news.out;
    EXPECT_EQ(Value(news.out, "SavePage"), "yes");

    const ToolResult hidden = Replay(0, Fixture("yahoo_quote.html"), {"--hidden", "--policy", "2"});
    EXPECT_EQ(hidden.exitCode, 0);
    ExpectFixedLayout(hidden.out);
    EXPECT_TRUE(QuoteListLines(hidden.out).empty()) << hidden.out;
    EXPECT_EQ(Value(hidden.out, "Icon"), "unchanged");
    EXPECT_EQ(Value(hidden.out, "Stored"), "yes");
    EXPECT_EQ(Value(hidden.out, "SavePage"), "no");

    const ToolResult international =
        Run({"--source", "0", "--entry", "21", Fixture("yahoo_quote.html"), "--now", kNow});
    EXPECT_EQ(Value(international.out, "Kurs"), "123456");
    const ToolResult noEntry = Run({"--source", "0", "--entry", "-1", Fixture("yahoo_quote.html"), "--now", kNow});
    EXPECT_EQ(noEntry.exitCode, 0) << noEntry.err;
    EXPECT_EQ(Value(noEntry.out, "Kurs"), "1234,56");
}

// Page retrieval counts the shown page with CR LF between lines and no break after
// the last one, which is neither the byte count of a page saved with LF line ends
// nor of one that ends in a line break.
TEST_F(ReplayTool, SizeTempDefaultsToThePageLengthAsShown)
{
    QByteArray page = ReadFixture("yahoo_quote.html");
    page.replace("\r\n", "\n");
    const qsizetype shownWithoutBlanks = page.size() + page.count('\n') + 1;
    const qsizetype blankLines = (6502 - shownWithoutBlanks) / 2;
    const std::string justOver = Write("over.html", page + QByteArray(blankLines, '\n') + "x\n");
    const std::string justUnder = Write("under.html", page + QByteArray(blankLines - 1, '\n') + "x\n");
    QByteArray withBreaks = page;
    withBreaks.replace("\n", "\r\n");
    const std::string endsInBreak = Write("break.html", withBreaks + QByteArray(6500 - withBreaks.size(), ' ') + "\r\n");

    const auto newsMarked = [this](const std::string& file, std::vector<std::string> more = {}) {
        const std::vector<std::string> lines = QuoteListLines(Replay(0, file, std::move(more)).out);
        EXPECT_EQ(lines.size(), 1u) << file;
        return !lines.empty() && lines[0].ends_with("\\t=>Nachrichten");
    };
    EXPECT_TRUE(newsMarked(justOver));
    EXPECT_FALSE(newsMarked(justUnder));
    EXPECT_TRUE(newsMarked(justUnder, {"--sizetemp", "6501"}));
    EXPECT_FALSE(newsMarked(endsInBreak));
}

TEST_F(ReplayTool, QuoteListLinesAndTimeKeepTabsAndLineBreaksOnOneLine)
{
    const ToolResult zdf = Replay(0, Fixture("yahoo_quote.html"), {"--zdf", "A\tB\r\nC"});
    ExpectFixedLayout(zdf.out);
    EXPECT_EQ(QuoteListLines(zdf.out), std::vector<std::string>{"A\\tB\\r\\nC\\t1234,56\\t17:35:00\\t1234567"});

    // Two lines make a short answer; its first field then spans the line break.
    const ToolResult split = Replay(0, Write("split.txt", "17:3\r\n5;31/12/2020;12,5;1000;12,4;12,6"));
    ExpectFixedLayout(split.out);
    EXPECT_EQ(Value(split.out, "Zeit"), "17:3\\r\\n5");
    EXPECT_EQ(Value(split.out, "Kurs"), "12,5");
}

TEST_F(ReplayTool, NoQuoteStillEndsWithZeroAndTheFullReport)
{
    const ToolResult noMarker = Replay(0, Fixture("wartung.html"));
    EXPECT_EQ(noMarker.exitCode, 0);
    EXPECT_EQ(noMarker.out, "Kurs\t0\nDatum\t0\nZeit\t\nVolumen\t0\nBid\t0\nAsk\t0\nStatus\t1\nIcon\tunchanged\n"
                            "Stored\tno\nSavePage\tno\nEnded\tat-once\n");

    const QByteArray page = ReadFixture("comdirect_aktie.html").replace("1.234,56 EUR", "n/a EUR");
    const ToolResult notANumber = Replay(3, Write("na.html", page));
    EXPECT_EQ(notANumber.exitCode, 0);
    ExpectFixedLayout(notANumber.out);
    EXPECT_EQ(Value(notANumber.out, "Status"), "10");
    EXPECT_EQ(Value(notANumber.out, "Volumen"), "1500000");
    EXPECT_EQ(Value(notANumber.out, "Icon"), "1");
    EXPECT_EQ(Value(notANumber.out, "Stored"), "no");

    const ToolResult empty = Replay(3, Write("empty.html", {}));
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "Kurs\t0\nDatum\t0\nZeit\t\nVolumen\t0\nBid\t0\nAsk\t0\nStatus\t0\nIcon\tunchanged\n"
                         "Stored\tno\nSavePage\tno\n");

    const ToolResult swiss = Replay(6, Fixture("yahoo_quote.html"));
    EXPECT_EQ(swiss.exitCode, 0);
    EXPECT_EQ(Value(swiss.out, "Stored"), "no");
    EXPECT_EQ(Value(swiss.out, "Kurs"), "0");

    const ToolResult future = Run({"--source", "0", "--entry", "0", Fixture("yahoo_quote.html"), "--now",
                                   "15.03.2024 12:00:00"});
    EXPECT_EQ(future.exitCode, 0);
    EXPECT_EQ(Value(future.out, "Stored"), "yes") << "a quote later than now is stored, only not listed";
    EXPECT_TRUE(QuoteListLines(future.out).empty()) << future.out;
    EXPECT_EQ(Value(future.out, "Icon"), "unchanged");
}

// No source selected, or a number no source has: only the storage step runs.
TEST_F(ReplayTool, ASourceOutsideTheCatalogueRunsOnlyTheStorageStep)
{
    for (const char* source : {"-1", "15", "99", "-2147483648"}) {
        const ToolResult none = Run({"--source", source, "--entry", "0", Fixture("comdirect_aktie.html"), "--now", kNow});
        EXPECT_EQ(none.exitCode, 0) << source << none.err;
        EXPECT_EQ(none.out, "Kurs\t0\nDatum\t0\nZeit\t\nVolumen\t0\nBid\t0\nAsk\t0\nStatus\t0\nIcon\tunchanged\n"
                            "Stored\tno\nSavePage\tno\n")
            << source;
    }
}

// Two-digit years fall in the century window of the run's own clock.
TEST_F(ReplayTool, TwoDigitYearsFollowTheClockOfNow)
{
    const QByteArray page = ReadFixture("comdirect_aktie.html").replace("31.12.20 17:35", "31.12.74 17:35");
    ASSERT_TRUE(page.contains("31.12.74"));
    const std::string file = Write("y74.html", page);
    EXPECT_EQ(Value(Run({"--source", "3", "--entry", "0", file, "--now", "15.03.2024 18:45:00"}).out, "Datum"),
              "31.12.1974");
    EXPECT_EQ(Value(Run({"--source", "3", "--entry", "0", file, "--now", "15.03.2025 18:45:00"}).out, "Datum"),
              "31.12.2074");
}

TEST_F(ReplayTool, HostilePagesEndWithTheFixedLayoutOnEverySource)
{
    std::mt19937 random(20240315);
    QByteArray junk(1 << 20, '\0');
    for (char& c : junk)
        c = char(random());
    const std::string junkPage = Write("junk.bin", junk);

    QByteArray huge;
    const QByteArray pieces[] = {"Fw(b) Fz(36px) Mb(-4px) D(ib)", "\"Aktuell\"", "<td>", "Tages-Vol", ":", "\">",
                                 "Geld / Brief", "output-text", "9999999999999999999999,9", "1e999", "\r\n", "<", ">",
                                 "\t", "\r", "\n"};
    while (huge.size() < 24 * 1024 * 1024)
        huge += pieces[random() % std::size(pieces)];
    const std::string hugePage = Write("huge.html", huge);

    const auto verdict = [this](int source, const std::string& page) {
        const ToolResult r = Replay(source, page);
        EXPECT_EQ(r.exitCode, 0) << "source " << source << " " << page << "\n" << r.err;
        ExpectFixedLayout(r.out);
    };
    for (int source = 0; source < 15; ++source)
        verdict(source, junkPage);
    // One source of each family: the comdirect sources share their cutting.
    for (int source : {0, 3, 10, 12, 14})
        verdict(source, hugePage);
}

TEST_F(ReplayTool, OnvistaSearchResultReadsTheFollowupPage)
{
    const std::string hit = "https://onvista.localhost/kurs/DE0007164600";
    const std::string search = Write("search.html", QByteArray("<html><body><h1>Suchergebnis (Treffer: 1)</h1><table><tr>"
                                                               "<th>Datum</th></tr><tr><td><a href=\"")
                                                        + hit.c_str() + "\">SAP</a></td></tr></table></body></html>\r\n");
    const std::string quote = Write("quote.html", "<html><body><h1>SAP</h1><time datetime=\"2024-03-15T17:35:12\">"
                                                  "17:35</time><data value=\"176.42\">176,42</data></body></html>");
    const std::vector<std::string> onvista = {"--source", "11", "--entry", "0", search, "--now", kNow, "--zdf", "SAP"};

    std::vector<std::string> args = onvista;
    args.insert(args.end(), {"--followup", quote});
    const ToolResult read = Run(args);
    EXPECT_EQ(read.exitCode, 0) << read.err;
    ExpectFixedLayout(read.out);
    EXPECT_TRUE(Contains(read.out, "Icon\t2\nStored\tyes\nLine\tSAP\\t176,42\\t17:35:12\\t\\t\\tAktien\n"
                                   "Followup\t" + hit + "\nSavePage\tno\n"))
        << read.out;

    // Without the follow-up page the fetch fails: an empty page view, the prohibition sign.
    const ToolResult failed = Run(onvista);
    EXPECT_EQ(failed.exitCode, 0) << failed.err;
    ExpectFixedLayout(failed.out);
    EXPECT_EQ(Value(failed.out, "Icon"), "1");
    EXPECT_EQ(Value(failed.out, "Stored"), "no");
    EXPECT_EQ(Value(failed.out, "Followup"), hit);
    EXPECT_TRUE(QuoteListLines(failed.out).empty());

    // A page that is no search result prints no Followup line, even with --followup.
    const ToolResult direct = Run({"--source", "11", "--entry", "0", quote, "--now", kNow, "--followup", search});
    EXPECT_EQ(Value(direct.out, "Kurs"), "176,42");
    EXPECT_FALSE(Contains(direct.out, "Followup")) << direct.out;

    args = onvista;
    args.insert(args.end(), {"--followup", path("fehlt.html")});
    const ToolResult missing = Run(args);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(Contains(missing.err, "fehlt.html")) << missing.err;
}

TEST_F(ReplayTool, BadArgumentsAndUnreadableFilesExitWithTwo)
{
    const std::string page = Fixture("yahoo_quote.html");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--source", "0", page},
        {"--entry", "0", page},
        {"--source", "0", "--entry", "0"},
        {"--source", "x", "--entry", "0", page},
        {"--source", "0", "--entry", "-2", page},
        {"--source", "0", "--entry", "0", page, "--policy", "3"},
        {"--source", "0", "--entry", "0", page, "--now", "15.03.2024"},
        {"--source", "0", "--entry", "0", page, "--now", "32.13.2024 25:00:00"},
        {"--source", "0", "--entry", "0", page, "--sizetemp", "-1"},
        {"--source", "0", "--entry", "0", page, "--foo"},
        {"--source", "0", "--entry", "0", page, page},
        {"--source", "0", "--entry", "0", page, "--firma", "7"},
        {"--source", "0", "--entry", "0", page, "--store", path("")},
        {"--source", "0", "--entry", "0", page, "--zdf"},
        {"--source", "0", "--entry", "0", path("missing.html")},
        {"--source", "0", "--entry", "0", path("")},
    };
    for (const auto& args : cases) {
        const ToolResult r = Run(args);
        std::string shown;
        for (const std::string& a : args)
            shown += a + " ";
        EXPECT_EQ(r.exitCode, 2) << shown << "\n" << r.out;
        EXPECT_TRUE(r.out.empty()) << shown << "\n" << r.out;
        EXPECT_TRUE(Contains(r.err, "zelvon-extract: ")) << shown << "\n" << r.err;
    }
    EXPECT_TRUE(Contains(Run({"--source", "0", "--entry", "0", path("missing.html")}).err,
                         "Datei nicht lesbar: " + path("missing.html")));

    QFile tooLarge(QString::fromStdString(path("large.html")));
    ASSERT_TRUE(tooLarge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(tooLarge.resize(qint64(257) * 1024 * 1024));  // sparse: nothing is really written
    tooLarge.close();
    const ToolResult large = Run({"--source", "0", "--entry", "0", path("large.html")});
    EXPECT_EQ(large.exitCode, 2);
    EXPECT_TRUE(large.out.empty()) << large.out;
    EXPECT_TRUE(Contains(large.err, "Datei zu groß")) << large.err;

    const ToolResult help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(Contains(help.out, "Aufruf: zelvon-extract --source N --entry M SEITENDATEI")) << help.out;
}

namespace {

struct IntradayRow {
    int firma;
    double kurs;
    int volumen;
    double zeit;
};

// A data directory made by our engine: Firma.db with securities 3 and 7 and an
// empty Intraday.db keyed on (Firma, Zeit).
class ReplayStore : public ReplayTool {
protected:
    void SetUp() override
    {
        ReplayTool::SetUp();
        Create("Firma.db", {{"Firma", FieldType::kLong, 0}, {"ZDF", FieldType::kAlpha, 10},
                            {"Firmenname", FieldType::kAlpha, 40}, {"Kennung", FieldType::kAlpha, 12}}, 1);
        CreateIntraday({{"Firma", FieldType::kLong, 0}, {"Zeit", FieldType::kTimestamp, 0},
                        {"Kurs", FieldType::kNumber, 0}, {"Volumen", FieldType::kLong, 0}});
        zelvon::db::Table firma(session_);
        Open(firma, "Firma.db");
        for (const auto& [key, name] : {std::pair{3, "Grosswert AG"}, std::pair{7, "Kleinwert AG ([0,01])"}}) {
            ASSERT_TRUE(firma.Append().ok());
            ASSERT_TRUE(firma.FindField("Firma")->SetInteger(key).ok());
            ASSERT_TRUE(firma.FindField("ZDF")->SetString("Z" + std::to_string(key)).ok());
            ASSERT_TRUE(firma.FindField("Firmenname")->SetString(name).ok());
            ASSERT_TRUE(firma.Post().ok());
        }
    }

    void Create(const char* name, const std::vector<paradox::FieldSpec>& fields, int keys)
    {
        paradox::CreateOptions options;
        options.key_fields = uint16_t(keys);
        const auto s = paradox::CreateTable(path(name), fields, options);
        ASSERT_TRUE(s.ok()) << s.ToString();
    }
    void CreateIntraday(const std::vector<paradox::FieldSpec>& fields)
    {
        paradox::DeleteTable(path("Intraday.db"));
        Create("Intraday.db", fields, 2);
    }

    void Open(zelvon::db::Table& table, const char* name)
    {
        table.SetDatabaseName(dir_.path().toStdString() + "/");
        table.SetTableName(name);
        const auto s = table.Open();
        ASSERT_TRUE(s.ok()) << s.ToString();
    }

    std::vector<IntradayRow> Rows()
    {
        zelvon::db::Table intraday(session_);
        Open(intraday, "Intraday.db");
        std::vector<IntradayRow> rows;
        const auto* volumen = intraday.FindField("Volumen");
        for (intraday.First(); !intraday.Eof(); intraday.Next())
            rows.push_back({intraday.FindField("Firma")->AsInteger(), intraday.FindField("Kurs")->AsFloat(),
                            volumen ? volumen->AsInteger() : 0, intraday.FindField("Zeit")->AsDateTime()});
        return rows;
    }

    ToolResult Store(const std::string& page, const std::string& firma, const char* now = kNow)
    {
        return Run({"--source", "0", "--entry", "0", page, "--now", now, "--firma", firma, "--store",
                    dir_.path().toStdString()});
    }

    zelvon::db::Session session_;
};

double At(int year, int month, int day, int hour, int minute)
{
    return *zelvon::formats::EncodeDate(year, month, day) + *zelvon::formats::EncodeTime(hour, minute, 0);
}

}  // namespace

TEST_F(ReplayStore, StoresWithTheSecurityOfFirmaDbAndUpdatesTheSameQuote)
{
    const ToolResult first = Store(Fixture("yahoo_quote.html"), "7");
    EXPECT_EQ(first.exitCode, 0) << first.out << first.err;
    ExpectFixedLayout(first.out);
    EXPECT_EQ(QuoteListLines(first.out), std::vector<std::string>{"Z7\\t12,3456\\t17:35:00\\t1234567"});
    EXPECT_EQ(Value(first.out, "Stored"), "yes");
    EXPECT_TRUE(first.err.empty()) << first.err;
    EXPECT_EQ(Store(Fixture("yahoo_quote.html"), "7").exitCode, 0);
    EXPECT_EQ(Store(Fixture("yahoo_quote.html"), "3", "16.03.2024 09:00:00").exitCode, 0);

    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].firma, 3);
    EXPECT_DOUBLE_EQ(rows[0].kurs, 1234.56);
    EXPECT_TRUE(zelvon::extract::SameDateTime(rows[0].zeit, At(2024, 3, 16, 17, 35)));
    EXPECT_EQ(rows[1].firma, 7);
    EXPECT_DOUBLE_EQ(rows[1].kurs, 12.3456);
    EXPECT_EQ(rows[1].volumen, 1234567);
    EXPECT_TRUE(zelvon::extract::SameDateTime(rows[1].zeit, At(2024, 3, 15, 17, 35)));
}

TEST_F(ReplayStore, NothingIsWrittenWithoutAQuoteOrForAnUnknownSecurity)
{
    const ToolResult noQuote = Store(Fixture("wartung.html"), "7");
    EXPECT_EQ(noQuote.exitCode, 0);
    EXPECT_EQ(Value(noQuote.out, "Stored"), "no");
    EXPECT_TRUE(noQuote.err.empty()) << noQuote.err;
    const ToolResult unknown = Store(Fixture("yahoo_quote.html"), "99");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.out.empty()) << unknown.out;
    EXPECT_TRUE(Contains(unknown.err, "Firma.db: kein Wertpapier mit Firma = 99")) << unknown.err;
    EXPECT_TRUE(Rows().empty());
}

TEST_F(ReplayStore, MissingOrBrokenTablesAreNamed)
{
    paradox::DeleteTable(path("Intraday.db"));
    const ToolResult missing = Store(Fixture("yahoo_quote.html"), "7");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(Contains(missing.err, "Tabelle nicht lesbar: " + dir_.path().toStdString() + "/Intraday.db")) << missing.err;

    Write("Intraday.db", "kein Paradox");
    EXPECT_EQ(Store(Fixture("yahoo_quote.html"), "7").exitCode, 2);
    QFile broken(QString::fromStdString(path("Intraday.db")));
    ASSERT_TRUE(broken.open(QIODevice::ReadOnly));
    EXPECT_EQ(broken.readAll(), "kein Paradox");
}

// The report says what the storage step would do; a store that did not land is told on stderr only.
TEST_F(ReplayStore, ARowTheTableCannotTakeIsToldOnStderr)
{
    CreateIntraday({{"Firma", FieldType::kLong, 0}, {"Zeit", FieldType::kTimestamp, 0}, {"Kurs", FieldType::kNumber, 0}});
    const ToolResult r = Store(Fixture("yahoo_quote.html"), "7");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    ExpectFixedLayout(r.out);
    EXPECT_EQ(Value(r.out, "Stored"), "yes");
    EXPECT_TRUE(Contains(r.err, "Kurs nicht in " + dir_.path().toStdString() + "/Intraday.db gespeichert (Firma 7, "
                                "Zeit 15.03.2024 17:35:00)")) << r.err;
    EXPECT_TRUE(Rows().empty());
}
