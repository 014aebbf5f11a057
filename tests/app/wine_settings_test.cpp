// The suite's settings from its Wine prefix, as the program reads them at start
// and stores them at an interactive close.
#include "app/command_help.h"
#include "app/http_get_form.h"
#include "app/settings.h"
#include "platform/dialogs.h"
#include "tools/demodata/demo_directory.h"
#include "program_run.h"
#include "wine_prefix_kit.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLineEdit>

namespace zelvon {
namespace {

const QByteArray kSuiteValues =
    "\"Datenpath\"=\"C:\\\\QUARVINTA\\\\daten\\\\\"\n"
    "\"Depotpath\"=\"c:\\\\quarvinta\\\\\"\n"
    "\"VTDATEI\"=\"C:\\\\Quarvinta\\\\Daten\\\\AKTIEN.TXT\"\n"
    "\"Zelvon_TempFile\"=\"C:\\\\Quarvinta\\\\test.html\"\n"
    "\"Watch1\"=\"B\\xf6rse\"\n"
    "\"Zelvon_Boerse\"=dword:00000000\n";

class WineSettingsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::EnsureApplication();
        dialogs::SetStartedBySwitches(false, false);
    }
    void SetUp() override {
        prefix_.WriteUserReg(test::WineUserReg(kSuiteValues));
        quarvinta_ = QFileInfo(prefix_.Path("drive_c")).canonicalFilePath() + "/Quarvinta/";
    }
    StartSettings Read() {
        RegistryFile file = RegistryFile::Load(prefix_.UserReg());
        return ReadStartSettings(file, "/opt/q/", false, {});
    }
    test::WinePrefix prefix_;
    QString quarvinta_;
};

TEST_F(WineSettingsTest, WindowsPathsOfTheSettingsMapIntoThePrefix) {
    const StartSettings s = Read();
    EXPECT_EQ(s.Home, quarvinta_ + "Daten/");
    EXPECT_EQ(s.Depot, quarvinta_);
    EXPECT_EQ(s.FilterPath, quarvinta_ + "Daten/Filter/");
    EXPECT_EQ(s.AktienDatei, quarvinta_ + "Daten/AKTIEN.TXT");
    EXPECT_EQ(s.FileNameEdit, quarvinta_ + "test.html");
    EXPECT_EQ(s.Watch1, QString::fromUtf8("Börse"));
    EXPECT_EQ(s.ProxyHostEdit, "proxy.firma.example");
    EXPECT_EQ(s.ProxyPortEdit, "3128");
}

TEST_F(WineSettingsTest, APathThatDoesNotMapIsAStartErrorNamingSettingAndPath) {
    prefix_.WriteUserReg(test::WineUserReg(kSuiteValues + "\"Temppath\"=\"D:\\\\Temp\\\\\"\n"));
    try {
        Read();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains("\"Temppath\"")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("D:\\Temp\\")) << e.message().toStdString();
    }
}

