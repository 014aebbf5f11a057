// Reading speed of the engine: full scans against pxlib on the same file,
// key lookups and master-link ranges at 10,000 and 1,000,000 rows; posting
// one new quote row into a keyed table of those sizes (with its .PX, as the
// suite keeps it; durable; and without a .PX); updating one field of a
// 50,000-row securities table with two secondary indexes kept.
#include <benchmark/benchmark.h>

extern "C" {
#include <paradox.h>
}

#include <chrono>
#include <filesystem>
#include <map>

#include "db/table.h"
#include "paradox/date_time.h"
#include "paradox/field_codec.h"
#include "paradox/field_encoder.h"
#include "paradox/index_create.h"
#include "paradox/secondary_index.h"
#include "paradox/secondary_writer.h"
#include "paradox/table.h"
#include "paradox/table_create.h"
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

// The same table with the .PX pxlib does not write, built by our writer.
const std::string& IndexedIntradayTable(int64_t rows) {
    static paradox_test::TempDir dir;
    static std::map<int64_t, std::string> paths;
    auto it = paths.find(rows);
    if (it != paths.end()) return it->second;
    std::string path = dir.File("Intraday" + std::to_string(rows) + ".db");
    std::filesystem::copy_file(IntradayTable(rows), path);
    std::unique_ptr<paradox::Table> t;
    std::unique_ptr<paradox::TableWriter> writer;
    if (!paradox::Table::Open(path, {}, &t).ok() || !paradox::CreatePrimaryIndex(*t).ok() ||
        !paradox::TableWriter::Open(path, {}, &writer).ok())
        path.clear();
    return paths[rows] = path;
}

// A copy of table and its .PX (when present) for one benchmark to change.
std::string WorkCopy(const std::string& table, const paradox_test::TempDir& dir, const std::string& name) {
    std::string path = dir.File(name + ".db");
    auto overwrite = std::filesystem::copy_options::overwrite_existing;
    std::filesystem::copy_file(table, path, overwrite);
    std::string px = paradox::CompanionPath(table, "PX");
    if (!px.empty()) std::filesystem::copy_file(px, dir.File(name + ".px"), overwrite);
    else std::filesystem::remove(dir.File(name + ".px"));
    return path;
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

// Key lookups through the .PX on 10,000 and on 1,000,000 rows, side by side
// in one run: the time per lookup should hardly grow with the table.
void BM_KeyLookupThroughPx(benchmark::State& state) {
    constexpr int kLookups = 20000;
    std::unique_ptr<paradox::Table> small, large;
    if (IndexedIntradayTable(10000).empty() || IndexedIntradayTable(1000000).empty() ||
        !paradox::Table::Open(IndexedIntradayTable(10000), {}, &small).ok() ||
        !paradox::Table::Open(IndexedIntradayTable(1000000), {}, &large).ok() || !small->primary_index() ||
        !large->primary_index())
        return state.SkipWithError("indexed tables not created");
    auto lookups = [](const paradox::Table& t) {
        int firms = int(t.record_count() / kRowsPerFirm);
        std::vector<uint8_t> key(12, 0);
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kLookups; ++i) {
            paradox::EncodeInt((i * 7919) % firms + 1, key.data(), 4);
            uint64_t r;
            t.LowerBound(key, 1, &r);
            benchmark::DoNotOptimize(r);
        }
        return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / kLookups;
    };
    double small_us = 0, large_us = 0;
    for (auto _ : state) {
        small_us = lookups(*small);
        large_us = lookups(*large);
        state.SetIterationTime(large_us / 1e6);
    }
    state.counters["us_10k"] = small_us;
    state.counters["us_1M"] = large_us;
    state.counters["ratio_1M_to_10k"] = large_us / small_us;
}

