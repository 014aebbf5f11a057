// The progress display of the long runs: caption naming the run, one message
// line, a progress bar, a two-panel status bar and the read-now button. The
// user closing it asks the run to stop after the current item.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QStatusBar;
class QToolButton;

namespace zelvon {

class TStatusfenster : public QDialog {
    Q_OBJECT
public:
    explicit TStatusfenster(QWidget* parent = nullptr);

    void SetMessage(const QString& text);
    void SetPanel(int panel, const QString& text);
    QString Panel(int panel) const;
    void ShowProgress(int maximum);
    void StepProgress();
    // Makes the latest texts visible while the run keeps the thread busy.
    void Refresh();

    // Remembers the news text last saved and shows the read-now button.
    void SetTempName(const QString& fileName);
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
