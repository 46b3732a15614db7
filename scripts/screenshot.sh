#!/usr/bin/env bash
# Starts the monitor under a private X server, waits, and saves a picture of its window.
# Usage: scripts/screenshot.sh BUILD_DIR OUTPUT.png [SECONDS] [PROGRAM_FOLDER]
set -euo pipefail
build=${1:-build}
out=${2:-docs/window.png}
wait_seconds=${3:-2}
folder=${4:-}

display=":$((90 + RANDOM % 400))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $monitor_pid $xvfb_pid 2>/dev/null || true' EXIT
export DISPLAY=$display
export XDG_RUNTIME_DIR=$(mktemp -d)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

program="$build/gear-monitor"
if [ -n "$folder" ]; then
    cp "$build/gear-monitor" "$folder/"
    [ -f "$build/DE_Rodidudedu.ico" ] && cp "$build/DE_Rodidudedu.ico" "$folder/"
    program="$folder/gear-monitor"
fi
"$program" >/dev/null 2>&1 &
monitor_pid=$!
wid=
for _ in $(seq 100); do
    wid=$(xdotool search --name "^  Quorvel.s Landing Gear Controller Monitor$" 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
done
[ -n "$wid" ] || { echo "the monitor's window did not appear" >&2; exit 1; }
sleep "$wait_seconds"
mkdir -p "$(dirname "$out")"
import -window "$wid" "$out"
echo "$out"
