// Selecting "akt.Depotwerte" on 50,000 securities with 5,000 open positions:
// the list filter does one key lookup in the depot per security, so the whole
// selection is 50,000 lookups plus the scan.
#include <benchmark/benchmark.h>

#include "app/security_selection.h"
#include "app/table_access.h"
#include "tools/demodata/demo_directory.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

using namespace zelvon;

struct LargeKit {
    LargeKit() {
        home = dir.path() + QStringLiteral("/");
        const auto status = demodata::CreateDemoDataDirectory(home.toStdString(), demodata::DemoOptions::Large());
        if (!status.ok()) throw Error(QString::fromStdString(status.message()));
    }
    QTemporaryDir dir;
    QString home;
};

const LargeKit& Kit() {
    static const LargeKit kit;
    return kit;
}

void BM_SelectDepot(benchmark::State& state) {
    const bool favourites = state.range(0) != 0;
    db::Session session;
    session.AddPassword(db::kBuiltinPassword);
    SuiteTables tables(session);
    SecuritySelection selection(tables, [favourites] { return favourites; });
    selection.Home = Kit().home;
    selection.Depot = Kit().home + demodata::kDepotFolder + QStringLiteral("/");
    selection.OpenTables();
    int64_t listed = 0;
    for (auto _ : state) {
        selection.ComboBox3Change(kDepotEntry);
        listed = 0;
        for (Check(tables.Table1.First()); !tables.Table1.Eof(); Check(tables.Table1.Next())) ++listed;
    }
    state.counters["listed"] = double(listed);
}
BENCHMARK(BM_SelectDepot)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
