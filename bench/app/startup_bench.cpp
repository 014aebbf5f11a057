// Start-up of the program to the "not found" exit of an info run for a
// security that does not exist (`zelvon /W 999999999 /D`): settings, tables,
// group selection and security selector, then the message. Measured side by
// side on the small demo data and on the large one (50,000 securities), five
// runs each, alternating; reported: the medians and their ratio.
#include <benchmark/benchmark.h>

#include "platform/error.h"
#include "tools/demodata/demo_directory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

namespace {

using namespace zelvon;

constexpr int kRuns = 5;

struct Suite {
    explicit Suite(const demodata::DemoOptions& options) {
        const QString home = dir.path() + QStringLiteral("/Daten/");
        const auto status = demodata::CreateDemoDataDirectory(home.toStdString(), options);
        if (!status.ok()) throw Error(QString::fromStdString(status.message()));
        registry = dir.filePath("Quarvinta.reg");
        QFile reg(registry);
        reg.open(QIODevice::WriteOnly);
        reg.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                  "\"Datenpath\"=\"" + home.toUtf8() + "\"\r\n\"Depotpath\"=\"" + home.toUtf8() + "Depot/\"\r\n"
                  "\"Temppath\"=\"" + dir.path().toUtf8() + "/\"\r\n"
                  "\"VTDATEI\"=\"" + dir.filePath("aktien.txt").toUtf8() + "\"\r\n"
                  "\"Zelvon_Favoriten\"=dword:00000000\r\n\"Zelvon_Gruppe\"=dword:00000000\r\n");
    }
    QTemporaryDir dir;
    QString registry;
};

// Seconds from the start of the program to its exit; negative when it did
// not end with the "not found" exit status.
double StartToNotFound(const Suite& suite) {
    QProcess zelvon;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("ZELVON_REGISTRY"), suite.registry);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), suite.dir.path());
    zelvon.setProcessEnvironment(env);
    zelvon.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    QElapsedTimer timer;
    timer.start();
    zelvon.start(QStringLiteral(ZELVON_BINARY), {QStringLiteral("/W"), QStringLiteral("999999999"), QStringLiteral("/D")});
    if (!zelvon.waitForFinished(60'000) || zelvon.exitStatus() != QProcess::NormalExit || zelvon.exitCode() == 0)
        return -1;
    return double(timer.nsecsElapsed()) / 1e9;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_StartToNotFound(benchmark::State& state) {
    const Suite small(demodata::DemoOptions{});
    const Suite large(demodata::DemoOptions::Large());
    std::vector<double> smallRuns, largeRuns;
    for (auto _ : state) {
        for (int i = 0; i < kRuns; ++i) {
            smallRuns.push_back(StartToNotFound(small));
            largeRuns.push_back(StartToNotFound(large));
        }
        if (std::min(*std::min_element(smallRuns.begin(), smallRuns.end()),
                     *std::min_element(largeRuns.begin(), largeRuns.end())) < 0)
            return state.SkipWithError("zelvon did not end with the not-found exit");
        state.SetIterationTime(Median(largeRuns));
    }
    state.counters["small_s"] = Median(smallRuns);
    state.counters["large_s"] = Median(largeRuns);
    state.counters["large_to_small"] = Median(largeRuns) / Median(smallRuns);
}
BENCHMARK(BM_StartToNotFound)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
