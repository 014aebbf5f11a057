// The stderr log of runs without a display: one line per item, alerts marked,
// and never more lines than the gap allows, with the ones left out counted.
#include "platform/run_progress.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace zelvon {
namespace {

class KeptLog : public ConsoleProgress {
public:
    explicit KeptLog(std::chrono::milliseconds gap) : ConsoleProgress(gap) {}
    QStringList lines;

protected:
    void WriteLine(const QString& line) override { lines << line; }
};

TEST(ConsoleProgress, OneLinePerItemWithCaptionFileAndAlert) {
    KeptLog log(std::chrono::milliseconds(0));
    log.SetCaption("Meldungen einlesen");
    log.Show();
    log.SetMessage("Erste");
    log.SetMessage("Erste", true);
    log.SetCaption("SAP SE (716460) vom 24.01.2024");
    log.SetTempName("/suite/1.txt");
    log.SetMessage("Zweite");
    log.ShowProgress(2);
    log.StepProgress();
    log.SetMessage("Dritte");
    log.Hide();
    EXPECT_EQ(log.lines, QStringList({"Meldungen einlesen", "!! Erste | SAP SE (716460) vom 24.01.2024 -> /suite/1.txt",
                                      "Zweite", "[1/2] Dritte"}));
}

TEST(ConsoleProgress, LinesThatComeTooSoonAreCountedNotWritten) {
    KeptLog log(std::chrono::hours(1));
    log.SetCaption("Lauf");
    log.Show();
    for (int i = 1; i <= 12; ++i) log.SetMessage(QStringLiteral("Meldung %1").arg(i));
    log.Hide();
    // A burst of eight, the caption included; the last item is always written at the end.
    QStringList expected{"Lauf"};
    for (int i = 1; i <= 7; ++i) expected << QStringLiteral("Meldung %1").arg(i);
    expected << "Meldung 12 (+4 weitere)";
    EXPECT_EQ(log.lines, expected);
}

}  // namespace
}  // namespace zelvon
