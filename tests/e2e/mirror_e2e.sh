#!/usr/bin/env bash
# End-to-end test of the panel mirror: the real gear-monitor, started with --mirror on the
# loopback address, reads gear-sim through a com7 link in its program folder under a private X
# server; headless chromium opens the printed address as a phone would, and raw WebSocket
# clients play the misbehaving ones. The checks themselves are in mirror_e2e.py.
#
# Usage: mirror_e2e.sh GEAR_MONITOR GEAR_SIM X11_PROBE
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/gear-facts.sh
source "$here/../../scripts/gear-facts.sh"
# shellcheck source=scripts/processes.sh
source "$here/../../scripts/processes.sh"

[ $# -eq 3 ] || { echo "usage: $0 GEAR_MONITOR GEAR_SIM X11_PROBE" >&2; exit 2; }
monitor_binary=$1
sim_binary=$2
probe=$3
use_gear_facts "$(dirname "$monitor_binary")" || exit 1

work='' xvfb_pid='' keep_work=0
cleanup() {
    stop_process xvfb_pid
    [ "$keep_work" = 1 ] || rm -rf "$work"
}
work=$(mktemp -d "${TMPDIR:-/tmp}/gear-mirror-e2e.XXXXXX")
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

for tool in Xvfb xdotool /usr/bin/chromium /usr/bin/chromedriver "$monitor_binary" "$sim_binary" "$probe"; do
    command -v "$tool" >/dev/null ||
        { echo "e2e: missing $tool (scripts/install-deps.sh installs the tools; build first)" >&2; exit 1; }
done

# The monitor's own folder: itself, its icon, the settings file choosing com7 at 9600 8N1.
program_folder=$work/program
mkdir -p "$program_folder"
cp "$monitor_binary" "$program_folder/gear-monitor"
icon="$(dirname "$monitor_binary")/$gear_icon_file"
[ -f "$icon" ] && cp "$icon" "$program_folder/"
write_settings_file "$program_folder/$gear_settings_file" Com7
export XDG_RUNTIME_DIR=$work/xdg-runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY

start_private_xvfb "$work" || { echo "e2e: no X server could be started" >&2; exit 1; }
status=0
/usr/bin/python3 "$here/mirror_e2e.py" "$program_folder" "$sim_binary" "$probe" \
    "$(dirname "$monitor_binary")/gear-facts.sh" "$work" || status=$?
if [ "$status" != 0 ]; then
    keep_work=1
    echo "e2e: files kept in $work" >&2
fi
exit "$status"
