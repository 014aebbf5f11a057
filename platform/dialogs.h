// Message and input boxes with German buttons. Nobody can answer a box without
// a display, so there each box answers with its default at once; a run started
// by switches with a display gets boxes that close themselves after a while.
// In both cases the title and text also go to stderr as one line.
#pragma once

#include <QMessageBox>
#include <QString>

#include <optional>

class QWidget;

namespace zelvon::dialogs {

// Set once at start.
void SetStartedBySwitches(bool bySwitches, bool displayPresent);
bool Unattended();

void ShowMessage(QWidget* parent, const QString& text);
void ShowError(QWidget* parent, const QString& title, const QString& text);
QMessageBox::StandardButton Ask(QWidget* parent, const QString& title, const QString& text,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton);
// Returns the entered text; cancel gives "". Unattended: the default at once.
QString InputBox(QWidget* parent, const QString& title, const QString& prompt, const QString& defaultText,
                 bool masked = false);
// As InputBox, but a cancelled box gives nullopt, so that an empty entry and a
// cancel can be told apart.
std::optional<QString> InputQuery(QWidget* parent, const QString& title, const QString& prompt,
                                  const QString& defaultText, bool masked = false);

}  // namespace zelvon::dialogs
