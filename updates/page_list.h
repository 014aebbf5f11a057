// The teletext page lists of the filter update held in memory: the rows of
// DDESeiten.Db, TVAktiv.Db and DDEAktiv.Db, the pass of the downloaded page
// list over them (exactly as row-by-row scans would change them), and the
// side rule that picks a filter's left or right variant.
#pragma once

#include "db/table.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace zelvon::updates {

struct PageRow {
    QString seiteName, sender, filter, beschreibung;
    int32_t seitenVon = 0, seitenBis = 0;
    bool changed = false;  // edited by the pass
};

// Changes f when beschreibung asks for the other side: with "(re)" the first
// "L." (any letter case) becomes "R."; otherwise, with "(li)", the first "R."
// becomes "L.".
void ApplySideRule(const QString& beschreibung, QString& f);

struct PagePassResult {
    std::vector<PageRow> standard, tv, dde;  // existing rows, some changed
    std::vector<PageRow> appended;           // new standard pages, in order
    QStringList filters;                     // the filter list, newest first
};

// Every row of table in its order (SeiteName, Sender, Filter, SeitenVon,
// SeitenBis, Beschreibung).
std::vector<PageRow> ReadPages(db::Table& table);

struct PagePassEvents {
    std::function<void()> beforeRow;                  // each page-list row
    std::function<bool()> stillGoing;                 // false ends the pass (asked in the scans too)
    std::function<void(const PageRow&)> onNewPage;    // a page appended to the standard list
};

// The pass over the page list, on the rows in memory.
PagePassResult RunPagePass(const std::vector<PageRow>& pageList, std::vector<PageRow> standard,
                           std::vector<PageRow> tv, std::vector<PageRow> dde, const QString& filterPath,
                           const PagePassEvents& events);

}  // namespace zelvon::updates
