#include "sources/page_files.h"

#include "platform/error.h"
#include "sources/page_writer.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace zelvon {

namespace {

bool IsSafeFileStem(const QString& kennung)
{
    if (kennung.contains(QLatin1String("..")))
        return false;
    for (const QChar c : kennung) {
        if (c == u'/' || c == u'\\' || c.unicode() < 32 || c.unicode() == 127)
            return false;
    }
    return true;
}

bool IsWebAddress(const QString& address)
{
    const QString scheme = QUrl(address, QUrl::TolerantMode).scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

}  // namespace

PageFiles::PageFiles(RetrievalWindow& window, FetchState& state, TextView& pageView, TextView& quoteList, ShellOpen shellOpen)
    : window_(window), state_(state), pageView_(pageView), quoteList_(quoteList), shellOpen_(std::move(shellOpen))
{
    if (!shellOpen_)
        shellOpen_ = [](const QUrl& url) { QDesktopServices::openUrl(url); };
}

QString PageFiles::pageFileName() const
{
    return QFileInfo(state_.fileNameEdit).path() + u'/' + window_.securityKennung() + QStringLiteral(".Htm");
}

void PageFiles::SpeedButton4Click()
{
    const QString kennung = window_.securityKennung();
    if (!IsSafeFileStem(kennung))
        throw Error(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: Kennung \"%2\" ist kein Dateiname")
                        .arg(pageFileName(), kennung));
    WriteLinesFile(pageFileName(), pageView_);
}

void PageFiles::SpeedButton2Click()
{
    shellOpen_(QUrl::fromLocalFile(state_.fileNameEdit));
}

void PageFiles::SpeedButton1Click()
{
    if (IsWebAddress(state_.urlEdit))
        shellOpen_(QUrl(state_.urlEdit, QUrl::TolerantMode));
}

void PageFiles::BitBtn1Click()
{
    try {
        const QString file = window_.quoteListFile();
        if (!window_.sampleDatabaseRun())
            WriteLinesFile(file, quoteList_);
        window_.showStatus(1, file + QStringLiteral(" gespeichert"));
    } catch (const std::exception&) {
    }
}

void PageFiles::SpeedButton6Click()
{
    shellOpen_(QUrl::fromLocalFile(window_.quoteListFile()));
}

}  // namespace zelvon
