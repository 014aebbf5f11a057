#include "extract/intraday_store.h"

#include "db/table.h"

#include <cmath>
#include <exception>

namespace zelvon::extract {

namespace {

constexpr double kMillisecondsPerDay = 86'400'000;

bool OpenAtLastRow(db::Table& intraday, db::DataLink& dataSource1)
{
    const db::Table* master = dataSource1.DataSet();
    if (!master)
        return false;
    intraday.SetDatabaseName(master->DatabaseName());
    intraday.SetTableName("Intraday.db");
    return intraday.SetMasterSource(&dataSource1).ok() && intraday.SetMasterFields("Firma").ok() &&
           intraday.Open().ok() && intraday.Last().ok();
}

bool LastRowHolds(db::Table& intraday, DateTime zeit)
{
    const db::Field* field = intraday.FindField("Zeit");
    return !intraday.Eof() && field && SameDateTime(field->AsDateTime(), zeit);
}

bool SetFields(db::Table& intraday, const IntradayRow& row)
{
    const db::Field* firma = intraday.FindField("Firma");
    const db::Field* kurs = intraday.FindField("Kurs");
    const db::Field* volumen = intraday.FindField("Volumen");
    const db::Field* zeit = intraday.FindField("Zeit");
    return firma && kurs && volumen && zeit && firma->SetInteger(row.Firma).ok() &&
           kurs->SetFloat(row.Kurs).ok() && volumen->SetInteger(row.Volumen).ok() &&
           zeit->SetDateTime(row.Zeit).ok();
}

bool WriteRow(db::Table& intraday, const IntradayRow& row)
{
    const bool sameQuote = LastRowHolds(intraday, row.Zeit);
    if (!(sameQuote ? intraday.Edit() : intraday.Append()).ok())
        return false;
    if (SetFields(intraday, row) && intraday.Post().ok())
        return true;
    intraday.Cancel();
    return false;
}

}  // namespace

IntradayStore::IntradayStore(db::Session& session, db::DataLink& dataSource1)
    : session_(session), dataSource1_(dataSource1)
{
}

bool IntradayStore::Store(const IntradayRow& row)
{
    db::Table intraday(session_);
    bool written = false;
    try {
        written = OpenAtLastRow(intraday, dataSource1_) && WriteRow(intraday, row);
    } catch (const std::exception&) {
        if (intraday.GetState() != db::Table::State::kBrowse)
            intraday.Cancel();
    }
    intraday.Close();
    return written;
}

bool SameDateTime(DateTime a, DateTime b)
{
    return std::llround(a * kMillisecondsPerDay) == std::llround(b * kMillisecondsPerDay);
}

}  // namespace zelvon::extract
