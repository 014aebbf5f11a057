// Windows paths such as "C:\Quarvinta\Daten\" on the Linux side of a Wine
// prefix: the drive letter through the prefix's dosdevices/ links, "\" as "/",
// and each component found without regard to letter case, as Windows finds it.
#pragma once

#include <QString>

namespace zelvon {

// A drive letter ("C:") or a leading backslash marks a Windows path.
bool IsWindowsPath(const QString& path);

struct MappedPath {
    QString path;
    QString error;  // non-empty when the path does not map; German, names the reason
};

// Plain Linux paths come back unchanged. Components that do not exist (yet) are
// kept as written, so a file the program will create still has its place.
MappedPath MapWindowsPath(const QString& prefix, const QString& path);

// $WINEPREFIX, else ~/.wine: where Wine itself looks.
QString DefaultWinePrefix();

}  // namespace zelvon
