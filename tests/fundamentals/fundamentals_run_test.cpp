// The fundamentals update end to end: the real main window (offscreen) and
// the real program on the demo kit's tables, against a loopback Onvista
// server whose pages each test lays out. Rows are read back with the engine
// and with pxlib; pxtool checks table and indexes afterwards.
#include "app/http_get_form.h"
#include "app/table_access.h"
#include "loopback_server.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/run_progress.h"
#include "program_run.h"
#include "qstring_printer.h"
#include "tests/lock_holder.h"
#include "tools/demodata/demo_directory.h"

#include <gtest/gtest.h>
extern "C" {
#include <paradox.h>
}

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <map>
#include <mutex>

namespace zelvon {
namespace {

namespace dd = demodata;

struct Figures {
    std::string symbol, wkn, isin;
    std::string count = "1.000.000", earnings = "1,00", dividend = "0,50", kcv = "10,00";
    bool withCount = true;
};

std::string PageOf(const std::optional<Figures>& f) {
    const std::string date = QDate::currentDate().toString(Qt::ISODate).toStdString();
    std::string page = "<html><body><div class=\"quote\"><time datetime=\"" + date +
                       "T10:00:00\">10:00</time><data value=\"100.00\">100,00 EUR</data></div>\n";
    if (f) {
        page += "<dl><dt>Symbol</dt><dd>" + f->symbol + "</dd><dt>WKN</dt><dd>" + f->wkn +
                "</dd><dt>ISIN</dt><dd class=\"isin\">" + f->isin + "</dd></dl><table>";
        if (f->withCount) page += "<tr><th>Anzahl Aktien</th><td>" + f->count + "</td></tr>";
        page += "<tr><td>Ergebnis je Aktie </td><td>" + f->earnings + "</td></tr><tr><td>Dividende je Aktie </td><td>" +
                f->dividend + "</td></tr><tr><th>KCV</th><td>2024</td><td>" + f->kcv + "</td></tr></table>\n";
    }
    return page + "<p>Kurse verz&ouml;gert</p></body></html>\n";
}

// Onvista pages by the identifier the address ends in; a page without the
// fundamentals block for every other security. One page can be answered
// while another process holds Firma.db locked, until the next request.
class OnvistaServer {
public:
    OnvistaServer() : server_(test::Tls::TestCa) {
        server_.routes().Get(R"(/([^/]+))", [this](const httplib::Request& rq, httplib::Response& rs) {
            rs.set_content(Answer(rq.matches[1]), "text/html; charset=windows-1252");
        });
        server_.start();
    }
    void Set(const std::string& identifier, Figures figures) { pages_[identifier] = std::move(figures); }
    void LockWhileAnswering(const std::string& identifier, const std::string& table) {
        lockedPage_ = identifier;
        lockedTable_ = table;
    }
    std::vector<std::string> asked() const {
        std::lock_guard lock(mutex_);
        return asked_;
    }
    QString host() const { return server_.hostWithPort(QStringLiteral("onvista.localhost")); }

private:
    std::string Answer(const std::string& identifier) {
        std::lock_guard lock(mutex_);
        asked_.push_back(identifier);
        locker_.reset();
        if (identifier == lockedPage_) locker_ = std::make_unique<test::LockHolder>(lockedTable_);
        const auto it = pages_.find(identifier);
        return PageOf(it == pages_.end() ? std::nullopt : std::optional(it->second));
    }

