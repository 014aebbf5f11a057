#include "app/settings.h"

#include "app/maker.h"
#include "platform/wine_paths.h"

#include <QFileInfo>

namespace zelvon {
namespace {

QString StringOr(const RegistryKey& key, const char* name, const QString& fallback) {
    return key.ReadString(QString::fromLatin1(name)).value_or(fallback);
}

int IntegerOr(const RegistryKey& key, const char* name, int fallback) {
    return key.ReadInteger(QString::fromLatin1(name)).value_or(fallback);
}

// Windows paths map through the prefix the settings came from; settings of our
// own file use the prefix Wine itself would use.
QString PathPrefix(const RegistryFile& registry) {
    const QString prefix = registry.winePrefix();
    return prefix.isEmpty() ? DefaultWinePrefix() : prefix;
}

QString PathOr(const RegistryKey& key, const char* name, const QString& fallback, const QString& prefix) {
    const auto stored = key.ReadString(QString::fromLatin1(name));
    if (!stored) return fallback;
    const MappedPath mapped = MapWindowsPath(prefix, *stored);
    if (!mapped.error.isEmpty()) {
        throw Error(QStringLiteral("Die Einstellung \"%1\" nennt den Pfad \"%2\", der sich nicht zuordnen lässt: %3")
                        .arg(QLatin1String(name), *stored, mapped.error));
    }
    return mapped.path;
}

// The page file read at start as a Windows path comes back mapped; when it is
// still that file, the stored Windows form stays.
void WriteTempFile(RegistryKey& key, const QString& prefix, const QString& fileName) {
    const QString name = QStringLiteral("Zelvon_TempFile");
    const auto stored = key.ReadString(name);
    if (stored && IsWindowsPath(*stored) && MapWindowsPath(prefix, *stored).path == fileName) return;
    key.WriteString(name, fileName);
}

// The environment's proxy address without scheme, credentials and trailing slash.
QString StripProxyAddress(QString text) {
    const qsizetype scheme = text.indexOf(QStringLiteral("://"));
    if (scheme >= 0) text.remove(0, scheme + 3);
    const qsizetype at = text.lastIndexOf(u'@');
    if (at >= 0) text.remove(0, at + 1);
    while (text.endsWith(u'/')) text.chop(1);
    return text;
}

void ResolveSystemProxy(RegistryFile& registry, const QString& httpProxyEnv, StartSettings& s) {
    QString text;
    const RegistryKey* internet = registry.OpenKey(kInternetSettingsKey, false);
    try {
        if (internet) text = internet->ReadString(QStringLiteral("ProxyServer")).value_or(QString());
    } catch (const RegistryError&) {
        // Errors in the system proxy setting are ignored; the fields keep what they had.
        return;
    }
    if (text.isEmpty()) text = StripProxyAddress(httpProxyEnv);
    if (text.isEmpty()) {
        s.ProxyPortEdit = QStringLiteral("80");
        s.ProxyHostEdit.clear();
        return;
    }
    SplitProxyText(text, s.ProxyHostEdit, s.ProxyPortEdit);
}

}  // namespace

QString AsDirectory(const QString& path) {
    if (path.isEmpty() || path.endsWith(u'/')) return path;
    return path + u'/';
}

QString StartPathFor(const QString& programDirectory) {
    QString dir = AsDirectory(programDirectory);
    const qsizetype last = dir.lastIndexOf(u'/', dir.size() - 2);
    if (last >= 0 && dir.mid(last + 1, dir.size() - last - 2).compare(QStringLiteral("bin"), Qt::CaseInsensitive) == 0) {
        dir.truncate(last + 1);
    }
    return dir;
}

void SplitProxyText(const QString& text, QString& host, QString& port) {
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0) {
        host = text;
        port = QStringLiteral("80");
        return;
    }
    host = text.left(colon);
    port = text.mid(colon + 1);
}

