// A start reads the whole user.reg and an interactive close writes it back;
// a long-used prefix holds thousands of keys.
#include "platform/registry.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

const QString kSuite = QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta");

QByteArray UserReg(int keys) {
    QByteArray text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n";
    for (int i = 0; i < keys; ++i) {
        if (i == keys / 2) {
            text += "\n[Software\\\\Selvaran\\\\Quarvinta] 1702220002\n#time=1da2b3c4d5e6f72\n"
                    "\"Datenpath\"=\"C:\\\\Quarvinta\\\\Daten\\\\\"\n\"Zelvon_Boerse\"=dword:00000003\n";
        }
        text += "\n[Software\\\\Classes\\\\CLSID\\\\{" + QByteArray::number(i).rightJustified(8, '0') +
                "-0000-0000-C000-000000000046}\\\\InprocServer32] 1702220000\n#time=1da2b3c4d5e6f70\n"
                "@=\"C:\\\\windows\\\\system32\\\\ole32.dll\"\n\"ThreadingModel\"=\"Both\"\n"
                "\"Name\"=\"Beschreibung \\x00e4\\x00f6\\x00fc\"\n";
    }
    return text;
}

void BM_LoadAndStore(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("user.reg");
    const QByteArray text = UserReg(int(state.range(0)));
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        f.close();
        state.ResumeTiming();
        zelvon::RegistryFile file = zelvon::RegistryFile::Load(path);
        file.OpenKey(kSuite, true)->WriteInteger(QStringLiteral("Zelvon_Boerse"), ++round);
        file.Save();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}
BENCHMARK(BM_LoadAndStore)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