    test::LoopbackServer server_;
    std::map<std::string, Figures> pages_;
    std::string lockedPage_, lockedTable_;
    mutable std::mutex mutex_;
    std::vector<std::string> asked_;
    std::unique_ptr<test::LockHolder> locker_;
};

// Asks the run to stop while it works on the security at position.
class StopDuring : public ConsoleProgress {
public:
    explicit StopDuring(int position) : position_(position) {}
    void StepProgress() override {
        ConsoleProgress::StepProgress();
        if (Position() == position_) RequestStop();
    }

private:
    int position_;
};

using Row = std::map<std::string, std::string>;

// Every row of Firma.db as pxlib reads it, by security number.
std::map<int, Row> PxlibRows(const std::string& path) {
    std::map<int, Row> rows;
    pxdoc_t* doc = PX_new();
    if (PX_open_file(doc, path.c_str()) != 0) {
        ADD_FAILURE() << "pxlib cannot open " << path;
        PX_delete(doc);
        return rows;
    }
    pxfield_t* fields = PX_get_fields(doc);
    for (int r = 0; r < PX_get_num_records(doc); ++r) {
        pxval_t** values = PX_retrieve_record(doc, r);
        Row row;
        for (int f = 0; f < PX_get_num_fields(doc); ++f) {
            const pxval_t* v = values[f];
            std::string text;
            if (!v->isnull && fields[f].px_ftype == pxfAlpha) text = std::string(v->value.str.val, v->value.str.len);
            if (!v->isnull && fields[f].px_ftype == pxfNumber) text = QString::number(v->value.dval, 'g', 15).toStdString();
            if (!v->isnull && fields[f].px_ftype == pxfLong) text = std::to_string(v->value.lval);
            if (fields[f].px_ftype != pxfMemoBLOb) row[fields[f].px_fname] = text;
            FREE_PXVAL(doc, values[f]);
        }
        doc->free(doc, values);
        rows[std::stoi(row["Firma"])] = row;
    }
    PX_close(doc);
    PX_delete(doc);
    return rows;
}

const dd::Security& Kit(int32_t firma) { return *dd::FindKitSecurity(firma); }

class FundamentalsRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureApplication();
        dialogs::SetStartedBySwitches(true, false);
        ASSERT_TRUE(dir_.isValid());
        data_ = dir_.filePath("Daten/");
        ASSERT_TRUE(dd::CreateDemoDataDirectory(data_.toStdString(), dd::DemoOptions{}).ok());
    }
    void WriteSettings(const QString& tempPath) {
        QFile reg(dir_.filePath("Quarvinta.reg"));
        ASSERT_TRUE(reg.open(QIODevice::WriteOnly));
        reg.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                  "\"Datenpath\"=\"" + data_.toUtf8() + "\"\r\n"
                  "\"Depotpath\"=\"" + data_.toUtf8() + "Depot/\"\r\n"
                  "\"Temppath\"=\"" + tempPath.toUtf8() + "\"\r\n"
                  "\"VTDATEI\"=\"" + dir_.filePath("aktien.txt").toUtf8() + "\"\r\n"
                  "\"Zelvon_Favoriten\"=dword:00000000\r\n"
                  "\"Zelvon_Gruppe\"=dword:00000000\r\n"
                  "\"Zelvon_Host_Onvista\"=\"" + server_.host().toUtf8() + "\"\r\n"
                  "\"Zelvon_CAFile\"=\"" + test::TestCaFile().toUtf8() + "\"\r\n"
                  "\"Zelvon_Browser\"=\"http\"\r\n");
    }
    // Runs the update in the window, as the menu item does.
    void RunInWindow(RunProgress& progress) {
        WriteSettings(dir_.path() + "/");
        THttpGetForm form;
        form.SetRegistry(RegistryFile::Load(dir_.filePath("Quarvinta.reg")));
        form.Initial();
        form.RunFundamentals(progress);
    }
    void Change(int32_t firma, const char* field, const std::string& value) {
        db::Session session;
        db::Table table(session);
        table.SetDatabaseName(data_.toStdString());
        table.SetTableName("Firma.db");
        Check(table.Open());
        bool found = false;
        Check(table.FindKey({int64_t(firma)}, &found));
        ASSERT_TRUE(found);
        Check(table.Edit());
        SetField(table, field, value);
        Check(table.Post());
    }
    std::string firmaPath() const { return data_.toStdString() + "Firma.db"; }
    std::map<int, Row> Rows() const { return PxlibRows(firmaPath()); }
    QStringList LogLines() const {
        QFile log(dir_.filePath("fundalog.txt"));
        if (!log.open(QIODevice::ReadOnly)) return {};
        return codec::DecodeWindows1252(log.readAll()).split("\r\n");
    }
    // The security lines of the log, between the rule and the end.
    QStringList LoggedSecurities() const {
        QStringList lines = LogLines();
        return lines.size() < 8 ? QStringList() : lines.mid(4, lines.size() - 7);
    }
    void ExpectTablesConsistent() {
        QProcess check;
        check.start(PXTOOL_BINARY, {"check", QString::fromStdString(firmaPath())});
        ASSERT_TRUE(check.waitForFinished(30'000));
        EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();
        EXPECT_EQ(check.readAllStandardOutput().trimmed(), "ok");
    }
    static Figures FiguresOf(int32_t firma) {
        const dd::Security& s = Kit(firma);
        return Figures{s.ticker, s.wkn, s.isin};
    }

    QTemporaryDir dir_;
    QString data_;
    OnvistaServer server_;
};

TEST_F(FundamentalsRunTest, WritesFiguresByThePageRulesAndLeavesEveryOtherRow) {
    Figures allianz = FiguresOf(4);
    allianz.symbol = "ALV.NEU";
    allianz.count = "401.000.000";
    allianz.earnings = "23,70";
    allianz.dividend = "13,90";
    allianz.kcv = "4,00";
    server_.Set(Kit(4).isin, allianz);
    // Siemens has lost its Ticker: the page's symbol fills it; a KCV of 0 writes a cash flow of 0.
    Change(2, "Ticker", "");
    Figures siemens = FiguresOf(2);
    siemens.symbol = "SIE.XE";
    siemens.kcv = "0,00";
    server_.Set(Kit(2).isin, siemens);
    // BASF's page has every figure but no share count: nothing changes.
    Figures basf = FiguresOf(3);
    basf.withCount = false;
    server_.Set(Kit(3).isin, basf);
    // Bayer's count has five thousands dots: Aktienzahl stays, the rest is written.
    Figures bayer = FiguresOf(7);
    bayer.count = "1.2.3.4.5.6";
    server_.Set(Kit(7).isin, bayer);
    // Deutsche Bank lost its ISIN (its address then ends in the Kennung): a
    // page with a count but no figures gives the ISIN back, the Ticker stays.
    Change(5, "ISIN", "");
    Figures bank = FiguresOf(5);
    bank.symbol = "OTHER";
    bank.count = "abc";
    bank.earnings = bank.dividend = bank.kcv = "0";
    server_.Set(Kit(5).kennung, bank);
    const std::map<int, Row> before = Rows();

    ConsoleProgress progress;
    RunInWindow(progress);

    const std::map<int, Row> after = Rows();
    const Row& a = after.at(4);
    EXPECT_EQ(a.at("Aktienzahl"), "401000000");
    EXPECT_EQ(a.at("Gewinn"), "23.7");
    EXPECT_EQ(a.at("Dividende"), "13.9");
    EXPECT_EQ(a.at("Cashflow"), "25");
    EXPECT_EQ(a.at("Ticker"), "ALV.DE");
    const Row& s = after.at(2);
    EXPECT_EQ(s.at("Ticker"), "SIE.XE");
    EXPECT_EQ(s.at("Cashflow"), "0");
    EXPECT_EQ(s.at("Aktienzahl"), "1000000");
    EXPECT_EQ(after.at(3), before.at(3));
    const Row& b = after.at(7);
    EXPECT_EQ(b.at("Aktienzahl"), before.at(7).at("Aktienzahl"));
    EXPECT_EQ(b.at("Gewinn"), "1");
    const Row& d = after.at(5);
    EXPECT_EQ(d.at("ISIN"), Kit(5).isin);
    EXPECT_EQ(d.at("Ticker"), Kit(5).ticker);
    EXPECT_EQ(d.at("Gewinn"), before.at(5).at("Gewinn"));
    for (const auto& [firma, row] : before) {
        if (firma != 2 && firma != 4 && firma != 5 && firma != 7) {
            EXPECT_EQ(after.at(firma), row) << firma;
        }
    }

    const QStringList lines = LogLines();
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("Aktualisierung decr Fundamentaldaten je Aktie \"Alle Werte\" am ")) << lines[0].toStdString();
    EXPECT_EQ(lines[2], "Wertpapier\t\t\tKurs\tAnzahl\t\tGewinn\tCash\tDividende");
    EXPECT_EQ(lines[3], QString(81, '-'));
    EXPECT_EQ(LoggedSecurities(),
              (QStringList{"Allianz SE____________________\t100\t401000000\t23,7\t25\t13,9",
                           "Bayer AG______________________\t100\t0\t1\t10\t0,5",
                           "Siemens AG____________________\t100\t1000000\t1\t0\t0,5"}));
    EXPECT_TRUE(lines.value(lines.size() - 2).startsWith("Aktualisierung beendet "));
    ExpectTablesConsistent();
}