StartSettings ReadStartSettings(RegistryFile& registry, const QString& startpath, bool favoriteSwitch,
                                const QString& httpProxyEnv) {
    StartSettings s;
    s.Home = startpath;
    const RegistryKey& key = *registry.OpenKey(kSettingsKey, true);

    const QString prefix = PathPrefix(registry);

    s.Home = AsDirectory(PathOr(key, "Datenpath", startpath + QStringLiteral("Daten/"), prefix));
    s.Sprache = IntegerOr(key, "Sprache", 0);
    s.Depot = AsDirectory(PathOr(key, "Depotpath", startpath, prefix));
    s.TempPath = AsDirectory(PathOr(key, "Temppath", startpath, prefix));
    s.FilterPath = AsDirectory(PathOr(key, "Filterpath", s.Home + QStringLiteral("Filter/"), prefix));
    s.AktienDatei = PathOr(key, "VTDATEI", s.Home + QStringLiteral("aktien.txt"), prefix);
    s.URLEdit = StringOr(key, "Zelvon_URL", QString::fromLatin1(maker::kHomePage));

    if (const auto host = key.ReadString(QStringLiteral("Zelvon_ProxyHost"))) {
        s.ProxyHostEdit = *host;
    } else {
        ResolveSystemProxy(registry, httpProxyEnv, s);
    }
    if (const auto port = key.ReadString(QStringLiteral("Zelvon_ProxyPort"))) {
        s.ProxyPortEdit = *port;
    } else if (s.ProxyPortEdit.isEmpty()) {
        s.ProxyPortEdit = QStringLiteral("80");
    }
    s.ProxyUser = StringOr(key, "Zelvon_ProxyUser", QString());
    s.ProxyPassword = StringOr(key, "Zelvon_ProxyPassword", QString());
    s.User = StringOr(key, "Zelvon_User", QString());
    s.Password = StringOr(key, "Zelvon_Password", QString());
    s.FileNameEdit = PathOr(key, "Zelvon_TempFile", s.TempPath + QStringLiteral("test.html"), prefix);
    s.StdBoerse = IntegerOr(key, "Zelvon_Boerse", 0);
    s.StdQuelle = IntegerOr(key, "Zelvon_Quelle", 0);
    s.Speichern = IntegerOr(key, "Zelvon_Speichern", 0);
    s.Watch1 = StringOr(key, "Watch1", QStringLiteral("1.Beobachtungsliste"));
    s.Watch2 = StringOr(key, "Watch2", QStringLiteral("2.Beobachtungsliste"));
    s.watch3 = StringOr(key, "Watch3", QStringLiteral("3.Beobachtungsliste"));
    s.watch4 = StringOr(key, "Watch4", QStringLiteral("4.Beobachtungsliste"));
    s.Favoriten = favoriteSwitch ? true : key.ReadBool(QStringLiteral("Zelvon_Favoriten")).value_or(true);
    s.Gruppe = IntegerOr(key, "Zelvon_Gruppe", 0);
    return s;
}

QString SettingsPathFor(const RunFlags& flags) {
    if (flags.WinePrefix.isEmpty()) return RegistryFile::DefaultPath();
    const QString userReg = flags.WinePrefix + QStringLiteral("/user.reg");
    if (!QFileInfo(userReg).isFile()) {
        throw Error(QStringLiteral("Im Wine-Verzeichnis %1 gibt es keine user.reg; ist es das Verzeichnis, das Wine als "
                                   "WINEPREFIX verwendet?")
                        .arg(flags.WinePrefix));
    }
    return userReg;
}

bool StoresSettingsOnClose(const RunFlags& flags) { return !flags.AnyRun(); }

void WriteClosingSettings(RegistryFile& registry, const ClosingSettings& v) {
    RegistryKey& key = *registry.OpenKey(kSettingsKey, true);
    key.WriteString(QStringLiteral("Zelvon_URL"), v.URLEdit);
    key.WriteString(QStringLiteral("Zelvon_ProxyHost"), v.ProxyHostEdit);
    key.WriteString(QStringLiteral("Zelvon_ProxyPort"), v.ProxyPortEdit);
    WriteTempFile(key, PathPrefix(registry), v.FileNameEdit);
    key.WriteInteger(QStringLiteral("Zelvon_Boerse"), v.Boerse);
    key.WriteInteger(QStringLiteral("Zelvon_Quelle"), v.Quelle);
    key.WriteInteger(QStringLiteral("Zelvon_Speichern"), v.Speichern);
    key.WriteBool(QStringLiteral("Zelvon_Favoriten"), v.Favoriten);
    key.WriteInteger(QStringLiteral("Zelvon_Gruppe"), v.Gruppe);
    registry.Save();
}

}  // namespace zelvon
