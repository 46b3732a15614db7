#!/usr/bin/env bash
# Checks the Debian package as a user meets it: lintian finds no errors and no warnings, the
# desktop entry and the metainfo validate, every file lands where the desktop and man look for
# it, the installed program answers --version without a display, and its window, run under a
# private X server, names the desktop entry and carries the window class the entry expects.
# Usage: scripts/package-check.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/processes.sh
source "$here/processes.sh"
build=${1:-build}

deb=$(ls -t "$build"/gear-monitor_*_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { echo "package-check: no package in $build; run make package" >&2; exit 1; }
version=$(dpkg-deb -f "$deb" Version)
root=$(mktemp -d)
xvfb_pid='' monitor_pid=''
cleanup() {
    stop_process monitor_pid
    stop_process xvfb_pid
    rm -rf "$root"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$root"
echo "package-check: $deb (version $version)"

fail() { echo "package-check: $*" >&2; exit 1; }

lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"

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

for program in gear-monitor gear-sim gear-log; do
    [ -x "$root/usr/bin/$program" ] || fail "missing usr/bin/$program"
    page="$root/usr/share/man/man1/$program.1.gz"
    [ -f "$page" ] || fail "missing manual page $page"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "manual page $program.1 has warnings: $warnings"
    answer=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$root/usr/bin/$program" --version)
    [ "$answer" = "$program $version" ] || fail "$program --version said '$answer'"
done
[ -f "$root/usr/share/doc/gear-monitor/copyright" ] || fail "missing copyright"

# The desktop matches a running window to its entry by the entry's name, which the program gives
# (on Wayland its app id), and on X11 by the window's class, which the entry's StartupWMClass
# names. Both are taken from the installed program as it runs, the class as the X server has it.
mkdir -m 700 "$root/home"
start_private_xvfb "$root" || fail "no X server could be started"
HOME=$root/home XDG_CONFIG_HOME=$root/home/.config XDG_RUNTIME_DIR=$root/home \
    QT_QPA_PLATFORM=xcb QT_LOGGING_RULES="gear.ui.info=true" \
    "$root/usr/bin/gear-monitor" >/dev/null 2>"$root/monitor.log" &
monitor_pid=$!
window=''
for _ in $(seq 200); do
    window=$(xdotool search --onlyvisible --pid "$monitor_pid" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    running "$monitor_pid" || fail "gear-monitor ended before its window appeared"
    sleep 0.05
done
[ -n "$window" ] || fail "no gear-monitor window appeared within 10 s"
window_class=$(xprop -id "$window" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p')
stop_process monitor_pid
entry_named=$(sed -n 's/^gear\.ui: desktop entry //p' "$root/monitor.log")
wm_class=$(sed -n 's/^StartupWMClass=//p' "${desktop[0]}")
[ -n "$window_class" ] || fail "the window has no WM_CLASS"
[ "$wm_class" = "$window_class" ] ||
    fail "the desktop entry's StartupWMClass is '$wm_class', the window's class '$window_class'"
[ "$entry_named.desktop" = "$(basename "${desktop[0]}")" ] ||
    fail "the program names the desktop entry '$entry_named', installed as $(basename "${desktop[0]}")"
echo "package-check: all checks passed"
