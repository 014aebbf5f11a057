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
#include "bench/app/demo_server_rig.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

namespace {

using namespace zelvon;

constexpr size_t kSecurities = 200;

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
    demodata::DemoOptions options;
    options.securities = kSecurities;
    bench::DemoServerRig rig(options);
    rig.writeSettings("\"Zelvon_Host_Yahoo\"=\"" + rig.host("yahoo") + "\"\r\n\"Zelvon_Host_Comdirect\"=\"" +
                      rig.host("comdirect") + "\"\r\n");
    THttpGetForm form;
    form.SetRegistry(RegistryFile::Load(rig.settingsPath()));
    form.Initial();
    form.show();
    const QStringList addresses = Addresses(form);

    bench::ReportOwnTime(state, [&] { form.Button1Click(); }, addresses, rig.caFile());
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
