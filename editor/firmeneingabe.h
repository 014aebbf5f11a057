// The security entry dialog: shows and edits the main window's securities
// table (with its filter, so exactly the admitted securities), its lookups,
// the broadcaster codes and the watch-list membership. A thin window over
// SecurityRecord, WatchLists, the lookup lists and the code commands.
#pragma once

#include "db/session.h"
#include "db/table.h"
#include "editor/editor_captions.h"
#include "editor/lookups.h"
#include "editor/record_navigator.h"
#include "editor/security_record.h"
#include "editor/watch_lists.h"
#include "platform/registry.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;

namespace zelvon {

namespace editor {
class ClickLabel;
}

class TFirmeneingabe : public QDialog {
    Q_OBJECT
public:
    // Reads the captions from settings (may be null: the defaults).
    TFirmeneingabe(db::Session& session, const RegistryKey* settings, QWidget* parent = nullptr);
    ~TFirmeneingabe() override;

    // The securities table the dialog shows and edits; it must stay open
    // while the dialog lives.
    void Bind(db::Table& securities);

    // The data directory of the lookup and watch-list tables.
    QString Home;
    // Set while the dialog itself sets the watch-list boxes.
    bool aenderung = false;

    QTabWidget* PageControl1;
    QWidget* TabWertpapier;
    QWidget* TabInformationen;
    QLineEdit* DBEdit1;  // Firmenname
    QLabel* DBText1;     // Firma
    QLineEdit* DBEdit2;  // Kennung
    QComboBox* DBLookupComboBox1;  // Waehrung
    QLineEdit* DBEdit3;  // ISIN
    QLineEdit* DBEdit4;  // Ticker
    QComboBox* DBLookupComboBox2;  // Gruppe
    QComboBox* DBLookupComboBox3;  // Branche
    QComboBox* DBLookupComboBox4;  // Merkmal
    QCheckBox* DBCheckBox1;  // Aktiv
    std::array<editor::ClickLabel*, 4> SenderLabels{};  // "ZDF", "N-TV", "SF1", "MEHR"
    std::array<QLineEdit*, 4> SenderEdits{};  // ZDF, N-TV, SF1, Sender4
    QCheckBox* BO1;
    QCheckBox* BO2;
    QCheckBox* BO3;
    QCheckBox* BO4;
    QTextEdit* DBRichEdit1;  // Memo
    QLineEdit* DBEdit9;      // Internet
    editor::RecordNavigator* DBNavigator1;
    QPushButton* BitBtn1;

    editor::SecurityRecord& record() { return *record_; }
    editor::WatchLists& watchLists() { return watchLists_; }

    void FormShow();
    void BitBtn1Click();
    void DBNavigator1Click(editor::RecordNavigator::Button button);
    void BO1Click();
    void BO2Click();
    void BO3Click();
    void BO4Click();
    void Button1Click(editor::ClickLabel* Sender);
    void DBEdit9DblClick();

protected:
    void showEvent(QShowEvent* event) override;
    // The title bar's close box closes without the save question.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TextBinding {
        QLineEdit* edit;
        const char* field;
    };
    struct LookupBinding {
        QComboBox* box;
        const char* field;
    };

    void FormCreate(const RegistryKey* settings);
    QWidget* BuildSecurityTab();
    QWidget* BuildInformationTab();
    void BuildLayout();
    void BindControls();
    void FillLookups();
    void SetWatchBoxes();
    void WatchBoxClick(int list);
    // Shows the current record (or the one being inserted) in every control.
    void ShowRecord();
    void ShowLookup(const LookupBinding& binding);
    void UpdateNavigator();
    void Navigate(editor::RecordNavigator::Button button);
    void DeleteRecord();
    // Catches every error of a handler and shows it in the standard error box.
    void Guarded(const std::function<void()>& handler);

    db::Session& session_;
    editor::EditorCaptions captions_;
    std::unique_ptr<editor::SecurityRecord> record_;
    editor::WatchLists watchLists_;
    std::array<QCheckBox*, editor::kWatchLists> watchBoxes_{};
    std::vector<TextBinding> texts_;
    std::vector<LookupBinding> lookups_;
    // Set while ShowRecord fills the controls: those changes are not the user's.
    bool filling_ = false;
};

}  // namespace zelvon
