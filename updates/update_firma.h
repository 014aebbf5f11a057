// The securities master update: downloads the master table (and on request
// the sector table) from the update server and merges identifiers, teletext
// codes, optionally sectors and fundamentals into the suite's Firma.Db.
// Securities the suite does not hold are never added.
#pragma once

#include "updates/master_rows.h"
#include "updates/update_context.h"

#include <memory>

namespace zelvon::updates {

// Yes answers given before the run (command-line options); a question
// without one is asked.
struct MasterAnswers {
    bool sectors = false;
    bool fundamentals = false;
};

class UpdateFirma {
public:
    UpdateFirma(UpdateContext& context, MasterAnswers answers);

    // The whole run up to its final message; the caller closes the main window.
    void Run();

private:
    void RemoveLeftovers();
    void Download(const QString& remotePath, const QString& localName);
    void DownloadAll();
    void Merge();
    void PrepareMerge();
    void CopySectors();
    void MergeRows();
    void UpdateRow(int position, const MasterRow& update);
    int NearestPosition(const QString& name);
    void CleanUp();

    UpdateContext& ctx_;
    MasterAnswers answers_;
    bool sectors_ = false;       // the user asked for sectors; clears on a stop
    bool copyBranche_ = false;   // sectors arrived and replaced Branchen.Db
    bool fundamentals_ = false;
    std::vector<MasterRow> updates_;
    std::unique_ptr<db::Table> byName_;  // Firma.Db in IFirma order, for the name lookup
    std::unique_ptr<db::Table> writer_;  // Firma.Db in primary order, for the posts
    std::unique_ptr<FirmaMatcher> matcher_;
};

}  // namespace zelvon::updates
