// The fetch-all run over 200 securities against the demo quote server on
// 127.0.0.1, through the browser engine built on the HTTP client. Reported:
// the run's time per security; the same pages fetched directly with the HTTP
// client (the server's and the transport's share); and the program's own work
// per security (selection, address, page view, extraction, Intraday.db post,
// quote file) = time per security - direct fetch. The browser wait ends as
// soon as the page is complete, so the run should stay within 20 ms of the
// direct fetch per security.
#include <benchmark/benchmark.h>

#include "app/http_get_form.h"
#include "app/table_access.h"
#include "platform/dialogs.h"
#include "sources/http_client.h"
#include "tools/demodata/demo_directory.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

using namespace zelvon;

constexpr size_t kSecurities = 200;

struct Rig {
    Rig() {
        home = dir.path() + QStringLiteral("/Daten/");
        demodata::DemoOptions options;
        options.securities = kSecurities;
        const auto status = demodata::CreateDemoDataDirectory(home.toStdString(), options);
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
        const QByteArray host = "localhost:" + QByteArray::number(httpsPort) + "\"\r\n";
        QFile reg(dir.filePath("Quarvinta.reg"));
        reg.open(QIODevice::WriteOnly);
        reg.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                  "\"Datenpath\"=\"" + home.toUtf8() + "\"\r\n\"Depotpath\"=\"" + home.toUtf8() + "Depot/\"\r\n"
                  "\"VTDATEI\"=\"" + dir.filePath("aktien.txt").toUtf8() + "\"\r\n"
                  "\"Zelvon_Favoriten\"=dword:00000000\r\n"
                  "\"Zelvon_Host_Yahoo\"=\"yahoo." + host + "\"Zelvon_Host_Comdirect\"=\"comdirect." + host +
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

// The addresses the run fetches, one per admitted security.
QStringList Addresses(THttpGetForm& form) {
    QStringList addresses;
    for (Check(form.Table1.First()); !form.Table1.Eof(); Check(form.Table1.Next())) {
        form.ComboBox1Change();
        addresses << form.URLEdit->text();
    }
    return addresses;
}

void BM_FetchAll(benchmark::State& state) {
    Rig rig;
    THttpGetForm form;
    form.SetRegistry(RegistryFile::Load(rig.dir.filePath("Quarvinta.reg")));
    form.Initial();
    form.show();
    const QStringList addresses = Addresses(form);

    double runSeconds = 0, directSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer run;
        run.start();
        form.Button1Click();
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
BENCHMARK(BM_FetchAll)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    dialogs::SetStartedBySwitches(false, false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
