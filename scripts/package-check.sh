#!/usr/bin/env bash
# Checks the Debian package as a user meets it: lintian finds no errors, the desktop entry and the
# metainfo validate, every file lands where the desktop and man look for it, and the installed
# program answers --version without a display. Usage: scripts/package-check.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}

deb=$(ls -t "$build"/gear-monitor_*_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { echo "package-check: no package in $build; run make package" >&2; exit 1; }
version=$(dpkg-deb -f "$deb" Version)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
echo "package-check: $deb (version $version)"

fail() { echo "package-check: $*" >&2; exit 1; }

lintian --fail-on error "$deb" || fail "lintian reports errors"

desktop=("$root"/usr/share/applications/*.desktop)
[ ${#desktop[@]} -eq 1 ] && [ -f "${desktop[0]}" ] || fail "expected one desktop entry"
desktop-file-validate "${desktop[0]}" || fail "desktop entry does not validate"
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no metainfo"
appstreamcli validate --no-net "${metainfo[0]}" || fail "metainfo does not validate"
grep -q "<launchable type=\"desktop-id\">$(basename "${desktop[0]}")</launchable>" "${metainfo[0]}" ||
    fail "metainfo does not launch $(basename "${desktop[0]}")"
grep -q "<release version=\"$version\"" "${metainfo[0]}" || fail "metainfo lacks release $version"

icon=$(sed -n 's/^Icon=//p' "${desktop[0]}")
for size in 16 22 24 32 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png"
    [ -f "$png" ] || fail "missing icon $png"
    file "$png" | grep -q "PNG image data, $size x $size" || fail "$png is not $size x $size"
done

for program in gear-monitor gear-sim; do
    [ -x "$root/usr/bin/$program" ] || fail "missing usr/bin/$program"
    page="$root/usr/share/man/man1/$program.1.gz"
    [ -f "$page" ] || fail "missing manual page $page"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "manual page $program.1 has warnings: $warnings"
    answer=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$root/usr/bin/$program" --version)
    [ "$answer" = "$program $version" ] || fail "$program --version said '$answer'"
done
[ -f "$root/usr/share/doc/gear-monitor/copyright" ] || fail "missing copyright"
echo "package-check: all checks passed"
