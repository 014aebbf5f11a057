#include "app/security_selection.h"

#include "app/table_access.h"
#include "paradox/file.h"

namespace zelvon {
namespace {

std::string Std(const QString& text) { return text.toStdString(); }

}  // namespace

SuiteTables::SuiteTables(db::Session& session)
    : Table1(session), Table2(session), Table3(session), Table4(session), TempTrans(session) {
    DataSource1.SetDataSet(&Table1);
}

SecuritySelection::SecuritySelection(SuiteTables& tables, std::function<bool()> favouritesOnly)
    : tables_(tables), favouritesOnly_(std::move(favouritesOnly)) {
    tables_.Table1.SetOnFilterRecord([this](db::Table& record) {
        return filter_ == Filter::Group ? Table1FilterRecord(record) : Table2FilterDepot(record);
    });
    tables_.TempTrans.SetOnFilterRecord([this](db::Table& record) { return TempTransFilterOffen(record); });
}

void SecuritySelection::OpenTables() {
    tables_.Table1.SetDatabaseName(Std(Home));
    tables_.Table1.SetTableName("Firma.db");
    tables_.Table2.SetDatabaseName(Std(Home));
    tables_.Table2.SetTableName("Gruppen.db");
    tables_.Table3.SetDatabaseName(Std(Home));
    tables_.Table3.SetTableName("Gruppen.db");
    tables_.TempTrans.SetDatabaseName(Std(Depot));
    tables_.TempTrans.SetTableName("Transaktionen.db");
    if (paradox::FindIgnoringCase(Std(Home), "Internet.db").empty()) InternetDB(Home, QStringLiteral("Internet.db"));
    tables_.Table4.SetDatabaseName(Std(Home));
    tables_.Table4.SetTableName("Internet.db");

    Check(tables_.Table4.Open());
    Check(tables_.Table3.Open());
    Check(tables_.Table2.Open());
    Check(tables_.Table1.SetIndexName("IFirma"));
    UseFilter(Filter::Group);
    Check(tables_.Table1.SetFiltered(true));
    Check(tables_.Table1.Open());
}

QStringList SecuritySelection::GroupEntries() {
    db::Table& groups = tables_.Table3;
    Check(groups.First());
    QStringList entries{FieldText(groups, "GruppenName"), kDepotEntry, Watch1, Watch2, watch3, watch4};
    if (groups.Eof()) return entries;
    for (Check(groups.Next()); !groups.Eof(); Check(groups.Next())) entries << FieldText(groups, "GruppenName");
    return entries;
}

void SecuritySelection::ComboBox3Change(const QString& text) {
    if (text == Watch1) {
        SelectWatchList(QStringLiteral("Watch.db"));
    } else if (text == Watch2) {
        SelectWatchList(QStringLiteral("Watch2.db"));
    } else if (text == watch3) {
        SelectWatchList(QStringLiteral("Watch3.db"));
    } else if (text == watch4) {
        SelectWatchList(QStringLiteral("Watch4.db"));
    } else if (text == kDepotEntry) {
        SelectDepot();
    } else {
        SelectGroup(text);
    }
    db::Table& securities = tables_.Table1;
    if (!securities.Active()) {
        securities.SetDatabaseName(Std(Home));
        Check(securities.Open());
    }
    Check(securities.First());
}

void SecuritySelection::SelectWatchList(const QString& tableName) {
    tables_.Table1.Close();
    UseFilter(Filter::List);
    db::Table& list = tables_.TempTrans;
    list.Close();
    Check(list.SetFiltered(false));
    list.SetDatabaseName(Std(Home));
    list.SetTableName(Std(tableName));
    Check(list.Open());
}

void SecuritySelection::SelectDepot() {
    db::Table& list = tables_.TempTrans;
    list.Close();
    Check(list.SetFiltered(true));
    list.SetDatabaseName(Std(Depot));
    list.SetTableName("Transaktionen.db");
    tables_.Table1.Close();
    Check(tables_.Table1.SetFiltered(true));
    UseFilter(Filter::List);
    Berechnungsdatum = favouritesOnly_() ? formats::Today() : 0;
    Check(list.Open());
}

void SecuritySelection::SelectGroup(const QString& text) {
    if (tables_.TempTrans.Active()) {
        tables_.Table1.Close();
        Check(tables_.Table1.SetFiltered(true));
        UseFilter(Filter::Group);
        tables_.TempTrans.Close();
    }
    db::Table& groups = tables_.Table3;
    if (!groups.Active()) {
        groups.SetDatabaseName(Std(Home));
        Check(groups.Open());
    }
    for (Check(groups.First()); !groups.Eof(); Check(groups.Next())) {
        if (FieldText(groups, "GruppenName") == text) return;
    }
}

void SecuritySelection::UseFilter(Filter filter) { filter_ = filter; }

bool SecuritySelection::Table1FilterRecord(db::Table& DataSet) {
    if (FieldText(DataSet, "Kennung").isEmpty()) return false;
    const int32_t group = FieldInteger(tables_.Table3, "GruppenIndex");
    if (group != 0 && group != FieldInteger(DataSet, "Gruppe")) return false;
    return FieldBoolean(DataSet, "Aktiv") || !favouritesOnly_();
}

bool SecuritySelection::Table2FilterDepot(db::Table& DataSet) {
    if (FieldText(DataSet, "Kennung").isEmpty()) return false;
    bool found = false;
    Check(tables_.TempTrans.FindKey({int64_t(FieldInteger(DataSet, "Firma"))}, &found));
    return found;
}

bool SecuritySelection::TempTransFilterOffen(db::Table& DataSet) {
    const DateTime sold = FieldFloat(DataSet, "Verkauf");
    return sold > Berechnungsdatum || sold == 0;
}

bool SecuritySelection::Locate(db::Table& table, const char* field, int32_t value) {
    for (Check(table.First()); !table.Eof(); Check(table.Next())) {
        if (FieldInteger(table, field) == value) return true;
    }
    // Past the end the last record's value decides; an empty table reads as 0.
    return FieldInteger(table, field) == value;
}

std::optional<SourceChoice> SecuritySelection::DataSource1DataChange() {
    if (!tables_.Table2.Active()) return std::nullopt;
    const int32_t group = FieldInteger(tables_.Table1, "Gruppe");
    if (Locate(tables_.Table4, "GruppenIndex", group)) {
        return SourceChoice{FieldInteger(tables_.Table4, "QuelleIndex"), FieldInteger(tables_.Table4, "BoerseIndex")};
    }
    Locate(tables_.Table2, "GruppenIndex", group);
    const QString name = FieldText(tables_.Table2, "GruppenName").toUpper();
    if (name.contains(QStringLiteral("FOND"))) return SourceChoice{1, std::nullopt};
    if (name.contains(QStringLiteral("OPTION"))) return SourceChoice{2, StdBoerse};
    return SourceChoice{StdQuelle, StdBoerse};
}

void SecuritySelection::Button3Click(int sourceIndex, int exchangeIndex) {
    db::Table& defaults = tables_.Table4;
    const int32_t group = FieldInteger(tables_.Table3, "GruppenIndex");
    Check(Locate(defaults, "GruppenIndex", group) ? defaults.Edit() : defaults.Append());
    SetField(defaults, "GruppenIndex", int64_t(group));
    SetField(defaults, "QuelleIndex", int64_t(sourceIndex));
    SetField(defaults, "BoerseIndex", int64_t(exchangeIndex));
    const db::Status posted = defaults.Post();
    if (!posted.ok()) defaults.Cancel();
    Check(posted);
}

bool SecuritySelection::InternetDB(const QString& db, const QString& table) {
    db::Session session;
    db::Table defaults(session);
    defaults.SetDatabaseName(Std(db));
    defaults.SetTableName(Std(table));
    const std::vector<db::FieldDef> fields{
        {"GruppenIndex", paradox::FieldType::kLong, 4, true},
        {"QuelleIndex", paradox::FieldType::kLong, 4, true},
        {"BoerseIndex", paradox::FieldType::kLong, 4, true},
    };
    return defaults.CreateTable(fields).ok();
}

}  // namespace zelvon