TEST_F(WineSettingsTest, AScheduledStartFromThePrefixEndsWithStatusOneOnAPathThatDoesNotMap) {
    prefix_.WriteUserReg(test::WineUserReg(kSuiteValues + "\"Temppath\"=\"D:\\\\Temp\\\\\"\n"));
    const QByteArray before = prefix_.ReadUserReg();
    test::ProgramOutcome o =
        test::RunProgram(prefix_.Path("none.reg"), prefix_.Path(), {"--wineprefix", prefix_.Path(), "/A"}, 60'000);
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_TRUE(o.stderrText.contains("\"Temppath\"")) << o.stderrText.toStdString();
    EXPECT_EQ(prefix_.ReadUserReg(), before);
    o = test::RunProgram(prefix_.Path("none.reg"), prefix_.Path(), {"--wineprefix", prefix_.Path("drive_c"), "/A"}, 60'000);
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_TRUE(o.stderrText.contains("user.reg")) << o.stderrText.toStdString();
}

TEST_F(WineSettingsTest, InteractiveCloseStoresOnlyItsValuesAndNothingWhileAServerRuns) {
    QDir().mkpath(quarvinta_ + "Daten");
    ASSERT_TRUE(demodata::CreateDemoDataDirectory((quarvinta_ + "Daten/").toStdString(), {}).ok());
    const QByteArray original = prefix_.ReadUserReg();
    auto startAndClose = [&] {
        THttpGetForm form;
        form.SetRunFlags(RunFlags{});
        form.SetRegistry(RegistryFile::Load(prefix_.UserReg()));
        form.Initial();
        EXPECT_EQ(form.Home, quarvinta_ + "Daten/");
        form.URLEdit->setText("https://changed.example/");
        form.close();
    };
    {
        test::WineServerStandIn server(prefix_.Path());
        startAndClose();
        EXPECT_EQ(prefix_.ReadUserReg(), original);
    }
    startAndClose();
    const QByteArray written = prefix_.ReadUserReg();
    EXPECT_TRUE(written.contains("\"Zelvon_URL\"=\"https://changed.example/\"\n")) << written.constData();
    EXPECT_TRUE(written.contains("\"Zelvon_TempFile\"=\"C:\\\\Quarvinta\\\\test.html\"\n")) << "kept in its Windows form";
    QByteArray withoutNewValues;
    for (const QByteArray& line : written.split('\n')) {
        if (!original.contains(line) && line.startsWith("\"Zelvon_")) continue;
        withoutNewValues += line + '\n';
    }
    withoutNewValues.chop(1);
    EXPECT_EQ(withoutNewValues, original);
}

TEST_F(WineSettingsTest, TheSettingsFileOfAStart) {
    RunFlags flags;
    flags.WinePrefix = prefix_.Path();
    EXPECT_EQ(SettingsPathFor(flags), prefix_.UserReg());
    flags.WinePrefix = prefix_.Path("drive_c");
    EXPECT_THROW(SettingsPathFor(flags), Error);

    const QByteArray keptConfig = qgetenv("XDG_CONFIG_HOME"), keptPrefix = qgetenv("WINEPREFIX");
    const QByteArray keptRegistry = qgetenv("ZELVON_REGISTRY");
    qunsetenv("ZELVON_REGISTRY");
    qputenv("XDG_CONFIG_HOME", prefix_.Path("config").toLocal8Bit());
    qputenv("WINEPREFIX", prefix_.Path().toLocal8Bit());
    EXPECT_EQ(SettingsPathFor(RunFlags{}), prefix_.UserReg()) << "no own settings file yet";
    QDir().mkpath(prefix_.Path("config/Selvaran"));
    QFile own(prefix_.Path("config/Selvaran/Quarvinta.reg"));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.close();
    EXPECT_EQ(SettingsPathFor(RunFlags{}), own.fileName());
    qputenv("XDG_CONFIG_HOME", keptConfig);
    qputenv("WINEPREFIX", keptPrefix);
    qputenv("ZELVON_REGISTRY", keptRegistry);
}

TEST(CommandLine, WinePrefixAndInformationRequests) {
    ParsedCommandLine parsed = ParseCommandLine({"zelvon", "--wineprefix", "/home/me/.wine", "/A"}, 0);
    EXPECT_EQ(parsed.flags.WinePrefix, "/home/me/.wine");
    EXPECT_TRUE(parsed.flags.Automat);
    EXPECT_TRUE(parsed.error.isEmpty());
    EXPECT_FALSE(ParseCommandLine({"zelvon", "--wineprefix"}, 0).error.isEmpty());

    EXPECT_EQ(FindInformationRequest({"zelvon", "/A"}), InformationRequest::None);
    EXPECT_EQ(FindInformationRequest({"zelvon", "--version", "-h"}), InformationRequest::Help);
    EXPECT_EQ(FindInformationRequest({"zelvon", "/A", "--version"}), InformationRequest::Version);
    EXPECT_EQ(FindInformationRequest({"zelvon", "--report", "--help"}), InformationRequest::None)
        << "a file may be called --help";
}

TEST(CommandLine, HelpAndVersionAnswerWithoutStartingAnything) {
    QTemporaryDir dir;
    const test::ProgramOutcome version = test::RunProgram(dir.filePath("none.reg"), dir.path(), {"--version"}, 30'000);
    EXPECT_EQ(version.exitCode, 0);
    const test::ProgramOutcome help = test::RunProgram(dir.filePath("none.reg"), dir.path(), {"/A", "--help"}, 30'000);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Zelvon.lock"))) << "no lock, no run";
    EXPECT_TRUE(VersionText().startsWith("zelvon "));
}

}  // namespace
}  // namespace zelvon
