#!/usr/bin/env bash
# What waiting for a pulled-out adapter costs, and how soon the port is back when it returns.
#
# The Release monitor runs under a private X server with Com7 chosen, a gear-sim behind it. Then:
#   1. idle: no port chosen (the settings name none), COMM FAIL blinking: the floor;
#   2. waiting: gear-sim stops (its pseudo-terminal hangs up and its com7 link goes), so the monitor
#      closes the port and looks for it once a second; processor time is taken, and the tries that
#      went as far as listing the ports and opening are counted (none while the device is gone);
#   3. back: gear-sim starts again under the same link; the time until the monitor has the port
#      open again is taken from its log.
# Processor time is utime + stime of the monitor from /proc, over SECONDS (default 60).
#
# Usage: scripts/bench-wait.sh [RELEASE_DIR [SECONDS]]   (make bench-wait builds and runs it)
set -euo pipefail
# shellcheck source=scripts/gear-facts.sh
source "$(dirname "$0")/gear-facts.sh"
# shellcheck source=scripts/processes.sh
source "$(dirname "$0")/processes.sh"

build=$(cd "${1:-build-release}" && pwd)
span_s=${2:-60}
readonly port=7
use_gear_facts "$build" || exit 1

work='' xvfb_pid='' monitor_pid='' sim_pid=''
say() { echo "bench-wait: $*"; }
now_ms() { date +%s%3N; }

cleanup() {
    stop_process monitor_pid
    stop_process sim_pid
    stop_process xvfb_pid
    [ -z "$work" ] || [ -n "${BENCH_KEEP:-}" ] || rm -rf "$work"
}

# Processor time of the monitor over the span, as a share of one core, e.g. "0.15 %".
core_share() {
    local before after
    before=$(cpu_ticks "$monitor_pid")
    sleep "$span_s"
    after=$(cpu_ticks "$monitor_pid")
    awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$span_s" \
        'BEGIN { printf "%.2f %% of a core (%d ms in %d s)", 100 * t / hz / s, 1000 * t / hz, s }'
}

start_sim() {
    "$build/sim/gear-sim" --link-dir "$program" --port "$port" >>"$work/sim.log" 2>&1 &
    sim_pid=$!
    for _ in $(seq 100); do
        [ -L "$program/com$port" ] && return
        sleep 0.05
    done
    echo "bench-wait: gear-sim did not link com$port" >&2
    exit 1
}

start_monitor() {
    QT_LOGGING_RULES="gear.link=true" QT_QPA_PLATFORM=xcb \
        "$program/gear-monitor" >"$work/monitor.log" 2>&1 &
    monitor_pid=$!
}

# Waits up to SECONDS for PATTERN to appear in the monitor's log after line SKIP.
await_log() {
    local pattern=$1 seconds=$2 skip=${3:-0}
    for _ in $(seq $((seconds * 50))); do
        tail -n +"$((skip + 1))" "$work/monitor.log" | grep -q -- "$pattern" && return 0
        running "$monitor_pid" || { echo "bench-wait: the monitor ended" >&2; exit 1; }
        sleep 0.02
    done
    echo "bench-wait: no '$pattern' from the monitor within $seconds s" >&2
    exit 1
}

main() {
    if [ ! -x "$build/gear-monitor" ] || [ ! -x "$build/sim/gear-sim" ]; then
        echo "bench-wait: build first (make bench-wait does)" >&2
        exit 1
    fi
    work=$(mktemp -d "${TMPDIR:-/tmp}/gear-bench-wait.XXXXXX")
    trap cleanup EXIT
    program=$work/program
    mkdir -p "$program"
    cp "$build/gear-monitor" "$program/"
    export XDG_RUNTIME_DIR=$work/xdg-runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    start_private_xvfb "$work" || { echo "bench-wait: no X server" >&2; exit 1; }

    say "idle, no port chosen, COMM FAIL blinking ($span_s s)..."
    write_settings_file "$program/$gear_settings_file" "$gear_no_port_name"
    start_monitor
    sleep 6 # past start-up, which opens the port on its tenth tick
    local idle
    idle=$(core_share)
    stop_process monitor_pid

    say "waiting for a pulled-out Com$port ($span_s s)..."
    write_settings_file "$program/$gear_settings_file" "Com$port"
    start_sim
    start_monitor
    await_log "opened .* as Com $port" 15
    stop_process sim_pid
    await_log "waiting for Com$port to come back" 10
    local tries_before waiting tries
    tries_before=$(grep -c "trying Com$port" "$work/monitor.log" || true)
    waiting=$(core_share)
    tries=$(($(grep -c "trying Com$port" "$work/monitor.log" || true) - tries_before))

    say "plugging it back in..."
    local lines plugged back
    lines=$(wc -l <"$work/monitor.log")
    plugged=$(now_ms)
    start_sim
    await_log "Com$port is back and open again" 5 "$lines"
    back=$(($(now_ms) - plugged))

    echo
    echo "| monitor, Release, under Xvfb | processor time |"
    echo "|---|---|"
    echo "| idle, no port, COMM FAIL blinking | $idle |"
    echo "| waiting for a pulled-out port | $waiting; $tries full open tries |"
    echo "| port open again after the device returned | $back ms |"
}

main
