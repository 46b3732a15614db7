#!/usr/bin/env bash
# `make soak`: gear-monitor against gear-sim at its fastest for SOAK_SECONDS (default 600), failing
# if the monitor's memory grows or a tick runs late.
#
# The monitor runs from a program folder of its own (offscreen, no display needed), its port a
# com7 link to the simulator, which sends frames back to back at 4,000,000 baud (about 400 kB a
# second, the most a pseudo-terminal lets it pace). The monitor logs each tick with its
# monotonic time (logging category gear-tick); its resident memory is read from /proc every
# SOAK_SAMPLE_SECONDS.
#
# Fails when
# - a tick comes more than SOAK_LATE_MS (100) after the one before it was due: the gap between
#   two ticks exceeds the 500 ms period by more than that;
# - memory grows: the median of the last quarter of the samples exceeds the median of the first
#   quarter by more than SOAK_RSS_GROWTH_KB (4096); the samples start SOAK_WARMUP_SECONDS (30)
#   after the start, once the port is open and the panel live;
# - the monitor ends early, or does not end with status 0 on SIGTERM at the end.
#
# Usage: scripts/soak.sh BUILD_DIR   (make soak builds the Release programs into build-release)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/gear-facts.sh
source "$here/gear-facts.sh"
# shellcheck source=scripts/processes.sh
source "$here/processes.sh"

build=$(cd "${1:?usage: soak.sh BUILD_DIR}" && pwd)
use_gear_facts "$build" || exit 1
seconds=${SOAK_SECONDS:-600}
sample_seconds=${SOAK_SAMPLE_SECONDS:-5}
warmup_seconds=${SOAK_WARMUP_SECONDS:-30}
late_limit_ms=${SOAK_LATE_MS:-100}
growth_limit_kb=${SOAK_RSS_GROWTH_KB:-4096}
readonly tick_ms=500 port=7 fastest_baud=4000000

work=$(mktemp -d "${TMPDIR:-/tmp}/gear-soak.XXXXXX")
sim_pid='' monitor_pid=''
cleanup() {
    stop_process monitor_pid
    stop_process sim_pid
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

say() { echo "soak: $*"; }
fail() {
    say "FAILED: $*" >&2
    say "files kept in $work" >&2
    exit 1
}

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print 0 }'; }

start_programs() {
    local program=$work/program
    mkdir -p "$program" "$work/xdg"
    chmod 700 "$work/xdg"
    cp "$build/gear-monitor" "$program/"
    write_settings_file "$program/$gear_settings_file" "Com$port"
    "$build/sim/gear-sim" --link-dir "$program" --port "$port" --fast --baud "$fastest_baud" \
        >"$work/sim.out" 2>"$work/sim.log" &
    sim_pid=$!
    for _ in $(seq 100); do
        [ -L "$program/com$port" ] && break
        sleep 0.05
    done
    [ -L "$program/com$port" ] || fail "gear-sim did not link com$port"
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/xdg QT_LOGGING_RULES="gear-tick=true" \
        "$program/gear-monitor" >"$work/monitor.out" 2>"$work/monitor.log" &
    monitor_pid=$!
}

# One "seconds-since-start rss-kB" line per sample.
sample_memory() {
    local began=$SECONDS elapsed next=0
    : >"$work/rss.txt"
    while :; do
        elapsed=$((SECONDS - began))
        [ "$elapsed" -ge "$seconds" ] && break
        running "$monitor_pid" || fail "gear-monitor ended after $elapsed s"
        if [ "$elapsed" -ge "$next" ]; then
            echo "$elapsed $(rss_kb "$monitor_pid")" >>"$work/rss.txt"
            next=$((next + sample_seconds))
        fi
        sleep 1
    done
}

stop_monitor() {
    local status=0
    kill -TERM "$monitor_pid"
    wait "$monitor_pid" || status=$?
    monitor_pid=''
    [ "$status" -eq 0 ] || fail "gear-monitor ended with status $status on SIGTERM"
}

# "lateness-ms seconds-into-the-run" per gap between consecutive ticks, from "gear-tick: tick at
# N ms"; the first tick comes while the window is still being shown and is left out.
tick_lateness() {
    sed -n 's/.*tick at \([0-9]*\) ms.*/\1/p' "$work/monitor.log" |
        awk -v period="$tick_ms" 'NR == 1 { first = $1 }
                                  NR > 2 { printf "%d %d\n", $1 - previous - period, ($1 - first) / 1000 }
                                  { previous = $1 }' >"$work/lateness.txt"
}

main() {
    [ -x "$build/gear-monitor" ] && [ -x "$build/sim/gear-sim" ] || fail "build $build first"
    say "$seconds s of gear-monitor against gear-sim --fast --baud $fastest_baud; files in $work"
    start_programs
    local cpu_before
    cpu_before=$(cpu_ticks "$monitor_pid")
    sample_memory
    local cpu_used=$(($(cpu_ticks "$monitor_pid") - cpu_before))
    stop_monitor
    stop_process sim_pid

    tick_lateness
    local ticks max_late late_count
    ticks=$(wc -l <"$work/lateness.txt")
    max_late=$(sort -n "$work/lateness.txt" | tail -1 | cut -d' ' -f1)
    late_count=$(awk -v limit="$late_limit_ms" '$1 > limit' "$work/lateness.txt" | wc -l)
    late_at=$(awk -v limit="$late_limit_ms" '$1 > limit { printf " %d ms at %d s;", $1, $2 }' "$work/lateness.txt")
    [ "$ticks" -gt 0 ] || fail "no ticks logged (gear-tick) in $work/monitor.log"

    local samples quarter first last growth
    awk -v from="$warmup_seconds" '$1 >= from { print $2 }' "$work/rss.txt" >"$work/rss-kept.txt"
    samples=$(wc -l <"$work/rss-kept.txt")
    [ "$samples" -ge 4 ] || fail "too few memory samples ($samples): run longer"
    quarter=$((samples / 4))
    first=$(head -n "$quarter" "$work/rss-kept.txt" | median)
    last=$(tail -n "$quarter" "$work/rss-kept.txt" | median)
    growth=$((last - first))

    say "ticks: $ticks gaps; latest $max_late ms after due; $late_count later than $late_limit_ms ms${late_at}"
    say "memory: first-quarter median $first kB, last-quarter median $last kB, growth $growth kB" \
        "(samples $samples, min $(sort -n "$work/rss-kept.txt" | head -1), max $(sort -n "$work/rss-kept.txt" | tail -1) kB)"
    say "processor: $((cpu_used * 1000 / $(getconf CLK_TCK) / seconds)) ms per second of run"
    say "gear-sim: $(grep 'ended;' "$work/sim.log" || echo 'no summary')"
    say "machine: $(nproc) cores, load average at the end $(cut -d' ' -f1-3 /proc/loadavg)"
    [ "$late_count" -eq 0 ] || fail "$late_count ticks ran more than $late_limit_ms ms late"
    [ "$growth" -le "$growth_limit_kb" ] || fail "memory grew by $growth kB (limit $growth_limit_kb)"
    say "passed"
    rm -rf "$work"
}

main
