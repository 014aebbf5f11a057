#include "app/update_host.h"

#include "platform/dialogs.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace zelvon {

FormUpdateHost::FormUpdateHost(QWidget& window, QTimer& autoFetch, QTimer& transferTicker)
    : window_(window), autoFetch_(autoFetch), transferTicker_(transferTicker) {}

// An error may end the run with the hourglass still on.
FormUpdateHost::~FormUpdateHost() { setBusyCursor(false); }

void FormUpdateHost::setApplicationTitle(const QString& title) {
    QApplication::setApplicationDisplayName(title);
    window_.setToolTip(title);
}

void FormUpdateHost::setBusyCursor(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

bool FormUpdateHost::askYesNo(const QString& caption, const QString& text) {
    return dialogs::Ask(&window_, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

void FormUpdateHost::showMessage(const QString& text) { dialogs::ShowMessage(&window_, text); }

void FormUpdateHost::pumpMessages() { QCoreApplication::processEvents(); }

void FormUpdateHost::setTransferTicker(bool running) {
    if (running) {
        transferTicker_.start();
    } else {
        transferTicker_.stop();
    }
}

void FormUpdateHost::stopAutoFetch() { autoFetch_.stop(); }

}  // namespace zelvon
