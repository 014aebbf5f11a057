// A Wine prefix on disk for tests: drive_c with dosdevices links, a user.reg
// shaped like the ones Wine writes, and a stand-in for a running Wine server.
#pragma once

#include "platform/wine_server.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace zelvon::test {

// Lines as Wine writes them: escaped key names, \x escapes beyond ASCII, typed
// values, wrapped binary values, options and comments.
inline QByteArray WineUserReg(const QByteArray& suiteValues) {
    return "WINE REGISTRY Version 2\n"
           ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
           "\n"
           "#arch=win64\n"
           "\n"
           "[Control Panel\\\\International] 1702220000\n"
           "#time=1da2b3c4d5e6f70\n"
           "\"sDecimal\"=\",\"\n"
           "\"sLongDate\"=\"dddd, d. MMMM yyyy\"\n"
           "\n"
           "[Environment] 1702220000\n"
           "#time=1da2b3c4d5e6f70\n"
           "\"TEMP\"=str(2):\"%USERPROFILE%\\\\AppData\\\\Local\\\\Temp\"\n"
           "\n"
           "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Internet Settings] 1702220001\n"
           "#time=1da2b3c4d5e6f71\n"
           "\"ProxyServer\"=\"proxy.firma.example:3128\"\n"
           "\n"
           "[Software\\\\Selvaran\\\\Quarvinta] 1702220002\n"
           "#time=1da2b3c4d5e6f72\n" +
           suiteValues +
           "\n"
           "[Software\\\\Wine\\\\DllOverrides] 1702220003\n"
           "#time=1da2b3c4d5e6f73\n"
           "\"*d3d9\"=\"native,builtin\"\n";
}

class WinePrefix {
public:
    WinePrefix() {
        QDir().mkpath(Path("drive_c/Quarvinta/Daten"));
        QDir().mkpath(Path("dosdevices"));
        EXPECT_EQ(::symlink("../drive_c", QFile::encodeName(Path("dosdevices/c:")).constData()), 0);
        EXPECT_EQ(::symlink("/", QFile::encodeName(Path("dosdevices/z:")).constData()), 0);
    }
    QString Path(const QString& relative = {}) const { return relative.isEmpty() ? dir_.path() : dir_.filePath(relative); }
    QString UserReg() const { return Path("user.reg"); }
    void WriteUserReg(const QByteArray& bytes) const {
        QFile f(UserReg());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray ReadUserReg() const {
        QFile f(UserReg());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

private:
    QTemporaryDir dir_;
};

// Holds the prefix's server socket and lock in another process, as wineserver does.
class WineServerStandIn {
public:
    WineServerStandIn(const QString& prefix, const QString& mode = QStringLiteral("both")) {
        process_.start(QStringLiteral(WINE_SERVER_STANDIN), {WineServerDirectory(prefix), mode});
        EXPECT_TRUE(process_.waitForReadyRead(10'000));
        EXPECT_EQ(process_.readAllStandardOutput().trimmed(), "ready");
    }
    ~WineServerStandIn() { Stop(); }
    void Stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.closeWriteChannel();
        EXPECT_TRUE(process_.waitForFinished(10'000));
    }

private:
    QProcess process_;
};

}  // namespace zelvon::test
