// The main window's menu item "&Wertpapier": the security entry dialog on
// the securities table, with the table's filter, so it shows exactly the
// securities the selection admits.
#include "app/http_get_form.h"

#include "editor/firmeneingabe.h"

namespace zelvon {

std::unique_ptr<TFirmeneingabe> THttpGetForm::CreateSecurityEditor() {
    const RegistryKey* settings = registry_ ? registry_->OpenKey(kSettingsKey, true) : nullptr;
    auto dialog = std::make_unique<TFirmeneingabe>(Session, settings, this);
    dialog->Home = Home;
    dialog->Bind(Table1);
    return dialog;
}

// The selector lists names and numbers that the dialog may have changed.
void THttpGetForm::Wertpapier1Click() {
    CreateSecurityEditor()->exec();
    FillSecuritySelector();
}

}  // namespace zelvon
