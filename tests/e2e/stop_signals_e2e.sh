#!/usr/bin/env bash
# The real gear-monitor ended by SIGINT, SIGTERM and SIGHUP while its port is open: each ends
# with status 0 as on a window close, the port closed (gear-sim sees its reader go) and the lock
# file QSerialPort took in /run/lock removed, so the next user can open the port. Its recording
# ends with the port's close and nothing after it.
# The three runs go side by side, each with its own program folder and simulator.
#
# Usage: stop_signals_e2e.sh GEAR_MONITOR GEAR_SIM
set -euo pipefail
# shellcheck source=scripts/gear-facts.sh
source "$(dirname "$0")/../../scripts/gear-facts.sh"
# shellcheck source=scripts/processes.sh
source "$(dirname "$0")/../../scripts/processes.sh"

[ $# -eq 2 ] || { echo "usage: $0 GEAR_MONITOR GEAR_SIM" >&2; exit 2; }
monitor_binary=$1
sim_binary=$2
use_gear_facts "$(dirname "$monitor_binary")" || exit 1
readonly lock_dir=/run/lock
readonly open_within_s=30 # the port opens about 5 s after the start; more on a busy machine
readonly exit_within_s=5

work=$(mktemp -d "${TMPDIR:-/tmp}/gear-signals.XXXXXX")
declare -A sim_pids=() monitor_pids=()
failed=0

cleanup() {
    local pid
    for pid in "${monitor_pids[@]}" "${sim_pids[@]}"; do stop_process pid; done
    [ "$failed" = 1 ] && { echo "signals: files kept in $work" >&2; return; }
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    failed=1
    echo "signals: FAILED ($1): $2" >&2
    tail -n 5 "$work/$1"/*.log >&2 || true
}

# The lock file QSerialPort takes for a device: /dev/pts/3 locks as LCK..pts_3.
lock_file_of() {
    local name=${1#/dev/}
    echo "$lock_dir/LCK..${name//\//_}"
}

start() {
    local signal=$1 port=$2 folder=$work/$1
    mkdir -p "$folder/program" "$folder/xdg"
    chmod 700 "$folder/xdg"
    cp "$monitor_binary" "$folder/program/gear-monitor"
    write_settings_file "$folder/program/$gear_settings_file" "Com$port"
    "$sim_binary" --link-dir "$folder/program" --port "$port" >"$folder/sim.out" 2>"$folder/sim.log" &
    sim_pids[$signal]=$!
    # A background job of a script starts with SIGINT ignored; the monitor gets the defaults a
    # terminal would give it.
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$folder/xdg \
        env --default-signal=INT,TERM,HUP "$folder/program/gear-monitor" \
        --record "$folder/session.rec" >"$folder/monitor.log" 2>&1 &
    monitor_pids[$signal]=$!
}

wait_for_reader() {
    local folder=$work/$1
    for _ in $(seq $((open_within_s * 10))); do
        grep -q "reader connected" "$folder/sim.log" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

check() {
    local signal=$1 folder=$work/$1 pty lock last status=0
    wait_for_reader "$signal" || { fail "$signal" "the monitor did not open its port"; return; }
    pty=$(sed -n 's/^gear-sim: pseudo-terminal //p' "$folder/sim.out")
    lock=$(lock_file_of "$pty")
    [ -e "$lock" ] || echo "signals: $signal: no lock file $lock while open (none to check)"
    kill -s "$signal" "${monitor_pids[$signal]}"
    for _ in $(seq $((exit_within_s * 20))); do
        running "${monitor_pids[$signal]}" || break
        sleep 0.05
    done
    running "${monitor_pids[$signal]}" && { fail "$signal" "still running ${exit_within_s} s after SIG$signal"; return; }
    wait "${monitor_pids[$signal]}" || status=$?
    monitor_pids[$signal]=''
    [ "$status" -eq 0 ] || { fail "$signal" "ended with status $status"; return; }
    [ ! -e "$lock" ] || { fail "$signal" "left its lock file $lock"; return; }
    for _ in $(seq 40); do
        grep -q "reader gone" "$folder/sim.log" && break
        sleep 0.05
    done
    grep -q "reader gone" "$folder/sim.log" || { fail "$signal" "gear-sim did not see its reader go"; return; }
    last=$(tail -n 1 "$folder/session.rec" | cut -d ' ' -f 2)
    [ "$last" = close ] || { fail "$signal" "the recording ends with '$last', not close"; return; }
    echo "signals: SIG$signal: status 0, port closed, lock file $lock removed, recording closed"
}

port=61
for signal in INT TERM HUP; do
    start "$signal" "$port"
    port=$((port + 1))
done
for signal in INT TERM HUP; do check "$signal"; done
exit "$failed"