TEST_F(FundamentalsRunTest, ALockedRowIsLeftAndTheRunGoesOn) {
    server_.Set(Kit(4).isin, FiguresOf(4));
    server_.Set(Kit(24).isin, FiguresOf(24));
    server_.LockWhileAnswering(Kit(4).isin, firmaPath());
    const std::map<int, Row> before = Rows();

    ConsoleProgress progress;
    RunInWindow(progress);

    const std::map<int, Row> after = Rows();
    EXPECT_EQ(after.at(4), before.at(4));
    EXPECT_EQ(after.at(24).at("Aktienzahl"), "1000000");
    EXPECT_EQ(LoggedSecurities(), QStringList{"Amazon.com Inc._______________\t100\t1000000\t1\t10\t0,5"});
    EXPECT_EQ(server_.asked().size(), before.size() - 1);  // all but the one without Kennung
    ExpectTablesConsistent();
}

TEST_F(FundamentalsRunTest, AStopRequestEndsTheRunAfterTheCurrentSecurity) {
    for (int32_t firma : {4, 24, 12}) server_.Set(Kit(firma).isin, FiguresOf(firma));
    StopDuring progress(2);
    RunInWindow(progress);
    EXPECT_EQ(server_.asked(), (std::vector<std::string>{Kit(4).isin, Kit(24).isin}));
    EXPECT_EQ(LoggedSecurities().size(), 2);
    EXPECT_EQ(Rows().at(12).at("Aktienzahl"), QString::number(Kit(12).aktienzahl, 'g', 15).toStdString());
    EXPECT_EQ(LogLines().value(LogLines().size() - 2).left(23), "Aktualisierung beendet ");
}

