#include "updates/update_firma.h"

#include "paradox/file.h"
#include "updates/sector_copy.h"
#include "updates/table_guard.h"

#include <QFile>

namespace zelvon::updates {
namespace {

const QString kUpdateTable = QStringLiteral("TmpFirma.Db");
const QString kSectorFile = QStringLiteral("TmpBranchen.db");
const QString kFirmaTable = QStringLiteral("Firma.Db");

bool Exists(const QString& directory, const QString& name) {
    return !paradox::FindIgnoringCase(directory.toStdString(), name.toStdString()).empty();
}

void RemoveIgnoringCase(const QString& directory, const QString& name) {
    const std::string path = paradox::FindIgnoringCase(directory.toStdString(), name.toStdString());
    if (!path.empty()) QFile::remove(QString::fromStdString(path));
}

}  // namespace

UpdateFirma::UpdateFirma(UpdateContext& context, MasterAnswers answers) : ctx_(context), answers_(answers) {}

void UpdateFirma::Run() {
    const QString earlierFile = ctx_.fetch.fileNameEdit;
    try {
        DownloadAll();
    } catch (...) {
        ctx_.fetch.fileNameEdit = earlierFile;
        ctx_.host.setBusyCursor(false);
        throw;
    }
    ctx_.fetch.fileNameEdit = earlierFile;
    if (Exists(ctx_.directories.home, kUpdateTable)) Merge();
    ctx_.host.showMessage(
        QStringLiteral("Übertragung beendet! Sie können die Internetverbindung trennen. Update ist beendet!"));
    ctx_.host.setBusyCursor(false);
}

// Files of an earlier run would pair with this run's files: a new .DB with
// an old .PX after a failed download. Each run starts from none.
void UpdateFirma::RemoveLeftovers() {
    for (const char* name : {"TmpFirma.Db", "TmpFirma.PX", "TmpFirma.MB", "TmpBranchen.db"})
        RemoveIgnoringCase(ctx_.directories.home, QString::fromLatin1(name));
}

void UpdateFirma::Download(const QString& remotePath, const QString& localName) {
    ctx_.fetch.urlEdit = ctx_.serverAddress(remotePath);
    ctx_.fetch.fileNameEdit = ctx_.directories.home + localName;
    ctx_.retrieval.DateiHolen();
}

void UpdateFirma::DownloadAll() {
    ctx_.host.setBusyCursor(true);
    ctx_.host.setApplicationTitle(QStringLiteral("aktualisiere Wertpapier-Datenbank"));
    ctx_.progress.SetCaption(QStringLiteral("Aktualisiere die Wertpapierdatenbank"));
    ctx_.progress.Show();
    ctx_.progress.SetMessage(QStringLiteral("Lade die aktuelle Wertpapierdatenbank"));
    RemoveLeftovers();
    Download(QStringLiteral("/Update/Firma.DB"), QStringLiteral("TmpFirma.Db"));
    Download(QStringLiteral("/Update/Firma.PX"), QStringLiteral("TmpFirma.PX"));
    Download(QStringLiteral("/Update/Firma.MB"), QStringLiteral("TmpFirma.MB"));
    ctx_.host.setBusyCursor(false);
    if (answers_.sectors ||
        ctx_.host.askYesNo(QStringLiteral("Branchen aktualisieren"),
                           QStringLiteral("Sollen auch die Branchen angepasst werden?"))) {
        ctx_.progress.SetMessage(QStringLiteral("Lade die aktuellen Branchen"));
        Download(QStringLiteral("/Update/Branchen.db"), kSectorFile);
        sectors_ = true;
    }
    ctx_.host.showMessage(QStringLiteral("Download beendet. Verbindung kann getrennt werden. Jetzt wird die Datenbank "
                                         "aktualisiert, dieser Vorgang kann einige Minuten dauern!"));
    ctx_.host.setBusyCursor(true);
    ctx_.progress.Hide();
}

void UpdateFirma::Merge() {
    fundamentals_ = answers_.fundamentals ||
                    ctx_.host.askYesNo(QStringLiteral("Fundamentaldaten aktualisieren"),
                                       QStringLiteral("Sollen auch die Fundamentaldaten angepasst werden? (Dividende, "
                                                      "Gewinn, Cash-Flow, Aktienzahl)"));
    ctx_.window.setFetchButtons(FetchButtons::Idle);
    ctx_.detailView.clear();
    PrepareMerge();
    if (sectors_) CopySectors();
    ctx_.progress.Show();
    ctx_.progress.SetMessage(QStringLiteral("Suche nach aktualisierten Wertpapieren"));
    ctx_.progress.ShowProgress(int(updates_.size()));
    ctx_.progress.Refresh();
    MergeRows();
    CleanUp();
}

// Everything that can refuse the download is checked here, before the
// suite's tables change: the update table against its index, its fields,
// every value against Firma.Db's fields.
void UpdateFirma::PrepareMerge() {
    const QString& home = ctx_.directories.home;
    RequireConsistent(ctx_.session, home, kUpdateTable);
    const auto update = OpenTable(ctx_.session, home, kUpdateTable);
    RequireFields(*update, {"FirmenName", "Kennung", "ZDF", "N-TV", "Branche", "Dividende", "Gewinn", "Cashflow",
                            "Aktienzahl"});
    byName_ = OpenTable(ctx_.session, home, kFirmaTable, QStringLiteral("IFirma"));
    RequireFields(*byName_, {"Firma", "FirmenName", "Kennung", "ZDF", "N-TV", "Branche", "Dividende", "Gewinn",
                             "Cashflow", "Aktienzahl"});
    updates_ = ReadMasterRows(*update, *byName_);
    matcher_ = std::make_unique<FirmaMatcher>(ReadSuiteRows(*byName_));
    writer_ = OpenTable(ctx_.session, home, kFirmaTable);
}

void UpdateFirma::CopySectors() {
    const auto rows = ReadSectors(ctx_.session, ctx_.directories.home);
    copyBranche_ = rows && ReplaceSectors(ctx_.session, ctx_.directories.home, *rows);
}

void UpdateFirma::MergeRows() {
    writer_->StartBatch();
    for (size_t i = 0; i < updates_.size(); ++i) {
        const MasterRow& update = updates_[i];
        ctx_.progress.StepProgress();
        const int target = matcher_->Match(update.keys, NearestPosition(update.keys.name));
        if (target >= 0) UpdateRow(target, update);
        ctx_.host.pumpMessages();
        if (!ctx_.progress.StillVisible()) {
            sectors_ = false;
            break;
        }
    }
    Check(writer_->FinishBatch());
}

int UpdateFirma::NearestPosition(const QString& name) {
    if (matcher_->size() == 0) return -1;
    Check(byName_->FindNearest({name.toStdString()}));
    return matcher_->PositionOf(Integer(*byName_, "Firma"));
}

void UpdateFirma::UpdateRow(int position, const MasterRow& update) {
    const SuiteRow& row = matcher_->row(position);
    bool found = false;
    Check(writer_->FindKey({int64_t(row.firma)}, &found));
    if (!found) return;
    Check(writer_->Edit());
    if (copyBranche_) Set(*writer_, "Branche", update.branche);
    const QString kennung = update.keys.kennung.isEmpty() ? row.keys.kennung : update.keys.kennung;
    if (!update.keys.kennung.isEmpty()) Set(*writer_, "Kennung", kennung.toStdString());
    Set(*writer_, "ZDF", update.keys.zdf.toStdString());
    Set(*writer_, "N-TV", update.ntv);
    if (fundamentals_) {
        const std::pair<const char*, double> values[] = {{"Dividende", update.dividende},
                                                         {"Gewinn", update.gewinn},
                                                         {"Cashflow", update.cashflow},
                                                         {"Aktienzahl", update.aktienzahl}};
        for (const auto& [field, value] : values) {
            if (value != 0) Set(*writer_, field, value);
        }
    }
    Check(writer_->Post());
    matcher_->SetIdentifiers(position, kennung, update.keys.zdf);
}

void UpdateFirma::CleanUp() {
    const QString& home = ctx_.directories.home;
    if (sectors_) DeleteTableFiles(ctx_.session, home, kSectorFile);
    DeleteTableFiles(ctx_.session, home, kUpdateTable);
    RemoveIgnoringCase(home, QStringLiteral("TmpFirma.MB"));
    byName_.reset();
    writer_.reset();
}

}  // namespace zelvon::updates
