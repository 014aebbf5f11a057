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
#include "updates/update_filter.h"
#include "updates/update_firma.h"
#include "tools/demodata/table_loader.h"
#include "tools/demodata/tables.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

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

// The filter update with a page list of 2,000 rows over standard and active
// lists of 1,000 rows each: half of the list's pages are new, the other half
// change their range; 50 filter names are fetched.
void BM_FilterUpdate(benchmark::State& state) {
    constexpr int kRows = 2000;
    auto page = [](int n, int shift) {
        return dd::TeletextPage{"Seite " + std::to_string(n), n % 2 ? "ZDF" : "N-TV", "F" + std::to_string(n % 50) + ".vtf",
                                100 + n, 100 + n + shift, "Seite " + std::to_string(n)};
    };
    auto write = [&page](const std::string& dir, const std::string& file, int from, int to, int shift) {
        std::vector<dd::Row> rows;
        for (int n = from; n < to; ++n) {
            const dd::TeletextPage p = page(n, shift);
            rows.push_back({dd::Text(p.seite_name), dd::Text(p.sender), dd::Text(p.filter), dd::Integer(p.seiten_von),
                            dd::Integer(p.seiten_bis), dd::Text(p.beschreibung)});
        }
        return dd::WriteTable(dir, dd::TeletextTable(file), rows);
    };
    for (auto _ : state) {
        state.PauseTiming();
        test::UpdateRig rig;
        const std::string home = rig.home().toStdString();
        if (!write(home, "DDESeiten.Db", 0, kRows / 2, 0).ok() || !write(home, "TVAktiv.Db", 0, kRows / 2, 0).ok() ||
            !write(home, "DDEAktiv.Db", 0, kRows / 2, 0).ok() ||
            !write(rig.serverDir.path().toStdString(), "DDESeiten.db.txt", 0, kRows, 1).ok()) {
            state.SkipWithError("tables not written");
            return;
        }
        QFile list(rig.serverDir.path() + "/DDESeiten.db.txt");
        list.open(QIODevice::ReadOnly);
        const std::string listBytes = list.readAll().toStdString();
        rig.server.routes().Get("/filter/(.*)", [listBytes](const httplib::Request& request, httplib::Response& response) {
            const std::string name = request.matches[1];
            if (name == "DDESeiten.db.txt") return response.set_content(listBytes, "application/octet-stream");
            response.set_content(dd::FilterFileText(name), "text/plain");
        });
        rig.start();
        // Short, so that folder and name fit the active lists' Filter field.
        QTemporaryDir filters(QStringLiteral("/tmp/zfXXXXXX"));
        auto context = rig.context();
        context.directories.filterPath = filters.path() + "/";
        state.ResumeTiming();
        updates::UpdateFilter(context).Run();
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_FilterUpdate)->Iterations(1)->Unit(benchmark::kMillisecond);

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
