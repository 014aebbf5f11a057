#include "updates/page_list.h"

#include "updates/table_guard.h"

namespace zelvon::updates {
namespace {

bool NeedsCorrection(const PageRow& row, const QString& f, const PageRow& m) {
    return !row.filter.contains(f) || row.seitenVon != m.seitenVon || row.seitenBis != m.seitenBis;
}

void Correct(PageRow& row, QString& f, const PageRow& m, const QString& prefix) {
    ApplySideRule(row.beschreibung, f);
    row.filter = prefix + f;
    row.seitenVon = m.seitenVon;
    row.seitenBis = m.seitenBis;
    row.changed = true;
}

// Active pages are matched by name alone, the channel is not compared.
void CorrectActive(std::vector<PageRow>& rows, QString& f, const PageRow& m, const QString& filterPath) {
    for (PageRow& row : rows)
        if (row.seiteName == m.seiteName && NeedsCorrection(row, f, m)) Correct(row, f, m, filterPath);
}

}  // namespace

void ApplySideRule(const QString& beschreibung, QString& f) {
    const QString upper = f.toUpper();
    const qsizetype left = upper.indexOf(QStringLiteral("L."));
    const qsizetype right = upper.indexOf(QStringLiteral("R."));
    if (beschreibung.contains(QStringLiteral("(re)")) && left >= 0) {
        f[left] = u'R';
    } else if (beschreibung.contains(QStringLiteral("(li)")) && right >= 0) {
        f[right] = u'L';
    }
}

std::vector<PageRow> ReadPages(db::Table& table) {
    std::vector<PageRow> rows;
    for (Check(table.First()); !table.Eof(); Check(table.Next())) {
        rows.push_back({Text(table, "SeiteName"), Text(table, "Sender"), Text(table, "Filter"),
                        Text(table, "Beschreibung"), Integer(table, "SeitenVon"), Integer(table, "SeitenBis")});
    }
    return rows;
}

PagePassResult RunPagePass(const std::vector<PageRow>& pageList, std::vector<PageRow> standard,
                           std::vector<PageRow> tv, std::vector<PageRow> dde, const QString& filterPath,
                           const PagePassEvents& events) {
    PagePassResult r{std::move(standard), std::move(tv), std::move(dde), {}, {}};
    const size_t existing = r.standard.size();
    QSet<QString> listed;
    for (const PageRow& m : pageList) {
        events.beforeRow();
        QString f = m.filter;
        bool isNew = true;
        for (PageRow& d : r.standard) {
            if (d.seiteName == m.seiteName && d.sender == m.sender) {
                if (NeedsCorrection(d, f, m)) Correct(d, f, m, QString());
                isNew = false;
            }
            if (!events.stillGoing()) {
                isNew = false;
                break;
            }
        }
        if (isNew) {
            // Later page-list rows see (and may correct) the new page like any other.
            r.standard.push_back({m.seiteName, m.sender, f, m.beschreibung, m.seitenVon, m.seitenBis, true});
            events.onNewPage(r.standard.back());
        }
        CorrectActive(r.tv, f, m, filterPath);
        CorrectActive(r.dde, f, m, filterPath);
        if (!listed.contains(f)) {
            listed.insert(f);
            r.filters.prepend(f);
        }
        if (!events.stillGoing()) break;
    }
    // The new pages are written as appends, not as corrections.
    r.appended.assign(r.standard.begin() + std::ptrdiff_t(existing), r.standard.end());
    r.standard.resize(existing);
    return r;
}

}  // namespace zelvon::updates
