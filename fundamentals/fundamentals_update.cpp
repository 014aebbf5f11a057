#include "fundamentals/fundamentals_update.h"

#include "fundamentals/fundamental_page.h"
#include "fundamentals/fundamental_row.h"
#include "fundamentals/fundamentals_log.h"
#include "platform/error.h"
#include "platform/formats.h"
#include "platform/run_progress.h"
#include "platform/text_view.h"

#include <algorithm>
#include <limits>

namespace zelvon {
namespace {

const QString kRunCaption = QStringLiteral("Aktualisiere Fundamentaldaten");

void Check(const db::Status& status) {
    if (!status.ok()) throw Error(QString::fromStdString(status.message()));
}

db::Field FieldOf(const db::Table& table, const char* name) {
    db::Field field(nullptr, 0);
    Check(table.FieldByName(name, &field));
    return field;
}

}  // namespace

FundamentalsUpdate::FundamentalsUpdate(FundamentalsWindow& window, FundamentalsScene scene, RunProgress& progress)
    : window_(window), scene_(scene), progress_(progress), rows_(scene.session) {}

FundamentalsUpdate::~FundamentalsUpdate() = default;

void FundamentalsUpdate::Button5Click(const QString& logPath, const QString& kennung) {
    try {
        Run(logPath, kennung);
    } catch (...) {
        scene_.Lade = false;
        rows_.Close();
        progress_.Hide();
        throw;
    }
}

void FundamentalsUpdate::Run(const QString& logPath, const QString& kennung) {
    Start(kennung);
    log_ = std::make_unique<FundamentalsLog>(logPath, window_.GroupText(), formats::Now());
    progress_.SetCaption(kRunCaption);
    progress_.Show();
    uint64_t admitted = 0;
    Check(scene_.Table1.CountAdmitted(&admitted));
    progress_.ShowProgress(int(std::min<uint64_t>(admitted, std::numeric_limits<int>::max())));
    progress_.Refresh();
    while (!scene_.Table1.Eof()) {
        UpdateSecurity();
        NextSecurity();
    }
    Finish();
}

void FundamentalsUpdate::Start(const QString& kennung) {
    window_.ShowRunCaption(kRunCaption);
    scene_.Lade = true;
    window_.SelectOnvista(false);
    db::Table& securities = scene_.Table1;
    Check(securities.SetFiltered(true));
    if (!kennung.isEmpty()) Check(securities.SetFilterExpression(db::FieldEquals{"Kennung", kennung.toStdString()}));
    Check(securities.First());
}

void FundamentalsUpdate::UpdateSecurity() {
    scene_.Lade = true;
    const QString name = QString::fromStdString(FieldOf(scene_.Table1, "FirmenName").AsString());
    window_.ShowSecurity(name);
    progress_.SetMessage(QStringLiteral("für ... ") + name);
    progress_.StepProgress();
    window_.ProcessMessages();
    window_.SelectOnvista(true);
    window_.FetchPage();
    if (!scene_.Lade) return;
    StoreValues(ReadFundamentals(scene_.page, window_.Price()), name);
    scene_.page.clear();
    scene_.detail.clear();
}

// Any refusal of the engine leaves the row as it was and the security without
// a log line; the run goes on with the next one.
void FundamentalsUpdate::StoreValues(const FundamentalValues& values, const QString& name) {
    if (!values.hasShareCount) return;
    if (!MoveRowTo(FieldOf(scene_.Table1, "Firma").AsInteger())) return;
    if (!values.AnyFigure()) {
        written_ = FillIdentifiers(rows_, values).ok() || written_;
        return;
    }
    if (!WriteFigures(rows_, values).ok()) return;
    written_ = true;
    window_.ShowRunCaption(name + QStringLiteral("  aktualisiert!"));
    log_->WriteSecurity(name, window_.Price(), values);
}

bool FundamentalsUpdate::MoveRowTo(int32_t firma) {
    if (!rows_.Active()) {
        rows_.SetDatabaseName(scene_.Table1.DatabaseName());
        rows_.SetTableName(scene_.Table1.TableName());
        if (!rows_.Open().ok()) return false;
    }
    bool found = false;
    if (rows_.FindKey({int64_t(firma)}, &found).ok()) return found;
    // A table without a primary key is searched from its start.
    for (Check(rows_.First()); !rows_.Eof(); Check(rows_.Next())) {
        if (FieldOf(rows_, "Firma").AsInteger() == firma) return true;
    }
    return false;
}

void FundamentalsUpdate::NextSecurity() {
    if (!progress_.StillVisible()) Check(scene_.Table1.Last());
    Check(scene_.Table1.Next());
}

void FundamentalsUpdate::Finish() {
    scene_.Lade = false;
    const QString path = log_->path();
    log_->Finish(formats::Now());
    log_.reset();
    rows_.Close();
    // Table1 read Firma.db before the run wrote it; it shows the new values once read again.
    if (written_) {
        scene_.Table1.Close();
        Check(scene_.Table1.Open());
    }
    window_.OpenLog(path);
    progress_.Hide();
}

}  // namespace zelvon
