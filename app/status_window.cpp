#include "app/status_window.h"

#include "platform/shell.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace zelvon {

TStatusfenster::TStatusfenster(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Aktualisiere die Videotext - Filter und Seiten"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    setFixedSize(420, 150);
    setModal(false);

    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setToolTip(QStringLiteral("Meldung jetzt lesen"));
    SpeedButton1->setCursor(Qt::PointingHandCursor);
    SpeedButton1->setText(QStringLiteral("…"));
    SpeedButton1->hide();

    Label1 = new QLabel(this);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 10000);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        panels_[i] = new QLabel(StatusBar1);
        panels_[i]->setFixedWidth(i == 0 ? 200 : 50);
        StatusBar1->addWidget(panels_[i]);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(SpeedButton1, 0, Qt::AlignLeft);
    layout->addWidget(Label1, 1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(StatusBar1);

    connect(SpeedButton1, &QToolButton::clicked, this, &TStatusfenster::SpeedButton1Click);
}

void TStatusfenster::SetCaption(const QString& caption) { setWindowTitle(caption); }

void TStatusfenster::Show() {
    if (parentWidget()) move(parentWidget()->geometry().center() - rect().center());
    show();
}

void TStatusfenster::Hide() { hide(); }

void TStatusfenster::SetMessage(const QString& text, bool alert) {
    QPalette palette = Label1->palette();
    palette.setColor(QPalette::WindowText, alert ? QColor(255, 0, 0) : QColor(Qt::black));
    Label1->setPalette(palette);
    Label1->setText(text);
}

QColor TStatusfenster::MessageColour() const { return Label1->palette().color(QPalette::WindowText); }

void TStatusfenster::Resize(int width, int height) { setFixedSize(width, height); }

void TStatusfenster::Beep() { QApplication::beep(); }

void TStatusfenster::SetPanel(int panel, const QString& text) {
    if (panel == 0 || panel == 1) panels_[panel]->setText(text);
}

QString TStatusfenster::Panel(int panel) const { return panel == 0 || panel == 1 ? panels_[panel]->text() : QString(); }

void TStatusfenster::ShowProgress(int maximum) {
    ProgressBar1->setRange(0, maximum);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
}

void TStatusfenster::StepProgress() { ProgressBar1->setValue(ProgressBar1->value() + 1); }

void TStatusfenster::Refresh() { repaint(); }

void TStatusfenster::SetTempName(const QString& fileName) {
    tempname_ = fileName;
    SpeedButton1->show();
}

void TStatusfenster::SpeedButton1Click() {
    if (!tempname_.isEmpty()) shell::OpenFile(tempname_);
}

}  // namespace zelvon
