#include "platform/wine_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace zelvon {
namespace {

bool HasDriveLetter(const QString& path) {
    return path.size() >= 2 && path[1] == u':' && path[0].isLetter() && path[0].unicode() < 128;
}

// The dosdevices entry of a drive; Wine names them in lower case, a hand-made
// one may not be.
QString DriveLink(const QString& prefix, QChar letter) {
    const QString dosdevices = prefix + QStringLiteral("/dosdevices");
    const QString name = QString(letter.toLower()) + u':';
    if (QFileInfo(dosdevices + u'/' + name).isSymLink() || QFileInfo::exists(dosdevices + u'/' + name)) {
        return dosdevices + u'/' + name;
    }
    const QStringList entries =
        QDir(dosdevices).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dosdevices + u'/' + entry;
    }
    return {};
}

QString MatchComponent(const QString& dir, const QString& component) {
    const QFileInfo exact(dir + u'/' + component);
    if (exact.exists() || exact.isSymLink()) return component;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(component, Qt::CaseInsensitive) == 0) return entry;
    }
    return component;
}

}  // namespace

bool IsWindowsPath(const QString& path) { return HasDriveLetter(path) || path.startsWith(u'\\'); }

MappedPath MapWindowsPath(const QString& prefix, const QString& path) {
    if (!IsWindowsPath(path)) return {path, {}};
    if (!HasDriveLetter(path)) {
        return {{}, QStringLiteral("Pfad ohne Laufwerksbuchstaben, im Wine-Verzeichnis %1 nicht zuzuordnen").arg(prefix)};
    }
    const QString drive = path.left(2).toUpper();
    const QString link = DriveLink(prefix, path[0]);
    if (link.isEmpty()) {
        return {{}, QStringLiteral("Laufwerk %1 ist im Wine-Verzeichnis %2 nicht eingerichtet (kein dosdevices/%3)")
                        .arg(drive, prefix, drive.toLower())};
    }
    const QFileInfo linkInfo(link);
    const QString root = linkInfo.canonicalFilePath();
    if (root.isEmpty() || !QFileInfo(root).isDir()) {
        return {{}, QStringLiteral("Laufwerk %1 zeigt ins Leere: %2 verweist auf %3, das es nicht gibt")
                        .arg(drive, link, linkInfo.symLinkTarget())};
    }
    QStringList names;
    for (const QString& component : path.mid(2).split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts)) {
        if (component == u'.') continue;
        if (component == QStringLiteral("..")) {
            if (names.isEmpty()) {
                return {{}, QStringLiteral("Pfad führt mit \"..\" aus dem Laufwerk %1 hinaus").arg(drive)};
            }
            names.removeLast();
            continue;
        }
        names << MatchComponent(root + u'/' + names.join(u'/'), component);
    }
    QString mapped = root == QStringLiteral("/") ? QString() : root;
    for (const QString& name : names) mapped += u'/' + name;
    if (mapped.isEmpty() || path.endsWith(u'\\') || path.endsWith(u'/')) mapped += u'/';
    return {mapped, {}};
}

QString DefaultWinePrefix() {
    const QString prefix = qEnvironmentVariable("WINEPREFIX");
    return prefix.isEmpty() ? QDir::homePath() + QStringLiteral("/.wine") : prefix;
}

}  // namespace zelvon
