// A Swiss intraday list of 5,000 trades read into an Intraday.db of 1,000,000
// rows: the whole extraction with every trade posted through the storage
// step's table objects, and the walk alone without a table. Each iteration
// starts from a fresh copy of the big table, so every trade is new. The
// argument is the number of trades; the short list shows the cost of one post
// without waiting minutes for the long one.
#include "db/data_link.h"
#include "db/session.h"
#include "db/table.h"
#include "extract/extraction.h"
#include "extract/intraday_store.h"
#include "paradox/date_time.h"
#include "paradox/index_create.h"
#include "paradox/table.h"
#include "paradox/table_create.h"
#include "paradox/table_writer.h"
#include "pxlib_writer.h"

#include <benchmark/benchmark.h>

extern "C" {
#include <paradox.h>
}

#include <QString>

#include <filesystem>

namespace {

using namespace zelvon;

constexpr int64_t kRows = 1'000'000;
constexpr int kRowsPerFirm = 1000;
// The security whose list is read: in the middle of the table's key range.
constexpr int32_t kFirma = 500;

QString TradeList(int trades)
{
    QString page = QStringLiteral("<html><head><title>Kurse - Intraday</title></head><body><table>");
    for (int n = 1; n <= trades; ++n) {
        const int second = 9 * 3600 + n * 6;
        page += QStringLiteral("<tr><td class=\"nr\">%1</td><td class=\"c1\">%2:%3:%4</td><td><B>%5</B></td>"
                               "<td class=\"c1\">1'%6</td></tr>")
                    .arg(n)
                    .arg(second / 3600, 2, 10, QChar(u'0'))
                    .arg(second / 60 % 60, 2, 10, QChar(u'0'))
                    .arg(second % 60, 2, 10, QChar(u'0'))
                    .arg(100 + (n % 200) / 100.0, 0, 'f', 2)
                    .arg(n % 1000, 3, 10, QChar(u'0'));
    }
    return page + QStringLiteral("</table></body></html>");
}

// Firma.db with the securities 1 .. 1000 and Intraday.db with a thousand
// quotes of each on the day before, built once.
const std::string& DataDirectory()
{
    static paradox_test::TempDir dir;
    static std::string path;
    if (!path.empty())
        return path;
    const std::vector<paradox_test::PxField> fields = {
        {"Firma", pxfLong, 4}, {"Zeit", pxfTimestamp, 8}, {"Kurs", pxfNumber, 8}, {"Volumen", pxfLong, 4}};
    const double start = double(paradox::DayFromCivil(2024, 3, 14)) * 86400000.0 + 9 * 3600000.0;
    paradox_test::WritePxlibTable(dir.File("Intraday.db"), fields, 2, 1252, kRows, [start](void* d, char* rec, int64_t row) {
        auto* doc = static_cast<pxdoc_t*>(d);
        PX_put_data_long(doc, rec, 4, int(row / kRowsPerFirm + 1));
        PX_put_data_double(doc, rec + 4, 8, start + double(row % kRowsPerFirm) * 30000.0);
        PX_put_data_double(doc, rec + 12, 8, 100.0 + double(row % 977) / 8);
        PX_put_data_long(doc, rec + 20, 4, int(row % 5000));
    });
    paradox::CreateOptions options;
    options.key_fields = 1;
    paradox::CreateTable(dir.File("Firma.db"), {{"Firma", paradox::FieldType::kLong, 0, true}}, options);
    db::Session session;
    db::Table firma(session);
    firma.SetDatabaseName(dir.File(""));
    firma.SetTableName("Firma.db");
    firma.Open();
    for (int key = 1; key <= int(kRows / kRowsPerFirm); ++key) {
        firma.Append();
        firma.FindField("Firma")->SetInteger(key);
        firma.Post();
    }
    firma.Close();
    // The suite keeps a .PX beside the table; pxlib writes none.
    std::unique_ptr<paradox::Table> intraday;
    if (!paradox::Table::Open(dir.File("Intraday.db"), {}, &intraday).ok() || !paradox::CreatePrimaryIndex(*intraday).ok())
        return path;
    // A writer fills the new .PX from the data blocks, as it is in use.
    std::unique_ptr<paradox::TableWriter> writer;
    if (!paradox::TableWriter::Open(dir.File("Intraday.db"), {}, &writer).ok())
        return path;
    path = dir.File("");
    return path;
}

std::string FreshCopy(const paradox_test::TempDir& work)
{
    const std::filesystem::path from(DataDirectory());
    if (from.empty())
        return {};
    for (const auto& entry : std::filesystem::directory_iterator(from))
        std::filesystem::copy_file(entry.path(), work.File(entry.path().filename().string()),
                                   std::filesystem::copy_options::overwrite_existing);
    return work.File("");
}

void Extract(benchmark::State& state, bool posting)
{
    const int tradeCount = int(state.range(0));
    const QString text = TradeList(tradeCount);
    paradox_test::TempDir work;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string directory = FreshCopy(work);
        if (directory.empty())
            return state.SkipWithError("could not build the tables");
        db::Session session;
        db::Table table1(session);
        table1.SetDatabaseName(directory);
        table1.SetTableName("Firma.db");
        bool found = false;
        if (!table1.Open().ok() || !table1.FindKey({int64_t(kFirma)}, &found).ok() || !found)
            return state.SkipWithError("Firma.db");
        db::DataLink dataSource1;
        dataSource1.SetDataSet(&table1);
        TextView page(text);
        extract::ExtractionInput input;
        input.page = &page;
        input.security.Firma = kFirma;
        input.source = kSourceSwiss;
        input.entry = kSwissAktienkurseIntraday;
        input.windowVisible = false;
        input.now = *formats::EncodeDate(2024, 3, 15) + *formats::EncodeTime(18, 0, 0);
        extract::IntradayStore store(session, dataSource1);
        extract::IntradayTrades trades(session, dataSource1);
        extract::ExtractionHooks hooks;
        int posted = 0;
        if (posting) {
            hooks.store = [&](const extract::IntradayRow& row) { store.Store(row); };
            hooks.lastTrade = [&] { return trades.LastTrade(); };
            hooks.postTrade = [&](const extract::IntradayRow& row) { posted += trades.Post(row); };
        }
        extract::QuoteExtractor extractor;
        state.ResumeTiming();
        extractor.SpeedButton3Click(input, hooks);
        state.PauseTiming();
        if (posting && posted != tradeCount)
            return state.SkipWithError("not every trade was posted");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * tradeCount);
}

void BM_SwissIntradayPosting(benchmark::State& state) { Extract(state, true); }
void BM_SwissIntradayWalkOnly(benchmark::State& state) { Extract(state, false); }

}  // namespace

BENCHMARK(BM_SwissIntradayPosting)->Arg(50)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SwissIntradayWalkOnly)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(20);

BENCHMARK_MAIN();
