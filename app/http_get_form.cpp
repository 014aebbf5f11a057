#include "app/http_get_form.h"

#include "app/image_list.h"
#include "app/information.h"
#include "app/status_window.h"
#include "app/table_access.h"
#include "platform/dialogs.h"
#include "platform/formats.h"
#include "sources/source_catalogue.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>

namespace zelvon {
namespace {

const QString kCaption = QStringLiteral("Kurse aus dem Internet - mindestens 15Min. verzögert!");
const QString kStartUserAgent = QStringLiteral("Mozilla/4.0 (compatible; Quarvinta)");
const QString kStartAccept = QStringLiteral("text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
constexpr int kClientWidth = 432;
constexpr int kClientHeight = 377;

QToolButton* SpeedButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    return button;
}

QPushButton* Button(QWidget* parent, const QString& caption, const QString& hint = QString()) {
    auto* button = new QPushButton(caption, parent);
    if (!hint.isEmpty()) button->setToolTip(hint);
    return button;
}

// Keeps a plain-text widget showing its view model.
void ShowModel(QPlainTextEdit* widget, TextView& model) {
    QObject::connect(&model, &TextView::changed, widget, [widget, &model] { widget->setPlainText(model.text()); });
}

}  // namespace

RadioGroup::RadioGroup(const QStringList& items, QWidget* parent) : QWidget(parent), group_(new QButtonGroup(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], this);
        group_->addButton(radio, i);
        layout->addWidget(radio);
    }
}

int RadioGroup::ItemIndex() const { return group_->checkedId(); }

void RadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* b = group_->button(index)) b->setChecked(true);
}

THttpGetForm::THttpGetForm(QWidget* parent)
    : QMainWindow(parent), Selection(Tables, [this] { return Favoriten->isChecked(); }) {
    FormCreate();
}

