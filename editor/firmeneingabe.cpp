// Construction of the security entry dialog: controls, captions, hints,
// tabs and the wiring of every control to its handler.
#include "editor/firmeneingabe.h"

#include "editor/click_label.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace zelvon {
namespace {

const QString kCaption = QStringLiteral("Eingabe eines neuen Wertpapiers mit + ");
constexpr int kLookupRows = 15;
constexpr int kWidth = 520;
constexpr int kHeight = 430;

QComboBox* Lookup(QWidget* parent, int rows) {
    auto* box = new QComboBox(parent);
    box->setMaxVisibleItems(rows);
    return box;
}

}  // namespace

TFirmeneingabe::TFirmeneingabe(db::Session& session, const RegistryKey* settings, QWidget* parent)
    : QDialog(parent), session_(session), watchLists_(session, QString()) {
    FormCreate(settings);
}

TFirmeneingabe::~TFirmeneingabe() = default;

void TFirmeneingabe::FormCreate(const RegistryKey* settings) {
    captions_ = editor::ReadEditorCaptions(settings);
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    BuildLayout();
    BindControls();
    resize(kWidth, kHeight);
}

void TFirmeneingabe::BuildLayout() {
    PageControl1 = new QTabWidget(this);
    TabWertpapier = BuildSecurityTab();
    TabInformationen = BuildInformationTab();
    PageControl1->addTab(TabWertpapier, QStringLiteral("Wertpapier"));
    PageControl1->addTab(TabInformationen, QStringLiteral("Informationen"));

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Schließen"), this);
    DBNavigator1 = new editor::RecordNavigator(this);

    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    closeRow->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(closeRow);
    layout->addWidget(DBNavigator1);
}

