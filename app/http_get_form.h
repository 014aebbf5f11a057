// The main window: owns the program's state, the controls and the timers, and
// wires them to the logic classes. Handler names follow the controls' events.
#pragma once

#include "app/proxy_init.h"
#include "app/run_flags.h"
#include "app/run_plan.h"
#include "app/run_report.h"
#include "app/security_list.h"
#include "app/security_selection.h"
#include "app/settings.h"
#include "db/session.h"
#include "extract/extraction.h"
#include "extract/intraday_store.h"
#include "fundamentals/fundamentals_window.h"
#include "platform/registry.h"
#include "platform/run_progress.h"
#include "platform/text_view.h"
#include "sources/browser_engine.h"
#include "sources/host_config.h"
#include "sources/http_client.h"
#include "sources/page_files.h"
#include "sources/page_retrieval.h"
#include "sources/retrieval_window.h"
#include "updates/update_context.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFile;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace zelvon {

class TFirmeneingabe;
class RunProgress;
class TStatusfenster;

// Process exit codes of a run started by switches.
inline constexpr int kExitRanToEnd = 0;
inline constexpr int kExitRunFailed = 1;
inline constexpr int kExitBadArguments = 2;

// Three-column radio group whose items are addressed by index.
class RadioGroup : public QWidget {
    Q_OBJECT
public:
    RadioGroup(const QStringList& items, QWidget* parent);
    int ItemIndex() const;
    void SetItemIndex(int index);

private:
    QButtonGroup* group_;
};

class THttpGetForm : public QMainWindow, public RetrievalWindow, public FundamentalsWindow {
    Q_OBJECT
public:
    explicit THttpGetForm(QWidget* parent = nullptr);
    ~THttpGetForm() override;

    // Set before Initial: the run flags from the command line and the settings store.
    void SetRunFlags(const RunFlags& flags) { flags_ = flags; }
    const RunFlags& runFlags() const { return flags_; }
    void SetRegistry(RegistryFile registry) { registry_.emplace(std::move(registry)); }
    void SetStatusWindow(TStatusfenster* window) { Statusfenster = window; }
    // Without a display the long runs log to stderr instead of the status window.
    void UseConsoleProgress() { consoleProgress_ = std::make_unique<ConsoleProgress>(); }
    // Where the long runs report: the status window, or the stderr log.
    RunProgress& Progress();

    // The start routine: settings, tables, group selection, then the runs.
    void Initial();

    int exitCode() const { return exitCode_; }
    bool closeRequested() const { return closeRequested_; }

    // Directories and standard indices.
    QString startpath;
    QString Home;
    QString Depot;
    QString TempPath;
    QString FilterPath;
    int Sprache = 0;
    int StdQuelle = 0;
    int StdBoerse = 0;
    QString Watch1, Watch2, watch3, watch4;
    HostConfig Hosts;
    ConnectionFields Connection;

    // Top panel.
    QComboBox* ComboBox2;
    QComboBox* ComboBox1;
    QComboBox* DBLookupComboBox1;
    SecurityList* SecurityEntries;  // DBLookupComboBox1's entries
    QPushButton* Button1;
    QPushButton* GetButton;
    QPushButton* AbortButton;
    QPushButton* Button2;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton4;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton5;
    QLabel* Image1;
    RadioGroup* RadioGroup1;
    QGroupBox* GroupBox1;
    QComboBox* ComboBox3;
    QCheckBox* Favoriten;
    QPushButton* Button3;
    // Client area.
    QWidget* WebBrowser1;
    QPlainTextEdit* RichEdit1;
    QPlainTextEdit* RichEdit2;
    // Bottom panel.
    QLineEdit* AktienDatei;
    QPushButton* BitBtn1;
    QToolButton* SpeedButton6;
    // Hidden fields.
    QLineEdit* URLEdit;
    QLineEdit* FileNameEdit;
    QLineEdit* ProxyHostEdit;
    QLineEdit* ProxyPortEdit;
    QLabel* Kurswert;
    QLabel* Zeit;
    QPushButton* Button5;
    QPushButton* SpeedButton3;
    // Timers; the browser time-out GetTimer belongs to the page retrieval.
    QTimer Timer1;
    QTimer Timer2;

    TStatusfenster* Statusfenster = nullptr;

    // The table session every table of the program opens through.
    db::Session Session;
    SuiteTables Tables{Session};
    db::Table& Table1 = Tables.Table1;
    db::DataLink& DataSource1 = Tables.DataSource1;
    SecuritySelection Selection;

    // What the page view RichEdit1 and the quote list RichEdit2 show.
    TextView PageView;
    TextView QuoteList;
    // URLEdit, FileNameEdit, SizeTemp and Lade as the fetch code shares them.
    FetchState Fetch;
    bool& Lade = Fetch.lade;
    // The price of the last extraction.
    double Kurs = 0;
    extract::QuoteExtractor Extractor;
    HttpClient HttpCli1;
    // The conversation with the local quote programs; its design-time partner.
    DdeClientConv DdeClientConv1;
    DdeClientItem DdeClientItem1;
    // The session's password event: asks for the depot password; a non-empty
    // answer is added and the open retried.
    void Password(db::Session& session, bool& Continue);

