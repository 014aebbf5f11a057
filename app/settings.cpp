#include "app/settings.h"

#include "app/maker.h"

namespace zelvon {
namespace {

QString StringOr(const RegistryKey& key, const char* name, const QString& fallback) {
    return key.ReadString(QString::fromLatin1(name)).value_or(fallback);
}

int IntegerOr(const RegistryKey& key, const char* name, int fallback) {
    return key.ReadInteger(QString::fromLatin1(name)).value_or(fallback);
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

    s.Home = AsDirectory(StringOr(key, "Datenpath", startpath + QStringLiteral("Daten/")));
    s.Sprache = IntegerOr(key, "Sprache", 0);
    s.Depot = AsDirectory(StringOr(key, "Depotpath", startpath));
    s.TempPath = AsDirectory(StringOr(key, "Temppath", startpath));
    s.FilterPath = AsDirectory(StringOr(key, "Filterpath", s.Home + QStringLiteral("Filter/")));
    s.AktienDatei = StringOr(key, "VTDATEI", s.Home + QStringLiteral("aktien.txt"));
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
    s.FileNameEdit = StringOr(key, "Zelvon_TempFile", s.TempPath + QStringLiteral("test.html"));
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

bool StoresSettingsOnClose(const RunFlags& flags) { return !flags.AnyRun(); }

void WriteClosingSettings(RegistryFile& registry, const ClosingSettings& v) {
    RegistryKey& key = *registry.OpenKey(kSettingsKey, true);
    key.WriteString(QStringLiteral("Zelvon_URL"), v.URLEdit);
    key.WriteString(QStringLiteral("Zelvon_ProxyHost"), v.ProxyHostEdit);
    key.WriteString(QStringLiteral("Zelvon_ProxyPort"), v.ProxyPortEdit);
    key.WriteString(QStringLiteral("Zelvon_TempFile"), v.FileNameEdit);
    key.WriteInteger(QStringLiteral("Zelvon_Boerse"), v.Boerse);
    key.WriteInteger(QStringLiteral("Zelvon_Quelle"), v.Quelle);
    key.WriteInteger(QStringLiteral("Zelvon_Speichern"), v.Speichern);
    key.WriteBool(QStringLiteral("Zelvon_Favoriten"), v.Favoriten);
    key.WriteInteger(QStringLiteral("Zelvon_Gruppe"), v.Gruppe);
    registry.Save();
}

}  // namespace zelvon
