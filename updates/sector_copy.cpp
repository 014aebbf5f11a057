#include "updates/sector_copy.h"

#include "updates/table_guard.h"

namespace zelvon::updates {
namespace {

const QString kDownloaded = QStringLiteral("TmpBranchen.db");
const QString kSuite = QStringLiteral("Branchen.Db");

std::vector<SectorRow> ReadAll(db::Session& session, const QString& home) {
    RequireConsistent(session, home, kDownloaded);
    const auto downloaded = OpenTable(session, home, kDownloaded);
    RequireFields(*downloaded, {"GruppenIndex", "GruppenName"});
    const auto suite = OpenTable(session, home, kSuite);
    RequireFields(*suite, {"GruppenIndex", "GruppenName"});
    std::vector<SectorRow> rows;
    for (Check(downloaded->First()); !downloaded->Eof(); Check(downloaded->Next())) {
        SectorRow row{CopiedValue(*downloaded, "GruppenIndex"), CopiedValue(*downloaded, "GruppenName")};
        RequireFits(*suite, "GruppenIndex", row.index);
        RequireFits(*suite, "GruppenName", row.name);
        rows.push_back(std::move(row));
    }
    return rows;
}

void WriteAll(db::Session& session, const QString& home, const std::vector<SectorRow>& rows) {
    const auto suite = OpenTable(session, home, kSuite);
    suite->StartBatch();
    while (suite->RecordCount() > 0) {
        Check(suite->First());
        Check(suite->Delete());
    }
    for (const SectorRow& row : rows) {
        Check(suite->Append());
        Set(*suite, "GruppenIndex", row.index);
        Set(*suite, "GruppenName", row.name);
        Check(suite->Post());
    }
    Check(suite->FinishBatch());
}

}  // namespace

std::optional<std::vector<SectorRow>> ReadSectors(db::Session& session, const QString& home) {
    try {
        return ReadAll(session, home);
    } catch (const Error&) {
        return std::nullopt;
    }
}

bool ReplaceSectors(db::Session& session, const QString& home, const std::vector<SectorRow>& rows) {
    try {
        WriteAll(session, home, rows);
        return true;
    } catch (const Error&) {
        return false;
    }
}

}  // namespace zelvon::updates
