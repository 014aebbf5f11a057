#include "platform/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace zelvon::shell {

bool OpenAddress(const QString& address) {
    const QUrl url(address.trimmed());
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https")) return false;
    return QDesktopServices::openUrl(url);
}

bool OpenFile(const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

QString MailtoAddress(const QString& address, const QString& subject) {
    return QStringLiteral("mailto:") + address + QStringLiteral("?subject=") +
           QString::fromLatin1(QUrl::toPercentEncoding(subject));
}

bool ComposeMail(const QString& displayName, const QString& address, const QString& subject) {
    // A mailto: address carries no display name; the address alone reaches the same person.
    Q_UNUSED(displayName);
    return QDesktopServices::openUrl(QUrl(MailtoAddress(address, subject), QUrl::StrictMode));
}

}  // namespace zelvon::shell
