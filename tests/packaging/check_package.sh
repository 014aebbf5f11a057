#!/bin/sh
# Builds the Debian package from the built tree with cpack into a temporary
# directory, unpacks it with dpkg-deb -x and checks what a user gets: the
# programs, their --version and --help, the desktop entry, icon, man page,
# licences and the systemd user units.
# check_package.sh CPACK BUILD_DIR VERSION README
set -eu
cpack=$1 build=$2 version=$3 readme=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack did not build the package"; }
deb=$(ls "$work"/out/*.deb)
dpkg-deb -x "$deb" "$work/root"
root=$work/root

[ "$(dpkg-deb -f "$deb" Package)" = zelvon ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libqt6widgets6 libcurl4; do
    echo "$depends" | grep -q "$needed" || fail "Depends lacks $needed"
done
if echo "$depends" | grep -Eq -- '-dev|gtest|benchmark|pxlib'; then fail "Depends names a build or test package"; fi

for tool in zelvon zelvon-demodata zelvon-extract zelvon-quoteserver zelvon-ddefeed pxtool; do
    [ -x "$root/usr/bin/$tool" ] || fail "/usr/bin/$tool missing"
done
for file in usr/share/applications/zelvon.desktop usr/share/icons/hicolor/scalable/apps/zelvon.svg \
            usr/share/man/man1/zelvon.1 usr/share/doc/zelvon/copyright \
            usr/lib/systemd/user/zelvon-kurse.service usr/lib/systemd/user/zelvon-kurse.timer \
            usr/lib/systemd/user/zelvon-news.service usr/lib/systemd/user/zelvon-news.timer; do
    [ -s "$root/$file" ] || fail "/$file missing"
done
if find "$root" -path '*systemd/user/*.wants*' | grep -q .; then fail "a unit is enabled by the package"; fi

unset DISPLAY WAYLAND_DISPLAY
[ "$("$root/usr/bin/zelvon" --version)" = "zelvon $version" ] || fail "zelvon --version"
"$root/usr/bin/zelvon" --help >"$work/help.txt" || fail "zelvon --help exit status"
# Every switch of the README's table, from which the man page is made, is in the help too.
sed -n '/^## Switches/,/^## /p' "$readme" | grep '^| [/-]' | cut -d'|' -f2 | awk '{print $1}' >"$work/switches"
[ -s "$work/switches" ] || fail "no switch table in the README"
while read -r sw; do
    grep -qF -- "$sw" "$work/help.txt" || fail "--help does not name $sw"
    grep -qF -- "$(echo "$sw" | sed 's/-/\\-/g')" "$root/usr/share/man/man1/zelvon.1" || fail "man page does not name $sw"
done <"$work/switches"
for word in ZELVON_REGISTRY WINEPREFIX Rückgabewerte; do
    grep -q "$word" "$work/help.txt" || fail "--help does not name $word"
done

if command -v systemd-analyze >/dev/null; then
    mkdir "$work/units"
    for unit in "$root"/usr/lib/systemd/user/*; do
        sed "s|^ExecStart=/usr/bin/|ExecStart=$root/usr/bin/|" "$unit" >"$work/units/$(basename "$unit")"
    done
    systemd-analyze verify --man=no "$work"/units/* || fail "systemd-analyze verify"
    systemd-analyze calendar 'Mon..Fri *-*-* 08..21:00/15:00' >/dev/null || fail "timer calendar"
fi
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/zelvon.desktop" || fail "desktop-file-validate"
fi
if command -v groff >/dev/null; then
    groff -man -ww -z "$root/usr/share/man/man1/zelvon.1" 2>"$work/groff.txt"
    [ ! -s "$work/groff.txt" ] || { cat "$work/groff.txt" >&2; fail "man page warnings"; }
fi
echo "package ok: $(basename "$deb")"
