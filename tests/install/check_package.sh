#!/bin/bash
# Builds the Debian package from the build folder (cpack reuses the built
# program) into a temporary folder and checks its control fields and file
# list with dpkg-deb, its copyright file and changelog, and, where lintian is
# installed, that lintian finds no error in it. A sanitizer build is not
# packaged: skipped (exit 77).
# Usage: check_package.sh BUILD_DIR SOURCE_DIR VERSION APP_ID SANITIZED(ON/OFF) BUILD_TYPE
set -euo pipefail
build=$1 source=$2 version=$3 app_id=$4 sanitized=$5 build_type=${6:-}
fail() { echo "FAIL: $*" >&2; exit 1; }
if [ "$sanitized" = ON ]; then echo "skipped: a sanitizer build is not packaged"; exit 77; fi
for tool in cpack dpkg-deb dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null && continue
    [ -z "${CI:-}" ] || fail "$tool is missing"
    echo "skipped: $tool is missing (scripts/install-deps.sh installs it)"; exit 77
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
arch=$(dpkg --print-architecture)
deb=$work/talvessa_${version}_$arch.deb
[ -f "$deb" ] || fail "no talvessa_${version}_$arch.deb made: $(ls "$work")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = talvessa ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = net ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
# The libraries come from dpkg-shlibdeps (with versions); the flags are named by hand.
depends=$(field Depends)
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 famfamfam-flag-png; do
    tr ',' '\n' <<<"$depends" | sed 's/^ *//' | grep -q "^$package\( \|$\)" || fail "Depends lacks $package: $depends"
done
tr ',' '\n' <<<"$depends" | grep -q "libqt6widgets6 (>=" || fail "library dependencies carry no versions: $depends"

# The file list: exactly the program, the menu entry, the metainfo, the icons,
# the copyright file and the changelog, below /usr.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sort >"$work/files"
expected=$(printf '%s\n' ./usr/bin/talvessa "./usr/share/applications/$app_id.desktop" \
    "./usr/share/metainfo/$app_id.metainfo.xml" "./usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
    ./usr/share/doc/talvessa/copyright ./usr/share/doc/talvessa/changelog.gz | sort)
got=$(grep -v "^./usr/share/icons/hicolor/[0-9]*x[0-9]*/apps/$app_id.png\$" "$work/files")
[ "$got" = "$expected" ] || fail "unexpected file list:"$'\n'"$(cat "$work/files")"
[ "$(grep -c '\.png$' "$work/files")" -ge 6 ] || fail "too few icon sizes: $(grep png "$work/files")"
# The program inside is the stripped build, executable by everyone.
dpkg-deb -x "$deb" "$work/x"
[ "$(stat -c %a "$work/x/usr/bin/talvessa")" = 755 ] || fail "the program's mode is $(stat -c %a "$work/x/usr/bin/talvessa")"
file "$work/x/usr/bin/talvessa" | grep -q ", stripped" || fail "the program is not stripped"
# Without debugging information left, any path into the source or build
# folder would be one the program reads at run time (a Debug build keeps
# source paths in its assertions).
[ "$build_type" = Debug ] || for folder in "$source" "$build"; do
    if strings "$work/x/usr/bin/talvessa" | grep -qF "$folder"; then fail "the program names $folder"; fi
done
# The copyright file is machine-readable; the changelog's newest entry is
# this version (a new version needs its entry), compressed as Debian wants.
doc=$work/x/usr/share/doc/talvessa
head -1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || fail "the copyright file is not in the machine-readable format"
grep -q '^License: ' "$doc/copyright" || fail "the copyright file names no license"
newest=$(gzip -dc "$doc/changelog.gz" | head -1)
[ "$newest" = "talvessa ($version) unstable; urgency=medium" ] || fail "the changelog's newest entry is '$newest'"

if command -v lintian >/dev/null; then
    status=0
    lintian --tag-display-limit 0 --fail-on error "$deb" >"$work/lintian.log" 2>&1 || status=$?
    [ "$status" = 0 ] || { cat "$work/lintian.log"; fail "lintian finds errors in the package (exit $status)"; }
else
    [ -z "${CI:-}" ] || fail "lintian is missing"
    echo "lintian is missing: the package is checked without it (scripts/install-deps.sh installs it)"
fi
echo "package checked: $(basename "$deb"), Depends: $depends"
