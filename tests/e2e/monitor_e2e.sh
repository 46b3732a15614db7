#!/usr/bin/env bash
# End-to-end test of the real programs: gear-monitor, copied into a program folder of its own,
# runs under a private X server and reads gear-sim through a com7 link in that folder, chosen by
# a settings file there. The panel is read back pixel by pixel from the X server.
#
# A first start, installed in a bin folder: the "File not Found" box, and nothing printed.
# First run (relays 10110): the panel goes live on its own and shows the relays and the pump
# layout they select; when the simulator stops the link-failed display follows and the monitor
# sits idle; a window manager's close request then ends it with status 0.
# Second run (relays 01001, every relay the other way): live again with the opposite boxes lit;
# a close request while the port is open ends it with status 0 and the simulator sees its
# reader go.
# No run prints anything on the monitor's terminal.
#
# Usage: monitor_e2e.sh GEAR_MONITOR GEAR_SIM X11_PROBE
set -euo pipefail
# shellcheck source=scripts/gear-facts.sh
source "$(dirname "$0")/../../scripts/gear-facts.sh"
# shellcheck source=scripts/processes.sh
source "$(dirname "$0")/../../scripts/processes.sh"

[ $# -eq 3 ] || { echo "usage: $0 GEAR_MONITOR GEAR_SIM X11_PROBE" >&2; exit 2; }
monitor_binary=$1
sim_binary=$2
probe=$3

use_gear_facts "$(dirname "$monitor_binary")" || exit 1
readonly port=7
# Five records every 100 ms (about 590 bytes a second, within 9600 baud): the first tick after
# the port opens has enough lines to show the link live.
readonly sim_frame_ms=100

# Deadlines, in milliseconds. The tick runs from the window's creation and the port opens on
# tick 10, so the panel is live on tick 11 or 12: within 6.5 s of the start, or, when a busy
# machine took long to bring the window up, within 6.25 s of its appearance (half way to tick 13).
readonly live_within=6500
readonly live_after_window_within=6250
readonly link_failed_within=6000
# The second run's virtual adapter is pulled out once the panel is live and comes back after
# replug_gone_s; the monitor tries once a second, so the panel is live again within back_within.
readonly replug_after_s=10
readonly replug_gone_s=7
readonly back_within=3000
readonly exit_within=5000
# A monitor waiting on a closed port uses next to no processor time.
readonly idle_span_s=2
readonly idle_cpu_limit_ms=300

# Colours as the X server gives them, R,G,B.
readonly BRIGHT_GREEN=0,255,0
readonly DARK_GREEN=0,64,0
readonly RED=255,0,0
readonly YELLOW=255,255,0
readonly GREY=128,128,128
readonly LIGHT_GREY=224,224,224 # a frame's background, where a hidden indicator stood

# The indicators read back, by their control names; the pumps by the name of their box.
declare -A corner=()
for name in LG_CommOK C0_ON C0_OFF C1_ON C1_OFF C73_ON C73_OFF C121_ON C121_OFF C122_ON C122_OFF; do
    corner[$name]=${gear_corner[$name]}
done
for pump in Y0_UP_PUMP Y1_DOWN_PUMP Y0_POWER_PUMP Y1_DIRECTION_PUMP; do
    corner[$pump]=${gear_corner[${pump}_CONTROL]}
done
readonly relays=(C0 C1 C73 C121 C122)

work='' xvfb_pid='' monitor_pid='' sim_pid='' window='' client_top='' step="setting up"

say() { echo "e2e: $*"; }

now_ms() {
    local micro=${EPOCHREALTIME/./}
    echo $((micro / 1000))
}

seconds() { printf '%d.%02d s' $(($1 / 1000)) $(($1 % 1000 / 10)); }

fail() {
    keep_work=1
    echo "e2e: FAILED at step '$step': $*" >&2
    if [ -n "$xvfb_pid" ] && import -window root "$work/failure.png" 2>/dev/null; then
        echo "e2e: the screen at that moment: $work/failure.png" >&2
    fi
    for log in "$work"/*.log; do
        if [ -s "$log" ]; then
            echo "--- $log (last lines)" >&2
            tail -n 15 "$log" >&2
        fi
    done
    echo "e2e: files kept in $work" >&2
    exit 1
}

keep_work=0
cleanup() {
    stop_process monitor_pid
    stop_process sim_pid
    stop_process xvfb_pid
    [ "$keep_work" = 1 ] || rm -rf "$work"
}

require_tools() {
    local missing=()
    for tool in Xvfb xdotool import "$monitor_binary" "$sim_binary" "$probe"; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    [ ${#missing[@]} -eq 0 ] ||
        fail "missing: ${missing[*]} (scripts/install-deps.sh installs the tools; build first)"
}

start_xvfb() {
    step="starting a private X server"
    start_private_xvfb "$work" || fail "no X server could be started (see xvfb.log)"
    say "X server on $DISPLAY"
}

# start_sim FLAGS NAME [GEAR_SIM_OPTION...]
start_sim() {
    local flags=$1 name=$2
    shift 2
    sim_pid=
    "$sim_binary" --link-dir "$program_folder" --port "$port" --config "$flags" \
        --frame-ms "$sim_frame_ms" "$@" >"$work/$name.out" 2>"$work/$name.log" &
    sim_pid=$!
    wait_for_link "$program_folder" "$port" "$sim_pid" ||
        fail "gear-sim did not link com$port into the program folder"
}

start_monitor() {
    local name=$1 geometry
    monitor_started=$(now_ms)
    window_shown=
    QT_QPA_PLATFORM=xcb "$program_folder/gear-monitor" >"$work/$name.log" 2>&1 &
    monitor_pid=$!
    window=$(wait_for_window "$gear_caption" "$monitor_pid") ||
        fail "no window captioned '$gear_caption' appeared within 5 s (or gear-monitor ended)"
    # With no window manager there is no frame: the menu bar sits above the client area.
    geometry=$(xdotool getwindowgeometry --shell "$window")
    local WIDTH HEIGHT
    eval "$(grep -E '^(WIDTH|HEIGHT)=[0-9]+$' <<<"$geometry")"
    if [ "$WIDTH" != "$gear_client_width" ] || [ "$HEIGHT" -le "$gear_client_height" ]; then
        fail "the window is ${WIDTH}x$HEIGHT; expected $gear_client_width wide and taller than $gear_client_height"
    fi
    client_top=$((HEIGHT - gear_client_height))
    window_shown=$(now_ms)
}

# "R,G,B ..." for the named indicators, sampled 3 pixels inside their top-left corner (clear of
# the border and of any caption text).
read_colours() {
    local points=() x y
    for name in "$@"; do
        IFS=, read -r x y <<<"${corner[$name]}"
        points+=("$((x + 3)),$((y + 3 + client_top))")
    done
    "$probe" pixels "$window" "${points[@]}" 2>>"$work/probe.log"
}

describe() {
    case $1 in
    "$BRIGHT_GREEN") echo "bright green ($1)" ;;
    "$DARK_GREEN") echo "dark green ($1)" ;;
    "$RED") echo "red ($1)" ;;
    "$YELLOW") echo "yellow ($1)" ;;
    "$GREY") echo "grey ($1)" ;;
    shown) echo "shown (yellow or grey)" ;;
    hidden) echo "hidden (the frame's light grey, $LIGHT_GREY)" ;;
    *) echo "$1" ;;
    esac
}

# A shown output indicator is yellow or grey, as the output is; a hidden one lets the frame show.
matches() {
    local seen=$1 wanted=$2
    case $wanted in
    shown) [ "$seen" = "$YELLOW" ] || [ "$seen" = "$GREY" ] ;;
    hidden) [ "$seen" = "$LIGHT_GREY" ] ;;
    *) [ "$seen" = "$wanted" ] ;;
    esac
}

# Polls the panel until every NAME=EXPECTED holds, or fails once DEADLINE (ms since the epoch)
# has passed, naming what differed. Sets `reached` to the moment it held.
wait_for_panel() {
    local deadline=$1 names=() wanted=() colours mismatch
    shift
    for pair in "$@"; do
        names+=("${pair%%=*}")
        wanted+=("${pair#*=}")
    done
    while :; do
        mismatch=
        if colours=$(read_colours "${names[@]}"); then
            read -r -a seen <<<"$colours"
            for i in "${!names[@]}"; do
                matches "${seen[$i]}" "${wanted[$i]}" ||
                    mismatch+="; ${names[$i]} is ${seen[$i]}, expected $(describe "${wanted[$i]}")"
            done
        else
            mismatch="; the window's pixels could not be read (see probe.log)"
        fi
        reached=$(now_ms)
        if [ "$reached" -gt "$deadline" ]; then
            [ -n "$mismatch" ] || mismatch="; held only $(seconds $((reached - deadline))) too late"
            fail "${mismatch#; }"
        fi
        [ -z "$mismatch" ] && return
        running "$monitor_pid" || fail "gear-monitor ended unexpectedly${mismatch}"
        sleep 0.1
    done
}

# What the panel shows for relay flags such as 10110 (C0 C1 C73 C121 C122): the ON box of each
# pair lit when the relay is on, the OFF box when it is off; C1 picks the pump indicators.
relay_expectations() {
    local flags=$1
    for i in "${!relays[@]}"; do
        if [ "${flags:$i:1}" = 1 ]; then
            echo "${relays[$i]}_ON=$BRIGHT_GREEN ${relays[$i]}_OFF=$DARK_GREEN"
        else
            echo "${relays[$i]}_ON=$DARK_GREEN ${relays[$i]}_OFF=$BRIGHT_GREEN"
        fi
    done
    if [ "${flags:1:1}" = 1 ]; then
        echo "Y0_POWER_PUMP=shown Y1_DIRECTION_PUMP=shown Y0_UP_PUMP=hidden Y1_DOWN_PUMP=hidden"
    else
        echo "Y0_POWER_PUMP=hidden Y1_DIRECTION_PUMP=hidden Y0_UP_PUMP=shown Y1_DOWN_PUMP=shown"
    fi
}

# Every relay box dark, the pump layout back to direction and power with both relays off.
link_failed_expectations() {
    echo "LG_CommOK=$RED"
    for relay in "${relays[@]}"; do echo "${relay}_ON=$DARK_GREEN ${relay}_OFF=$DARK_GREEN"; done
    echo "Y0_POWER_PUMP=$GREY Y1_DIRECTION_PUMP=$GREY Y0_UP_PUMP=hidden Y1_DOWN_PUMP=hidden"
}

expect_live_panel() {
    local flags=$1
    local deadline=$((monitor_started + live_within))
    [ $((window_shown + live_after_window_within)) -le "$deadline" ] ||
        deadline=$((window_shown + live_after_window_within))
    step="$run: the panel goes live within $(seconds $((deadline - monitor_started))) of the monitor's start"
    wait_for_panel "$deadline" "LG_CommOK=$BRIGHT_GREEN"
    say "$run: panel live $(seconds $((reached - monitor_started))) after the monitor started" \
        "($(seconds $((reached - window_shown))) after its window appeared)"
    # The first live tick paints from every record of a frame, so the relays show at once.
    step="$run: the relay boxes and pump layout show relays $flags"
    # shellcheck disable=SC2046 # one NAME=EXPECTED per word
    wait_for_panel $((reached + 1000)) $(relay_expectations "$flags")
    say "$run: relay boxes and pump layout match relays $flags"
}

# Sends the close request and waits for the monitor to end; it must end with status 0.
close_window() {
    local asked status=0
    "$probe" close "$window" 2>>"$work/probe.log" || fail "the close request could not be sent"
    asked=$(now_ms)
    while running "$monitor_pid"; do
        [ $(($(now_ms) - asked)) -lt "$exit_within" ] ||
            fail "gear-monitor still runs $(seconds $exit_within) after the close request"
        sleep 0.05
    done
    wait "$monitor_pid" || status=$?
    monitor_pid=
    [ "$status" -eq 0 ] || fail "gear-monitor ended with status $status"
    say "$run: ended with status 0 $(seconds $(($(now_ms) - asked))) after the close request"
}

stop_sim_expecting_clean_exit() {
    local status=0
    kill -TERM "$sim_pid"
    wait "$sim_pid" || status=$?
    sim_pid=
    [ "$status" -eq 0 ] || fail "gear-sim ended with status $status on SIGTERM"
    [ ! -L "$program_folder/com$port" ] || fail "gear-sim left com$port behind"
}

first_run() {
    run="run 1"
    local flags=10110 stopped before after
    step="$run: starting gear-sim and gear-monitor"
    start_sim "$flags" sim1
    start_monitor monitor1
    expect_live_panel "$flags"

    step="$run: the link-failed display within $(seconds $link_failed_within) of stopping gear-sim"
    stopped=$(now_ms)
    stop_sim_expecting_clean_exit
    # shellcheck disable=SC2046
    wait_for_panel $((stopped + link_failed_within)) $(link_failed_expectations)
    say "$run: link-failed display $(seconds $((reached - stopped))) after gear-sim stopped"

    step="$run: the monitor is idle on the hung-up port"
    before=$(cpu_ticks "$monitor_pid")
    sleep "$idle_span_s"
    running "$monitor_pid" || fail "gear-monitor ended on its own"
    after=$(cpu_ticks "$monitor_pid")
    local used_ms=$(((after - before) * 1000 / $(getconf CLK_TCK)))
    [ "$used_ms" -lt "$idle_cpu_limit_ms" ] ||
        fail "gear-monitor used $used_ms ms of processor time in $idle_span_s s"
    say "$run: ${used_ms} ms of processor time in $idle_span_s s with the link failed"

    step="$run: a close request with the port closed ends the monitor"
    close_window
}

# Waits up to SECONDS for gear-sim's log NAME.log to say TEXT after its line SKIP.
await_sim_log() {
    local name=$1 text=$2 seconds=$3 skip=${4:-0}
    for _ in $(seq $((seconds * 20))); do
        tail -n +"$((skip + 1))" "$work/$name.log" | grep -q -- "$text" && return 0
        sleep 0.05
    done
    return 1
}

# The adapter is pulled out and comes back: the panel shows the link lost, then live again with
# no one touching the monitor.
replug_and_return() {
    local pulled
    step="$run: gear-sim pulls its virtual adapter out"
    await_sim_log sim2 "unplugged for" $((replug_after_s + 5)) ||
        fail "gear-sim did not unplug within $((replug_after_s + 5)) s"
    pulled=$(now_ms)
    step="$run: the link-failed display within $(seconds $link_failed_within) of the adapter going"
    # shellcheck disable=SC2046
    wait_for_panel $((pulled + link_failed_within)) $(link_failed_expectations)
    step="$run: live again within $(seconds $back_within) of the adapter's return, untouched"
    wait_for_panel $((pulled + replug_gone_s * 1000 + back_within)) "LG_CommOK=$BRIGHT_GREEN"
    say "$run: the port reopened by itself; live again" \
        "$(seconds $((reached - pulled - replug_gone_s * 1000))) after the adapter came back"
}

second_run() {
    run="run 2"
    local flags=01001 lines
    step="$run: starting gear-sim and gear-monitor"
    start_sim "$flags" sim2 --replug-after "$replug_after_s" --replug-for "$replug_gone_s"
    start_monitor monitor2
    expect_live_panel "$flags"
    replug_and_return

    step="$run: a close request with the port open ends the monitor"
    lines=$(wc -l <"$work/sim2.log")
    close_window
    step="$run: gear-sim sees its reader go once the monitor has ended"
    await_sim_log sim2 "reader gone" 2 "$lines" || fail "gear-sim did not report its reader gone"
    running "$sim_pid" || fail "gear-sim ended with its reader"
    stop_sim_expecting_clean_exit
    say "$run: the port was closed: gear-sim saw its reader go"
}

# What a run of the monitor printed on its terminal: nothing, as long as no recording stops.
expect_silence() {
    [ ! -s "$work/$1.log" ] ||
        fail "gear-monitor printed on its terminal: $(head -c 400 "$work/$1.log")"
}

# A first start as a user makes it: the program installed in the bin folder of a prefix of the
# user's own, no settings file anywhere. The settings folder is the user's configuration folder,
# not the bin folder; the monitor says "File not Found" in its box after about 2.5 s, and prints
# nothing on its terminal.
first_start() {
    run="first start"
    local installed=$work/prefix/bin config=$work/config box=''
    mkdir -p "$installed" "$config"
    cp "$monitor_binary" "$installed/gear-monitor"
    step="$run: the monitor shows its box"
    XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=xcb "$installed/gear-monitor" >"$work/first.log" 2>&1 &
    monitor_pid=$!
    for _ in $(seq 200); do
        box=$(xdotool search --onlyvisible --name "^Landing Gear Controller Monitor\$" 2>/dev/null |
            head -1 || true)
        [ -n "$box" ] && break
        running "$monitor_pid" || fail "gear-monitor ended before its box appeared"
        sleep 0.05
    done
    [ -n "$box" ] || fail "no box within 10 s of a first start"
    step="$run: nothing printed, nothing written"
    stop_process monitor_pid
    expect_silence first
    [ -z "$(ls -A "$config")" ] || fail "a first start wrote into $config: $(ls -A "$config")"
    [ "$(ls -A "$installed")" = gear-monitor ] ||
        fail "a first start wrote beside the installed program: $(ls -A "$installed")"
    say "$run: the box, nothing on the terminal, nothing written"
}

main() {
    local began
    began=$(now_ms)
    work=$(mktemp -d "${TMPDIR:-/tmp}/gear-e2e.XXXXXX")
    trap cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    require_tools

    # Everything the monitor finds in its own folder: itself, its icon, the port link, the
    # settings file selecting that port at 9600 8N1.
    program_folder=$work/program
    mkdir -p "$program_folder"
    cp "$monitor_binary" "$program_folder/gear-monitor"
    local icon
    icon="$(dirname "$monitor_binary")/$gear_icon_file"
    [ -f "$icon" ] && cp "$icon" "$program_folder/"
    write_settings_file "$program_folder/$gear_settings_file" "Com$port"
    export XDG_RUNTIME_DIR=$work/xdg-runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    unset WAYLAND_DISPLAY

    start_xvfb
    first_start
    first_run
    expect_silence monitor1
    second_run
    expect_silence monitor2
    say "passed in $(seconds $(($(now_ms) - began)))"
}

main
