// The suite's settings as the program reads them at start and the nine values
// it stores when an interactive run closes.
#pragma once

#include "app/run_flags.h"
#include "platform/registry.h"

#include <QString>

namespace zelvon {

inline const QString kSettingsKey = QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta");
inline const QString kInternetSettingsKey =
    QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");

struct StartSettings {
    QString Home;
    int Sprache = 0;
    QString Depot;
    QString TempPath;
    QString FilterPath;
    QString AktienDatei;
    QString URLEdit;
    QString ProxyHostEdit;
    QString ProxyPortEdit;
    QString ProxyUser;
    QString ProxyPassword;
    QString User;
    QString Password;
    QString FileNameEdit;
    int StdBoerse = 0;
    int StdQuelle = 0;
    int Speichern = 0;
    QString Watch1, Watch2, watch3, watch4;
    bool Favoriten = true;
    int Gruppe = 0;
};

// The values FormClose writes, taken from the window's fields at that moment.
struct ClosingSettings {
    QString URLEdit;
    QString ProxyHostEdit;
    QString ProxyPortEdit;
    QString FileNameEdit;
    int Boerse = 0;
    int Quelle = 0;
    int Speichern = 0;
    bool Favoriten = true;
    int Gruppe = 0;
};

// Directories end with "/"; a stored path without it gets one.
QString AsDirectory(const QString& path);

// The program's directory, letter case kept, without a last component "bin"
// (any letter case), so a program kept in the suite's bin folder uses the suite's folder.
QString StartPathFor(const QString& programDirectory);

// The settings file of this start: DIR/user.reg for --wineprefix DIR (an error
// when there is none), else RegistryFile::DefaultPath().
QString SettingsPathFor(const RunFlags& flags);

// Directory and file values given as Windows paths ("C:\Quarvinta\Daten\") are
// mapped into the Wine prefix; one that does not map raises Error naming the
// value and the path.
// Reads in the documented order; a value of the wrong type raises RegistryError.
// httpProxyEnv is the environment's http_proxy, used when the settings hold no
// system proxy text.
StartSettings ReadStartSettings(RegistryFile& registry, const QString& startpath, bool favoriteSwitch,
                                const QString& httpProxyEnv);

// Splits a proxy text at its first ":"; without one the whole text is the host and the port is "80".
void SplitProxyText(const QString& text, QString& host, QString& port);

// Runs started by switches store nothing.
bool StoresSettingsOnClose(const RunFlags& flags);
void WriteClosingSettings(RegistryFile& registry, const ClosingSettings& values);

}  // namespace zelvon
