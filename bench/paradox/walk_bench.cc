// Walking the securities master of a large suite (Firma.db of the large demo
// data, 50,000 securities): opening it on IFirma and stepping through it,
// walks on the open table in IFirma and IWKN order, and the read calls each
// costs against the blocks of the .DB and its index (from /proc/self/io, so
// every read the process makes counts).
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "db/table.h"
#include "paradox/secondary_index.h"
#include "pxlib_writer.h"
#include "tools/demodata/demo_directory.h"

namespace {

using zelvon::db::Field;
using zelvon::db::Session;
using zelvon::db::Table;

const std::string& LargeSuite() {
    static paradox_test::TempDir dir;
    static std::string home;
    if (home.empty() && zelvon::demodata::CreateDemoDataDirectory(dir.path(), zelvon::demodata::DemoOptions::Large()).ok())
        home = dir.path();
    return home;
}

// Read system calls the process has made so far.
uint64_t ReadCalls() {
    std::ifstream io("/proc/self/io");
    std::string key;
    uint64_t value = 0;
    while (io >> key >> value)
        if (key == "syscr:") return value;
    return 0;
}

// Blocks of the .DB and of the index file the order comes from.
double Blocks(const Table& t, const std::string& index) {
    double blocks = t.engine()->header().file_blocks;
    std::vector<paradox::SecondaryIndexInfo> indexes;
    paradox::ListSecondaryIndexes(*t.engine(), &indexes);
    for (const auto& info : indexes)
        if (paradox::EqualsIgnoringCase(info.name, index)) blocks += info.header.file_blocks;
    return blocks;
}

bool OpenFirma(Session& session, Table& t, const std::string& index) {
    t.SetDatabaseName(LargeSuite());
    t.SetTableName("Firma.db");
    return t.SetIndexName(index).ok() && t.Open().ok();
}

int64_t Step(Table& t) {
    Field name(nullptr, 0);
    t.FieldByName("FirmenName", &name);
    int64_t rows = 0, length = 0;
    for (t.First(); !t.Eof(); t.Next(), ++rows) length += int64_t(name.AsString().size());
    benchmark::DoNotOptimize(length);
    return rows;
}

void Report(benchmark::State& state, int64_t rows, uint64_t reads, double blocks) {
    const double per_iteration = double(reads) / double(state.iterations());
    state.counters["rows"] = double(rows);
    state.counters["read_calls"] = per_iteration;
    state.counters["blocks"] = blocks;
    state.counters["read_calls_per_block"] = per_iteration / blocks;
}

void BM_OpenFirmaOnIFirmaAndStep(benchmark::State& state) {
    if (LargeSuite().empty()) return state.SkipWithError("large demo data not written");
    Session session;
    int64_t rows = 0;
    double blocks = 0;
    uint64_t reads = 0;
    for (auto _ : state) {
        Table t(session);
        uint64_t before = ReadCalls();
        if (!OpenFirma(session, t, "IFirma")) return state.SkipWithError("Firma.db does not open");
        rows = Step(t);
        reads += ReadCalls() - before;
        blocks = Blocks(t, "IFirma");
    }
    Report(state, rows, reads, blocks);
}
BENCHMARK(BM_OpenFirmaOnIFirmaAndStep)->Unit(benchmark::kMillisecond);

// A walk on the open table, as every list and run after the start makes it.
void WalkOpenTable(benchmark::State& state, const std::string& index) {
    Session session;
    Table t(session);
    if (!OpenFirma(session, t, index)) return state.SkipWithError("Firma.db does not open");
    int64_t rows = 0;
    uint64_t reads = 0;
    for (auto _ : state) {
        uint64_t before = ReadCalls();
        rows = Step(t);
        reads += ReadCalls() - before;
    }
    Report(state, rows, reads, Blocks(t, index));
}

void BM_WalkIFirma(benchmark::State& state) { WalkOpenTable(state, "IFirma"); }
void BM_WalkIWKN(benchmark::State& state) { WalkOpenTable(state, "IWKN"); }
BENCHMARK(BM_WalkIFirma)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkIWKN)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
