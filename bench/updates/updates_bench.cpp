// The master merge of a maker's table with as many rows as the suite's
// Firma.db (5,000 and 50,000: the time must grow no more than linearly,
// and stay under 30 s at 50,000), and the archive import of 90 day files of
// 5,000 lines each from a loopback server: reported as the run's time per
// file, the server's share (the same files fetched directly) and our own
// time per file = the difference, in wall time and, since the machine is
// shared, in the calling thread's CPU time.
#include "update_rig.h"

#include "tools/demodata/update_files.h"
#include "updates/kursdatenlesen.h"
#include "updates/update_firma.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include <ctime>
#include <map>

namespace {

using namespace zelvon;
namespace dd = zelvon::demodata;

void BM_MasterMerge(benchmark::State& state) {
    const size_t rows = size_t(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        test::UpdateRig rig(rows);
        test::WriteServerTables(rig.serverDir.path(), rows);
        rig.serveDirectory("/Update/", rig.serverDir.path());
        rig.start();
        auto context = rig.context();
        state.ResumeTiming();
        updates::UpdateFirma(context, {true, true}).Run();
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_MasterMerge)->Arg(5000)->Arg(50000)->Iterations(1)->Unit(benchmark::kMillisecond);

// CPU time of the calling thread: the machine is shared, wall time is not ours alone.
double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

constexpr int kDays = 90;
constexpr size_t kLines = 5000;

void BM_ArchiveImport(benchmark::State& state) {
    test::UpdateRig rig;
    const DateTime today = *formats::EncodeDate(2026, 12, 11);
    std::map<std::string, std::string> files;
    for (DateTime d = today - kDays * 7 / 5; d <= today; d += 1) {
        const auto c = formats::DecodeDate(d);
        char name[16];
        std::snprintf(name, sizeof name, "%02d%02d%04d", c.day, c.month, c.year);
        files[std::string(name) + ".txt"] = dd::ArchiveDayFile(c.year, c.month, c.day, kLines);
    }
    rig.server.routes().Get("/archiv/(.*)", [&files](const httplib::Request& request, httplib::Response& response) {
        const auto it = files.find(request.matches[1]);
        if (it == files.end()) {
            response.status = 404;
            return;
        }
        response.set_content(it->second, "text/plain");
    });
    rig.start();
    const DateTime first = today - kDays * 7 / 5 + 1;
    double runMs = 0, directMs = 0, runCpu = 0, directCpu = 0;
    int fetched = 0, requests = 0;
    for (auto _ : state) {
        auto context = rig.context();
        DateTime lese = first;
        QElapsedTimer run;
        run.start();
        const double cpu0 = ThreadCpuMs();
        updates::Kursdatenlesen(context, rig.path("aktien.txt"), [today] { return today + 0.5; }).Run(lese);
        runMs = double(run.nsecsElapsed()) / 1e6;
        runCpu = ThreadCpuMs() - cpu0;
        requests = rig.client.requestCount();
        QElapsedTimer direct;
        direct.start();
        const double cpu1 = ThreadCpuMs();
        fetched = 0;
        for (const auto& [name, text] : files) {
            QByteArray body;
            try {
                rig.client.get(rig.server.url(QString::fromStdString("/archiv/" + name)), body);
                ++fetched;
            } catch (const std::exception&) {
            }
        }
        directMs = double(direct.nsecsElapsed()) / 1e6;
        directCpu = ThreadCpuMs() - cpu1;
    }
    // The run asks for weekdays only, Fridays twice; the direct pass fetches every file once.
    const double serverPerFile = directMs / fetched;
    state.counters["requests"] = requests;
    state.counters["run_ms_per_file"] = runMs / requests;
    state.counters["server_ms_per_file"] = serverPerFile;
    state.counters["own_ms_per_file"] = runMs / requests - serverPerFile;
    // The client's share of a fetch is in both passes; the rest is the import's own work.
    state.counters["own_cpu_ms_per_file"] = runCpu / requests - directCpu / fetched;
}
BENCHMARK(BM_ArchiveImport)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
