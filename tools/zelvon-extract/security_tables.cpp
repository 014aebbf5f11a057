#include "tools/zelvon-extract/security_tables.h"

#include <QDir>

namespace zelvon::replay {

SecurityTables::SecurityTables()
    : table1_(session_), store_(session_, dataSource1_), trades_(session_, dataSource1_)
{
}

bool SecurityTables::Open(const QString& directory, int32_t firma, QString& error)
{
    directory_ = QDir::cleanPath(directory) + u'/';
    db::Table intraday(session_);
    if (!OpenTable(table1_, "Firma.db", error) || !OpenTable(intraday, "Intraday.db", error))
        return false;
    intraday.Close();
    const db::Field* key = table1_.FindField("Firma");
    if (!key) {
        error = QStringLiteral("Tabelle %1Firma.db: Feld Firma fehlt").arg(directory_);
        return false;
    }
    for (db::Status s = table1_.First(); s.ok() && !table1_.Eof(); s = table1_.Next()) {
        if (key->AsInteger() == firma) {
            dataSource1_.SetDataSet(&table1_);
            return true;
        }
    }
    error = QStringLiteral("Tabelle %1Firma.db: kein Wertpapier mit Firma = %2").arg(directory_).arg(firma);
    return false;
}

extract::Security SecurityTables::CurrentSecurity()
{
    extract::Security security;
    security.Firma = table1_.FindField("Firma")->AsInteger();
    security.ZDF = Text("ZDF");
    security.Firmenname = Text("Firmenname");
    security.Kennung = Text("Kennung");
    security.ISIN = Text("ISIN");
    security.Waehrung = Text("Waehrung");
    return security;
}

void SecurityTables::Store(const extract::IntradayRow& row)
{
    store_.Store(row);
}

extract::StoredTrade SecurityTables::LastTrade()
{
    return trades_.LastTrade();
}

void SecurityTables::PostTrade(const extract::IntradayRow& row)
{
    trades_.Post(row);
}

bool SecurityTables::Holds(const extract::IntradayRow& row)
{
    db::Table intraday(session_);
    intraday.SetDatabaseName(directory_.toStdString());
    intraday.SetTableName("Intraday.db");
    if (!intraday.SetMasterSource(&dataSource1_).ok() || !intraday.SetMasterFields("Firma").ok()
        || !intraday.Open().ok())
        return false;
    const db::Field* zeit = intraday.FindField("Zeit");
    const db::Field* kurs = intraday.FindField("Kurs");
    for (db::Status s = intraday.First(); zeit && kurs && s.ok() && !intraday.Eof(); s = intraday.Next()) {
        if (extract::SameDateTime(zeit->AsDateTime(), row.Zeit) && kurs->AsFloat() == row.Kurs)
            return true;
    }
    return false;
}

QString SecurityTables::intradayPath() const
{
    return directory_ + QStringLiteral("Intraday.db");
}

bool SecurityTables::OpenTable(db::Table& table, const char* name, QString& error)
{
    table.SetDatabaseName(directory_.toStdString());
    table.SetTableName(name);
    const db::Status s = table.Open();
    if (s.ok())
        return true;
    error = QStringLiteral("Tabelle nicht lesbar: %1%2: %3").arg(directory_, name, QString::fromStdString(s.ToString()));
    return false;
}

// A field the table lacks reads as empty, as an unset field would.
QString SecurityTables::Text(const char* field)
{
    const db::Field* f = table1_.FindField(field);
    return f ? QString::fromStdString(f->AsString()) : QString();
}

}  // namespace zelvon::replay
