// The fundamentals update over the first 5,000 securities of the large demo
// data (50,000 securities) against the demo quote server on 127.0.0.1, whose
// Onvista share pages carry the fundamentals block. Reported: the run's time
// per security; the same pages fetched directly with the HTTP client (the
// server's and the transport's share); and the program's own work per
// security (address, page view, extraction with its Intraday.db post, page
// reading, the durable Firma.db update with IFirma and IWKN kept, the log
// line) = time per security - direct fetch. Target: under 5 ms.
#include <benchmark/benchmark.h>

#include "app/http_get_form.h"
#include "app/table_access.h"
#include "platform/dialogs.h"
#include "platform/run_progress.h"
#include "sources/http_client.h"
#include "tools/demodata/demo_directory.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

using namespace zelvon;

constexpr int kSecurities = 5000;

// Asks the run to stop once it has begun the last security wanted.
class StopAfter : public ConsoleProgress {
public:
    explicit StopAfter(int count) : ConsoleProgress(std::chrono::hours(1)), count_(count) {}
    void StepProgress() override {
        ConsoleProgress::StepProgress();
        if (Position() == count_) RequestStop();
    }

private:
    int count_;
};

struct Rig {
    Rig() {
        home = dir.path() + QStringLiteral("/Daten/");
        const auto status = demodata::CreateDemoDataDirectory(home.toStdString(), demodata::DemoOptions::Large());
        if (!status.ok()) throw Error(QString::fromStdString(status.message()));
        const QString ports = dir.filePath("ports");
        server.start(ZELVON_QUOTESERVER_BINARY, {"--quiet", "--ca-out", dir.filePath("ca.pem"), "--port-file", ports});
        server.waitForStarted();
        for (int i = 0; i < 200 && QFile(ports).size() == 0; ++i) QThread::msleep(50);
        QFile f(ports);
        f.open(QIODevice::ReadOnly);
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (line.startsWith("https=")) httpsPort = line.mid(6).toInt();
        }
        QFile reg(dir.filePath("Quarvinta.reg"));
        reg.open(QIODevice::WriteOnly);
        reg.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                  "\"Datenpath\"=\"" + home.toUtf8() + "\"\r\n\"Depotpath\"=\"" + home.toUtf8() + "Depot/\"\r\n"
                  "\"Temppath\"=\"" + dir.path().toUtf8() + "/\"\r\n"
                  "\"VTDATEI\"=\"" + dir.filePath("aktien.txt").toUtf8() + "\"\r\n"
                  "\"Zelvon_Favoriten\"=dword:00000000\r\n\"Zelvon_Gruppe\"=dword:00000000\r\n"
                  "\"Zelvon_Host_Onvista\"=\"onvista.localhost:" + QByteArray::number(httpsPort) + "\"\r\n"
                  "\"Zelvon_CAFile\"=\"" + dir.filePath("ca.pem").toUtf8() + "\"\r\n\"Zelvon_Browser\"=\"http\"\r\n");
    }
    ~Rig() {
        server.terminate();
        server.waitForFinished(10'000);
    }
    QTemporaryDir dir;
    QString home;
    QProcess server;
    int httpsPort = 0;
};

// The Onvista addresses of the first securities the run visits.
QStringList Addresses(THttpGetForm& form, int count) {
    QStringList addresses;
    for (Check(form.Table1.First()); !form.Table1.Eof() && addresses.size() < count; Check(form.Table1.Next())) {
        form.SelectOnvista(true);
        addresses << form.URLEdit->text();
    }
    return addresses;
}

void BM_FundamentalsUpdate(benchmark::State& state) {
    Rig rig;
    THttpGetForm form;
    form.SetRegistry(RegistryFile::Load(rig.dir.filePath("Quarvinta.reg")));
    form.Initial();
    const QStringList addresses = Addresses(form, kSecurities);

    double runSeconds = 0, directSeconds = 0;
    for (auto _ : state) {
        StopAfter progress(kSecurities);
        QElapsedTimer run;
        run.start();
        form.RunFundamentals(progress);
        runSeconds = double(run.nsecsElapsed()) / 1e9;

        HttpClient direct;
        direct.setExtraCaFile(rig.dir.filePath("ca.pem"));
        QElapsedTimer fetch;
        fetch.start();
        QByteArray body;
        for (const QString& address : addresses) direct.get(address, body);
        directSeconds = double(fetch.nsecsElapsed()) / 1e9;
        state.SetIterationTime(runSeconds);
    }
    const double n = double(addresses.size());
    const double perSecurity = runSeconds * 1000 / n;
    const double server = directSeconds * 1000 / n;
    state.counters["securities"] = n;
    state.counters["ms_per_security"] = perSecurity;
    state.counters["server_ms_per_security"] = server;
    state.counters["own_ms_per_security"] = perSecurity - server;
}
BENCHMARK(BM_FundamentalsUpdate)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    dialogs::SetStartedBySwitches(true, false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
