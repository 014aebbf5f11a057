// What the runs' benchmarks against the demo quote server share: a demo data
// directory, the server started on it, the settings file pointing at both,
// and the run's own time per security apart from the server's.
#pragma once

#include <benchmark/benchmark.h>

#include "platform/error.h"
#include "sources/http_client.h"
#include "tools/demodata/demo_directory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <functional>

namespace zelvon::bench {

struct DemoServerRig {
    explicit DemoServerRig(const demodata::DemoOptions& options) {
        home = dir.path() + QStringLiteral("/Daten/");
        const auto status = demodata::CreateDemoDataDirectory(home.toStdString(), options);
        if (!status.ok()) throw Error(QString::fromStdString(status.message()));
        const QString ports = dir.filePath("ports");
        server.start(ZELVON_QUOTESERVER_BINARY, {"--quiet", "--ca-out", caFile(), "--port-file", ports});
        server.waitForStarted();
        for (int i = 0; i < 200 && QFile(ports).size() == 0; ++i) QThread::msleep(50);
        QFile f(ports);
        f.open(QIODevice::ReadOnly);
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (line.startsWith("https=")) httpsPort = line.mid(6).toInt();
        }
    }
    ~DemoServerRig() {
        server.terminate();
        server.waitForFinished(10'000);
    }

    QString caFile() const { return dir.filePath("ca.pem"); }
    QString settingsPath() const { return dir.filePath("Quarvinta.reg"); }
    // "name.localhost:port" of the server's HTTPS side, as a settings value.
    QByteArray host(const char* name) const { return name + QByteArray(".localhost:") + QByteArray::number(httpsPort); }

    // The data paths, all securities, the server's certificate authority and
    // the HTTP-client browser, then the run's own values.
    void writeSettings(const QByteArray& values) const {
        QFile reg(settingsPath());
        reg.open(QIODevice::WriteOnly);
        reg.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                  "\"Datenpath\"=\"" + home.toUtf8() + "\"\r\n\"Depotpath\"=\"" + home.toUtf8() + "Depot/\"\r\n"
                  "\"VTDATEI\"=\"" + dir.filePath("aktien.txt").toUtf8() + "\"\r\n"
                  "\"Zelvon_Favoriten\"=dword:00000000\r\n"
                  "\"Zelvon_CAFile\"=\"" + caFile().toUtf8() + "\"\r\n\"Zelvon_Browser\"=\"http\"\r\n" + values);
    }

    QTemporaryDir dir;
    QString home;
    QProcess server;
    int httpsPort = 0;
};

// Times the run, then the same addresses fetched directly, and reports the
// run's time per security with the server's share taken off.
inline void ReportOwnTime(benchmark::State& state, const std::function<void()>& run, const QStringList& addresses,
                          const QString& caFile) {
    double runSeconds = 0, directSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        run();
        runSeconds = double(timer.nsecsElapsed()) / 1e9;

        HttpClient direct;
        direct.setExtraCaFile(caFile);
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

}  // namespace zelvon::bench
