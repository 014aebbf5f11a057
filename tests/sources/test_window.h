// The main window as the retrieval code sees it, reduced to recorded values so
// tests can read what a fetch showed.
#pragma once

#include "sources/retrieval_window.h"

#include <QStringList>
#include <vector>

namespace zelvon::test {

struct TestWindow : RetrievalWindow {
    void showStatus(int panel, const QString& text) override { status[panel] = text; }
    void showStatusIcon(StatusIcon shown) override
    {
        icon = shown;
        icons.push_back(shown);
    }
    void setFetchButtons(FetchButtons state) override
    {
        buttons = state;
        buttonHistory.push_back(state);
    }
    int sourceIndex() const override { return source; }
    QString securityIsin() const override { return isin; }
    QString securityKennung() const override { return kennung; }
    void moveToLastSecurity() override { movedToLast = true; }
    int savePolicy() const override { return policy; }
    QString quoteListFile() const override { return quoteFile; }
    bool sampleDatabaseRun() const override { return sampleRun; }

    QString status[2];
    StatusIcon icon = StatusIcon::CheckMark;
    std::vector<StatusIcon> icons;
    FetchButtons buttons = FetchButtons::Idle;
    std::vector<FetchButtons> buttonHistory;
    int source = 0;
    QString isin = QStringLiteral("DE0007164600");
    QString kennung = QStringLiteral("A1B2C3");
    bool movedToLast = false;
    int policy = kSaveNever;
    QString quoteFile;
    bool sampleRun = false;
};

}  // namespace zelvon::test
