// The main window's part in the fundamentals update: it lends the run its
// selectors, page fetch, caption and status bar, and hands the log over.
#include "app/http_get_form.h"

#include "app/status_window.h"
#include "fundamentals/fundamentals_log.h"
#include "fundamentals/fundamentals_update.h"
#include "platform/dialogs.h"
#include "platform/run_progress.h"
#include "platform/shell.h"
#include "sources/source_catalogue.h"

#include <QApplication>
#include <QComboBox>
#include <QSignalBlocker>

#include <cstdio>

namespace zelvon {

void THttpGetForm::Button5Click() {
    ConsoleProgress console;
    RunProgress& progress = dialogs::Unattended() || !Statusfenster ? static_cast<RunProgress&>(console)
                                                                    : static_cast<RunProgress&>(*Statusfenster);
    RunFundamentals(progress);
}

void THttpGetForm::RunFundamentals(RunProgress& progress) {
    FundamentalsUpdate run(*this, FundamentalsScene{Session, Table1, PageView, QuoteList, Lade}, progress);
    run.Button5Click(TempPath + kFundamentalsLogName, flags_.InfoWKN);
    if (flags_.Fundament) CloseMainWindow();
}

void THttpGetForm::ShowRunCaption(const QString& caption) {
    setWindowTitle(caption);
    QGuiApplication::setApplicationDisplayName(caption);
}

// The selector's key is the security number, so a name finds no entry.
void THttpGetForm::ShowSecurity(const QString& name) {
    SetStatusPanel(1, name);
    const QSignalBlocker blockSelector(DBLookupComboBox1);
    DBLookupComboBox1->setCurrentIndex(-1);
}

// Selecting an entry already selected emits no change, so the handlers are called here.
void THttpGetForm::SelectOnvista(bool buildAddress) {
    {
        const QSignalBlocker blockSources(ComboBox2);
        ComboBox2->setCurrentIndex(kSourceOnvista);
    }
    ComboBox2Change();
    {
        const QSignalBlocker blockExchanges(ComboBox1);
        ComboBox1->setCurrentIndex(0);
    }
    if (buildAddress) ComboBox1Change();
}

QString THttpGetForm::GroupText() const { return ComboBox3->currentText(); }

void THttpGetForm::ProcessMessages() { QCoreApplication::processEvents(); }

// Without a display nobody could look at it: the path goes to the scheduler's log.
void THttpGetForm::OpenLog(const QString& path) {
    if (dialogs::Unattended()) {
        std::fprintf(stderr, "Fundamentaldaten-Protokoll: %s\n", qUtf8Printable(path));
        std::fflush(stderr);
        return;
    }
    shell::OpenFile(path);
}

}  // namespace zelvon