QWidget* TFirmeneingabe::BuildSecurityTab() {
    auto* tab = new QWidget(this);
    auto* grid = new QGridLayout(tab);
    int row = 0;
    auto labelled = [&](const QString& caption, QWidget* control, int column = 0) {
        grid->addWidget(new QLabel(caption, tab), row, column);
        grid->addWidget(control, row, column + 1);
    };

    DBEdit1 = new QLineEdit(tab);
    QFont italic = DBEdit1->font();
    italic.setItalic(true);
    DBEdit1->setFont(italic);
    grid->addWidget(new QLabel(QStringLiteral("Aktien- oder Fondname"), tab), row++, 0, 1, 4);
    grid->addWidget(DBEdit1, row++, 0, 1, 4);

    DBText1 = new QLabel(tab);
    DBEdit2 = new QLineEdit(tab);
    labelled(QStringLiteral("QV-Id:"), DBText1);
    labelled(QStringLiteral("WKN/Local ID"), DBEdit2, 2);
    ++row;
    DBLookupComboBox1 = Lookup(tab, 8);
    DBEdit3 = new QLineEdit(tab);
    labelled(QStringLiteral("Währung"), DBLookupComboBox1);
    labelled(QStringLiteral("ISIN"), DBEdit3, 2);
    ++row;
    DBEdit4 = new QLineEdit(tab);
    DBLookupComboBox2 = Lookup(tab, kLookupRows);
    labelled(QStringLiteral("Ticker-Symbol"), DBEdit4);
    labelled(QStringLiteral("Indizes"), DBLookupComboBox2, 2);
    ++row;
    DBLookupComboBox3 = Lookup(tab, kLookupRows);
    DBLookupComboBox4 = Lookup(tab, kLookupRows);
    labelled(QStringLiteral("Branche"), DBLookupComboBox3);
    labelled(QStringLiteral("Land / Merkmal"), DBLookupComboBox4, 2);
    ++row;
    DBCheckBox1 = new QCheckBox(QStringLiteral("Favorit"), tab);
    DBCheckBox1->setToolTip(QStringLiteral("Favoriten werden als Direktwahl in der Kursübersicht eingetragen"));
    grid->addWidget(DBCheckBox1, row++, 0, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Kurskennung bei verschiedenen Sendern"), tab), row++, 0, 1, 4);
    for (int i = 0; i < 4; ++i) {
        SenderLabels[size_t(i)] = new editor::ClickLabel(captions_.senders[size_t(i)], tab);
        SenderEdits[size_t(i)] = new QLineEdit(tab);
        grid->addWidget(SenderLabels[size_t(i)], row + i / 2, (i % 2) * 2);
        grid->addWidget(SenderEdits[size_t(i)], row + i / 2, (i % 2) * 2 + 1);
    }
    // Only the first three broadcasters' codes can be copied or shortened.
    SenderLabels[3]->setCursor(Qt::ArrowCursor);
    row += 2;

    BO1 = new QCheckBox(captions_.watchLists[0], tab);
    BO2 = new QCheckBox(captions_.watchLists[1], tab);
    BO3 = new QCheckBox(captions_.watchLists[2], tab);
    BO4 = new QCheckBox(captions_.watchLists[3], tab);
    watchBoxes_ = {BO1, BO2, BO3, BO4};
    for (int i = 0; i < editor::kWatchLists; ++i) grid->addWidget(watchBoxes_[size_t(i)], row + i / 2, (i % 2) * 2, 1, 2);
    grid->setRowStretch(row + 2, 1);
    return tab;
}

QWidget* TFirmeneingabe::BuildInformationTab() {
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    DBRichEdit1 = new QTextEdit(tab);
    DBRichEdit1->setAcceptRichText(false);
    DBEdit9 = new QLineEdit(tab);
    DBEdit9->installEventFilter(this);
    layout->addWidget(DBRichEdit1, 1);
    layout->addWidget(new QLabel(QStringLiteral("Internet:"), tab));
    layout->addWidget(DBEdit9);
    return tab;
}

void TFirmeneingabe::BindControls() {
    texts_ = {{DBEdit1, "FirmenName"}, {DBEdit2, "Kennung"},        {DBEdit3, "ISIN"},
              {DBEdit4, "Ticker"},     {SenderEdits[0], "ZDF"},     {SenderEdits[1], "N-TV"},
              {SenderEdits[2], "SF1"}, {SenderEdits[3], "Sender4"}, {DBEdit9, "Internet"}};
    lookups_ = {{DBLookupComboBox1, "Waehrung"}, {DBLookupComboBox2, "Gruppe"},
                {DBLookupComboBox3, "Branche"},  {DBLookupComboBox4, "Merkmal"}};
    for (const TextBinding& binding : texts_) {
        connect(binding.edit, &QLineEdit::textEdited, this, [this, binding](const QString& text) {
            Guarded([&] { record_->SetValue(binding.field, text.toStdString()); });
            UpdateNavigator();
        });
    }
    for (const LookupBinding& binding : lookups_) {
        connect(binding.box, &QComboBox::activated, this, [this, binding](int index) {
            const QVariant key = binding.box->itemData(index);
            Guarded([&] {
                record_->SetValue(binding.field, key.typeId() == QMetaType::Int ? db::Variant(int64_t(key.toInt()))
                                                                               : db::Variant(key.toString().toStdString()));
            });
            UpdateNavigator();
        });
    }
    connect(DBCheckBox1, &QCheckBox::clicked, this, [this](bool checked) {
        Guarded([&] { record_->SetValue("Aktiv", checked); });
        UpdateNavigator();
    });
    connect(DBRichEdit1, &QTextEdit::textChanged, this, [this] {
        if (filling_) return;
        Guarded([&] { record_->SetValue("Memo", DBRichEdit1->toPlainText().toStdString()); });
        UpdateNavigator();
    });
    connect(BO1, &QCheckBox::toggled, this, &TFirmeneingabe::BO1Click);
    connect(BO2, &QCheckBox::toggled, this, &TFirmeneingabe::BO2Click);
    connect(BO3, &QCheckBox::toggled, this, &TFirmeneingabe::BO3Click);
    connect(BO4, &QCheckBox::toggled, this, &TFirmeneingabe::BO4Click);
    for (size_t i = 0; i < 3; ++i) {
        editor::ClickLabel* label = SenderLabels[i];
        connect(label, &editor::ClickLabel::clicked, this, [this, label] { Button1Click(label); });
    }
    connect(DBNavigator1, &editor::RecordNavigator::clicked, this, &TFirmeneingabe::DBNavigator1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TFirmeneingabe::BitBtn1Click);
}

void TFirmeneingabe::Bind(db::Table& securities) { record_ = std::make_unique<editor::SecurityRecord>(securities); }

}  // namespace zelvon
