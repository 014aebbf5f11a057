// The news run as the main window starts it: buttons, cursor and flag, the
// run itself (news/), then the main window closed in every case.
#include "app/http_get_form.h"

#include "app/status_window.h"
#include "news/news_run.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

namespace zelvon {
namespace {

// Ends the news run as it must end, also when an error passes through.
class NewsRunEnd {
public:
    explicit NewsRunEnd(std::function<void()> end) : end_(std::move(end)) {}
    ~NewsRunEnd() { end_(); }

private:
    std::function<void()> end_;
};

}  // namespace

RunProgress& THttpGetForm::Progress() {
    if (consoleProgress_ || !Statusfenster) {
        if (!consoleProgress_) UseConsoleProgress();
        return *consoleProgress_;
    }
    return *Statusfenster;
}

void THttpGetForm::Newseinlesen() {
    GetButton->setEnabled(true);
    Button1->setEnabled(true);
    AbortButton->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    flags_.NewsLesen = true;

    news::NewsRunSettings settings;
    settings.newsUrl = Hosts.newsUrl;
    settings.home = Home;
    settings.tempPath = TempPath;
    // The suite looks for the kept texts in the directory it starts the program in.
    settings.keptDirectory = QDir::currentPath() + u'/';
    settings.sprache = Sprache;
    const NewsRunEnd end([this] {
        // The log's last item line comes before any error message.
        Progress().Hide();
        FileNameEdit->setText(TempPath + QStringLiteral("NIndex.htm"));
        Fetch.fileNameEdit = FileNameEdit->text();
        QApplication::restoreOverrideCursor();
        CloseMainWindow();
    });
    news::NewsRun run(Session, HttpCli1, Progress(), settings);
    const news::NewsRunResult result = run.Newseinlesen();
    // A scheduler's log must tell a run that read nothing from one that found nothing new.
    if (!result.overviewRead && flags_.AnyRun()) exitCode_ = kExitRunFailed;
}

}  // namespace zelvon
