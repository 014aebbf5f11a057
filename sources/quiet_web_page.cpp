#include "sources/quiet_web_page.h"

#include "sources/tls_trust.h"

#include <QAuthenticator>
#include <QWebEngineCertificateError>
#include <QWebEngineClientCertificateSelection>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>

namespace zelvon {

QuietWebPage::QuietWebPage(QWebEngineProfile* profile, const QString& caFile, QObject* parent)
    : QWebEnginePage(profile, parent), caFile_(caFile)
{
    QWebEngineSettings* config = settings();
    config->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    config->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    config->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    config->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    config->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    refusePrompts();
}

void QuietWebPage::refusePrompts()
{
    connect(this, &QWebEnginePage::featurePermissionRequested, this, [this](const QUrl& origin, Feature feature) {
        setFeaturePermission(origin, feature, PermissionDeniedByUser);
    });
    connect(this, &QWebEnginePage::certificateError, this, [this](const QWebEngineCertificateError& error) {
        QList<QByteArray> chain;
        for (const QSslCertificate& certificate : error.certificateChain())
            chain.append(certificate.toDer());
        auto decision = error;
        if (IssuedByCaFile(chain, error.url().host(), caFile_))
            decision.acceptCertificate();
        else
            decision.rejectCertificate();
    });
    // An untouched authenticator cancels the login.
    connect(this, &QWebEnginePage::authenticationRequired, this, [](const QUrl&, QAuthenticator*) {});
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this, [](const QUrl&, QAuthenticator*, const QString&) {});
    connect(this, &QWebEnginePage::fullScreenRequested, this, [](QWebEngineFullScreenRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::selectClientCertificate, this,
            [](QWebEngineClientCertificateSelection selection) { selection.selectNone(); });
}

QWebEnginePage* QuietWebPage::createWindow(WebWindowType)
{
    return nullptr;
}

QStringList QuietWebPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&)
{
    return {};
}

void QuietWebPage::javaScriptAlert(const QUrl&, const QString&) {}

bool QuietWebPage::javaScriptConfirm(const QUrl&, const QString&)
{
    return false;
}

bool QuietWebPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*)
{
    return false;
}

// Quote pages log plenty; none of it is ours to show.
void QuietWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) {}

}  // namespace zelvon
