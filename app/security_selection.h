// The main window's tables and the security selection over them: which
// securities the selector lists and the fetch-all visits (a group, the depot's
// positions or a watch list), and which source and exchange a security's
// group asks for. Window-free: the window supplies the favourites box and
// applies the chosen source and exchange to its selectors.
#pragma once

#include "db/data_link.h"
#include "db/session.h"
#include "db/table.h"
#include "platform/formats.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace zelvon {

inline const QString kDepotEntry = QStringLiteral("akt.Depotwerte");

// The main window's table objects; they live as long as the program.
struct SuiteTables {
    explicit SuiteTables(db::Session& session);

    db::Table Table1;  // Firma.db, index IFirma, filtered
    db::Table Table2;  // Gruppen.db, group lookup for the defaults
    db::Table Table3;  // Gruppen.db, current record = selected group
    db::Table Table4;  // Internet.db, per-group source defaults
    db::Table TempTrans;  // Transaktionen.db or a watch list
    db::DataLink DataSource1;  // follows Table1
};

// What DataSource1DataChange asks the window to do: select the source, run the
// source change, then select the exchange when one is given.
struct SourceChoice {
    int source = 0;
    std::optional<int> exchange;
};

class SecuritySelection {
public:
    SecuritySelection(SuiteTables& tables, std::function<bool()> favouritesOnly);

    // Directories and watch-list names, as read from the settings.
    QString Home, Depot;
    QString Watch1, Watch2, watch3, watch4;
    int StdQuelle = 0, StdBoerse = 0;
    // Reference date of the open-position filter.
    DateTime Berechnungsdatum = 0;

    // Points the tables at their directories, creates Internet.db when it is
    // missing and opens Table4, Table3, Table2, then Table1 on IFirma.
    void OpenTables();
    // The group selector's entries, in their stored order.
    QStringList GroupEntries();
    // Applies the group selector's text.
    void ComboBox3Change(const QString& text);

    bool Table1FilterRecord(db::Table& DataSet);
    bool Table2FilterDepot(db::Table& DataSet);
    bool TempTransFilterOffen(db::Table& DataSet);

    // Source and exchange for Table1's current security; empty while Table2 is closed.
    std::optional<SourceChoice> DataSource1DataChange();
    // Stores source and exchange as the selected group's default.
    void Button3Click(int sourceIndex, int exchangeIndex);

    // Creates the per-group defaults table; false when that failed.
    static bool InternetDB(const QString& db, const QString& table);

private:
    enum class Filter { Group, List };
    void UseFilter(Filter filter);
    // Moves table from its first record to the first whose field equals value;
    // without one it stands after its last record, whose value then decides.
    static bool Locate(db::Table& table, const char* field, int32_t value);
    void SelectWatchList(const QString& tableName);
    void SelectDepot();
    void SelectGroup(const QString& text);

    SuiteTables& tables_;
    std::function<bool()> favouritesOnly_;
    Filter filter_ = Filter::Group;
};

}  // namespace zelvon
