// The main window's reference-data runs: thin calls into updates/ with the
// window's fields, directories and status window.
#include "app/http_get_form.h"
#include "app/status_window.h"
#include "app/update_host.h"
#include "sources/http_browser_engine.h"
#include "updates/kursdatenlesen.h"
#include "updates/update_filter.h"
#include "updates/update_firma.h"

#include <QLineEdit>

namespace zelvon {

namespace {

// The status window, or a log on stderr when none was set.
RunProgress& ProgressOf(TStatusfenster* window, ConsoleProgress& console) {
    if (window) return *window;
    return console;
}

}  // namespace

void THttpGetForm::RunUpdate(const std::function<void(updates::UpdateContext&)>& run) {
    SyncFetchState();
    if (!Hosts.caFile.isEmpty()) HttpCli1.setExtraCaFile(Hosts.caFile);
    HttpCli1.setCredentials(Connection.user, Connection.password);
    // Downloads use the HTTP client alone: no embedded browser is started for them.
    HttpBrowserEngine browser(HttpCli1);
    PageFiles pageFiles(*this, Fetch, PageView, QuoteList);
    PageRetrieval retrieval(*this, Fetch, PageView, HttpCli1, browser, pageFiles,
                            RetrievalHosts{Hosts.swiss, Hosts.teleboerseDomain()});
    FormUpdateHost host(*this, Timer1, Timer2);
    ConsoleProgress console;
    updates::UpdateContext context{host,     *this,    ProgressOf(Statusfenster, console),
                                   retrieval, HttpCli1, Fetch,
                                   Session,  PageView, QuoteList,
                                   {Home, startpath, TempPath, FilterPath},
                                   Hosts.updateUrl};
    try {
        run(context);
    } catch (...) {
        ShowFetchState();
        throw;
    }
    ShowFetchState();
}

void THttpGetForm::UpdateFirma() {
    // Nobody answers a box in a run started by switches; the long options answer Yes.
    updates::MasterAnswers answers;
    if (flags_.AnyRun()) answers = {flags_.Branchen, flags_.Fundamentaldaten};
    RunUpdate([answers](updates::UpdateContext& context) { updates::UpdateFirma(context, answers).Run(); });
    CloseMainWindow();
}

void THttpGetForm::UpdateFilter() {
    RunUpdate([](updates::UpdateContext& context) { updates::UpdateFilter(context).Run(); });
    if (flags_.UpdateLesen) CloseMainWindow();
}

void THttpGetForm::Kursdatenlesen() {
    const QString quoteFile = AktienDatei->text();
    RunUpdate([this, quoteFile](updates::UpdateContext& context) {
        updates::Kursdatenlesen(context, quoteFile).Run(flags_.LeseDatum);
    });
    if (flags_.Beispiel) CloseMainWindow();
}

void THttpGetForm::BeispieldatenbankUpdate301Click() {
    flags_.LeseDatum = formats::Today() - 30;
    Kursdatenlesen();
}

}  // namespace zelvon