THttpGetForm::~THttpGetForm() {
    // The browser view must let go of the engine's page before the engine goes.
    qDeleteAll(WebBrowser1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void THttpGetForm::FormCreate() {
    setWindowTitle(kCaption);
    setWindowIcon(QIcon(StatusPicture(kPictureCheckMark, 32)));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto* top = new QWidget(central);
    auto* client = new QWidget(central);
    auto* bottom = new QWidget(central);
    BuildTopPanel(top);
    BuildClientArea(client);
    BuildBottomPanel(bottom);
    layout->addWidget(top);
    layout->addWidget(client, 1);
    layout->addWidget(bottom);
    setCentralWidget(central);
    BuildHiddenFields();
    BuildMenu();
    BuildStatusBar();

    Timer1.setInterval(5000);
    Timer2.setInterval(500);
    DdeClientConv1.SetLink(QStringLiteral("WinBis"), QStringLiteral("FWB"));

    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    setWindowState(Qt::WindowNoState);
    SetStatusPanel(0, QString());
    Session.SetPasswordHandler([this](db::Session& session, bool& retry) { Password(session, retry); });
    WireSignals();
}

void THttpGetForm::BuildTopPanel(QWidget* panel) {
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);

    ComboBox2 = new QComboBox(panel);
    ComboBox1 = new QComboBox(panel);
    ComboBox1->setToolTip(QStringLiteral("Hier kann der Börse gewählt werden"));
    DBLookupComboBox1 = new QComboBox(panel);
    SecurityEntries = new SecurityList(this);
    SecurityEntries->Attach(DBLookupComboBox1);
    ComboBox2->addItems(SourceCaptions(Hosts));
    ComboBox2->setMaxVisibleItems(kSourceDropDownRows);
    const ExchangeSelection initial = InitialExchangeSelection();
    ComboBox1->addItems(initial.entries);
    ComboBox1->setCurrentIndex(initial.selected);
    grid->addWidget(new QLabel(QStringLiteral("Quelle"), panel), 0, 0);
    grid->addWidget(ComboBox2, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Börse"), panel), 0, 3);
    grid->addWidget(ComboBox1, 0, 4, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Wert"), panel), 1, 0);
    grid->addWidget(DBLookupComboBox1, 1, 1, 1, 5);

    Button1 = Button(panel, QStringLiteral("Hole &alle"),
                     QStringLiteral("es werden alle in Quarvinta mit WKN bekannten Kurse eingelesen"));
    GetButton = Button(panel, QStringLiteral("&Holen"), QStringLiteral("Seite/Kurs des gewählten Wertpapiers wird eingelesen"));
    AbortButton = Button(panel, QStringLiteral("&Abbruch"));
    AbortButton->setEnabled(false);
    AbortButton->setShortcut(Qt::Key_Escape);
    Button2 = Button(panel, QStringLiteral("&Beenden"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {Button1, GetButton, AbortButton, Button2}) buttons->addWidget(b);
    grid->addLayout(buttons, 2, 0, 1, 6);

    SpeedButton1 = SpeedButton(panel, QStyle::SP_DriveNetIcon, QStringLiteral("Seiten direkt aus dem Internet aufrufen"));
    SpeedButton4 = SpeedButton(panel, QStyle::SP_DialogSaveButton,
                               QStringLiteral("speichert die lokale Datei unter Namen der aktiven Wertpapiers"));
    SpeedButton2 = SpeedButton(panel, QStyle::SP_FileIcon, QStringLiteral("lokal gespeicherte Datei anzeigen"));
    SpeedButton5 = SpeedButton(panel, QStyle::SP_TrashIcon, QStringLiteral("alle eingelesenen Kurse löschen"));
    Image1 = new QLabel(panel);
    Image1->setFixedSize(24, 24);
    auto* speed = new QHBoxLayout;
    for (QToolButton* b : {SpeedButton1, SpeedButton4, SpeedButton2, SpeedButton5}) speed->addWidget(b);
    speed->addStretch();
    speed->addWidget(Image1);
    grid->addLayout(speed, 3, 0, 1, 6);

    RadioGroup1 = new RadioGroup({QStringLiteral("nie Speichen"), QStringLiteral("bei Nachricht"),
                                  QStringLiteral("immer Speichern")},
                                 panel);
    RadioGroup1->setToolTip(QStringLiteral("Wann sollen die geladenen Seiten automatisch lokal gespeichert werden?"));
    RadioGroup1->SetItemIndex(0);
    grid->addWidget(RadioGroup1, 4, 0, 1, 6);

    GroupBox1 = new QGroupBox(QStringLiteral("Wertpapier-Filter"), panel);
    auto* filter = new QGridLayout(GroupBox1);
    filter->setContentsMargins(4, 2, 4, 2);
    ComboBox3 = new QComboBox(GroupBox1);
    Favoriten = new QCheckBox(QStringLiteral("nur Favoriten einlesen"), GroupBox1);
    Button3 = Button(GroupBox1, QStringLiteral(">>>"),
                     QStringLiteral("Quelle und Börsenplatz als Standard für die ausgewählte Gruppe festlegen"));
    filter->addWidget(new QLabel(QStringLiteral("nur diese Gruppe einlesen"), GroupBox1), 0, 0);
    filter->addWidget(ComboBox3, 0, 1);
    filter->addWidget(Button3, 0, 2);
    filter->addWidget(Favoriten, 1, 0, 1, 3);
    grid->addWidget(GroupBox1, 5, 0, 1, 6);
}

void THttpGetForm::BuildClientArea(QWidget* area) {
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Vertical, area);
    WebBrowser1 = new QWidget(splitter);
    WebBrowser1->hide();
    RichEdit1 = new QPlainTextEdit(splitter);
    RichEdit2 = new QPlainTextEdit(splitter);
    for (QPlainTextEdit* view : {RichEdit1, RichEdit2}) {
        view->setReadOnly(true);
        view->setLineWrapMode(QPlainTextEdit::NoWrap);
    }
    ShowModel(RichEdit1, PageView);
    ShowModel(RichEdit2, QuoteList);
    layout->addWidget(splitter);
}

void THttpGetForm::BuildBottomPanel(QWidget* panel) {
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    AktienDatei = new QLineEdit(panel);
    BitBtn1 = Button(panel, QStringLiteral("&Speichern"));
    SpeedButton6 = SpeedButton(panel, QStyle::SP_DirOpenIcon, QStringLiteral("gespeicherte Datei öffnen"));
    layout->addWidget(AktienDatei, 1);
    layout->addWidget(BitBtn1);
    layout->addWidget(SpeedButton6);
}

void THttpGetForm::BuildHiddenFields() {
    URLEdit = new QLineEdit(this);
    URLEdit->setToolTip(QStringLiteral("Seite die gelesen wird"));
    FileNameEdit = new QLineEdit(this);
    FileNameEdit->setToolTip(QStringLiteral("in diese Datei wird die jeweilige Seite lokal gespeichert"));
    ProxyHostEdit = new QLineEdit(this);
    ProxyPortEdit = new QLineEdit(this);
    Kurswert = new QLabel(this);
    Zeit = new QLabel(this);
    Button5 = new QPushButton(this);
    SpeedButton3 = new QPushButton(this);
    for (QWidget* w : std::initializer_list<QWidget*>{URLEdit, FileNameEdit, ProxyHostEdit, ProxyPortEdit, Kurswert,
                                                      Zeit, Button5, SpeedButton3}) {
        w->hide();
    }
}

void THttpGetForm::BuildMenu() {
    QMenuBar* bar = menuBar();
    QAction* Beenden1 = bar->addAction(QStringLiteral("&Beenden"));
    QMenu* Funktionen1 = bar->addMenu(QStringLiteral("&Funktionen"));
    QAction* VideotextFilterUpdate1 = Funktionen1->addAction(QStringLiteral("Videotext Filter Update"));
    QAction* FundamentaldatenUpdate1 = Funktionen1->addAction(QStringLiteral("Fundamentaldaten Update"));
    QAction* BeispieldatenbankUpdate301 = Funktionen1->addAction(QStringLiteral("Beispieldatenbank Update -30"));
    QAction* Wertpapier1 = bar->addAction(QStringLiteral("&Wertpapier"));
    QAction* Einstellungen1 = bar->addAction(QStringLiteral("&Einstellungen"));
    QAction* Info1 = bar->addAction(QStringLiteral("&Info"));

    connect(Beenden1, &QAction::triggered, this, &THttpGetForm::Beenden1Click);
    connect(VideotextFilterUpdate1, &QAction::triggered, this, [this] { Guarded([this] { UpdateFilter(); }); });
    connect(FundamentaldatenUpdate1, &QAction::triggered, this, [this] { Guarded([this] { Button5Click(); }); });
    connect(BeispieldatenbankUpdate301, &QAction::triggered, this,
            [this] { Guarded([this] { BeispieldatenbankUpdate301Click(); }); });
    connect(Wertpapier1, &QAction::triggered, this, [this] { Guarded([this] { Wertpapier1Click(); }); });
    connect(Einstellungen1, &QAction::triggered, this, &THttpGetForm::Einstellungen1Click);
    connect(Info1, &QAction::triggered, this, &THttpGetForm::Info1Click);
}

void THttpGetForm::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        statusPanels_[i] = new QLabel(bar);
        bar->addWidget(statusPanels_[i], i == 0 ? 1 : 2);
    }
}

void THttpGetForm::WireSignals() {
    connect(Button2, &QPushButton::clicked, this, &THttpGetForm::Button2Click);
    connect(Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(); }); });
    connect(GetButton, &QPushButton::clicked, this, [this] { Guarded([this] { GetButtonClick(); }); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn1Click(); }); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { Guarded([this] { SpeedButton1Click(); }); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { Guarded([this] { SpeedButton2Click(); }); });
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { Guarded([this] { SpeedButton4Click(); }); });
    connect(SpeedButton5, &QToolButton::clicked, this, [this] { Guarded([this] { SpeedButton5Click(); }); });
    connect(SpeedButton6, &QToolButton::clicked, this, [this] { Guarded([this] { SpeedButton6Click(); }); });
    connect(AbortButton, &QPushButton::clicked, this, &THttpGetForm::AbortButtonClick);
    connect(Button3, &QPushButton::clicked, this, [this] { Guarded([this] { Button3Click(); }); });
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, [this] { Guarded([this] { ComboBox3Change(); }); });
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { Guarded([this] { ComboBox2Change(); }); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { Guarded([this] { ComboBox1Change(); }); });
    connect(DBLookupComboBox1, &QComboBox::activated, this,
            [this](int index) { Guarded([this, index] { DBLookupComboBox1Click(index); }); });
    DataSource1.SetOnDataChange([this] { DataSource1DataChange(); });
    connect(&Timer1, &QTimer::timeout, this, &THttpGetForm::Timer1Timer);
    connect(&Timer2, &QTimer::timeout, this, &THttpGetForm::Timer2Timer);
}

