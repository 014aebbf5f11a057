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

}  // namespace

TEST_F(ReplayTool, YahooPagePrintsTheQuoteListLineAndTheWholeRecord)
{
    const ToolResult r = Replay(0, Fixture("yahoo_quote.html"), {"--zdf", "SAP"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    for (const char* line : {"Kursliste: SAP\t1234,56\t17:35:00\t1234567\n", "Status: 0 (Kurs gelesen)\n",
                             "Kurs: 1234,56\n", "Bid: 0\n", "Ask: 0\n", "Volumen: 1234567\n",
                             "ZeitTemp: 30.12.1899 17:35:00\n", "Datum: 15.03.2024 00:00:00\n",
                             "Kurswert: 1234.56\n", "Zeit: 17:35:00\n", "Statussymbol: 2 (Kurs gelesen)\n",
                             "Ergebnis: Kurs gelesen\n"})
        EXPECT_TRUE(Contains(r.out, line)) << line << "\n" << r.out;
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST_F(ReplayTool, YahooShortAnswerWithBidAskAndDateLines)
{
    const ToolResult r = Replay(0, Fixture("yahoo_short_answer.txt"), {"--zdf", "SAP"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_TRUE(Contains(r.out, "Kursliste: 31.12.2020\nKursliste: SAP\t12,5\t17:35\t1000\nKursliste: 15.03.2024\n"))
        << r.out;
    EXPECT_TRUE(Contains(r.out, "Bid: 12,4\nAsk: 12,6\n")) << r.out;
}

TEST_F(ReplayTool, ComdirectPageByEndWordOfTheSource)
{
    const ToolResult shares = Replay(3, Fixture("comdirect_aktie.html"), {"--zdf", "SAP"});
    EXPECT_EQ(shares.exitCode, 0) << shares.out;
    EXPECT_TRUE(Contains(shares.out, "Kursliste: 31.12.2020\nKursliste: SAP\t1234,56\t17:35\t1500000\tAktie\n"
                                     "Kursliste: 15.03.2024\n")) << shares.out;
    EXPECT_TRUE(Contains(shares.out, "Datum: 31.12.2020 00:00:00\n")) << shares.out;

    const ToolResult indices = Replay(4, Fixture("comdirect_aktie.html"), {"--zdf", "DAX"});
    EXPECT_TRUE(Contains(indices.out, "Kursliste: DAX\t1234,56\t17:35\t\tIndex\n")) << indices.out;
}

TEST_F(ReplayTool, InputsThatShapeTheReport)
{
    const ToolResult factor = Replay(0, Fixture("yahoo_quote.html"), {"--name", "Kleinwert AG ([0,01])"});
    EXPECT_TRUE(Contains(factor.out, "Kurs: 12,3456\n")) << factor.out;

    const ToolResult news = Replay(0, Fixture("yahoo_quote.html"), {"--sizetemp", "7000", "--policy", "2"});
    EXPECT_TRUE(Contains(news.out, "\t=>Nachrichten\n")) << news.out;
    EXPECT_TRUE(Contains(news.out, "Seite speichern: ja\n")) << news.out;

    const ToolResult hidden = Replay(0, Fixture("yahoo_quote.html"), {"--hidden"});
    EXPECT_EQ(hidden.exitCode, 0);
    EXPECT_FALSE(Contains(hidden.out, "Kursliste:")) << hidden.out;
    EXPECT_TRUE(Contains(hidden.out, "Statussymbol: unverändert\n")) << hidden.out;

    const ToolResult international =
        Run({"--source", "0", "--entry", "21", Fixture("yahoo_quote.html"), "--now", kNow});
    EXPECT_TRUE(Contains(international.out, "Kurs: 123456\n")) << international.out;
}

TEST_F(ReplayTool, NoQuoteExitsWithOneAndSaysWhy)
{
    const ToolResult noMarker = Replay(0, Fixture("wartung.html"));
    EXPECT_EQ(noMarker.exitCode, 1);
    EXPECT_TRUE(Contains(noMarker.out, "Status: 1 (Seitenmarke der Quelle nicht gefunden)\n")) << noMarker.out;
    EXPECT_TRUE(Contains(noMarker.out, "Sofort beendet: ja\n"));
    EXPECT_TRUE(Contains(noMarker.out, "Ergebnis: kein Kurs, Status 1: Seitenmarke der Quelle nicht gefunden\n"));

    QByteArray page;
    QFile fixture(QString::fromStdString(Fixture("comdirect_aktie.html")));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    page = fixture.readAll().replace("1.234,56 EUR", "n/a EUR");
    const ToolResult notANumber = Replay(3, Write("na.html", page));
    EXPECT_EQ(notANumber.exitCode, 1);
    EXPECT_TRUE(Contains(notANumber.out, "Status: 10 (Kurstext ist keine Zahl)\n")) << notANumber.out;
    EXPECT_TRUE(Contains(notANumber.out, "Volumen: 1500000\n")) << notANumber.out;

    const ToolResult empty = Replay(3, Write("empty.html", {}));
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(Contains(empty.out, "Ergebnis: kein Kurs, Seite ist leer\n")) << empty.out;

    const ToolResult swiss = Replay(6, Fixture("yahoo_quote.html"));
    EXPECT_EQ(swiss.exitCode, 1);
    EXPECT_TRUE(Contains(swiss.out, "Quelle 6 hat keine Seitenauswertung")) << swiss.out;

    const ToolResult future = Run({"--source", "0", "--entry", "0", Fixture("yahoo_quote.html"), "--now",
                                   "15.03.2024 12:00:00"});
    EXPECT_EQ(future.exitCode, 0) << "a quote later than now is stored, only not listed";
    EXPECT_FALSE(Contains(future.out, "Kursliste:")) << future.out;
}

TEST_F(ReplayTool, HostilePagesEndWithAVerdictOnEverySource)
{
    std::mt19937 random(20240315);
    QByteArray junk(1 << 20, '\0');
    for (char& c : junk)
        c = char(random());
    const std::string junkPage = Write("junk.bin", junk);

    QByteArray huge;
    const QByteArray pieces[] = {"Fw(b) Fz(36px) Mb(-4px) D(ib)", "\"Aktuell\"", "<td>", "Tages-Vol", ":", "\">",
                                 "Geld / Brief", "output-text", "9999999999999999999999,9", "1e999", "\r\n", "<", ">"};
    while (huge.size() < 24 * 1024 * 1024)
        huge += pieces[random() % std::size(pieces)];
    const std::string hugePage = Write("huge.html", huge);

    const auto verdict = [this](int source, const std::string& page) {
        const ToolResult r = Replay(source, page);
        EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << "source " << source << " " << page << "\n" << r.err;
        EXPECT_TRUE(Contains(r.out, "Ergebnis: ")) << r.out;
    };
    for (int source = 0; source <= 8; ++source)
        verdict(source, junkPage);
    // One source of each family: the comdirect sources share their cutting.
    verdict(0, hugePage);
    verdict(3, hugePage);
}

TEST_F(ReplayTool, BadArgumentsAndUnreadableFilesExitWithTwo)
{
    const std::string page = Fixture("yahoo_quote.html");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--source", "0", page},
        {"--entry", "0", page},
        {"--source", "0", "--entry", "0"},
        {"--source", "15", "--entry", "0", page},
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
    EXPECT_TRUE(Contains(Run({"--source", "0", "--entry", "0", path("missing.html")}).err, "Datei nicht lesbar: "));

    QFile tooLarge(QString::fromStdString(path("large.html")));
    ASSERT_TRUE(tooLarge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(tooLarge.resize(qint64(257) * 1024 * 1024));  // sparse: nothing is really written
    tooLarge.close();
    const ToolResult large = Run({"--source", "0", "--entry", "0", path("large.html")});
    EXPECT_EQ(large.exitCode, 2);
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
    EXPECT_TRUE(Contains(first.out, "Kursliste: Z7\t12,3456\t17:35:00\t1234567\n")) << first.out;
    EXPECT_TRUE(Contains(first.out, "Gespeichert: " + dir_.path().toStdString() + "/Intraday.db, Firma 7, Zeit "
                                    "15.03.2024 17:35:00\n")) << first.out;
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
    EXPECT_EQ(Store(Fixture("wartung.html"), "7").exitCode, 1);
    const ToolResult unknown = Store(Fixture("yahoo_quote.html"), "99");
    EXPECT_EQ(unknown.exitCode, 2);
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

TEST_F(ReplayStore, ARowTheTableCannotTakeIsReportedAsNotStored)
{
    CreateIntraday({{"Firma", FieldType::kLong, 0}, {"Zeit", FieldType::kTimestamp, 0}, {"Kurs", FieldType::kNumber, 0}});
    const ToolResult r = Store(Fixture("yahoo_quote.html"), "7");
    EXPECT_EQ(r.exitCode, 3) << r.out;
    EXPECT_TRUE(Contains(r.out, "Gespeichert: nein\n")) << r.out;
    EXPECT_TRUE(Contains(r.err, "Kurs nicht in " + dir_.path().toStdString() + "/Intraday.db gespeichert")) << r.err;
    EXPECT_TRUE(Rows().empty());
}
