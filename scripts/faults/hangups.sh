#!/usr/bin/env bash
# The device hangs up and comes back CYCLES times (default 100): gear-sim, the device behind the
# monitor's com7 link, is stopped (its pseudo-terminal closes: a hang-up as the monitor sees it)
# and started again at the same link, with a new terminal. The monitor is brought back with
# RESET PORT, and on every tenth cycle by a restart (SIGTERM, then a new start). Each time it
# must open the new terminal, must not spin while the device is gone (processor time measured
# over SPIN_WINDOW_MS) and must never crash.
#
# Usage: scripts/faults/hangups.sh BUILD_DIR [CYCLES]
set -euo pipefail
source "$(dirname "$0")/common.sh"
fault_setup hangups "$1"
cycles=${2:-100}
readonly spin_window_ms=500 spin_limit_ms=100 reopen_within_s=15

folder=$(program_folder hang)
sim_log=''

start_sim() {
    sim_log=$work/sim-$1.log
    "$sim_bin" --link-dir "$folder" --port 7 --frame-ms 50 >/dev/null 2>"$sim_log" &
    sim_pid=$!
    wait_until 5 test -L "$folder/com7" || fail "cycle $1: gear-sim did not link com7"
}

reader_connected() { grep -q "reader connected" "$sim_log"; }

start_sim 0
start_monitor "$folder" || fail "the monitor did not start"
wait_until 30 reader_connected || fail "the monitor did not open com7 at its start"

worst_spin=0 restarts=0 resets=0 began=$SECONDS
for cycle in $(seq "$cycles"); do
    stop_process sim_pid # the hang-up
    running "$monitor_pid" || fail "cycle $cycle: the monitor ended at the hang-up"
    sleep 0.2
    before=$(cpu_ms "$monitor_pid")
    sleep "0.$spin_window_ms"
    spin=$(($(cpu_ms "$monitor_pid") - before))
    [ "$spin" -gt "$worst_spin" ] && worst_spin=$spin
    [ "$spin" -le "$spin_limit_ms" ] ||
        fail "cycle $cycle: $spin ms of processor time in $spin_window_ms ms with the device gone"

    start_sim "$cycle"
    if [ $((cycle % 10)) -eq 0 ]; then
        stop_process monitor_pid
        start_monitor "$folder" || fail "cycle $cycle: the monitor did not start again"
        restarts=$((restarts + 1))
    else
        click_bar RESET
        resets=$((resets + 1))
    fi
    wait_until "$reopen_within_s" reader_connected ||
        fail "cycle $cycle: the monitor did not open the new terminal within $reopen_within_s s"
done
rss=$(rss_kb "$monitor_pid")
stop_process sim_pid
say "$cycles hang-ups in $((SECONDS - began)) s: $resets brought back by RESET PORT, $restarts by" \
    "a restart; at most $worst_spin ms of processor time in ${spin_window_ms} ms with the device" \
    "gone; no crash; memory at the end $rss kB; display retries $display_retries"
