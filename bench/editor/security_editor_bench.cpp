// The security entry dialog on 50,000 securities: opening it, and stepping
// through 1,000 records with the navigator, each step showing the record
// and looking the security up in the four watch lists.
#include <benchmark/benchmark.h>

#include "app/security_selection.h"
#include "editor/firmeneingabe.h"
#include "tools/demodata/demo_directory.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTemporaryDir>

namespace {

using namespace zelvon;

constexpr int kSteps = 1000;

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

// The main window's tables with every security admitted.
struct OpenTables {
    OpenTables() {
        selection.Home = Kit().home;
        selection.Depot = Kit().home + demodata::kDepotFolder + QStringLiteral("/");
        selection.OpenTables();
    }
    db::Session session;
    SuiteTables tables{session};
    SecuritySelection selection{tables, [] { return false; }};
};

std::unique_ptr<TFirmeneingabe> ShownDialog(OpenTables& open) {
    auto dialog = std::make_unique<TFirmeneingabe>(open.session, nullptr);
    dialog->Home = Kit().home;
    dialog->Bind(open.tables.Table1);
    dialog->show();
    return dialog;
}

void BM_OpenDialog(benchmark::State& state) {
    OpenTables open;
    for (auto _ : state) {
        auto dialog = ShownDialog(open);
        benchmark::DoNotOptimize(dialog->DBText1->text());
    }
}
BENCHMARK(BM_OpenDialog)->Unit(benchmark::kMillisecond);

void BM_ThousandSteps(benchmark::State& state) {
    OpenTables open;
    auto dialog = ShownDialog(open);
    int64_t checked = 0;
    for (auto _ : state) {
        dialog->DBNavigator1Click(editor::RecordNavigator::First);
        for (int i = 0; i < kSteps; ++i) {
            dialog->DBNavigator1Click(editor::RecordNavigator::Next);
            checked += dialog->BO1->isChecked() + dialog->BO2->isChecked() + dialog->BO3->isChecked();
        }
    }
    state.counters["per_step_ms"] =
        benchmark::Counter(double(state.iterations()) * kSteps, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["on_a_list"] = double(checked);
}
BENCHMARK(BM_ThousandSteps)->Unit(benchmark::kMillisecond);

// The watch-list part of a step alone: four tables opened and searched.
void BM_WatchListLookup(benchmark::State& state) {
    db::Session session;
    editor::WatchLists lists(session, Kit().home);
    int32_t firma = 1;
    for (auto _ : state) benchmark::DoNotOptimize(lists.Membership(firma++ % 500));
}
BENCHMARK(BM_WatchListLookup)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
