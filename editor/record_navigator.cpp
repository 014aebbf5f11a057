#include "editor/record_navigator.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

namespace zelvon::editor {
namespace {

struct ButtonLook {
    QStyle::StandardPixmap icon;
    const char* hint;
};

const ButtonLook kLooks[RecordNavigator::kButtons] = {
    {QStyle::SP_MediaSkipBackward, "Erster Datensatz"},   {QStyle::SP_MediaSeekBackward, "Vorheriger Datensatz"},
    {QStyle::SP_MediaSeekForward, "Nächster Datensatz"},  {QStyle::SP_MediaSkipForward, "Letzter Datensatz"},
    {QStyle::SP_FileDialogNewFolder, "Datensatz einfügen"}, {QStyle::SP_TrashIcon, "Datensatz löschen"},
    {QStyle::SP_DialogApplyButton, "Änderungen speichern"}, {QStyle::SP_DialogCancelButton, "Änderungen verwerfen"},
};

}  // namespace

RecordNavigator::RecordNavigator(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    for (int i = 0; i < kButtons; ++i) {
        auto* button = new QToolButton(this);
        button->setIcon(style()->standardIcon(kLooks[i].icon));
        button->setToolTip(QString::fromUtf8(kLooks[i].hint));
        button->setMinimumWidth(32);
        connect(button, &QToolButton::clicked, this, [this, i] { emit clicked(Button(i)); });
        layout->addWidget(button);
        buttons_[size_t(i)] = button;
    }
}

}  // namespace zelvon::editor