void THttpGetForm::SetStatusPanel(int panel, const QString& text) {
    if (panel == 0 || panel == 1) statusPanels_[panel]->setText(text);
}

QString THttpGetForm::StatusPanel(int panel) const {
    return panel == 0 || panel == 1 ? statusPanels_[panel]->text() : QString();
}

void THttpGetForm::ShowPicture(int index) {
    picture_ = index;
    Image1->setPixmap(StatusPicture(index));
    Image1->repaint();
}

QStringList THttpGetForm::Captions() const {
    QStringList captions{windowTitle()};
    for (const QAction* action : menuBar()->findChildren<QAction*>()) {
        if (!action->text().isEmpty()) captions << action->text();
    }
    for (const QAbstractButton* button : findChildren<QAbstractButton*>()) {
        if (!button->text().isEmpty()) captions << button->text();
    }
    for (const QLabel* label : findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) captions << label->text();
    }
    captions << GroupBox1->title();
    return captions;
}

void THttpGetForm::Initial() {
    initialRunning_ = true;
    startpath = StartPathFor(QCoreApplication::applicationDirPath());
    ReadSettings();
    OpenTables();
    FillGroupSelector();
    QuoteList.appendLine(formats::DateToStr(formats::Today()));
    StartRuns();
    initialRunning_ = false;
}

