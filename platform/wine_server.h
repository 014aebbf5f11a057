// Whether a Wine server holds a prefix. The server keeps the prefix's registry in
// memory and writes it back later, so a change made to user.reg meanwhile is lost.
// It announces itself in /tmp/.wine-<uid>/server-<dev>-<inode>/ (device and inode
// of the prefix directory in hex): a socket "socket" and a lock on "lock".
#pragma once

#include <QString>

namespace zelvon {

// The server directory Wine uses for the prefix; empty when the prefix does not exist.
QString WineServerDirectory(const QString& prefix);

// True while a process holds the server lock or accepts connections on the socket.
bool WineServerRunning(const QString& prefix);

}  // namespace zelvon
