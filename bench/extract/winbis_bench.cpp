// One WinBis read through the extraction step, six items in six
// conversations, against the real feed simulator on its socket. Target: under
// 2 ms for the whole read.
#include "extract/extraction.h"
#include "platform/dde_client.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace zelvon::extract {
namespace {

void BM_WinBisRead(benchmark::State& state)
{
    QTemporaryDir dir;
    QFile values(dir.filePath("WinBis.txt"));
    values.open(QIODevice::WriteOnly);
    values.write("FWB\t716460/L\t12,34 EUR\nFWB\t716460/G\t1500\nFWB\t716460/A\t12,4\n"
                 "FWB\t716460/AV\t300\nFWB\t716460/B\t12,3\nFWB\t716460/NV\t200\n");
    values.close();
    qputenv("ZELVON_DDE_DIR", dir.path().toUtf8());
    QProcess feed;
    feed.start(ZELVON_DDEFEED_BINARY, {"--service", "WinBis", "--file", values.fileName(), "--quiet"});
    DdeClientConv conv;
    for (int i = 0; i < 500; ++i) {
        conv.SetLink("WinBis", "FWB");
        if (conv.OpenLink())
            break;
        QThread::msleep(10);
    }
    conv.CloseLink();

    TextView page, quoteList;
    DdeClientItem item;
    bool lade = true;
    DateTime leseDatum = 0;
    ExtractionInput input;
    input.page = &page;
    input.quoteList = &quoteList;
    input.security = {7, "SAP", "SAP SE", "716460", "DE0007164600", "EUR"};
    input.source = kSourceWinBis;
    input.now = formats::Now();
    input.feed = {&conv, &item, &lade, &leseDatum};
    QuoteExtractor extractor;
    for (auto _ : state) {
        quoteList.clear();
        extractor.SpeedButton3Click(input);
        benchmark::DoNotOptimize(extractor.quote.Kurs);
    }
    if (extractor.quote.BVol != 200)
        state.SkipWithError("the feed did not answer all six items");
    feed.terminate();
    feed.waitForFinished(5000);
}
BENCHMARK(BM_WinBisRead)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zelvon::extract

BENCHMARK_MAIN();
