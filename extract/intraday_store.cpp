#include "extract/intraday_store.h"

#include "platform/error.h"

#include <cmath>
#include <exception>

namespace zelvon::extract {

namespace {

constexpr double kMillisecondsPerDay = 86'400'000;

db::Status OpenAtLastRowStatus(db::Table& intraday, db::DataLink& dataSource1)
{
    const db::Table* master = dataSource1.DataSet();
    if (!master)
        return db::Status::InvalidArgument("Intraday.db: no securities table");
    intraday.SetDatabaseName(master->DatabaseName());
    intraday.SetTableName("Intraday.db");
    db::Status s = intraday.SetMasterSource(&dataSource1);
    if (s.ok())
        s = intraday.SetMasterFields("Firma");
    if (s.ok())
        s = intraday.Open();
    if (s.ok())
        s = intraday.Last();
    return s;
}

bool OpenAtLastRow(db::Table& intraday, db::DataLink& dataSource1)
{
    return OpenAtLastRowStatus(intraday, dataSource1).ok();
}

// Steps back while the row's Volumen is 0, at most to the first row.
StoredTrade ReadBackToVolume(db::Table& intraday)
{
    const db::Field* volumen = intraday.FindField("Volumen");
    const db::Field* zeit = intraday.FindField("Zeit");
    if (!volumen || !zeit)
        throw Error(QStringLiteral("Intraday.db: Feld Volumen oder Zeit fehlt"));
    if (intraday.Eof())
        return {};
    while (volumen->AsInteger() == 0 && !intraday.Bof()) {
        const db::Status s = intraday.Prior();
        if (!s.ok())
            throw Error(QStringLiteral("Tabelle Intraday.db nicht lesbar: ") + QString::fromStdString(s.ToString()));
    }
    return {volumen->AsInteger(), zeit->AsDateTime()};
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

IntradayTrades::IntradayTrades(db::Session& session, db::DataLink& dataSource1)
    : session_(session), dataSource1_(dataSource1)
{
}

// The list's posts reach the disk with one sync, here; a killed process
// still leaves every row it posted.
IntradayTrades::~IntradayTrades()
{
    if (table_) {
        table_->FinishBatch();
        table_->Close();
    }
}

StoredTrade IntradayTrades::LastTrade()
{
    db::Table intraday(session_);
    const db::Status s = OpenAtLastRowStatus(intraday, dataSource1_);
    if (!s.ok()) {
        intraday.Close();
        throw Error(QStringLiteral("Tabelle Intraday.db nicht lesbar: ") + QString::fromStdString(s.ToString()));
    }
    try {
        const StoredTrade last = ReadBackToVolume(intraday);
        intraday.Close();
        return last;
    } catch (...) {
        intraday.Close();
        throw;
    }
}

bool IntradayTrades::Post(const IntradayRow& row)
{
    try {
        if (!table_) {
            table_ = std::make_unique<db::Table>(session_);
            if (!OpenAtLastRow(*table_, dataSource1_)) {
                table_.reset();
                return false;
            }
            table_->StartBatch();
        } else if (!table_->Last().ok()) {
            return false;
        }
        return WriteRow(*table_, row);
    } catch (const std::exception&) {
        if (table_ && table_->GetState() != db::Table::State::kBrowse)
            table_->Cancel();
        return false;
    }
}

bool SameDateTime(DateTime a, DateTime b)
{
    return std::llround(a * kMillisecondsPerDay) == std::llround(b * kMillisecondsPerDay);
}

}  // namespace zelvon::extract