// "/W value /I 0" from a scheduler: the value is a Kennung compared as it is,
// quotes and all; the log's path goes to stderr.
TEST_F(FundamentalsRunTest, TheProgramSelectsTheKennungLiterally) {
    Change(1, "Kennung", "O'REILLY");
    server_.Set(Kit(1).isin, FiguresOf(1));
    server_.Set(Kit(2).isin, FiguresOf(2));
    WriteSettings(dir_.path() + "/");
    const std::map<int, Row> before = Rows();

    const test::ProgramOutcome injected =
        test::RunProgram(dir_.filePath("Quarvinta.reg"), dir_.path(), {"/W", "x' OR Kennung <> '", "/I", "0"});
    EXPECT_EQ(injected.exitCode, 0) << injected.stderrText.toStdString();
    EXPECT_TRUE(server_.asked().empty());
    EXPECT_TRUE(LoggedSecurities().isEmpty());
    EXPECT_EQ(Rows(), before);

    const test::ProgramOutcome quoted =
        test::RunProgram(dir_.filePath("Quarvinta.reg"), dir_.path(), {"/W", "O'REILLY", "/I", "0"});
    EXPECT_EQ(quoted.exitCode, 0) << quoted.stderrText.toStdString();
    EXPECT_TRUE(quoted.stderrText.contains("Fundamentaldaten-Protokoll: " + dir_.filePath("fundalog.txt")))
        << quoted.stderrText.toStdString();
    EXPECT_EQ(server_.asked(), std::vector<std::string>{Kit(1).isin});
    EXPECT_EQ(LoggedSecurities(), QStringList{"SAP SE________________________\t100\t1000000\t1\t10\t0,5"});
    EXPECT_EQ(Rows().at(1).at("Aktienzahl"), "1000000");
    EXPECT_EQ(Rows().at(2), before.at(2));
    ExpectTablesConsistent();
}

// A log that cannot be created ends the run before any fetch, with status 1.
TEST_F(FundamentalsRunTest, ALogThatCannotBeCreatedEndsTheRunWithStatusOne) {
    WriteSettings(dir_.filePath("fehlt/"));
    const test::ProgramOutcome o = test::RunProgram(dir_.filePath("Quarvinta.reg"), dir_.path(), {"/I", "0"});
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_TRUE(o.stderrText.contains("fundalog.txt kann nicht angelegt werden")) << o.stderrText.toStdString();
    EXPECT_TRUE(server_.asked().empty());
}

}  // namespace
}  // namespace zelvon
