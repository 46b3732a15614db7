#!/usr/bin/env bash
# End-to-end test of the monitor as a screen reader meets it: gear-monitor under a private X
# server and a private session bus with the accessibility bus on it, reading gear-sim through a
# com7 link in its program folder. The panel is read back through AT-SPI, as a screen reader does.
#
# 1. The six gear lights and the link indicator say their state in their names; as gear-sim's
#    flight retracts the gear the names change with it, and a name-changed event goes out.
# 2. When gear-sim stops, the link indicator's name says "no data" and the COMM FAIL notice
#    appears to assistive technology.
# 3. A walk of the menus with the keys alone (Alt, arrows, Return) chooses 19200 baud, which the
#    monitor saves in its settings file.
#
# Usage: screen_reader_e2e.sh GEAR_MONITOR GEAR_SIM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# A session bus of our own, so that the test neither needs nor disturbs a desktop's.
if [ -z "${GEAR_PRIVATE_BUS:-}" ]; then
    GEAR_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi

# shellcheck source=scripts/gear-facts.sh
source "$here/../../scripts/gear-facts.sh"
# shellcheck source=scripts/processes.sh
source "$here/../../scripts/processes.sh"

[ $# -eq 2 ] || { echo "usage: $0 GEAR_MONITOR GEAR_SIM" >&2; exit 2; }
monitor_binary=$1
sim_binary=$2
reader=("/usr/bin/python3" "$here/screen_reader.py")

use_gear_facts "$(dirname "$monitor_binary")" || exit 1
readonly port=7
# A flight every 36 frames: at 200 ms the gear is down for about 3 s, then up for about 3 s.
readonly sim_frame_ms=200
# The port opens on tick 10 (5 s); a whole flight follows within 8 s.
readonly live_within_s=20
readonly retract_within_s=12
readonly link_failed_within_s=8

lights=() events_seen=0 work='' xvfb_pid='' monitor_pid='' sim_pid='' listener_pid='' window='' step="setting up"

say() { echo "e2e: $*"; }

fail() {
    echo "e2e: FAILED at step '$step': $*" >&2
    for log in "$work"/*.log "$work"/events.txt; do
        if [ -s "$log" ]; then
            echo "--- $log (last lines)" >&2
            tail -n 15 "$log" >&2
        fi
    done
    keep_work=1
    echo "e2e: files kept in $work" >&2
    exit 1
}

keep_work=0
cleanup() {
    stop_process listener_pid
    stop_process monitor_pid
    stop_process sim_pid
    stop_process xvfb_pid
    [ "$keep_work" = 1 ] || rm -rf "$work"
}

require_tools() {
    local missing=()
    for tool in Xvfb xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher "$monitor_binary" \
        "$sim_binary"; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing+=(python3-pyatspi)
    [ ${#missing[@]} -eq 0 ] ||
        fail "missing: ${missing[*]} (scripts/install-deps.sh installs the tools; build first)"
}

# The session bus starts the accessibility bus's launcher when first asked for its address; the
# launcher and the registry end with the session bus.
start_accessibility_bus() {
    step="starting the accessibility bus"
    for _ in $(seq 100); do
        dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
            org.a11y.Bus.GetAddress >/dev/null 2>&1 && return
        sleep 0.05
    done
    fail "the accessibility bus did not come up within 5 s"
}

start_sim() {
    step="starting gear-sim"
    "$sim_binary" --link-dir "$program_folder" --port "$port" --config 11100 \
        --frame-ms "$sim_frame_ms" >"$work/sim.out" 2>"$work/sim.log" &
    sim_pid=$!
    wait_for_link "$program_folder" "$port" "$sim_pid" ||
        fail "gear-sim did not link com$port into the program folder"
}

start_monitor() {
    step="starting gear-monitor with assistive technology on"
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program_folder/gear-monitor" \
        >"$work/monitor.log" 2>&1 &
    monitor_pid=$!
    window=$(wait_for_window "$gear_caption" "$monitor_pid") ||
        fail "no window captioned '$gear_caption' appeared within 5 s (or gear-monitor ended)"
}

# read_names SECONDS PREFIX|STATE...: waits until every named box says its state.
read_names() {
    local seconds=$1
    shift
    "${reader[@]}" names "$monitor_pid" "$seconds" "$@" >"$work/names.txt" 2>"$work/reader.log" ||
        fail "the names did not say so within $seconds s"
    sed 's/^/e2e:   /' "$work/names.txt"
}

# gear_lights DOWN_STATE UP_STATE: sets `lights` to the six gear lights' PREFIX=STATE.
gear_lights() {
    local down=$1 up=$2
    lights=("X0 =|$down" "X1 =|$down" "X4 =|$down" "X2 =|$up" "X3 =|$up" "X5 =|$up")
}

# Every name change and appearance from the monitor's start on, in events.txt.
start_listening() {
    step="listening to the accessibility bus"
    "${reader[@]}" listen "$monitor_pid" "$work/events.txt" 90 2>"$work/listener.log" &
    listener_pid=$!
    for _ in $(seq 200); do
        grep -q '^listening' "$work/events.txt" 2>/dev/null && return
        running "$listener_pid" || break
        sleep 0.05
    done
    fail "the listener did not start"
}

# heard_since LINE PATTERN [SECONDS]: an event after line LINE of events.txt matches the fixed
# PATTERN. The listener writes what it hears a moment after the bus delivers it, so an event that
# has not reached the file yet is waited for, up to SECONDS (2).
heard_since() {
    for _ in $(seq $((${3:-2} * 10))); do
        tail -n +"$(($1 + 1))" "$work/events.txt" | grep -qF -- "$2" && return 0
        sleep 0.1
    done
    return 1
}

names_follow_the_gear() {
    step="the gear lights and the link say their state: gear down, receiving data"
    gear_lights "switch closed" "switch open"
    read_names "$live_within_s" "Receiving Data|receiving data" "${lights[@]}"
    say "gear down, read through the accessibility bus"

    events_seen=$(wc -l <"$work/events.txt")

    step="gear-sim retracts the gear: the names follow"
    gear_lights "switch open" "switch closed"
    read_names "$retract_within_s" "Receiving Data|receiving data" "${lights[@]}"
    for light in "X2 = Indicates the Right gear is UP, switch closed" \
        "X0 = Indicates the Right gear is down, switch open"; do
        heard_since "$events_seen" "name	$light" ||
            fail "no name-changed event said '$light'"
    done
    say "gear up: the names changed, and name-changed events said so"
}

link_failure_is_heard() {
    step="gear-sim stops: the link says no data and COMM FAIL appears"
    events_seen=$(wc -l <"$work/events.txt")
    kill -TERM "$sim_pid"
    wait "$sim_pid" || true
    sim_pid=
    read_names "$link_failed_within_s" "Receiving Data|no data"
    heard_since "$events_seen" "name	Receiving Data GREEN = OK, RED = BAD, no data" ||
        fail "no name-changed event said the link has no data"
    # The link counts as failed four ticks after it went quiet (about 2 s after "no data").
    heard_since "$events_seen" "showing	COMM FAIL	1" 8 ||
        fail "COMM FAIL was not announced as showing"
    say "link lost: 'no data' and COMM FAIL reached the accessibility bus"
}

# Alt puts the menu bar under the keys; Down opens Comm at Port; Down to Baud; Right opens it at
# 110; eight Downs reach 19200; Return chooses it, and the choice is saved.
menus_by_keys() {
    step="the keys alone choose 19200 baud, which is saved"
    local file=$program_folder/$gear_settings_file
    grep -q 19200 "$file" && fail "the settings file holds 19200 before the walk"
    xdotool windowfocus --sync "$window" 2>>"$work/xdotool.log" ||
        xdotool windowfocus "$window" 2>>"$work/xdotool.log"
    sleep 0.3
    local keys=(alt Down Down Right Down Down Down Down Down Down Down Down Return)
    for key in "${keys[@]}"; do
        xdotool key --clearmodifiers "$key"
        sleep 0.15
    done
    for _ in $(seq 50); do
        grep -q 19200 "$file" && break
        sleep 0.1
    done
    grep -q 19200 "$file" || fail "the settings file does not hold 19200 after the walk"
    say "menus walked by keys: 19200 baud saved in the settings file"
}

main() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/gear-a11y-e2e.XXXXXX")
    trap cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    require_tools

    program_folder=$work/program
    mkdir -p "$program_folder"
    cp "$monitor_binary" "$program_folder/gear-monitor"
    write_settings_file "$program_folder/$gear_settings_file" "Com$port"
    export XDG_RUNTIME_DIR=$work/xdg-runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    unset WAYLAND_DISPLAY

    start_private_xvfb "$work" || fail "no X server could be started (see xvfb.log)"
    start_accessibility_bus
    start_sim
    start_monitor
    start_listening
    names_follow_the_gear
    link_failure_is_heard
    menus_by_keys
    say "passed"
}

main
