// The handlers of the security entry dialog: showing the record, the
// navigator, the watch-list boxes, the close question, the code commands
// and the Internet address.
#include "editor/firmeneingabe.h"

#include "editor/broadcaster_codes.h"
#include "editor/click_label.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/shell.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

namespace zelvon {
namespace {

using Button = editor::RecordNavigator::Button;

class Filling {
public:
    explicit Filling(bool& flag) : flag_(flag) { flag_ = true; }
    ~Filling() { flag_ = false; }

private:
    bool& flag_;
};

}  // namespace

void TFirmeneingabe::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const Error& e) {
        dialogs::ShowError(this, QApplication::applicationName(), e.message());
    } catch (const std::exception& e) {
        dialogs::ShowError(this, QApplication::applicationName(), QString::fromLocal8Bit(e.what()));
    }
}

void TFirmeneingabe::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
    FormShow();
}

void TFirmeneingabe::FormShow() {
    aenderung = false;
    watchLists_.SetHome(Home);
    Guarded([this] { FillLookups(); });
    PageControl1->setTabVisible(PageControl1->indexOf(TabInformationen), record_->HasInformationFields());
    ShowRecord();
    SetWatchBoxes();
}

void TFirmeneingabe::FillLookups() {
    {
        const QSignalBlocker block(DBLookupComboBox1);
        DBLookupComboBox1->clear();
        for (const QString& symbol : editor::ReadCurrencies(session_, Home)) DBLookupComboBox1->addItem(symbol, symbol);
    }
    const std::pair<QComboBox*, QString> groups[] = {{DBLookupComboBox2, QStringLiteral("gruppen.db")},
                                                     {DBLookupComboBox3, QStringLiteral("Branchen.db")},
                                                     {DBLookupComboBox4, QStringLiteral("merkmal.db")}};
    for (const auto& [box, table] : groups) {
        const QSignalBlocker block(box);
        box->clear();
        for (const editor::GroupEntry& entry : editor::ReadGroupLookup(session_, Home, table))
            box->addItem(entry.name, entry.index);
    }
}

void TFirmeneingabe::ShowLookup(const LookupBinding& binding) {
    const bool integer = binding.box != DBLookupComboBox1;
    const QVariant key = integer ? QVariant(record_->Integer(binding.field)) : QVariant(record_->Text(binding.field));
    binding.box->setCurrentIndex(binding.box->findData(key));
    binding.box->setEnabled(record_->HasField(binding.field));
}

void TFirmeneingabe::ShowRecord() {
    const Filling filling(filling_);
    for (const TextBinding& binding : texts_) {
        binding.edit->setText(record_->Text(binding.field));
        binding.edit->setEnabled(record_->HasField(binding.field));
    }
    for (const LookupBinding& binding : lookups_) ShowLookup(binding);
    DBText1->setText(record_->Text("Firma"));
    DBCheckBox1->setChecked(record_->Boolean("Aktiv"));
    DBRichEdit1->setPlainText(record_->Text("Memo"));
    UpdateNavigator();
}

void TFirmeneingabe::UpdateNavigator() {
    const bool modified = record_->Modified();
    DBNavigator1->button(Button::Post)->setEnabled(modified);
    DBNavigator1->button(Button::Cancel)->setEnabled(modified);
}

void TFirmeneingabe::SetWatchBoxes() {
    aenderung = true;
    const std::array<bool, editor::kWatchLists> held = watchLists_.Membership(record_->SecurityNumber());
    for (size_t i = 0; i < held.size(); ++i) watchBoxes_[i]->setChecked(held[i]);
    aenderung = false;
}

void TFirmeneingabe::WatchBoxClick(int list) {
    if (aenderung) return;
    const int32_t firma = record_->SecurityNumber();
    QCheckBox* box = watchBoxes_[size_t(list)];
    try {
        watchLists_.SetMember(list, firma, box->isChecked());
    } catch (const Error& e) {
        // The box must not claim a state the list does not have.
        aenderung = true;
        box->setChecked(!box->isChecked());
        aenderung = false;
        dialogs::ShowError(this, QApplication::applicationName(), e.message());
    }
}

void TFirmeneingabe::BO1Click() { WatchBoxClick(0); }
void TFirmeneingabe::BO2Click() { WatchBoxClick(1); }
void TFirmeneingabe::BO3Click() { WatchBoxClick(2); }
void TFirmeneingabe::BO4Click() { WatchBoxClick(3); }

void TFirmeneingabe::Navigate(Button button) {
    switch (button) {
        case Button::First: record_->First(); break;
        case Button::Prior: record_->Prior(); break;
        case Button::Next: record_->Next(); break;
        case Button::Last: record_->Last(); break;
        case Button::Insert: record_->Insert(); break;
        case Button::Delete: DeleteRecord(); break;
        case Button::Post: record_->Post(); break;
        case Button::Cancel: record_->Cancel(); break;
    }
}

void TFirmeneingabe::DeleteRecord() {
    if (dialogs::Ask(this, QStringLiteral("Wertpapier löschen?"), QStringLiteral("Datensatz löschen?"),
                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes)
        record_->Delete();
}

void TFirmeneingabe::DBNavigator1Click(Button button) {
    Guarded([&] { Navigate(button); });
    ShowRecord();
    SetWatchBoxes();
}

void TFirmeneingabe::BitBtn1Click() {
    if (record_->Modified()) {
        const auto answer = dialogs::Ask(this, QStringLiteral("Wertpapier speichern?"),
                                         QStringLiteral("Änderung wurde noch nicht gespeichert. Jetzt speichern?"),
                                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer != QMessageBox::Yes) {
            record_->Cancel();
        } else {
            bool posted = false;
            Guarded([&] {
                record_->Post();
                posted = true;
            });
            // A refused post keeps the dialog open with the user's input.
            if (!posted) return ShowRecord();
        }
    }
    accept();
}

void TFirmeneingabe::closeEvent(QCloseEvent* event) {
    record_->Cancel();
    QDialog::closeEvent(event);
}

void TFirmeneingabe::reject() {
    record_->Cancel();
    QDialog::reject();
}

void TFirmeneingabe::Button1Click(editor::ClickLabel* Sender) {
    const QString C = Sender->text();
    Guarded([&] {
        record_->Post();
        if (dialogs::Ask(this, QStringLiteral("Kennung MEHR ersetzen?"),
                         QStringLiteral("Kennungen von ") + C + QStringLiteral(" zu Kennung MEHR übertragen"),
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes)
            editor::CopyToSender4(record_->table(), C);
        const QString question = QStringLiteral("Kennungen von ") + C + QStringLiteral(" verkürzen aus x-Zeichen");
        if (dialogs::Ask(this, QStringLiteral("Kennung kürzen?"), question, QMessageBox::Yes | QMessageBox::No,
                         QMessageBox::No) != QMessageBox::Yes)
            return;
        const std::optional<QString> entry =
            dialogs::InputQuery(this, question, QStringLiteral("X:"), QString::fromLatin1(editor::kShorteningDefault));
        if (entry) editor::ShortenCodes(record_->table(), C, editor::ShorteningLength(*entry));
    });
    ShowRecord();
    SetWatchBoxes();
}

void TFirmeneingabe::DBEdit9DblClick() { shell::OpenAddress(record_->Text("Internet")); }

bool TFirmeneingabe::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DBEdit9 && event->type() == QEvent::MouseButtonDblClick) DBEdit9DblClick();
    return QDialog::eventFilter(watched, event);
}

}  // namespace zelvon