// One new quote per iteration, inside the key range of some firm, so each
// post lands in the middle of the table.
void PostQuotes(benchmark::State& state, const std::string& table, bool durable) {
    static paradox_test::TempDir dir;
    std::string path = WorkCopy(table, dir, "Post" + std::to_string(state.range(0)));
    std::unique_ptr<paradox::TableWriter> writer;
    if (!paradox::TableWriter::Open(path, {}, &writer).ok()) return state.SkipWithError("open failed");
    writer->set_durable(durable);
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

void BM_PostQuote(benchmark::State& state) { PostQuotes(state, IndexedIntradayTable(state.range(0)), false); }
void BM_PostQuoteDurable(benchmark::State& state) { PostQuotes(state, IndexedIntradayTable(state.range(0)), true); }
void BM_PostQuoteWithoutPx(benchmark::State& state) { PostQuotes(state, IntradayTable(state.range(0)), false); }

constexpr int kFirms = 50000;

paradox::Value Text(const std::string& s) {
    paradox::Value v;
    v.is_null = false;
    v.text = s;
    return v;
}

// Firma.db-shaped: keyed on Firma, indexes IFirma (FirmenName, ignoring
// case) and IWKN (Kennung).
const std::string& FirmaTable() {
    static paradox_test::TempDir dir;
    static std::string path;
    if (!path.empty()) return path;
    std::string p = dir.File("Firma.db");
    paradox::CreateOptions o;
    o.key_fields = 1;
    paradox::Status s = paradox::CreateTable(p, {{"Firma", paradox::FieldType::kLong, 0, true},
                                                 {"FirmenName", paradox::FieldType::kAlpha, 40, false},
                                                 {"Kennung", paradox::FieldType::kAlpha, 12, false},
                                                 {"WKN", paradox::FieldType::kAlpha, 6, false},
                                                 {"ISIN", paradox::FieldType::kAlpha, 12, false},
                                                 {"Gewinn", paradox::FieldType::kNumber, 0, false}}, o);
    std::unique_ptr<paradox::TableWriter> writer;
    if (s.ok()) s = paradox::TableWriter::Open(p, {}, &writer);
    for (int n = 1; s.ok() && n <= kFirms; ++n) {
        const paradox::Table& t = writer->table();
        std::vector<uint8_t> rec(t.header().record_size, 0);
        paradox::Value v;
        v.is_null = false;
        v.integer = n;
        paradox::EncodeField("Firma.db", t.fields()[0], v, t.text(), rec.data());
        paradox::EncodeField("Firma.db", t.fields()[1], Text("Firma " + std::to_string(n * 7919 % kFirms) + " AG"), t.text(), rec.data());
        paradox::EncodeField("Firma.db", t.fields()[2], Text(std::to_string(500000 + n * 31 % kFirms)), t.text(), rec.data());
        v.number = n / 100.0;
        paradox::EncodeField("Firma.db", t.fields()[5], v, t.text(), rec.data());
        s = writer->Insert(rec, nullptr);
    }
    writer.reset();
    std::unique_ptr<paradox::Table> t;
    std::string x;
    if (s.ok()) s = paradox::Table::Open(p, {}, &t);
    if (s.ok()) s = paradox::CreateSecondaryIndex(*t, {"IFirma", {"FirmenName"}, true}, &x);
    if (s.ok()) s = paradox::CreateSecondaryIndex(*t, {"IWKN", {"Kennung"}, false}, &x);
    if (s.ok()) path = p;
    return path;
}

// field 5 (Gewinn) touches no index entry; field 1 (FirmenName) moves one.
void UpdateFirma(benchmark::State& state, size_t field) {
    static paradox_test::TempDir dir;
    if (FirmaTable().empty()) return state.SkipWithError("table not created");
    for (const std::string& f : paradox::ListDirectory(paradox::DirName(FirmaTable())))
        std::filesystem::copy_file(paradox::DirName(FirmaTable()) + "/" + f, dir.File(f),
                                   std::filesystem::copy_options::overwrite_existing);
    std::unique_ptr<paradox::TableWriter> writer;
    if (!paradox::TableWriter::Open(dir.File("Firma.db"), {}, &writer).ok()) return state.SkipWithError("open failed");
    int64_t i = 0;
    for (auto _ : state) {
        const paradox::Table& t = writer->table();
        uint64_t n = uint64_t(i * 7919 % kFirms);
        paradox::RecordRef r;
        t.ReadRecord(n, &r);
        std::vector<uint8_t> rec(r.data, r.data + t.header().record_size);
        paradox::Value v = field == 5 ? paradox::Value() : Text("Neu " + std::to_string(i));
        v.is_null = false;
        v.number = double(i);
        paradox::EncodeField("Firma.db", t.fields()[field], v, t.text(), rec.data());
        if (!writer->Update(n, rec, nullptr).ok()) return state.SkipWithError("update failed");
        ++i;
    }
}

void BM_UpdateFirmaPlainField(benchmark::State& state) { UpdateFirma(state, 5); }
void BM_UpdateFirmaIndexedField(benchmark::State& state) { UpdateFirma(state, 1); }

// What every post cost per index when the indexes were rebuilt.
void BM_RebuildFirmaIndex(benchmark::State& state) {
    std::unique_ptr<paradox::Table> t;
    if (FirmaTable().empty() || !paradox::Table::Open(FirmaTable(), {}, &t).ok()) return state.SkipWithError("no table");
    std::vector<paradox::SecondaryIndexInfo> indexes;
    paradox::ListSecondaryIndexes(*t, &indexes);
    for (auto _ : state)
        if (!paradox::RebuildSecondaryIndex(*t, indexes[0], false).ok()) return state.SkipWithError("rebuild failed");
}

BENCHMARK(BM_ScanEngine)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanPxlib)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyLookup)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MasterLinkRange)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyLookupThroughPx)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK(BM_PostQuote)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_PostQuoteDurable)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_PostQuoteWithoutPx)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_UpdateFirmaPlainField)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_UpdateFirmaIndexedField)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_RebuildFirmaIndex)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
