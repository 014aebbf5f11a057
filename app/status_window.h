// The progress display of the long runs: caption naming the run, one message
// line, a progress bar, a two-panel status bar and the read-now button. The
// user closing it asks the run to stop after the current item.
#pragma once

#include "platform/run_progress.h"

#include <QColor>
#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QStatusBar;
class QToolButton;

namespace zelvon {

class TStatusfenster : public QDialog, public RunProgress {
    Q_OBJECT
public:
    explicit TStatusfenster(QWidget* parent = nullptr);

    void SetCaption(const QString& caption) override;
    void Show() override;
    void Hide() override;
    void SetMessage(const QString& text, bool alert = false) override;
    void SetPanel(int panel, const QString& text) override;
    QString Panel(int panel) const;
    void ShowProgress(int maximum) override;
    void StepProgress() override;
    void Refresh() override;
    bool StillVisible() const override { return isVisible(); }
    void Resize(int width, int height) override;
    void Beep() override;
    // Black, or red after an alert.
    QColor MessageColour() const;

    // Remembers the news text last saved and shows the read-now button.
    void SetTempName(const QString& fileName) override;
    const QString& tempname() const { return tempname_; }

    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QStatusBar* StatusBar1;
    QToolButton* SpeedButton1;

public slots:
    void SpeedButton1Click();

private:
    QLabel* panels_[2];
    QString tempname_;
};

}  // namespace zelvon
