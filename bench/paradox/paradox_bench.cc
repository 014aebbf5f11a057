// Reading speed of the engine: full scans against pxlib on the same file,
// key lookups and master-link ranges at 10,000 and 1,000,000 rows; posting
// one new quote row into a keyed table of those sizes.
#include <benchmark/benchmark.h>

extern "C" {
#include <paradox.h>
}

#include <filesystem>
#include <map>

#include "db/table.h"
#include "paradox/date_time.h"
#include "paradox/field_codec.h"
#include "paradox/table.h"
#include "paradox/table_writer.h"
#include "pxlib_writer.h"

namespace {

constexpr int kRowsPerFirm = 1000;

// Intraday-like table keyed on (Firma, Zeit), written once per size.
const std::string& IntradayTable(int64_t rows) {
    static paradox_test::TempDir dir;
    static std::map<int64_t, std::string> paths;
    auto it = paths.find(rows);
    if (it != paths.end()) return it->second;
    std::string path = dir.File("Intraday" + std::to_string(rows) + ".db");
    const std::vector<paradox_test::PxField> fields = {
        {"Firma", pxfLong, 4}, {"Zeit", pxfTimestamp, 8}, {"Kurs", pxfNumber, 8}, {"Volumen", pxfLong, 4}};
    double start = double(paradox::DayFromCivil(2024, 1, 2)) * 86400000.0;
    paradox_test::WritePxlibTable(path, fields, 2, 1252, rows, [start](void* d, char* rec, int64_t row) {
        auto* doc = static_cast<pxdoc_t*>(d);
        PX_put_data_long(doc, rec, 4, int(row / kRowsPerFirm + 1));
        PX_put_data_double(doc, rec + 4, 8, start + double(row % kRowsPerFirm) * 60000.0);
        PX_put_data_double(doc, rec + 12, 8, 100.0 + double(row % 977) / 8);
        PX_put_data_long(doc, rec + 20, 4, int(row % 5000));
    });
    return paths[rows] = path;
}

void BM_ScanEngine(benchmark::State& state) {
    const std::string& path = IntradayTable(state.range(0));
    for (auto _ : state) {
        std::unique_ptr<paradox::Table> t;
        paradox::Table::Open(path, {}, &t);
        double sum = 0;
        paradox::Value v;
        for (uint64_t r = 0; r < t->record_count(); ++r) {
            paradox::RecordRef rec;
            t->ReadRecord(r, &rec);
            for (size_t f = 0; f < 4; ++f) t->ReadValue(rec, f, &v);
            sum += v.integer;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ScanPxlib(benchmark::State& state) {
    const std::string& path = IntradayTable(state.range(0));
    for (auto _ : state) {
        pxdoc_t* doc = PX_new();
        PX_open_file(doc, path.c_str());
        int n = PX_get_num_records(doc);
        std::vector<char> rec(size_t(PX_get_recordsize(doc)));
        double sum = 0;
        for (int r = 0; r < n; ++r) {
            PX_get_record(doc, r, rec.data());
            long firm, volume;
            double zeit, kurs;
            PX_get_data_long(doc, rec.data(), 4, &firm);
            PX_get_data_double(doc, rec.data() + 4, 8, &zeit);
            PX_get_data_double(doc, rec.data() + 12, 8, &kurs);
            PX_get_data_long(doc, rec.data() + 20, 4, &volume);
            sum += double(volume);
        }
        benchmark::DoNotOptimize(sum);
        PX_close(doc);
        PX_delete(doc);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_KeyLookup(benchmark::State& state) {
    std::unique_ptr<paradox::Table> t;
    paradox::Table::Open(IntradayTable(state.range(0)), {}, &t);
    int firms = int(state.range(0) / kRowsPerFirm);
    std::vector<uint8_t> key(12, 0);
    int i = 0;
    for (auto _ : state) {
        paradox::EncodeInt((i++ * 7919) % firms + 1, key.data(), 4);
        uint64_t r;
        t->LowerBound(key, 1, &r);
        benchmark::DoNotOptimize(r);
    }
}

void BM_MasterLinkRange(benchmark::State& state) {
    zelvon::db::Session session;
    std::string path = IntradayTable(state.range(0));
    zelvon::db::Table detail(session);
    detail.SetDatabaseName(paradox::DirName(path));
    detail.SetTableName(paradox::BaseName(path));
    detail.Open();
    int firms = int(state.range(0) / kRowsPerFirm);
    int i = 0;
    for (auto _ : state) {
        bool found;
        detail.FindKey({int64_t((i++ * 7919) % firms + 1)}, &found);
        int64_t first = 0;
        detail.Last();
        benchmark::DoNotOptimize(first += detail.RecordCount());
    }
}

// One new quote per iteration, inside the key range of some firm, so each
// post lands in the middle of the table.
void BM_PostQuote(benchmark::State& state) {
    static paradox_test::TempDir dir;
    std::string path = dir.File("Post" + std::to_string(state.range(0)) + ".db");
    std::filesystem::copy_file(IntradayTable(state.range(0)), path, std::filesystem::copy_options::overwrite_existing);
    std::unique_ptr<paradox::TableWriter> writer;
    if (!paradox::TableWriter::Open(path, {}, &writer).ok()) return state.SkipWithError("open failed");
    int64_t firms = state.range(0) / kRowsPerFirm;
    double start = double(paradox::DayFromCivil(2024, 1, 3)) * 86400000.0;
    std::vector<uint8_t> rec(writer->table().header().record_size, 0);
    int64_t i = 0;
    for (auto _ : state) {
        paradox::EncodeInt(1 + i % firms, rec.data(), 4);
        paradox::EncodeDouble(start + double(i) * 1000.0, rec.data() + 4);
        paradox::EncodeDouble(101.5, rec.data() + 12);
        paradox::EncodeInt(i, rec.data() + 20, 4);
        if (!writer->Insert(rec, nullptr).ok()) return state.SkipWithError("post failed");
        ++i;
    }
}

BENCHMARK(BM_ScanEngine)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanPxlib)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyLookup)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MasterLinkRange)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK(BM_PostQuote)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(50);

BENCHMARK_MAIN();
