// The news run over an overview of 500 items, 50 of them new, against a
// loopback news service, with Nachrichten.db holding 1,000 to 100,000 rows:
// the run's own time per new item (the transfers of the same pages measured
// apart and taken off), and the lookup of a known item by the table's size.
#include "news/news_run.h"
#include "news/news_tables.h"
#include "tests/news/news_pages.h"
#include "tools/demodata/demo_directory.h"
#include "tools/demodata/table_loader.h"
#include "tools/demodata/tables.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <mutex>
#include <thread>

#include <time.h>

namespace {

using namespace zelvon;

constexpr int kOverviewItems = 500;
constexpr int kNewItems = 50;

class QuietProgress : public ConsoleProgress {
protected:
    void WriteLine(const QString&) override {}
};

class Service {
public:
    Service() {
        server_.Get("/", [this](const httplib::Request&, httplib::Response& r) {
            std::lock_guard lock(mutex_);
            r.set_content(overview_.toStdString(), "text/html");
        });
        const std::string detail =
            test::DetailPage(QStringLiteral("SAP SE (WKN: 716460) meldet:"),
                             QStringLiteral("Gesch&auml;ftszahlen f&uuml;r das Jahr.<br>Weitere Angaben folgen."))
                .toStdString();
        server_.Get("/news/detail", [detail](const httplib::Request&, httplib::Response& r) {
            r.set_content(detail, "text/html");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~Service() {
        server_.stop();
        thread_.join();
    }
    // Known numbers spread over the table, then the new ones.
    void Serve(int rows, int firstNew) {
        std::vector<test::OverviewEntry> entries;
        const int known = kOverviewItems - kNewItems;
        for (int i = 0; i < known; ++i) {
            entries.push_back({test::NewsLink(QString::number(1 + int64_t(i) * rows / known)), "05.03.24 08:15", "Bekannt"});
        }
        for (int i = 0; i < kNewItems; ++i) {
            entries.push_back({test::NewsLink(QString::number(firstNew + i)), "05.03.24 08:15", "Neu"});
        }
        std::lock_guard lock(mutex_);
        overview_ = test::OverviewPage(entries);
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }

private:
    httplib::Server server_;
    std::thread thread_;
    std::mutex mutex_;
    QByteArray overview_;
    int port_ = 0;
};

// A data directory from the demo kit whose Nachrichten.db holds rows 1..rows.
void WriteNewsTable(const QString& home, int rows) {
    std::vector<demodata::Row> news;
    news.reserve(rows);
    for (int n = 1; n <= rows; ++n) {
        news.push_back({demodata::Integer(n), demodata::Integer(1), demodata::Text("Meldung " + std::to_string(n)),
                        demodata::Timestamp(2024, 1, 1 + n % 28, n % 24, n % 60, 0), demodata::Logical(true)});
    }
    if (!demodata::WriteTable(home.toStdString(), demodata::NewsTable(), news).ok()) std::abort();
}

struct DataDirectory {
    explicit DataDirectory(int rows) {
        home = dir.filePath("Daten") + u'/';
        if (!demodata::CreateDemoDataDirectory(home.toStdString(), demodata::DemoOptions()).ok()) std::abort();
        WriteNewsTable(home, rows);
        QDir().mkpath(dir.filePath("Temp"));
        QDir().mkpath(dir.filePath("Kept"));
    }
    QTemporaryDir dir;
    QString home;
};

// CPU time of this thread: the run's own work, without the server's threads.
double ThreadCpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The transfers alone: the overview and the new items' detail pages.
double TransferMilliseconds(Service& service, HttpClient& client, int firstNew) {
    QElapsedTimer clock;
    clock.start();
    QByteArray body;
    client.get(service.base() + u'/', body);
    for (int i = 0; i < kNewItems; ++i) client.get(service.base() + test::NewsLink(QString::number(firstNew + i)), body);
    return double(clock.nsecsElapsed()) / 1e6;
}

void BM_NewsRun(benchmark::State& state) {
    const int rows = int(state.range(0));
    Service service;
    DataDirectory data(rows);
    db::Session session;
    HttpClient client;
    QuietProgress progress;
    news::NewsRunSettings settings;
    settings.newsUrl = service.base();
    settings.home = data.home;
    settings.tempPath = data.dir.filePath("Temp") + u'/';
    settings.keptDirectory = data.dir.filePath("Kept") + u'/';
    int firstNew = rows + 1;
    double runMs = 0, transferMs = 0, runCpuMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        service.Serve(rows, firstNew);
        transferMs += TransferMilliseconds(service, client, firstNew);
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        const double cpuStart = ThreadCpuMilliseconds();
        news::NewsRun run(session, client, progress, settings);
        const news::NewsRunResult result = run.Newseinlesen();
        runCpuMs += ThreadCpuMilliseconds() - cpuStart;
        runMs += double(clock.nsecsElapsed()) / 1e6;
        if (result.stored != kNewItems) state.SkipWithError("not every new item was stored");
        firstNew += kNewItems;
    }
    const double runs = double(state.iterations());
    state.counters["run_ms"] = runMs / runs;
    state.counters["transfers_ms"] = transferMs / runs;
    state.counters["own_ms_per_new_item"] = (runMs - transferMs) / runs / kNewItems;
    // On a busy machine the wall-clock difference is noisy; this thread's CPU time is not.
    state.counters["cpu_ms_per_new_item"] = runCpuMs / runs / kNewItems;
}
BENCHMARK(BM_NewsRun)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_KnownItemLookup(benchmark::State& state) {
    const int rows = int(state.range(0));
    DataDirectory data(rows);
    db::Session session;
    news::NewsTables tables(session, data.home);
    int32_t n = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tables.Holds(n));
        n = n % rows + 7919;
        if (n > rows) n -= rows;
    }
}
BENCHMARK(BM_KnownItemLookup)->Arg(1000)->Arg(10000)->Arg(100000);

}  // namespace

BENCHMARK_MAIN();
