#include "platform/dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace zelvon::dialogs {
namespace {

bool g_bySwitches = false;
bool g_displayPresent = true;
constexpr int kAutoCloseMilliseconds = 30'000;

void Report(const QString& title, const QString& text) {
    QString line = text;
    line.replace(u'\n', u' ');
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(title), qUtf8Printable(line));
    std::fflush(stderr);
}

void GermanButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, const char*> texts[] = {
        {QMessageBox::Ok, "OK"},           {QMessageBox::Cancel, "Abbrechen"}, {QMessageBox::Yes, "&Ja"},
        {QMessageBox::No, "&Nein"},         {QMessageBox::Abort, "Ab&brechen"}, {QMessageBox::Retry, "&Wiederholen"},
        {QMessageBox::Ignore, "&Ignorieren"},
    };
    for (const auto& [button, text] : texts) {
        if (QAbstractButton* b = box.button(button)) b->setText(QString::fromUtf8(text));
    }
}

QString Title(const QString& title) { return title.isEmpty() ? QApplication::applicationName() : title; }

QMessageBox::StandardButton Show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                                 QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    if (g_bySwitches || Unattended()) Report(Title(title), text);
    if (Unattended()) return defaultButton;
    QMessageBox box(icon, Title(title), text, buttons, parent);
    box.setDefaultButton(defaultButton);
    GermanButtons(box);
    if (g_bySwitches) {
        QTimer::singleShot(kAutoCloseMilliseconds, &box, [&box, defaultButton] { box.done(defaultButton); });
    }
    const int result = box.exec();
    return static_cast<QMessageBox::StandardButton>(result);
}

}  // namespace

void SetStartedBySwitches(bool bySwitches, bool displayPresent) {
    g_bySwitches = bySwitches;
    g_displayPresent = displayPresent;
}

bool Unattended() { return !g_displayPresent; }

void ShowMessage(QWidget* parent, const QString& text) {
    Show(parent, QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, QMessageBox::Ok);
}

void ShowError(QWidget* parent, const QString& title, const QString& text) {
    Show(parent, QMessageBox::Critical, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

QMessageBox::StandardButton Ask(QWidget* parent, const QString& title, const QString& text,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    return Show(parent, QMessageBox::Question, title, text, buttons, defaultButton);
}

QString InputBox(QWidget* parent, const QString& title, const QString& prompt, const QString& defaultText,
                 bool masked) {
    return InputQuery(parent, title, prompt, defaultText, masked).value_or(QString());
}

std::optional<QString> InputQuery(QWidget* parent, const QString& title, const QString& prompt,
                                  const QString& defaultText, bool masked) {
    if (g_bySwitches || Unattended()) Report(title, prompt);
    if (Unattended()) return defaultText;
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setTextEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (g_bySwitches) QTimer::singleShot(kAutoCloseMilliseconds, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

}  // namespace zelvon::dialogs
