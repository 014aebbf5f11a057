// Starts the real program as a scheduler would and checks how it ends.
#include "platform/single_instance.h"
#include "program_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace zelvon {
namespace {

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(dir_.filePath("Daten"));
        QFile reg(dir_.filePath("Quarvinta.reg"));
        ASSERT_TRUE(reg.open(QIODevice::WriteOnly));
        reg.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                  "\"Datenpath\"=\"" + dir_.filePath("Daten/").toUtf8() + "\"\r\n");
    }
    using Outcome = test::ProgramOutcome;
    Outcome Run(const QStringList& args) {
        return test::RunProgram(dir_.filePath("Quarvinta.reg"), dir_.path(), args, 60'000);
    }
    QTemporaryDir dir_;
};

TEST_F(ProcessTest, MissingTablesEndAnAutomaticRunWithStatusOne) {
    // The defaults table is created; the suite's group table is the first one missing.
    const Outcome o = Run({"/A"});
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_TRUE(o.stderrText.contains("Gruppen.db")) << o.stderrText.toStdString();
}

TEST_F(ProcessTest, BadSwitchValuesEndWithStatusTwo) {
    Outcome o = Run({"/G", "drei", "/A"});
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_TRUE(o.stderrText.contains("drei"));
    o = Run({"/K", "gestern"});
    EXPECT_EQ(o.exitCode, 2);
}

TEST_F(ProcessTest, SecondStartEndsAtOnceAndSilently) {
    qputenv("XDG_RUNTIME_DIR", dir_.path().toLocal8Bit());
    SingleInstance first(QStringLiteral("Zelvon"));
    ASSERT_TRUE(first.acquired());
    QElapsedTimer clock;
    clock.start();
    const Outcome o = Run({"/A"});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_TRUE(o.stderrText.isEmpty()) << o.stderrText.toStdString();
    EXPECT_LT(clock.elapsed(), 30'000);
}

TEST_F(ProcessTest, MalformedSettingsFileIsReportedAndKept) {
    QFile reg(dir_.filePath("Quarvinta.reg"));
    ASSERT_TRUE(reg.open(QIODevice::WriteOnly));
    reg.write("not a registry file\r\n");
    reg.close();
    const Outcome o = Run({"/A"});
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_TRUE(o.stderrText.contains("Zeile 1"));
    ASSERT_TRUE(reg.open(QIODevice::ReadOnly));
    EXPECT_EQ(reg.readAll(), "not a registry file\r\n");
}

}  // namespace
}  // namespace zelvon
