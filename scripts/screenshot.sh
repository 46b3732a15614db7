#!/usr/bin/env bash
# Starts the monitor under a private X server, waits, and saves a picture of its window.
# Usage: scripts/screenshot.sh BUILD_DIR OUTPUT.png [SECONDS] [PROGRAM_FOLDER]
set -euo pipefail
# shellcheck source=scripts/processes.sh
source "$(dirname "$0")/processes.sh"
# shellcheck source=scripts/gear-facts.sh
source "$(dirname "$0")/gear-facts.sh"
build=${1:-build}
out=${2:-docs/window.png}
wait_seconds=${3:-2}
folder=${4:-}
use_gear_facts "$build" || exit 1

work=$(mktemp -d)
monitor_pid='' xvfb_pid=''
trap 'stop_process monitor_pid; stop_process xvfb_pid; rm -rf "$work"' EXIT
start_private_xvfb "$work" || { echo "no X server could be started" >&2; exit 1; }
export XDG_RUNTIME_DIR=$work/xdg-runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

program="$build/gear-monitor"
if [ -n "$folder" ]; then
    cp "$build/gear-monitor" "$folder/"
    [ -f "$build/$gear_icon_file" ] && cp "$build/$gear_icon_file" "$folder/"
    program="$folder/gear-monitor"
fi
"$program" >/dev/null 2>&1 &
# shellcheck disable=SC2034 # stopped by name in the exit trap
monitor_pid=$!
wid=
for _ in $(seq 100); do
    wid=$(xdotool search --name "^$gear_caption\$" 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
done
[ -n "$wid" ] || { echo "the monitor's window did not appear" >&2; exit 1; }
sleep "$wait_seconds"
mkdir -p "$(dirname "$out")"
import -window "$wid" "$out"
echo "$out"
