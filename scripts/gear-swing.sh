#!/usr/bin/env bash
# Makes the example of docs/recording.md "A gear swing": gear-sim, its left leg 1.5 s slow, is
# recorded by gear-monitor (offscreen) through a pseudo-terminal for SECONDS; then gear-log
# prints the swing times and draws the picture, the rows a swing moves only.
#
# Usage: scripts/gear-swing.sh [BUILD_DIR [PICTURE [SECONDS]]]
#        (default: build, docs/gear-swing.png, 32; PICTURE is replaced only if gear-log made it)
set -euo pipefail
# shellcheck source=scripts/gear-facts.sh
source "$(dirname "$0")/gear-facts.sh"
# shellcheck source=scripts/processes.sh
source "$(dirname "$0")/processes.sh"

build=${1:-build}
picture=${2:-docs/gear-swing.png}
seconds=${3:-32}
port=7
use_gear_facts "$build" || exit 1
gear_log=$build/tools/gear-log/gear-log
for program in "$build/gear-monitor" "$build/sim/gear-sim" "$gear_log"; do
    [ -x "$program" ] || { echo "gear-swing: no $program; build it first" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/gear-swing.XXXXXX")
sim_pid='' monitor_pid=''
cleanup() {
    stop_process monitor_pid
    stop_process sim_pid
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The monitor looks for its settings file and its comN ports in its own folder.
cp "$build/gear-monitor" "$work/"
write_settings_file "$work/$gear_settings_file" "Com$port"
"$build/sim/gear-sim" --link-dir "$work" --port "$port" --slow-leg left:1.5 >"$work/sim.log" 2>&1 &
sim_pid=$!
wait_for_link "$work" "$port" "$sim_pid" || { echo "gear-swing: gear-sim did not start" >&2; exit 1; }
mkdir -m 700 "$work/xdg-runtime"
XDG_RUNTIME_DIR=$work/xdg-runtime QT_QPA_PLATFORM=offscreen \
    "$work/gear-monitor" --record "$work/swing.rec" >"$work/monitor.log" 2>&1 &
monitor_pid=$!
sleep "$seconds"
stop_process monitor_pid # a stop signal ends the recording with the port's close
stop_process sim_pid

echo "\$ gear-log --cycles --limit retract=3 --limit extend=3 swing.rec"
"$gear_log" --cycles --limit retract=3 --limit extend=3 "$work/swing.rec" || true
rows=X0,X1,X2,X3,X4,X5,X6,X7,X100,X101,Y0,Y1,Y2,Y3,Y5
echo "\$ gear-log --plot $(basename "$picture") --only $rows swing.rec"
"$gear_log" --plot "$picture" --only "$rows" "$work/swing.rec"