void THttpGetForm::ReadSettings() {
    if (!registry_) registry_.emplace(RegistryFile::Load(SettingsPathFor(flags_)));
    const StartSettings s = ReadStartSettings(*registry_, startpath, flags_.Favorite, qEnvironmentVariable("http_proxy"));
    Home = s.Home;
    Sprache = s.Sprache;
    Depot = s.Depot;
    TempPath = s.TempPath;
    FilterPath = s.FilterPath;
    AktienDatei->setText(s.AktienDatei);
    URLEdit->setText(s.URLEdit);
    ProxyHostEdit->setText(s.ProxyHostEdit);
    ProxyPortEdit->setText(s.ProxyPortEdit);
    Connection = {s.ProxyUser, s.ProxyPassword, s.User, s.Password, s.ProxyHostEdit, s.ProxyPortEdit, s.FileNameEdit};
    FileNameEdit->setText(s.FileNameEdit);
    StdBoerse = s.StdBoerse;
    StdQuelle = s.StdQuelle;
    {
        const QSignalBlocker blockSources(ComboBox2);
        const QSignalBlocker blockExchanges(ComboBox1);
        ComboBox1->setCurrentIndex(s.StdBoerse);
        ComboBox2->setCurrentIndex(s.StdQuelle);
    }
    RadioGroup1->SetItemIndex(s.Speichern);
    Watch1 = s.Watch1;
    Watch2 = s.Watch2;
    watch3 = s.watch3;
    watch4 = s.watch4;
    Favoriten->setChecked(s.Favoriten);
    {
        const QSignalBlocker blockGroups(ComboBox3);
        groupIndex_ = flags_.GruppeInfo >= 0 ? flags_.GruppeInfo : s.Gruppe;
        ComboBox3->setCurrentIndex(groupIndex_);
    }

    HttpCli1.setUserAgent(kStartUserAgent);
    HttpCli1.setAccept(kStartAccept);

    Hosts = HostConfig::Read(*registry_->OpenKey(kSettingsKey, true));
    const QStringList problems = Hosts.Problems();
    if (!problems.isEmpty()) {
        throw Error(QStringLiteral("Fehlerhafte Host-Einstellungen in %1: %2")
                        .arg(registry_->path(), problems.join(QStringLiteral("; "))));
    }
    const QStringList captions = SourceCaptions(Hosts);
    for (int i = 0; i < captions.size(); ++i) ComboBox2->setItemText(i, captions[i]);
}

void THttpGetForm::OpenTables() {
    Selection.Home = Home;
    Selection.Depot = Depot;
    Selection.Watch1 = Watch1;
    Selection.Watch2 = Watch2;
    Selection.watch3 = watch3;
    Selection.watch4 = watch4;
    Selection.StdQuelle = StdQuelle;
    Selection.StdBoerse = StdBoerse;
    Selection.OpenTables();
}

