// The shell's "open" action and the support mail: fire and forget through the
// desktop's handlers. Only http and https addresses and local files are opened.
#pragma once

#include <QString>

namespace zelvon::shell {

// Opens an http or https address in the system's browser; anything else is ignored.
bool OpenAddress(const QString& address);
// Opens a local file with its associated program.
bool OpenFile(const QString& path);
// Opens a new mail to the address with the subject; false when no mail program takes it.
bool ComposeMail(const QString& displayName, const QString& address, const QString& subject);
// The mailto: address ComposeMail hands on.
QString MailtoAddress(const QString& address, const QString& subject);

}  // namespace zelvon::shell
