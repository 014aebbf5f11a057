// The news run with the real status window on the offscreen platform, and
// "/N" started as a scheduler starts it: where the kept texts land and how
// the program ends.
#include "app/status_window.h"
#include "news/news_run.h"
#include "program_run.h"
#include "tests/news/news_rig.h"

#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace zelvon {
namespace {

using test::DetailPage;
using test::NewsLink;
using test::OverviewPage;

void ServeThreeItems(test::NewsService& service) {
    service.SetOverview(OverviewPage({{NewsLink("5001"), "24.01.24 22:05", "SAP SE: Zahlen"},
                                      {NewsLink("5002"), "24.01.24 22:10", "Zweite AG: Meldung"},
                                      {NewsLink("5003"), "24.01.24 22:15", "Dritte AG: Meldung"}}));
    service.SetDetail("5001", DetailPage("SAP SE (WKN: 716460)", "Zahlen."));
    service.SetDetail("5002", DetailPage("Zweite AG", "Text."));
    service.SetDetail("5003", DetailPage("Dritte AG", "Text."));
}

TEST(NewsStatusWindow, ClosingTheWindowStopsAfterTheCurrentItem) {
    test::EnsureApplication();
    test::NewsRig rig;
    ServeThreeItems(rig.service);
    TStatusfenster window;
    // Runs in the first pumping of window messages, while the first item is read.
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    const news::NewsRunResult result = rig.Run(window);

    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.stored, 1);
    EXPECT_EQ(rig.service.Requests("5002"), 0);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.MessageColour(), QColor(255, 0, 0)) << "SAP is an active security";
    EXPECT_EQ(window.windowTitle(), QStringLiteral("SAP SE (716460) vom 24.01.2024 22:05"));
    EXPECT_EQ(window.tempname(), rig.Kept() + "5001.txt");
    EXPECT_FALSE(window.SpeedButton1->isHidden());
    EXPECT_EQ(window.size(), QSize(450, 100));
}

// "/N" as a scheduler starts it: no display, its own settings, its own working directory.
test::ProgramOutcome RunNews(test::NewsRig& rig) {
    QFile reg(rig.dir.filePath("Quarvinta.reg"));
    EXPECT_TRUE(reg.open(QIODevice::WriteOnly));
    reg.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n");
    reg.write("\"Datenpath\"=\"" + rig.Home().toUtf8() + "\"\r\n\"Depotpath\"=\"" + rig.Home().toUtf8() + "Depot/\"\r\n");
    reg.write("\"Temppath\"=\"" + rig.Temp().toUtf8() + "\"\r\n\"Zelvon_NewsURL\"=\"" + rig.service.base().toUtf8() + "\"\r\n");
    reg.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("ZELVON_REGISTRY", reg.fileName());
    env.insert("XDG_RUNTIME_DIR", rig.dir.path());
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(rig.Kept());
    p.start(ZELVON_BINARY, {"/N"});
    EXPECT_TRUE(p.waitForFinished(60'000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

TEST(NewsSwitch, KeepsTheTextsInTheWorkingDirectoryAndEndsWithItsStatus) {
    test::NewsRig rig;
    ServeThreeItems(rig.service);
    test::ProgramOutcome outcome = RunNews(rig);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.stderrText.toStdString();
    EXPECT_TRUE(outcome.stderrText.contains("!! SAP SE: Zahlen | SAP SE (716460) vom 24.01.2024 22:05 -> " + rig.Kept()
                                            + "5001.txt\nZweite AG: Meldung | Ad-hoc - Meldung nicht zugeordnet"))
        << outcome.stderrText.toStdString();
    EXPECT_EQ(QDir(rig.Kept()).entryList(QDir::Files), QStringList({"5001.txt", "5002.txt", "5003.txt"}));
    EXPECT_EQ(rig.Rows().size(), 3u + 3u);

    rig.service.SetOverview(OverviewPage({{NewsLink("../5004"), "24.01.24 22:05", "Boese"}}));
    outcome = RunNews(rig);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.stderrText.contains("keine gültige Meldungsnummer")) << outcome.stderrText.toStdString();
    EXPECT_TRUE(QDir(rig.Temp()).entryList(QDir::Files).isEmpty());
}

}  // namespace
}  // namespace zelvon
