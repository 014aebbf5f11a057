// The main window's fetching: page retrieval and the local files wired to
// the window's fields, the extraction step, the fetch-all run and the
// single-security runs.
#include "app/http_get_form.h"

#include "app/status_window.h"
#include "app/table_access.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/formats.h"
#include "sources/browser_factory.h"
#include "sources/webengine_browser_engine.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <cstdio>

namespace zelvon {

void THttpGetForm::setFetchButtons(FetchButtons state) {
    const bool fetching = state == FetchButtons::Fetching;
    GetButton->setEnabled(!fetching);
    Button1->setEnabled(!fetching);
    AbortButton->setEnabled(fetching);
}

int THttpGetForm::sourceIndex() const { return ComboBox2->currentIndex(); }

QString THttpGetForm::securityIsin() const { return FieldText(Table1, "ISIN"); }

QString THttpGetForm::securityKennung() const { return FieldText(Table1, "Kennung"); }

void THttpGetForm::moveToLastSecurity() {
    Check(Table1.Last());
    Check(Table1.Next());
}

int THttpGetForm::savePolicy() const { return RadioGroup1->ItemIndex(); }

QString THttpGetForm::quoteListFile() const { return AktienDatei->text(); }

// The browser engine starts on the first fetch that needs it: Qt WebEngine
// is heavy, and most runs of the program never fetch.
void THttpGetForm::CreateFetching() {
    if (retrieval_) return;
    if (!Hosts.caFile.isEmpty()) HttpCli1.setExtraCaFile(Hosts.caFile);
    HttpCli1.setCredentials(Connection.user, Connection.password);
    WebEngineOptions options;
    options.caFile = Hosts.caFile;
    browser_ = CreateBrowserEngine(Hosts.browser, HttpCli1, options, this);
    ShowBrowserPage();
    pageFiles_ = std::make_unique<PageFiles>(*this, Fetch, PageView, QuoteList);
    retrieval_ = std::make_unique<PageRetrieval>(*this, Fetch, PageView, HttpCli1, *browser_, *pageFiles_,
                                                 RetrievalHosts{Hosts.swiss, Hosts.teleboerseDomain()}, this);
    retrieval_->setSpeedButton3Click([this](QObject*) { SpeedButton3Click(); });
    intradayStore_ = std::make_unique<extract::IntradayStore>(Session, DataSource1);
}

// With Qt WebEngine the fetched page is shown in WebBrowser1 while the
// browser path runs; the engine on the HTTP client has nothing to show.
void THttpGetForm::ShowBrowserPage() {
    auto* engine = qobject_cast<WebEngineBrowserEngine*>(browser_.get());
    if (!engine) return;
    auto* view = new QWebEngineView(WebBrowser1);
    view->setPage(engine->page());
    auto* layout = new QVBoxLayout(WebBrowser1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    connect(engine, &BrowserEngine::visibilityChanged, WebBrowser1, &QWidget::setVisible);
}

void THttpGetForm::SyncFetchState() {
    Fetch.urlEdit = URLEdit->text();
    Fetch.fileNameEdit = FileNameEdit->text();
}

void THttpGetForm::ShowFetchState() {
    URLEdit->setText(Fetch.urlEdit);
    FileNameEdit->setText(Fetch.fileNameEdit);
}

void THttpGetForm::GetButtonClick() {
    CreateFetching();
    SyncFetchState();
    try {
        retrieval_->GetButtonClick(this);
    } catch (...) {
        ShowFetchState();
        throw;
    }
    ShowFetchState();
}

void THttpGetForm::AbortButtonClick() {
    if (retrieval_) retrieval_->AbortButtonClick();
}

extract::Security THttpGetForm::CurrentSecurity() const {
    extract::Security security;
    security.Firma = FieldInteger(Table1, "Firma");
    security.ZDF = FieldText(Table1, "ZDF");
    security.Firmenname = FieldText(Table1, "FirmenName");
    security.Kennung = FieldText(Table1, "Kennung");
    security.ISIN = FieldText(Table1, "ISIN");
    security.Waehrung = FieldText(Table1, "Waehrung");
    return security;
}

void THttpGetForm::SpeedButton3Click() {
    CreateFetching();
    extract::ExtractionInput input;
    input.page = &PageView;
    input.quoteList = &QuoteList;
    input.security = CurrentSecurity();
    input.source = ComboBox2->currentIndex();
    input.entry = ComboBox1->currentIndex();
    input.windowVisible = isVisible();
    input.savePolicy = RadioGroup1->ItemIndex();
    input.SizeTemp = Fetch.sizeTemp;
    input.now = formats::Now();
    input.swissDomain = Hosts.swissDomain();
    input.feed = {&DdeClientConv1, &DdeClientItem1, &Lade, &flags_.LeseDatum};
    extract::ExtractionHooks hooks;
    hooks.savePage = [this] { pageFiles_->SpeedButton4Click(); };
    hooks.store = [this](const extract::IntradayRow& row) {
        if (intradayStore_->Store(row)) lastStored_ = StoredQuote{row.Kurs, row.Zeit, row.Volumen};
    };
    hooks.fetchButtonsReady = [this] { setFetchButtons(FetchButtons::Idle); };
    hooks.fetchButtonsBusy = [this] { setFetchButtons(FetchButtons::Fetching); };
    hooks.showStatus = [this](const QString& text) { SetStatusPanel(0, text); };
    hooks.followup = [this](const QString& address) {
        Fetch.urlEdit = address;
        URLEdit->setText(address);
        retrieval_->NeuGetButtonClick(this);
    };
    hooks.wait = [this](int milliseconds) { retrieval_->Warten(milliseconds); };
    // One table object for all trades of an intraday list, closed when the extraction ends.
    extract::IntradayTrades trades(Session, DataSource1);
    hooks.lastTrade = [&trades] { return trades.LastTrade(); };
    hooks.postTrade = [&trades](const extract::IntradayRow& row) { trades.Post(row); };

    const extract::ExtractionOutcome outcome = Extractor.SpeedButton3Click(input, hooks);
    lastExtraction_ = outcome;
    Kurs = Extractor.quote.Kurs;
    Kurswert->setText(Extractor.quote.Kurswert);
    Zeit->setText(Extractor.quote.Zeit);
    if (outcome.picture) ShowPicture(*outcome.picture);
}

void THttpGetForm::SpeedButton1Click() {
    CreateFetching();
    SyncFetchState();
    pageFiles_->SpeedButton1Click();
}

void THttpGetForm::SpeedButton2Click() {
    CreateFetching();
    SyncFetchState();
    pageFiles_->SpeedButton2Click();
}

void THttpGetForm::SpeedButton4Click() {
    CreateFetching();
    SyncFetchState();
    pageFiles_->SpeedButton4Click();
}

void THttpGetForm::SpeedButton5Click() { extract::QuoteExtractor::SpeedButton5Click(QuoteList); }

void THttpGetForm::SpeedButton6Click() {
    CreateFetching();
    pageFiles_->SpeedButton6Click();
}

void THttpGetForm::BitBtn1Click() {
    CreateFetching();
    pageFiles_->BitBtn1Click();
}

void THttpGetForm::Timer2Timer() {
    if (!Statusfenster) return;
    Statusfenster->SetPanel(0, QStringLiteral("Received %1 bytes").arg(HttpCli1.bytesReceived()));
}

void THttpGetForm::Button1Click() {
    report_ = RunReport();
    Lade = true;
    Check(Table1.First());
    QFile quoteFile(AktienDatei->text());
    if (!quoteFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Lade = false;
        FinishRunReport();
        throw Error(QStringLiteral("Kursdatei kann nicht angelegt werden: %1 (%2)")
                        .arg(AktienDatei->text(), quoteFile.errorString()));
    }
    try {
        FetchAllSecurities(quoteFile);
    } catch (...) {
        Lade = false;
        FinishRunReport();
        throw;
    }
    // A scheduler must learn that securities were left out.
    if (!report_.endedEarly().isEmpty() && flags_.AnyRun()) exitCode_ = kExitRunFailed;
    Lade = false;
    FinishRunReport();
    quoteFile.close();
    if (quoteFile.open(QIODevice::ReadOnly)) QuoteList.setText(codec::DecodeWindows1252(quoteFile.readAll()));
    SetStatusPanel(1, AktienDatei->text() + QStringLiteral(" gespeichert"));
}

// One security after the other, its lines written as soon as it is done, so
// that a run ended early keeps what it wrote.
void THttpGetForm::FetchAllSecurities(QFile& quoteFile) {
    constexpr int kRetries = 3;
    while (!Table1.Eof() && Lade) {
        SetStatusPanel(1, FieldText(Table1, "FirmenName"));
        {
            const QSignalBlocker blockSelector(DBLookupComboBox1);
            DBLookupComboBox1->setCurrentIndex(SecurityEntries->RowOf(FieldInteger(Table1, "Firma")));
        }
        QuoteList.clear();
        ComboBox1Change();
        BeginSecurityReport();
        FetchForReport();
        for (int attempt = 0; attempt < kRetries && !Lade && !Fetch.aborted; ++attempt) {
            Lade = true;
            ComboBox1Change();
            FetchForReport();
        }
        if (QuoteList.lineCount() > 0) WriteSecurityLines(quoteFile);
        Check(Table1.Next());
        // The abort also moves Table1 past its last record.
        if (Fetch.aborted) {
            report_.EndEarly(QStringLiteral("aborted"), QStringLiteral("abgebrochen"));
        } else if (!Lade && !Table1.Eof()) {
            const QString zdf = report_.Current()->ZDF;
            report_.EndEarly(QStringLiteral("%1 failed attempts on %2").arg(kRetries + 1).arg(zdf),
                             QStringLiteral("%1 Fehlversuche bei %2").arg(kRetries + 1).arg(zdf));
        }
    }
}

void THttpGetForm::BeginSecurityReport() {
    SecurityReport security;
    security.Firma = FieldInteger(Table1, "Firma");
    security.ZDF = FieldText(Table1, "ZDF");
    security.Kennung = FieldText(Table1, "Kennung");
    security.source = ComboBox2->currentIndex();
    security.exchange = ComboBox1->currentIndex();
    security.sourceCaption = ComboBox2->currentText();
    security.exchangeCaption = ComboBox1->currentText();
    security.address = URLEdit->text();
    report_.Begin(std::move(security));
}

namespace {

QString TransferFailureReason(TransferFailure failure) {
    switch (failure) {
    case TransferFailure::Inactivity: return QStringLiteral("no data for 5 s");
    case TransferFailure::BodyTooLarge: return QStringLiteral("body over 256 MiB");
    case TransferFailure::Stopped: return QStringLiteral("page incomplete at the time-out");
    default: return {};
    }
}

}  // namespace

void THttpGetForm::FetchForReport() {
    lastExtraction_.reset();
    lastStored_.reset();
    const int requestsBefore = HttpCli1.requestCount();
    const auto transferFailure = [&] {
        return HttpCli1.requestCount() != requestsBefore ? TransferFailureReason(HttpCli1.lastFailure()) : QString();
    };
    try {
        GetButtonClick();
    } catch (...) {
        FetchAttempt attempt;
        attempt.statusText = StatusPanel(0);
        attempt.transferFailure = transferFailure();
        attempt.pageAddress = Fetch.pageAddress;
        report_.Current()->attempts.push_back(attempt);
        throw;
    }
    FetchAttempt attempt;
    attempt.transferFailure = transferFailure();
    // Pages loaded by Qt WebEngine leave the client's last answer as it was.
    const bool answered = HttpCli1.requestCount() != requestsBefore && HttpCli1.responseCode() > 0;
    attempt.httpStatus = answered ? HttpCli1.responseCode() : -1;
    attempt.statusText = answered ? HttpCli1.statusText() : StatusPanel(0);
    attempt.aborted = Fetch.aborted;
    attempt.pageAddress = Fetch.pageAddress;
    if (lastExtraction_) {
        attempt.extractionStatus = lastExtraction_->status;
        attempt.extractionStored = lastExtraction_->stored;
        attempt.feedFailure = !lastExtraction_->feedFailure.isEmpty() ? lastExtraction_->feedFailure
                                                                       : lastExtraction_->feedStatus;
    }
    SecurityReport& security = *report_.Current();
    security.attempts.push_back(attempt);
    if (lastStored_) security.stored = lastStored_;
}

void THttpGetForm::FinishRunReport() {
    if (!flags_.ReportFile.isEmpty()) {
        QString error;
        if (!report_.Save(flags_.ReportFile, &error)) std::fprintf(stderr, "%s\n", qUtf8Printable(error));
    }
    if (dialogs::Unattended()) std::fprintf(stderr, "%s\n", qUtf8Printable(report_.Summary()));
}

void THttpGetForm::WriteSecurityLines(QFile& quoteFile) {
    try {
        QByteArray lines;
        for (int i = 0; i < QuoteList.lineCount(); ++i) lines += codec::EncodeWindows1252(QuoteList.line(i)) + "\r\n";
        if (quoteFile.write(lines) != lines.size() || !quoteFile.flush()) {
            throw Error(QStringLiteral("Kursdatei %1: %2").arg(quoteFile.fileName(), quoteFile.errorString()));
        }
        const QString caption = FieldText(Table1, "ZDF") + QStringLiteral(" => ") + formats::FloatToStr(Kurs);
        setWindowTitle(caption);
        QGuiApplication::setApplicationDisplayName(caption);
    } catch (const std::exception&) {
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Zelvon Fehler"));
    }
}

void THttpGetForm::RunSingleSecurity(bool quoteRun) {
    Favoriten->setChecked(false);
    {
        const QSignalBlocker blockGroups(ComboBox3);
        ComboBox3->setCurrentIndex(0);
    }
    ComboBox3Change();
    const std::optional<int> wanted = formats::StrToInt(flags_.InfoWKN);
    Check(Table1.SetFiltered(false));
    const bool found = wanted && StepToSecurity(*wanted);
    if (!found) {
        dialogs::ShowMessage(this, QStringLiteral("Konne ") + flags_.InfoWKN + QStringLiteral(" nicht finden"));
        exitCode_ = kExitBadArguments;
    } else {
        const int32_t firma = FieldInteger(Table1, "Firma");
        // With the filter off the security may be one the selector does not list.
        if (SecurityEntries->RowOf(firma) < 0) SecurityEntries->Append(FieldText(Table1, "FirmenName"), firma);
        DBLookupComboBox1->setCurrentIndex(SecurityEntries->RowOf(firma));
        ComboBox1Change();
        if (quoteRun) {
            show();
            GetButtonClick();
            BitBtn1Click();
        } else {
            SpeedButton1Click();
        }
    }
    CloseMainWindow();
}

}  // namespace zelvon
