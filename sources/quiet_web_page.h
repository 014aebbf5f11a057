// A web page that never asks the user anything: JavaScript dialogs, file
// choosers and new windows are answered silently, and every permission,
// certificate and login prompt is refused unless the extra CA file vouches.
#pragma once

#include <QWebEnginePage>

namespace zelvon {

class QuietWebPage : public QWebEnginePage {
    Q_OBJECT

public:
    QuietWebPage(QWebEngineProfile* profile, const QString& caFile, QObject* parent = nullptr);

protected:
    QWebEnginePage* createWindow(WebWindowType type) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles, const QStringList& acceptedMimeTypes) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& message, const QString& defaultValue,
                          QString* result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceId) override;

private:
    void refusePrompts();
    QString caFile_;
};

}  // namespace zelvon
