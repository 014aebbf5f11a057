// The main window as the reference-data updates see it: title, cursor,
// questions and messages through the display-aware boxes, message pumping
// and the two timers.
#pragma once

#include "updates/update_context.h"

class QTimer;
class QWidget;

namespace zelvon {

class FormUpdateHost : public updates::UpdateHost {
public:
    FormUpdateHost(QWidget& window, QTimer& autoFetch, QTimer& transferTicker);
    ~FormUpdateHost() override;

    void setApplicationTitle(const QString& title) override;
    void setBusyCursor(bool busy) override;
    bool askYesNo(const QString& caption, const QString& text) override;
    void showMessage(const QString& text) override;
    void pumpMessages() override;
    void setTransferTicker(bool running) override;
    void stopAutoFetch() override;

private:
    QWidget& window_;
    QTimer& autoFetch_;
    QTimer& transferTicker_;
    bool busy_ = false;
};

}  // namespace zelvon