    void SetStatusPanel(int panel, const QString& text);
    QString StatusPanel(int panel) const;
    void ShowPicture(int index);
    int picture() const { return picture_; }

    // Captions of every control, menu item and label, for checks and screenshots.
    QStringList Captions() const;

    // RetrievalWindow.
    void showStatus(int panel, const QString& text) override { SetStatusPanel(panel, text); }
    void showStatusIcon(StatusIcon icon) override { ShowPicture(int(icon)); }
    void setFetchButtons(FetchButtons state) override;
    int sourceIndex() const override;
    QString securityIsin() const override;
    QString securityKennung() const override;
    void moveToLastSecurity() override;
    int savePolicy() const override;
    QString quoteListFile() const override;
    bool sampleDatabaseRun() const override { return flags_.Beispiel; }

    PageRetrieval* retrieval() const { return retrieval_.get(); }

    // Opens the security entry dialog on Table1; returns when it is closed.
    void Wertpapier1Click();
    // The dialog as Wertpapier1Click shows it: captions read, Home set, bound to Table1.
    std::unique_ptr<TFirmeneingabe> CreateSecurityEditor();

    // FundamentalsWindow.
    void ShowRunCaption(const QString& caption) override;
    void ShowSecurity(const QString& name) override;
    void SelectOnvista(bool buildAddress) override;
    void FetchPage() override { GetButtonClick(); }
    double Price() const override { return Kurs; }
    QString GroupText() const override;
    void ProcessMessages() override;
    void OpenLog(const QString& path) override;
    // The fundamentals update reporting to progress; Button5Click picks the
    // status window, or the console when there is no display.
    void RunFundamentals(RunProgress& progress);

public slots:
    void Button2Click();
    void Beenden1Click();
    void Einstellungen1Click();
    void Info1Click();
    void Timer1Timer();

    // Security selection, source and exchange, request address.
    void ComboBox3Change();
    void DataSource1DataChange();
    void ComboBox2Change();
    void ComboBox1Change();
    void Button3Click();
    void DBLookupComboBox1Click(int index);
    // Steps Table1 from its first record to the security firma (or to its
    // end); source and exchange follow the security it stops on.
    bool StepToSecurity(int32_t firma);

    // Fetching, extraction and the local files.
    void Button1Click();
    void GetButtonClick();
    void AbortButtonClick();
    void SpeedButton3Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void BitBtn1Click();
    void Timer2Timer();

    // Runs whose work is built elsewhere in the program.
    void Kursdatenlesen();
    void Newseinlesen();
    void UpdateFilter();
    void UpdateFirma();
    void Button5Click();
    // "Beispieldatenbank Update -30": the archive import from 30 days back.
    void BeispieldatenbankUpdate301Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void BuildTopPanel(QWidget* panel);
    void BuildClientArea(QWidget* area);
    void BuildBottomPanel(QWidget* panel);
    void BuildHiddenFields();
    void BuildMenu();
    void BuildStatusBar();
    void WireSignals();

    void ReadSettings();
    void OpenTables();
    void FillGroupSelector();
    void CreateFetching();
    void ShowBrowserPage();
    void SyncFetchState();
    void ShowFetchState();
    void FillSecuritySelector();
    extract::Security CurrentSecurity() const;
    void FetchAllSecurities(QFile& quoteFile);
    void WriteSecurityLines(QFile& quoteFile);
    // One fetch of the current security, noted in the run report.
    void FetchForReport();
    void BeginSecurityReport();
    void FinishRunReport();
    void StartRuns();
    void RunSingleSecurity(bool quoteRun);
    void FinishRuns();
    // Catches every error at a handler's entry and shows the standard error box.
    void Guarded(const std::function<void()>& handler);
    void ReportRunError(const QString& message);

    // One reference-data run on the window's fields, directories and status window.
    void RunUpdate(const std::function<void(updates::UpdateContext&)>& run);

    void FormClose();
    // Closing before the event loop runs must still end the program.
    void CloseMainWindow();

    RunFlags flags_;
    std::optional<RegistryFile> registry_;
    QLabel* statusPanels_[2] = {nullptr, nullptr};
    int picture_ = -1;
    int groupIndex_ = 0;
    int exitCode_ = kExitRanToEnd;
    bool closeRequested_ = false;
    bool initialRunning_ = false;
    bool closed_ = false;
    // Moves that only list the securities must not choose sources.
    bool listingSecurities_ = false;

    // What the fetch-all run did, security by security.
    RunReport report_;
    // What the last extraction made of its page, for the report.
    std::optional<extract::ExtractionOutcome> lastExtraction_;
    std::optional<StoredQuote> lastStored_;

    std::unique_ptr<BrowserEngine> browser_;
    std::unique_ptr<PageFiles> pageFiles_;
    std::unique_ptr<PageRetrieval> retrieval_;
    std::unique_ptr<extract::IntradayStore> intradayStore_;
    std::unique_ptr<ConsoleProgress> consoleProgress_;
};

}  // namespace zelvon
