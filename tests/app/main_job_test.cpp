// The main job as a scheduler starts it: the real program on a demo data
// directory against the real demo quote server, then the quote file and the
// stored quotes are checked.
#include "app/table_access.h"
#include "platform/codec.h"
#include "sources/source_catalogue.h"
#include "tests/platform/feed_simulator.h"
#include "tools/demodata/demo_directory.h"
#include "tools/demodata/feed_files.h"
#include "intraday_rows.h"
#include "program_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <map>
#include <set>

#ifdef ZELVON_QUOTESERVER_BINARY

namespace zelvon {
namespace {

class MainJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        data_ = dir_.filePath("Daten/");
        const auto kit = demodata::CreateDemoDataDirectory(data_.toStdString(), demodata::DemoOptions{});
        ASSERT_TRUE(kit.ok()) << kit.message();
        StartServer();
        StartFeeds();
        quoteFile_ = dir_.filePath("aktien.txt");
        WriteSettings(quoteFile_, "");
    }
    void TearDown() override {
        server_.terminate();
        server_.waitForFinished(10'000);
    }
    void StartServer() {
        const QString portFile = dir_.filePath("ports");
        server_.start(ZELVON_QUOTESERVER_BINARY,
                      {"--quiet", "--ca-out", dir_.filePath("ca.pem"), "--port-file", portFile});
        ASSERT_TRUE(server_.waitForStarted());
        for (int i = 0; i < 200 && QFile(portFile).size() == 0; ++i) QThread::msleep(50);
        QFile ports(portFile);
        ASSERT_TRUE(ports.open(QIODevice::ReadOnly));
        for (const QByteArray& line : ports.readAll().split('\n')) {
            if (line.startsWith("https=")) httpsPort_ = line.mid(6).toInt();
            if (line.startsWith("http=")) httpPort_ = line.mid(5).toInt();
        }
        ASSERT_GT(httpsPort_, 0);
    }
    // The local quote feeds of the WinBis and TaiPan groups, where the program
    // looks for them below XDG_RUNTIME_DIR.
    void StartFeeds() {
        const QString sockets = dir_.filePath("zelvon-dde");
        ASSERT_TRUE(QDir().mkpath(sockets));
        for (const char* service : {"WinBis", "TaiPanRT"})
            feeds_.push_back(std::make_unique<test::FeedSimulator>(
                sockets, service, QByteArray::fromStdString(demodata::FeedFileText(service))));
    }
    void WriteSettings(const QString& quoteFile, const QByteArray& extra) {
        const QByteArray host = "localhost:" + QByteArray::number(httpsPort_) + "\"\r\n";
        QFile reg(dir_.filePath("Quarvinta.reg"));
        ASSERT_TRUE(reg.open(QIODevice::WriteOnly));
        reg.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                  "\"Datenpath\"=\"" + data_.toUtf8() + "\"\r\n"
                  "\"Depotpath\"=\"" + data_.toUtf8() + "Depot/\"\r\n"
                  "\"Temppath\"=\"" + dir_.path().toUtf8() + "/\"\r\n"
                  "\"VTDATEI\"=\"" + quoteFile.toUtf8() + "\"\r\n"
                  "\"Zelvon_Favoriten\"=dword:00000000\r\n"
                  "\"Zelvon_Host_Yahoo\"=\"yahoo." + host +
                  "\"Zelvon_Host_Comdirect\"=\"comdirect." + host +
                  "\"Zelvon_Host_Onvista\"=\"onvista." + host +
                  "\"Zelvon_Host_OnvistaZert\"=\"onvistazert.localhost:" + QByteArray::number(httpPort_) + "\"\r\n" +
                  "\"Zelvon_Host_Wallstreet\"=\"wallstreet." + host +
                  "\"Zelvon_Host_Consors\"=\"consors." + host +
                  "\"Zelvon_Host_Teleboerse\"=\"teleboerse." + host +
                  "\"Zelvon_CAFile\"=\"" + dir_.filePath("ca.pem").toUtf8() + "\"\r\n"
                  "\"Zelvon_Browser\"=\"http\"\r\n" +
                  (extra.contains("Zelvon_Host_Swiss") ? QByteArray()
                                                       : "\"Zelvon_Host_Swiss\"=\"swiss.localhost:" +
                                                             QByteArray::number(httpPort_) + "\"\r\n") +
                  extra);
    }
    // The kit with its per-group sources, the Swiss shares on the stock page
    // (one quote each) instead of the intraday list (one per new trade).
    void CreateKitWithOneQuotePerSecurity() {
        demodata::DemoOptions options;
        options.internet_defaults = true;
        const auto kit = demodata::CreateDemoDataDirectory(data_.toStdString(), options);
        ASSERT_TRUE(kit.ok()) << kit.message();
        db::Session session;
        db::Table table(session);
        table.SetDatabaseName(data_.toStdString());
        table.SetTableName("Internet.db");
        Check(table.Open());
        for (Check(table.First()); !table.Eof(); Check(table.Next())) {
            if (FieldInteger(table, "GruppenIndex") != demodata::kSwissShares) continue;
            Check(table.Edit());
            SetField(table, "BoerseIndex", db::Variant(int32_t(0)));
            Check(table.Post());
        }
    }
    using Outcome = test::ProgramOutcome;
    Outcome Run(const QStringList& args) { return test::RunProgram(dir_.filePath("Quarvinta.reg"), dir_.path(), args); }
    QStringList QuoteFileLines() const {
        QFile f(quoteFile_);
        if (!f.open(QIODevice::ReadOnly)) return {};
        const QByteArray bytes = f.readAll();
        EXPECT_TRUE(bytes.isEmpty() || bytes.endsWith("\r\n"));
        QStringList lines = codec::DecodeWindows1252(bytes).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
    // Rows of Intraday.db per security.
    std::map<int32_t, int> IntradayRows() const {
        return test::IntradayRowsPerSecurity(data_);
    }
    static int Fetchable() {
        int n = 0;
        for (const auto& s : demodata::KitSecurities()) n += s.kennung.empty() ? 0 : 1;
        return n;
    }

    QTemporaryDir dir_;
    QString data_;
    QString quoteFile_;
    QProcess server_;
    std::vector<std::unique_ptr<test::FeedSimulator>> feeds_;
    int httpsPort_ = 0;
    int httpPort_ = 0;
};

QJsonObject ReadReport(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return QJsonDocument::fromJson(f.readAll()).object();
}

TEST_F(MainJobTest, AutomaticRunStoresAQuoteOfEverySelectedSecurityAndEnds) {
    const std::map<int32_t, int> before = IntradayRows();
    const Outcome o = Run({"/A"});
    EXPECT_EQ(o.exitCode, 0) << o.stderrText.toStdString();

    const QStringList lines = QuoteFileLines();
    EXPECT_EQ(lines.size(), Fetchable()) << lines.join('\n').toStdString();
    for (const QString& line : lines) EXPECT_GE(line.count('\t'), 3) << line.toStdString();

    const std::map<int32_t, int> after = IntradayRows();
    int added = 0;
    for (const auto& [firma, count] : after) {
        const auto was = before.find(firma);
        added += count - (was == before.end() ? 0 : was->second);
    }
    EXPECT_EQ(added, Fetchable());
}

TEST_F(MainJobTest, ReportNamesEverySecurityWithOneAttemptAndItsStoredQuote) {
    const QString reportFile = dir_.filePath("bericht.json");
    const Outcome o = Run({"/A", "--report", reportFile});
    ASSERT_EQ(o.exitCode, 0) << o.stderrText.toStdString();
    const QJsonObject report = ReadReport(reportFile);
    const QJsonArray securities = report["securities"].toArray();
    ASSERT_EQ(securities.size(), Fetchable());
    for (const QJsonValue& v : securities) {
        const QJsonObject s = v.toObject();
        EXPECT_EQ(s["attempts"].toArray().size(), 1) << s["ZDF"].toString().toStdString();
        EXPECT_EQ(s["reason"].toString(), "quote read");
        EXPECT_GT(s["stored"].toObject()["Kurs"].toDouble(), 0);
        EXPECT_TRUE(s["address"].toString().startsWith("https://"));
    }
    EXPECT_EQ(report["totals"].toObject()["stored"].toInt(), Fetchable());
    EXPECT_TRUE(o.stderrText.contains(QStringLiteral("%1 von %1 Kursen gespeichert").arg(Fetchable())))
        << o.stderrText.toStdString();
}

TEST_F(MainJobTest, PerGroupSourcesReadIndicesAndCertificatesFromOnvista) {
    CreateKitWithOneQuotePerSecurity();
    const Outcome o = Run({"/A"});
    EXPECT_EQ(o.exitCode, 0) << o.stderrText.toStdString();
    const QStringList lines = QuoteFileLines();
    EXPECT_EQ(lines.size(), Fetchable()) << lines.join('\n').toStdString();
    // The Dow Jones page is a search result: its quote comes from the follow-up page.
    for (const char* zdf : {"DAX", "DOW JONES"}) {
        const QRegularExpression line(QStringLiteral("^%1\t[0-9,]+\t[0-9:]{8}\t\t\tIndex$").arg(QLatin1String(zdf)));
        EXPECT_EQ(lines.filter(line).size(), 1) << zdf << "\n" << lines.join('\n').toStdString();
    }
    EXPECT_EQ(lines.filter(QRegularExpression("\t\t\tDB-OnVista$")).size(), 2) << lines.join('\n').toStdString();
    const std::map<int32_t, int> rows = IntradayRows();
    for (const int32_t firma : {401, 402, 301, 302}) EXPECT_EQ(rows.count(firma) ? rows.at(firma) : 0, 1) << firma;
}

// The sources the demo groups mix, each with the shape of its quote line
// after ZDF, price and time; an empty shape checks only the start.
const std::map<int, QString> kMixedWebSources = {
    {kSourceYahoo, QString()},
    {kSourceComdirectFonds, QString()},
    {kSourceSwiss, QStringLiteral("\\d\\d:\\d\\d:\\d\\d(\\t\\d+)?\\tswiss\\.localhost")},
    {kSourceOnvista, QString()},
    {kSourceWallstreet, QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\t\\d*")},
    {kSourceConsors, QStringLiteral("\\d\\d:\\d\\d:00\\t(\\d+\\t)?")},
    {kSourceTeleboerse, QStringLiteral("\\d\\d:\\d\\d\\t")},
    {kSourceWinBis, QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\t\\d+\\t[0-9,]+\\(\\d+\\)\\t[0-9,]+\\(\\d+\\)\\tWinBis")},
    {kSourceTaiPan, QStringLiteral("17:35:0\\d\\t\\d+\\t\\t\\tTaiPanRT")},
};

TEST_F(MainJobTest, MixedWebSourcesStoreOneQuoteEachAndTheQuoteFileKeepsTheRunOrder) {
    // The kit's per-group defaults spread the groups over the web sources.
    CreateKitWithOneQuotePerSecurity();
    const std::map<int32_t, int> before = IntradayRows();
    const QString reportFile = dir_.filePath("bericht.json");
    const Outcome o = Run({"/A", "--report", reportFile});
    ASSERT_EQ(o.exitCode, 0) << o.stderrText.toStdString();
    const QJsonArray securities = ReadReport(reportFile)["securities"].toArray();
    const QStringList lines = QuoteFileLines();
    ASSERT_EQ(lines.size(), securities.size())
        << lines.join('\n').toStdString() << "\n" << QJsonDocument(securities).toJson().toStdString();

    const std::map<int32_t, int> after = IntradayRows();
    std::set<int> seenSources;
    for (qsizetype i = 0; i < securities.size(); ++i) {
        const QJsonObject s = securities[i].toObject();
        const int source = s["source"].toObject()["index"].toInt();
        const int32_t firma = s["Firma"].toInt();
        const std::string where = s["ZDF"].toString().toStdString() + " from source " + std::to_string(source);
        seenSources.insert(source);
        EXPECT_EQ(s["reason"].toString(), "quote read") << where;
        const auto was = before.find(firma);
        EXPECT_EQ(after.at(firma) - (was == before.end() ? 0 : was->second), 1) << where;

        const QString price = QString::number(s["stored"].toObject()["Kurs"].toDouble(), 'g', 15).replace('.', ',');
        const QString start = s["ZDF"].toString() + u'\t' + price + u'\t';
        EXPECT_TRUE(lines[i].startsWith(start)) << where << ": " << lines[i].toStdString();
        const auto shape = kMixedWebSources.find(source);
        ASSERT_NE(shape, kMixedWebSources.end()) << where << " is no source of the mix";
        if (!shape->second.isEmpty()) {
            const QRegularExpression rest(QRegularExpression::anchoredPattern(shape->second));
            EXPECT_TRUE(rest.match(lines[i].mid(start.size())).hasMatch()) << where << ": " << lines[i].toStdString();
        }
    }
    for (const auto& [source, shape] : kMixedWebSources)
        EXPECT_TRUE(seenSources.count(source)) << "no security fetched from source " << source;
}

TEST_F(MainJobTest, AFailedPageFetchIsTriedOnceAndReportedWithItsStatus) {
    // Watch list 3: one security with a Kennung, fetched from the Swiss source
    // over plain HTTP, where the demo server has no such page.
    WriteSettings(quoteFile_, "\"Zelvon_Gruppe\"=dword:00000004\r\n\"Zelvon_Quelle\"=dword:00000006\r\n"
                              "\"Zelvon_Host_Swiss\"=\"localhost:" + QByteArray::number(httpPort_) + "/fehlt\"\r\n");
    const QString reportFile = dir_.filePath("bericht.json");
    const Outcome o = Run({"/A", "--report", reportFile});
    ASSERT_EQ(o.exitCode, 0) << o.stderrText.toStdString();
    const QJsonArray securities = ReadReport(reportFile)["securities"].toArray();
    ASSERT_EQ(securities.size(), 1);
    const QJsonObject s = securities[0].toObject();
    ASSERT_EQ(s["attempts"].toArray().size(), 1);
    EXPECT_EQ(s["attempts"].toArray()[0].toObject()["http"].toInt(), 404);
    EXPECT_EQ(s["reason"].toString(), "HTTP 404 Not Found");
    EXPECT_TRUE(s["stored"].isNull());
    EXPECT_TRUE(QuoteFileLines().isEmpty());
    EXPECT_TRUE(o.stderrText.contains("0 von 1 Kursen gespeichert")) << o.stderrText.toStdString();
}

TEST_F(MainJobTest, NoAdmittedSecurityEmptiesTheQuoteFile) {
    QFile old(quoteFile_);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("alt\r\n");
    old.close();
    // Watch list 4 is empty.
    WriteSettings(quoteFile_, "\"Zelvon_Gruppe\"=dword:00000005\r\n");
    const Outcome o = Run({"/A"});
    EXPECT_EQ(o.exitCode, 0) << o.stderrText.toStdString();
    EXPECT_EQ(QFile(quoteFile_).size(), 0);
}

TEST_F(MainJobTest, SecondRunReplacesTheQuoteFile) {
    ASSERT_EQ(Run({"/A"}).exitCode, 0);
    const qsizetype first = QuoteFileLines().size();
    ASSERT_EQ(Run({"/A"}).exitCode, 0);
    EXPECT_EQ(QuoteFileLines().size(), first);
}

TEST_F(MainJobTest, SingleSecurityQuoteRunStoresOneQuoteAndSavesTheQuoteList) {
    const auto& sap = demodata::KitSecurities().front();
    const std::map<int32_t, int> before = IntradayRows();
    const Outcome o = Run({"/W", QString::number(sap.firma), "/D"});
    EXPECT_EQ(o.exitCode, 0) << o.stderrText.toStdString();
    EXPECT_EQ(IntradayRows()[sap.firma], before.count(sap.firma) ? before.at(sap.firma) + 1 : 1);
    const QStringList lines = QuoteFileLines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.join('\n').contains(QString::fromStdString(sap.zdf)));
}

TEST_F(MainJobTest, SingleSecurityQuoteRunThroughQtWebEngine) {
    QFile reg(dir_.filePath("Quarvinta.reg"));
    ASSERT_TRUE(reg.open(QIODevice::ReadWrite));
    QByteArray settings = reg.readAll();
    settings.replace("\"Zelvon_Browser\"=\"http\"\r\n", "");
    reg.resize(0);
    reg.write(settings);
    reg.close();
    const auto& sap = demodata::KitSecurities().front();
    const std::map<int32_t, int> before = IntradayRows();
    const Outcome o = Run({"/W", QString::number(sap.firma), "/D"});
    EXPECT_EQ(o.exitCode, 0) << o.stderrText.toStdString();
    EXPECT_EQ(IntradayRows()[sap.firma], before.count(sap.firma) ? before.at(sap.firma) + 1 : 1);
}

TEST_F(MainJobTest, UnknownSecurityNumberEndsWithItsMessage) {
    const Outcome o = Run({"/W", "987654", "/D"});
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_TRUE(o.stderrText.contains("Konne 987654 nicht finden")) << o.stderrText.toStdString();
}

TEST_F(MainJobTest, QuoteFileThatCannotBeCreatedEndsTheRunWithStatusOne) {
    WriteSettings(dir_.filePath("fehlt/nirgends/aktien.txt"), "");
    const std::map<int32_t, int> before = IntradayRows();
    const Outcome o = Run({"/A"});
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_TRUE(o.stderrText.contains("aktien.txt")) << o.stderrText.toStdString();
    EXPECT_EQ(IntradayRows(), before);
}

TEST_F(MainJobTest, UnreachableSourcesStoreNothingAndTheRunStillEnds) {
    // A short watch list: every failed browser fetch waits out its time-out.
    WriteSettings(quoteFile_, "\"Zelvon_Gruppe\"=dword:00000004\r\n");
    server_.terminate();
    server_.waitForFinished(10'000);
    const std::map<int32_t, int> before = IntradayRows();
    const Outcome o = Run({"/A"});
    EXPECT_EQ(o.exitCode, 0) << o.stderrText.toStdString();
    EXPECT_TRUE(QuoteFileLines().isEmpty());
    EXPECT_EQ(IntradayRows(), before);
    EXPECT_TRUE(o.stderrText.contains("keine Antwort")) << o.stderrText.toStdString();
}

// The Swiss shares read the Swiss source's intraday trade lists (some behind
// a disclaimer): each new trade is a row of its own, reported once, and a
// second read of the grown list adds only the trades it did not hold yet.
TEST_F(MainJobTest, SwissIntradayListPostsEachNewTradeOnce) {
    demodata::DemoOptions options;
    options.internet_defaults = true;
    ASSERT_TRUE(demodata::CreateDemoDataDirectory(data_.toStdString(), options).ok());
    WriteSettings(quoteFile_, "\"Zelvon_Host_Swiss\"=\"swiss.localhost:" + QByteArray::number(httpPort_) + "\"\r\n");
    int32_t firma = 0;
    for (const auto& s : demodata::KitSecurities())
        if (s.gruppe == demodata::kSwissShares && firma == 0) firma = s.firma;
    ASSERT_NE(firma, 0);
    const int before = IntradayRows()[firma];
    int stored = before;
    for (int read = 0; read < 2; ++read) {
        const Outcome o = Run({"/W", QString::number(firma), "/D"});
        ASSERT_EQ(o.exitCode, 0) << o.stderrText.toStdString();
        const int reported = int(QuoteFileLines().filter(QStringLiteral("\tSwiss.localhost")).size());
        const int now = IntradayRows()[firma];
        EXPECT_EQ(now - stored, reported) << "read " << read;
        if (read == 0) EXPECT_GT(reported, 0);
        stored = now;
    }
}

}  // namespace
}  // namespace zelvon

#endif
