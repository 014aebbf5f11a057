#include "updates/update_filter.h"

#include "paradox/file.h"
#include "platform/trim.h"
#include "sources/http_error.h"
#include "sources/page_writer.h"
#include "updates/table_guard.h"

#include <QFile>

namespace zelvon::updates {
namespace {

const QString kPageList = QStringLiteral("TmpSeiten.Db");

void RequirePageFields(const db::Table& table) {
    RequireFields(table, {"SeiteName", "Sender", "Filter", "SeitenVon", "SeitenBis", "Beschreibung"});
}

std::string Utf8(const QString& text) { return text.toStdString(); }

void RequireRowsFit(const db::Table& table, const std::vector<PageRow>& rows) {
    for (const PageRow& row : rows) {
        if (!row.changed) continue;
        RequireFits(table, "SeiteName", Utf8(row.seiteName));
        RequireFits(table, "Sender", Utf8(row.sender));
        RequireFits(table, "Filter", Utf8(row.filter));
        RequireFits(table, "Beschreibung", Utf8(row.beschreibung));
    }
}

// One pass in table order: the corrected rows are edited where they stand.
void WriteCorrections(db::Table& table, const std::vector<PageRow>& rows) {
    size_t k = 0;
    for (Check(table.First()); !table.Eof() && k < rows.size(); Check(table.Next()), ++k) {
        if (!rows[k].changed) continue;
        Check(table.Edit());
        Set(table, "Filter", Utf8(rows[k].filter));
        Set(table, "SeitenVon", int64_t(rows[k].seitenVon));
        Set(table, "SeitenBis", int64_t(rows[k].seitenBis));
        Check(table.Post());
    }
}

void WriteAppends(db::Table& table, const std::vector<PageRow>& rows) {
    for (const PageRow& row : rows) {
        Check(table.Append());
        Set(table, "Beschreibung", Utf8(row.beschreibung));
        Set(table, "Sender", Utf8(row.sender));
        Set(table, "SeiteName", Utf8(row.seiteName));
        Set(table, "Filter", Utf8(row.filter));
        Set(table, "SeitenVon", int64_t(row.seitenVon));
        Set(table, "SeitenBis", int64_t(row.seitenBis));
        Check(table.Post());
    }
}

}  // namespace

bool UnsafeFilterName(const QString& name) {
    if (name == QLatin1String(".") || name == QLatin1String("..")) return true;
    for (QChar c : name)
        if (c == u'/' || c == u'\\' || c.unicode() < 32 || c.unicode() == 127) return true;
    return false;
}

UpdateFilter::UpdateFilter(UpdateContext& context) : ctx_(context) {}

void UpdateFilter::Run() {
    const QString earlierFile = ctx_.fetch.fileNameEdit;
    // Later page saves and the archive import must not write into a filter file.
    struct Restore {
        FetchState& fetch;
        QString file;
        ~Restore() { fetch.fileNameEdit = file; }
    } restore{ctx_.fetch, earlierFile};
    QByteArray body;
    if (LoadPageList(body)) {
        UpdateTables(body);
        DownloadFilters();
        QFile::remove(ctx_.directories.tempPath + kPageList);
        ctx_.host.showMessage(QStringLiteral("Es wurden %1 Filter neu geladen und %2 neue Seiten eingetragen. Sie "
                                             "können die Verbindung jetzt trennen")
                                  .arg(ctx_.detailView.lineCount())
                                  .arg(newPages_));
    }
    ctx_.progress.Hide();
}

bool UpdateFilter::LoadPageList(QByteArray& body) {
    ctx_.host.stopAutoFetch();
    ctx_.detailView.clear();
    ctx_.host.setApplicationTitle(QStringLiteral("aktualisiere Filter"));
    ctx_.progress.SetCaption(QStringLiteral("Aktualisiere die Videotext - Filter und Seiten"));
    ctx_.progress.Show();
    ctx_.fetch.urlEdit = ctx_.serverAddress(QStringLiteral("/filter/DDESeiten.db.txt"));
    ctx_.window.setFetchButtons(FetchButtons::Fetching);
    ctx_.progress.SetMessage(QStringLiteral("Lade die aktualisierten Standardseiten"));
    ctx_.window.showStatus(0, QStringLiteral("Loading"));
    ctx_.host.setTransferTicker(true);
    ctx_.client.setInactivityLimit(HttpClient::kDownloadInactivitySeconds);
    bool loaded = false;
    std::exception_ptr pending;
    try {
        ctx_.client.get(ctx_.fetch.urlEdit, body);
        ctx_.retrieval.getTimer().stop();
        ctx_.progress.SetPanel(0, QStringLiteral("Received %1 bytes").arg(body.size()));
        loaded = true;
    } catch (const HttpStatusError&) {
        ctx_.progress.SetPanel(0, QStringLiteral("Failed : %1 %2").arg(ctx_.client.responseCode()).arg(ctx_.client.statusText()));
        ctx_.fetch.lade = false;
        ctx_.progress.SetMessage(QStringLiteral("Standardseiten konnten nicht geladen werden"));
        QFile::remove(ctx_.directories.tempPath + kPageList);
        ctx_.host.showMessage(QStringLiteral("Stellen Sie sicher das Sie mit dem Internet verbunden sind oder überprüfen "
                                             "Sie die Proxy-Einstellungen über \"Extras=>Infos und Kurse aus dem Internet\""));
        ctx_.retrieval.getTimer().stop();
    } catch (const std::exception&) {
        pending = std::current_exception();
    }
    ctx_.host.setTransferTicker(false);
    ctx_.window.setFetchButtons(FetchButtons::Idle);
    if (pending) std::rethrow_exception(pending);
    return loaded;
}

// Everything is read and checked before the first write: a page list that
// does not open or lacks a field, or a value a table cannot hold, leaves
// the three tables as they were.
void UpdateFilter::UpdateTables(const QByteArray& body) {
    const UpdateDirectories& dirs = ctx_.directories;
    WriteFileReplacing(dirs.tempPath + kPageList, body);
    RequireConsistent(ctx_.session, dirs.tempPath, kPageList);
    const auto pageList = OpenTable(ctx_.session, dirs.tempPath, kPageList);
    const auto tv = OpenTable(ctx_.session, dirs.startpath, QStringLiteral("TVAktiv.Db"));
    const auto dde = OpenTable(ctx_.session, dirs.startpath, QStringLiteral("DDEAktiv.Db"));
    const auto standard = OpenTable(ctx_.session, dirs.startpath, QStringLiteral("DDESeiten.Db"));
    for (const db::Table* t : {pageList.get(), tv.get(), dde.get(), standard.get()}) RequirePageFields(*t);
    ctx_.progress.SetMessage(QStringLiteral("Suche nach aktualisierten Filtern und Seiten"));
    ctx_.window.showStatus(0, QStringLiteral("überprüfe Filter und Seiten"));
    ctx_.progress.ShowProgress(int(pageList->RecordCount()));
    ctx_.progress.Refresh();
    const PagePassEvents events{
        [this] {
            ctx_.progress.StepProgress();
            ctx_.host.pumpMessages();
        },
        [this] { return ctx_.progress.StillVisible(); },
        [this](const PageRow& added) {
            ctx_.window.showStatus(0, QStringLiteral("neue Seiten") + added.beschreibung);
            ++newPages_;
        }};
    const PagePassResult result = RunPagePass(ReadPages(*pageList), ReadPages(*standard), ReadPages(*tv),
                                              ReadPages(*dde), dirs.filterPath, events);
    RequireRowsFit(*standard, result.standard);
    RequireRowsFit(*standard, result.appended);
    RequireRowsFit(*tv, result.tv);
    RequireRowsFit(*dde, result.dde);
    WriteCorrections(*standard, result.standard);
    WriteAppends(*standard, result.appended);
    WriteCorrections(*tv, result.tv);
    WriteCorrections(*dde, result.dde);
    for (const QString& f : result.filters) ctx_.detailView.appendLine(f);
}

void UpdateFilter::DownloadFilters() {
    ctx_.progress.ShowProgress(ctx_.detailView.lineCount() - 1);
    ctx_.progress.Refresh();
    for (int i = 0; i < ctx_.detailView.lineCount(); ++i) {
        ctx_.progress.StepProgress();
        const QString line = ctx_.detailView.line(i);
        if (Trimmed(line).isEmpty()) continue;
        const QString message = QStringLiteral("Lade aktuellen Filter: ") + line;
        const bool written = DownloadFilter(line);
        ctx_.progress.SetMessage(message + (written ? QStringLiteral(" fertig") : QStringLiteral(" Fehler!")));
        ctx_.host.pumpMessages();
    }
}

// True when the filter file was written.
bool UpdateFilter::DownloadFilter(const QString& line) {
    ctx_.progress.SetMessage(QStringLiteral("Lade aktuellen Filter: ") + line);
    if (UnsafeFilterName(line)) return false;
    QString remote = line;
    const qsizetype at = remote.indexOf(QStringLiteral(".vtf"));
    if (at >= 0) remote.remove(at, 4);
    ctx_.fetch.urlEdit = ctx_.serverAddress(QStringLiteral("/filter/") + remote + QStringLiteral(".txt"));
    ctx_.fetch.fileNameEdit = ctx_.directories.filterPath + line;
    ctx_.host.pumpMessages();
    ctx_.retrieval.DateiHolen();
    return ctx_.client.responseCode() >= 200 && ctx_.client.responseCode() < 400;
}

}  // namespace zelvon::updates
