// The fetch-all run against a quote server that drips, stalls or sends too
// much: each run ends soon after the transfer limit, stores nothing and says
// why in its report.
#include "app/table_access.h"
#include "tools/demodata/demo_directory.h"
#include "hostile_routes.h"
#include "intraday_rows.h"
#include "loopback_server.h"
#include "program_run.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace zelvon {
namespace {

class HostileServerRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        data_ = dir_.filePath("Daten/");
        const auto kit = demodata::CreateDemoDataDirectory(data_.toStdString(), demodata::DemoOptions{});
        ASSERT_TRUE(kit.ok()) << kit.message();
        server_.start();
    }
    void TearDown() override { hostile_.Stop(); }
    // Watch list 3 holds one security with a Kennung; the Swiss source
    // fetches it over plain HTTP from the server's route.
    test::ProgramOutcome RunAgainst(const QByteArray& route) {
        QFile reg(dir_.filePath("Quarvinta.reg"));
        EXPECT_TRUE(reg.open(QIODevice::WriteOnly));
        reg.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                  "\"Datenpath\"=\"" + data_.toUtf8() + "\"\r\n"
                  "\"Depotpath\"=\"" + data_.toUtf8() + "Depot/\"\r\n"
                  "\"Temppath\"=\"" + dir_.path().toUtf8() + "/\"\r\n"
                  "\"VTDATEI\"=\"" + dir_.filePath("aktien.txt").toUtf8() + "\"\r\n"
                  "\"Zelvon_Favoriten\"=dword:00000000\r\n"
                  "\"Zelvon_Gruppe\"=dword:00000004\r\n\"Zelvon_Quelle\"=dword:00000006\r\n"
                  "\"Zelvon_Host_Swiss\"=\"localhost:" + QByteArray::number(server_.port()) + route + "\"\r\n"
                  "\"Zelvon_Browser\"=\"http\"\r\n");
        reg.close();
        return test::RunProgram(dir_.filePath("Quarvinta.reg"), dir_.path(), {"/A", "--report", reportFile()});
    }
    QString reportFile() const { return dir_.filePath("bericht.json"); }
    int IntradayRows() const {
        int rows = 0;
        for (const auto& [firma, count] : test::IntradayRowsPerSecurity(data_)) rows += count;
        return rows;
    }

    QTemporaryDir dir_;
    QString data_;
    test::LoopbackServer server_;
    test::HostileRoutes hostile_{server_.routes()};
};

TEST_F(HostileServerRun, EachRunEndsAfterTheLimitStoresNothingAndSaysWhy) {
    const int rowsBefore = IntradayRows();
    const std::pair<QByteArray, QString> cases[] = {
        {"/drip", "no data for 5 s"}, {"/stall", "no data for 5 s"}, {"/huge", "body over 256 MiB"}};
    for (const auto& [route, reason] : cases) {
        QElapsedTimer clock;
        clock.start();
        const test::ProgramOutcome o = RunAgainst(route);
        // The start of the program and the 5 s limit, with room to spare; a
        // run held by the server would take 60 s and more.
        EXPECT_LT(clock.elapsed(), 15'000) << route.constData();
        EXPECT_EQ(o.exitCode, 0) << o.stderrText.toStdString();

        QFile f(reportFile());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QJsonArray securities = QJsonDocument::fromJson(f.readAll()).object()["securities"].toArray();
        ASSERT_EQ(securities.size(), 1) << route.constData();
        const QJsonObject s = securities[0].toObject();
        EXPECT_EQ(s["reason"].toString(), reason) << route.constData();
        EXPECT_TRUE(s["stored"].isNull());
        EXPECT_EQ(QFile(dir_.filePath("aktien.txt")).size(), 0) << route.constData();
        EXPECT_EQ(IntradayRows(), rowsBefore) << route.constData();
    }
}

}  // namespace
}  // namespace zelvon
