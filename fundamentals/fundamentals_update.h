// The fundamentals update behind "Fundamentaldaten Update" and "/I": walks
// the securities the selection admits (or the one whose Kennung is given),
// fetches each one's Onvista page, writes its figures and missing
// identifiers into Firma.db and logs every updated security.
#pragma once

#include "db/session.h"
#include "db/table.h"
#include "fundamentals/fundamentals_window.h"

#include <QString>

#include <memory>

namespace zelvon {

class FundamentalsLog;
class RunProgress;
class TextView;
struct FundamentalValues;

// The main window's members the run works on.
struct FundamentalsScene {
    db::Session& session;
    db::Table& Table1;  // Firma.db with the selection's filter
    TextView& page;     // RichEdit1
    TextView& detail;   // RichEdit2
    bool& Lade;
};

class FundamentalsUpdate {
public:
    FundamentalsUpdate(FundamentalsWindow& window, FundamentalsScene scene, RunProgress& progress);
    ~FundamentalsUpdate();

    // The run. kennung: only the security with this Kennung, compared as it
    // is; empty for all admitted. A log that cannot be created raises before
    // any security is fetched.
    void Button5Click(const QString& logPath, const QString& kennung);

private:
    void Run(const QString& logPath, const QString& kennung);
    void Start(const QString& kennung);
    void UpdateSecurity();
    void StoreValues(const FundamentalValues& values, const QString& name);
    bool MoveRowTo(int32_t firma);
    void NextSecurity();
    void Finish();

    FundamentalsWindow& window_;
    FundamentalsScene scene_;
    RunProgress& progress_;
    // The rows are written through a table object of the run's own in
    // primary-key order, so that Table1 keeps its place in the name order.
    db::Table rows_;
    std::unique_ptr<FundamentalsLog> log_;
    bool written_ = false;
};

}  // namespace zelvon
