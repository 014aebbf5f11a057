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
#include "bench/app/demo_server_rig.h"
#include "platform/dialogs.h"
#include "platform/run_progress.h"

#include <QApplication>
#include <QLineEdit>

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
    bench::DemoServerRig rig(demodata::DemoOptions::Large());
    rig.writeSettings("\"Temppath\"=\"" + rig.dir.path().toUtf8() + "/\"\r\n\"Zelvon_Gruppe\"=dword:00000000\r\n"
                      "\"Zelvon_Host_Onvista\"=\"" + rig.host("onvista") + "\"\r\n");
    THttpGetForm form;
    form.SetRegistry(RegistryFile::Load(rig.settingsPath()));
    form.Initial();
    const QStringList addresses = Addresses(form, kSecurities);

    bench::ReportOwnTime(
        state,
        [&] {
            StopAfter progress(kSecurities);
            form.RunFundamentals(progress);
        },
        addresses, rig.caFile());
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
