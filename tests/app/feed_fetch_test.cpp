// The fetch-all run over the demo's WinBis group, as a scheduler starts it:
// the real program with the feed simulator serving the kit's feed file, and
// without any feed, where every attempt finds WinBis unreachable.
#include "app/table_access.h"
#include "platform/codec.h"
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
#include <QRegularExpression>
#include <QTemporaryDir>

#ifdef ZELVON_DDEFEED_BINARY

namespace zelvon {
namespace {

// The group selector lists the whole-table entry, the depot and four watch
// lists before the groups of Gruppen.db from the second on.
constexpr int kWinBisGroupEntry = 5 + demodata::kWinBisShares;

class FeedFetchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        data_ = dir_.filePath("Daten/");
        demodata::DemoOptions options;
        options.internet_defaults = true;
        const auto kit = demodata::CreateDemoDataDirectory(data_.toStdString(), options);
        ASSERT_TRUE(kit.ok()) << kit.message();
        quoteFile_ = dir_.filePath("aktien.txt");
        report_ = dir_.filePath("bericht.json");
        QFile reg(dir_.filePath("Quarvinta.reg"));
        ASSERT_TRUE(reg.open(QIODevice::WriteOnly));
        reg.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                  "\"Datenpath\"=\"" + data_.toUtf8() + "\"\r\n"
                  "\"Depotpath\"=\"" + data_.toUtf8() + "Depot/\"\r\n"
                  "\"Temppath\"=\"" + dir_.path().toUtf8() + "/\"\r\n"
                  "\"VTDATEI\"=\"" + quoteFile_.toUtf8() + "\"\r\n"
                  "\"Zelvon_Favoriten\"=dword:00000000\r\n"
                  "\"Zelvon_Gruppe\"=dword:" + QByteArray::number(kWinBisGroupEntry, 16).rightJustified(8, '0') + "\r\n");
    }
    // The sockets are looked for below XDG_RUNTIME_DIR, which RunProgram sets to dir_.
    QString SocketDirectory() const { return dir_.filePath("zelvon-dde"); }
    test::ProgramOutcome RunAutomatic() {
        return test::RunProgram(dir_.filePath("Quarvinta.reg"), dir_.path(), {"/A", "--report", report_});
    }
    QStringList QuoteFileLines() const {
        QFile f(quoteFile_);
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList lines = codec::DecodeWindows1252(f.readAll()).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
    QJsonObject Report() const {
        QFile f(report_);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(f.readAll()).object();
    }

    QTemporaryDir dir_;
    QString data_, quoteFile_, report_;
};

TEST_F(FeedFetchTest, WithoutTheFeedTheFirstSecurityGetsFourAttemptsAndTheRunEnds) {
    const auto before = test::IntradayRowsPerSecurity(data_);
    const test::ProgramOutcome o = RunAutomatic();
    EXPECT_EQ(o.exitCode, 1) << o.stderrText.toStdString();
    EXPECT_TRUE(QuoteFileLines().isEmpty());
    EXPECT_EQ(test::IntradayRowsPerSecurity(data_), before);

    const QJsonObject report = Report();
    const QJsonArray securities = report["securities"].toArray();
    ASSERT_EQ(securities.size(), 1) << "two WinBis securities, the run ends after the first";
    const QJsonObject first = securities[0].toObject();
    EXPECT_EQ(first["ZDF"].toString(), "INFINEON");
    const QJsonArray attempts = first["attempts"].toArray();
    ASSERT_EQ(attempts.size(), 4);
    for (const QJsonValue& a : attempts) {
        EXPECT_EQ(a.toObject()["status"].toString(), "Kann nicht auf WinBis zugreifen!");
        EXPECT_EQ(a.toObject()["reason"].toString(), "Kann nicht auf WinBis zugreifen!");
    }
    EXPECT_EQ(first["reason"].toString(), "Kann nicht auf WinBis zugreifen!");
    EXPECT_EQ(report["ended"].toString(), "4 failed attempts on INFINEON");
    EXPECT_TRUE(o.stderrText.contains("WinBis / NetBis: 1 Fehler (Kann nicht auf WinBis zugreifen!)"))
        << o.stderrText.toStdString();
}

TEST_F(FeedFetchTest, WithTheFeedRunningBothSecuritiesAreReadOnceAndStored) {
    ASSERT_TRUE(QDir().mkpath(SocketDirectory()));
    test::FeedSimulator feed(SocketDirectory(), "WinBis", QByteArray::fromStdString(demodata::FeedFileText("WinBis")));
    const auto before = test::IntradayRowsPerSecurity(data_);
    const test::ProgramOutcome o = RunAutomatic();
    EXPECT_EQ(o.exitCode, 0) << o.stderrText.toStdString();
    const QStringList lines = QuoteFileLines();
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    EXPECT_TRUE(QRegularExpression(R"(^INFINEON\t33,875\t\d\d:\d\d:\d\d\t2417300\t33,86\(7200\)\t33,88\(5000\)\tWinBis$)")
                    .match(lines[0]).hasMatch()) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("RHEINMET\t612,4\t")) << lines[1].toStdString();
    const auto after = test::IntradayRowsPerSecurity(data_);
    for (const int32_t firma : {501, 502})
        EXPECT_EQ(after.at(firma) - (before.count(firma) ? before.at(firma) : 0), 1) << firma;
    EXPECT_EQ(feed.requests("CONNECT XETRA -> OK"), 12) << feed.log().toStdString();
}

}  // namespace
}  // namespace zelvon

#endif
