#!/bin/bash
# Installs the built program into a temporary DESTDIR (prefix /usr) and checks
# what a desktop needs of it: every file in its place, the menu entry and the
# metainfo valid for the desktop's own tools, the icon at each size, and the
# installed program running on its own, away from the build folder.
# Usage: check_install.sh BUILD_DIR VERSION APP_ID ICON_SIZES (comma-separated)
set -euo pipefail
build=$1 version=$2 app_id=$3 sizes=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }
usr=$work/root/usr
program=$usr/bin/talvessa
desktop=$usr/share/applications/$app_id.desktop
metainfo=$usr/share/metainfo/$app_id.metainfo.xml
svg=$usr/share/icons/hicolor/scalable/apps/$app_id.svg

[ -x "$program" ] || fail "no program at usr/bin/talvessa"
doc=$usr/share/doc/talvessa
for f in "$desktop" "$metainfo" "$svg" "$doc/copyright" "$doc/changelog.gz"; do
    [ -s "$f" ] || fail "missing: ${f#"$work/root/"}"
done
for size in ${sizes//,/ }; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    [ -s "$png" ] || fail "missing: the ${size}x${size} icon"
    file "$png" | grep -q "PNG image data, $size x $size," || fail "the ${size}x${size} icon is not a $size x $size PNG: $(file -b "$png")"
done
extra=$(cd "$work/root" && find . -type f | grep -v -e '^./usr/bin/talvessa$' -e "^./usr/share/applications/$app_id.desktop\$" \
    -e "^./usr/share/metainfo/$app_id.metainfo.xml\$" -e "^./usr/share/icons/hicolor/[^/]*/apps/$app_id\.\(png\|svg\)\$" \
    -e '^./usr/share/doc/talvessa/copyright$' -e '^./usr/share/doc/talvessa/changelog.gz$' || true)
[ -z "$extra" ] || fail "files installed that nothing asked for: $extra"

# The desktop's tools accept both files; any remark counts as a failure.
remarks=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $remarks"
[ -z "$remarks" ] || fail "desktop-file-validate: $remarks"
appstreamcli validate --no-net "$metainfo" >"$work/as.log" 2>&1 || { cat "$work/as.log"; fail "appstreamcli validate"; }
appstreamcli validate-tree --no-net "$work/root" >"$work/as.log" 2>&1 || { cat "$work/as.log"; fail "appstreamcli validate-tree"; }

# The menu entry opens irc:// and ircs:// links with the program, in the chat menus.
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Exec)" = "talvessa %u" ] || fail "Exec is '$(entry Exec)'"
[ "$(entry Icon)" = "$app_id" ] || fail "Icon is '$(entry Icon)'"
for mime in x-scheme-handler/irc x-scheme-handler/ircs; do
    entry MimeType | tr ';' '\n' | grep -qx "$mime" || fail "MimeType lacks $mime"
done
for category in Network Chat IRCClient; do
    entry Categories | tr ';' '\n' | grep -qx "$category" || fail "Categories lack $category"
done
# The metainfo names that entry and this version as its newest release.
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" || fail "the metainfo names another desktop file"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "the newest release in the metainfo is '$newest', the program is $version"

# The installed program takes nothing from the build folder: no run path into
# it, and it starts from another folder with a bare environment.
if readelf -d "$program" | grep -q -e RUNPATH -e RPATH; then fail "run path left in: $(readelf -d "$program" | grep PATH)"; fi
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
shown=$(cd "$work" && env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
    QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 "$program" --version) || fail "--version failed"
[ "$shown" = "Talvessa $version" ] || fail "--version printed '$shown'"
echo "install tree checked: $(cd "$work/root" && find . -type f | wc -l) files"