void THttpGetForm::StartRuns() {
    const RunPlan plan = PlanRuns(flags_);
    for (Run run : plan.runs) {
        switch (run) {
        case Run::SingleSecurityQuote: RunSingleSecurity(true); return;
        case Run::SingleSecurityPage: RunSingleSecurity(false); return;
        case Run::ArchiveImport:
            flags_.LeseDatum = ArchiveStartDay(flags_.LeseDatum, formats::Today());
            Guarded([this] { Kursdatenlesen(); });
            break;
        case Run::News: Guarded([this] { Newseinlesen(); }); break;
        case Run::FilterUpdate: Guarded([this] { UpdateFilter(); }); break;
        case Run::MasterUpdate: Guarded([this] { UpdateFirma(); }); break;
        case Run::Fundamentals:
            {
                const QSignalBlocker blockGroups(ComboBox3);
                ComboBox3->setCurrentIndex(flags_.GruppeInfo);
            }
            Guarded([this] { Button5Click(); });
            break;
        case Run::FetchAll:
            setWindowTitle(windowTitle() + QStringLiteral(" (AUTOMAT)"));
            Timer1.start();
            break;
        }
    }
    if (plan.minimise) setWindowState(Qt::WindowMinimized);
    if (plan.closesWindow && !Timer1.isActive()) CloseMainWindow();
}

void THttpGetForm::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const Error& e) {
        ReportRunError(e.message());
    } catch (const std::exception& e) {
        ReportRunError(QString::fromLocal8Bit(e.what()));
    }
}

void THttpGetForm::ReportRunError(const QString& message) {
    dialogs::ShowError(this, QApplication::applicationName(), message);
    // A run started by switches must end, or it would hold the single-instance lock for good.
    if (flags_.AnyRun()) {
        exitCode_ = kExitRunFailed;
        CloseMainWindow();
    }
}

void THttpGetForm::Password(db::Session& session, bool& Continue) {
    const QString entered =
        dialogs::InputBox(this, QStringLiteral("Depot-Paßwort eingeben"), QStringLiteral("Paßwort:"), QString(), true);
    Continue = !entered.isEmpty();
    if (Continue) session.AddPassword(entered.toStdString());
}

void THttpGetForm::Timer1Timer() {
    Timer1.stop();
    Guarded([this] { Button1Click(); });
    Button2Click();
}

void THttpGetForm::Button2Click() { CloseMainWindow(); }

void THttpGetForm::Beenden1Click() { CloseMainWindow(); }

void THttpGetForm::Einstellungen1Click() {
    TProxyInit dialog(this);
    Connection.proxyHost = ProxyHostEdit->text();
    Connection.proxyPort = ProxyPortEdit->text();
    Connection.localFile = FileNameEdit->text();
    dialog.Load(Connection);
    if (dialog.exec() != QDialog::Accepted) return;
    Connection = dialog.Fields();
    ProxyHostEdit->setText(Connection.proxyHost);
    ProxyPortEdit->setText(Connection.proxyPort);
    FileNameEdit->setText(Connection.localFile);
}

void THttpGetForm::Info1Click() { zelvon::Info1Click(this); }


void THttpGetForm::FormClose() {
    if (!StoresSettingsOnClose(flags_) || !registry_) return;
    ClosingSettings values;
    values.URLEdit = URLEdit->text();
    values.ProxyHostEdit = ProxyHostEdit->text();
    values.ProxyPortEdit = ProxyPortEdit->text();
    values.FileNameEdit = FileNameEdit->text();
    // An empty selector has no index to store; keep the one read at start.
    values.Boerse = ComboBox1->count() > 0 ? ComboBox1->currentIndex() : StdBoerse;
    values.Quelle = ComboBox2->count() > 0 ? ComboBox2->currentIndex() : StdQuelle;
    values.Speichern = RadioGroup1->ItemIndex();
    values.Favoriten = Favoriten->isChecked();
    values.Gruppe = ComboBox3->count() > 0 ? ComboBox3->currentIndex() : groupIndex_;
    try {
        WriteClosingSettings(*registry_, values);
    } catch (const WinePrefixBusy& e) {
        // Also for a terminal the user started from: the box alone is easily missed while closing.
        if (!dialogs::Unattended()) std::fprintf(stderr, "%s\n", qUtf8Printable(e.message()));
        throw;
    }
}

void THttpGetForm::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        try {
            FormClose();
        } catch (const Error& e) {
            dialogs::ShowError(this, QApplication::applicationName(), e.message());
        }
        // Queued, so a close before the event loop runs still ends it once it starts.
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
    event->accept();
}

void THttpGetForm::CloseMainWindow() {
    closeRequested_ = true;
    close();
}

}  // namespace zelvon
