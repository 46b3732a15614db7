#!/usr/bin/env bash
# `make bench-e2e`: what a received line costs the whole monitor, read from a pseudo-terminal, next
# to a widely used Qt serial terminal (CuteCom) and to `cat` on the same stream.
#
# For each rate (lines a second, or "max": as fast as the reader takes them) bench-line-feed plays
# a controller on a pseudo-terminal, frames of five status lines that change every frame, and
# measures the reader over BENCH_SECONDS after BENCH_WARMUP: processor time, lines sent, bytes
# left unread, resident memory. The rate "sim" is the controller's own pace instead: gear-sim
# sending its gear cycle at 9600 baud (--fast --baud 9600, about 80 lines a second), the reader
# measured from here over the same span. The readers, one at a time:
#   hidden    the monitor (Release) with the serial view hidden, as it starts
#   shown     the same, the view shown by a click on SHOW/HIDE SERIAL in its menu bar
#   cutecom   CuteCom with the terminal opened (Alt+O), from a private HOME
#   cat       cat into /dev/null: the floor
# With BENCH_BEFORE=PATH (an older gear-monitor) the readers before-hidden and before-shown run
# that program too, for a before/after comparison on one machine in one run.
# Then the panel mirror's cost at 100 lines a second: the readers "mirror-hidden" and
# "mirror-shown" are the monitor, view hidden or shown, started with --mirror 127.0.0.1:0 and
# watched by BENCH_MIRROR_CLIENTS (10) WebSocket clients (scripts/bench-mirror-clients.py) that
# read and throw away every message; their processor time is set against "hidden" and "shown" at
# the same rate. With the view shown its twenty lines change all the time, and the mirror sends
# twenty messages a second; hidden, the panel changes on the monitor's 500 ms tick. The mirror may
# cost one point of a core at most.
# The monitor and CuteCom run under a private X server; the monitor, from a program folder of its
# own, reads the terminal through a com7 link chosen by its settings file (9600 8N1; a
# pseudo-terminal ignores the speed) and logs its 500 ms tick (gear-tick), whose lateness is
# read for the measured span.
#
# Prints Markdown tables and saves them as BUILD_DIR/bench-e2e.md (or BENCH_OUTPUT): the first,
# with the monitor's view shown against CuteCom at each rate, is the one docs/performance.md
# keeps.
#
# Usage: scripts/bench-e2e.sh [BUILD_DIR]   (default build-release; make bench-e2e builds it)
# Environment: BENCH_SECONDS (10), BENCH_WARMUP (2), BENCH_RATES ("sim 100 1100 2100 max"),
# BENCH_READERS ("hidden shown cutecom cat"), MONITOR (BUILD_DIR/gear-monitor), BENCH_BEFORE,
# BENCH_MIRROR=0 (leave the mirror out), BENCH_MIRROR_CLIENTS (10),
# SHORT=1 (2 s measured after 1 s warm-up: a smoke test, not figures).
# shellcheck disable=SC2154 # the gear_* facts are set by use_gear_facts
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/gear-facts.sh
source "$here/gear-facts.sh"
# shellcheck source=scripts/processes.sh
source "$here/processes.sh"

build=$(cd "${1:-build-release}" && pwd)
use_gear_facts "$build" || exit 1
feeder=$build/bench-line-feed
sim=$build/sim/gear-sim
monitor=${MONITOR:-$build/gear-monitor}
before=${BENCH_BEFORE:-}
seconds=${BENCH_SECONDS:-10}
warmup=${BENCH_WARMUP:-2}
if [ "${SHORT:-0}" = 1 ]; then
    seconds=2 warmup=1
fi
read -r -a rates <<<"${BENCH_RATES:-sim 100 1100 2100 max}"
read -r -a readers <<<"${BENCH_READERS:-hidden shown cutecom cat}"
[ -z "$before" ] || readers=(before-hidden before-shown "${readers[@]}")
output=${BENCH_OUTPUT:-$build/bench-e2e.md}
mirror=${BENCH_MIRROR:-1}
mirror_clients=${BENCH_MIRROR_CLIENTS:-10}
readonly mirror_rate=100 mirror_limit_points=1
readonly port=7 tick_ms=500 sim_baud=9600
# The monitor opens its port on its tenth tick, about 5 s after it starts.
readonly reader_start_limit_s=20

work='' xvfb_pid='' feeder_pid='' reader_pid='' sim_pid='' clients_pid=''

say() { echo "bench-e2e: $*" >&2; }
# A mark in the scratch folder rather than a variable: fail may run in a command substitution's
# subshell, whose variables the cleanup never sees.
fail() {
    say "FAILED: $*"
    say "files kept in $work"
    [ -z "$work" ] || touch "$work/.keep"
    exit 1
}

cleanup() {
    stop_process clients_pid
    stop_process reader_pid
    stop_process feeder_pid
    stop_process sim_pid
    stop_process xvfb_pid
    [ -z "$work" ] || [ -e "$work/.keep" ] || rm -rf "$work"
}

require_tools() {
    local missing=()
    local sim_tool=()
    [[ " ${rates[*]} " != *" sim "* ]] || sim_tool=("$sim")
    for tool in Xvfb xdotool "$feeder" "$monitor" ${before:+"$before"} "${sim_tool[@]}"; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    [[ " ${readers[*]} " != *" cutecom "* ]] || command -v cutecom >/dev/null || missing+=(cutecom)
    [ ${#missing[@]} -eq 0 ] || fail "missing: ${missing[*]} (scripts/install-deps.sh; make bench-e2e builds)"
}

# A program folder of its own for a monitor binary: the program, its icon, its settings file.
program_folder() {
    local binary=$1 folder=$2
    mkdir -p "$folder"
    cp "$binary" "$folder/gear-monitor"
    [ ! -f "$build/$gear_icon_file" ] || cp "$build/$gear_icon_file" "$folder/"
    write_settings_file "$folder/$gear_settings_file" "Com$port"
}

# Starts the feeder linked as LINK; sets pty to the terminal's path.
start_feeder() {
    local link=$1 rate=$2
    : >"$work/feed.out"
    "$feeder" --link "$link" --rate "$rate" --warmup "$warmup" --seconds "$seconds" \
        >"$work/feed.out" 2>"$work/feed.log" &
    feeder_pid=$!
    for _ in $(seq 100); do
        pty=$(head -1 "$work/feed.out")
        [ -n "$pty" ] && return
        sleep 0.05
    done
    fail "bench-line-feed did not start"
}

find_window() {
    local how=("$@") window=''
    for _ in $(seq 200); do
        window=$(xdotool search --onlyvisible "${how[@]}" 2>/dev/null | head -1 || true)
        [ -n "$window" ] && break
        running "$reader_pid" || fail "the reader ended before its window appeared"
        sleep 0.05
    done
    [ -n "$window" ] || fail "no window (${how[*]}) appeared within 10 s"
    echo "$window"
}

# The view's black frame is drawn only while it is shown.
view_shown() {
    local window=$1 x y client_top HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^HEIGHT=[0-9]+$')"
    client_top=$((HEIGHT - gear_client_height))
    IFS=, read -r x y <<<"${gear_corner[Shape1]}"
    [[ "$(import -window "$window" -crop "1x1+$x+$((y + client_top))" txt:- 2>/dev/null)" == *"#000000"* ]]
}

show_serial_view() {
    local window=$1 x y
    IFS=, read -r x y <<<"${gear_menu[Show_Menu]}"
    xdotool mousemove --window "$window" "$x" "$y" click 1
    for _ in $(seq 40); do
        view_shown "$window" && return
        sleep 0.05
    done
    fail "the serial view did not appear after a click on SHOW/HIDE SERIAL at $x,$y"
}

# start_monitor FOLDER VIEW [GEAR_MONITOR_OPTION...]
start_monitor() {
    local folder=$1 view=$2 window
    shift 2
    QT_QPA_PLATFORM=xcb QT_LOGGING_RULES="gear-tick.debug=true" \
        "$folder/gear-monitor" "$@" >"$work/reader.out" 2>"$work/reader.log" &
    reader_pid=$!
    # With the mirror on, the caption goes on with the mirror's address.
    window=$(find_window --name "^$gear_caption")
    if [ "$view" = shown ]; then
        show_serial_view "$window"
    elif view_shown "$window"; then
        fail "the serial view is shown at start"
    fi
}

holds_terminal() {
    local fd
    for fd in /proc/"$1"/fd/*; do
        [ "$(readlink "$fd" 2>/dev/null)" = "$pty" ] && return 0
    done
    return 1
}

# CuteCom from a private HOME whose one session names the terminal; Alt+O opens it.
start_cutecom() {
    local home=$work/cutecom-home window
    rm -rf "$home"
    mkdir -p "$home/.config/CuteCom"
    cat >"$home/.config/CuteCom/CuteCom5.conf" <<EOF
[sessions]
1\BaudRate=9600
1\DataBits=8
1\Device=$pty
1\FlowControl=0
1\OpenMode=3
1\Parity=0
1\StopBits=1
1\autoReconnect=false
1\name=Default
1\showCtrlCharacters=false
1\showTimestamp=false
size=1
EOF
    HOME=$home QT_QPA_PLATFORM=xcb cutecom >"$work/reader.out" 2>"$work/reader.log" &
    reader_pid=$!
    window=$(find_window --pid "$reader_pid")
    for _ in $(seq 20); do
        xdotool windowfocus "$window" key alt+o 2>/dev/null || true
        sleep 0.5
        holds_terminal "$reader_pid" && return
    done
    fail "CuteCom did not open $pty"
}

start_reader() {
    local reader=$1
    case $reader in
    hidden | shown) start_monitor "$work/program" "$reader" ;;
    mirror-hidden | mirror-shown)
        start_monitor "$work/program" "${reader#mirror-}" --mirror 127.0.0.1:0
        start_mirror_clients
        ;;
    before-hidden | before-shown) start_monitor "$work/program-before" "${reader#before-}" ;;
    cutecom) start_cutecom ;;
    cat)
        cat "$pty" >/dev/null 2>&1 &
        reader_pid=$!
        ;;
    esac
}

link_for() {
    case $1 in
    hidden | shown | mirror-*) echo "$work/program/com$port" ;;
    before-*) echo "$work/program-before/com$port" ;;
    *) echo "$work/link" ;;
    esac
}

# The p99 lateness in ms of the ticks logged within the measured span (FROM..TO on the monotonic
# clock): how much later than 500 ms after the one before each came.
tick_lateness_p99() {
    local from=$1 to=$2
    sed -n 's/.*tick at \([0-9]*\) ms.*/\1/p' "$work/reader.log" |
        awk -v from="$from" -v to="$to" -v period="$tick_ms" '
            $1 >= from && $1 <= to && seen { print $1 - previous - period }
            { previous = $1; seen = 1 }' |
        sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int(NR * 0.99 + 0.999)]; else print "-" }'
}

# The p99 lateness in ms of the ticks from the FROMth to the TOth line of the monitor's tick log.
tick_lateness_p99_lines() {
    local from=$1 to=$2
    sed -n 's/.*tick at \([0-9]*\) ms.*/\1/p' "$work/reader.log" | sed -n "${from},${to}p" |
        awk -v period="$tick_ms" 'seen { print $1 - previous - period } { previous = $1; seen = 1 }' |
        sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int(NR * 0.99 + 0.999)]; else print "-" }'
}

ticks_logged() { grep -c 'tick at' "$work/reader.log" || true; }
lines_sent_by_sim() { grep -c '^> ' "$work/sim.log" || true; }
resident_kb() { sed -n 's/^VmRSS:[^0-9]*\([0-9]*\).*/\1/p' "/proc/$1/status"; }

# Starts gear-sim sending its gear cycle at 9600 baud, linked as FOLDER/com7; sets pty.
start_sim() {
    local folder=$1
    mkdir -p "$folder"
    : >"$work/sim.out"
    "$sim" --link-dir "$folder" --port "$port" --fast --baud "$sim_baud" --verbose \
        >"$work/sim.out" 2>"$work/sim.log" &
    sim_pid=$!
    for _ in $(seq 100); do
        pty=$(sed -n '1s/^gear-sim: pseudo-terminal //p' "$work/sim.out")
        [ -n "$pty" ] && return
        sleep 0.05
    done
    fail "gear-sim did not start"
}

# The controller's pace: the reader of gear-sim measured from here over the span, once it holds
# the terminal (the monitor opens its port about 5 s after it starts) and the warm-up is over.
# gear-sim echoes each line it sends on standard error, which counts them.
measure_sim() {
    local reader=$1 late=- cpu0 cpu1 lines0 lines1 rss0 rss1 ticks0 ticks1 t0 t1
    local folder=$work/sim-link
    [[ $reader == cutecom || $reader == cat ]] || folder=$(dirname "$(link_for "$reader")")
    start_sim "$folder"
    start_reader "$reader"
    for _ in $(seq $((reader_start_limit_s * 10))); do
        holds_terminal "$reader_pid" && break
        running "$reader_pid" || fail "$reader ended before it opened $pty"
        sleep 0.1
    done
    holds_terminal "$reader_pid" || fail "$reader did not open $pty within $reader_start_limit_s s"
    sleep "$warmup"
    t0=$EPOCHREALTIME cpu0=$(cpu_ticks "$reader_pid") rss0=$(resident_kb "$reader_pid")
    lines0=$(lines_sent_by_sim) ticks0=$(ticks_logged)
    sleep "$seconds"
    t1=$EPOCHREALTIME cpu1=$(cpu_ticks "$reader_pid") rss1=$(resident_kb "$reader_pid")
    lines1=$(lines_sent_by_sim) ticks1=$(ticks_logged)
    running "$sim_pid" || fail "gear-sim ended during the run: $(tail -3 "$work/sim.log")"
    [[ $reader == cutecom || $reader == cat ]] || late=$(tick_lateness_p99_lines "$ticks0" "$ticks1")
    stop_process reader_pid
    stop_process sim_pid
    local result
    result=$(awk -v c0="$cpu0" -v c1="$cpu1" -v l0="$lines0" -v l1="$lines1" -v t0="$t0" \
        -v t1="$t1" -v hz="$(getconf CLK_TCK)" -v r0="$rss0" -v r1="$rss1" 'BEGIN {
            span = t1 - t0
            printf "reader=- sent_lines=%d seconds=%.3f lines_per_s=%.0f cpu_s=%.3f ", l1 - l0,
                span, (l1 - l0) / span, (c1 - c0) / hz
            printf "backlog_bytes=- rss_kb_start=%d rss_kb_end=%d", r0, r1 }')
    echo "$reader sim $result tick_p99_ms=$late" >>"$work/results"
    say "$reader at gear-sim's pace: $result tick_p99_ms=$late"
}

# Runs one reader at one rate; appends "reader rate key=value..." to the results.
measure() {
    local reader=$1 rate=$2 result late=-
    [ "$rate" != sim ] || { measure_sim "$reader"; return; }
    start_feeder "$(link_for "$reader")" "$rate"
    start_reader "$reader"
    local limit=$((reader_start_limit_s + ${warmup%.*} + ${seconds%.*} + 10))
    for _ in $(seq $((limit * 10))); do
        running "$feeder_pid" || break
        # A reader may end as the feeder closes the terminal at the end.
        running "$reader_pid" || { sleep 0.5 && ! running "$feeder_pid"; } ||
            fail "$reader ended during the run at $rate lines/s"
        sleep 0.1
    done
    running "$feeder_pid" && fail "$reader at $rate lines/s: no result within $limit s"
    wait "$feeder_pid" || fail "bench-line-feed failed: $(cat "$work/feed.log")"
    feeder_pid=''
    result=$(tail -1 "$work/feed.out")
    [[ $result == reader=* ]] || fail "no result from bench-line-feed"
    if [[ $reader != cutecom && $reader != cat ]]; then
        local window_ms_start window_ms_end
        eval "$(tr ' ' '\n' <<<"$result" | grep -E '^window_ms_(start|end)=[0-9]+$')"
        late=$(tick_lateness_p99 "$window_ms_start" "$window_ms_end")
    fi
    stop_mirror_clients "$reader"
    stop_process reader_pid
    echo "$reader $rate $result tick_p99_ms=$late" >>"$work/results"
    say "$reader at $rate: $result tick_p99_ms=$late"
}

# The address the monitor printed for its mirror, then the clients; every one must be let in.
start_mirror_clients() {
    local address=''
    for _ in $(seq 100); do
        address=$(sed -n '1s/^gear-monitor: panel mirror at \(http:[^ ]*\)$/\1/p' "$work/reader.out")
        [ -n "$address" ] && break
        running "$reader_pid" || fail "the monitor ended before it printed its mirror's address"
        sleep 0.05
    done
    [ -n "$address" ] || fail "the monitor printed no mirror address within 5 s"
    /usr/bin/python3 "$here/bench-mirror-clients.py" "$address" "$mirror_clients" \
        >"$work/clients.out" 2>"$work/clients.log" &
    clients_pid=$!
    for _ in $(seq 100); do
        grep -q '^connected' "$work/clients.out" && return
        running "$clients_pid" || fail "the mirror's clients ended: $(cat "$work/clients.log")"
        sleep 0.05
    done
    fail "the mirror's clients were not all let in within 5 s"
}

# stop_mirror_clients READER: ends the clients; what they received goes to the results. A
# client dropped by a monitor that has kept up is a failure.
stop_mirror_clients() {
    [ -n "$clients_pid" ] || return 0
    local status=0 reader=$1
    kill -TERM "$clients_pid"
    wait "$clients_pid" || status=$?
    clients_pid=''
    [ "$status" = 0 ] || fail "the mirror's clients failed: $(cat "$work/clients.log")"
    echo "clients-$reader $(tail -1 "$work/clients.out")" >>"$work/results"
}

# The monitor at the mirror's rate without and with the mirror and its clients, view hidden and
# shown.
measure_mirror() {
    for view in hidden shown; do
        grep -q "^$view $mirror_rate " "$work/results" || measure "$view" "$mirror_rate"
        measure "mirror-$view" "$mirror_rate"
    done
}

# Figures of one run from the results: "cpu_per_1000 percent lines_per_s backlog rss_start rss_end
# tick_p99".
figures() {
    awk -v reader="$1" -v rate="$2" '$1 == reader && $2 == rate {
        for (i = 3; i <= NF; i++) { split($i, kv, "="); f[kv[1]] = kv[2] }
        per1000 = f["cpu_s"] * 1000 / f["sent_lines"]
        printf (per1000 >= 0.1 ? "%.2f" : per1000 >= 0.01 ? "%.3f" : "%.4f"), per1000
        printf " %.1f %d %s %.1f %.1f %s\n",
            100 * f["cpu_s"] / f["seconds"], f["lines_per_s"], f["backlog_bytes"],
            f["rss_kb_start"] / 1024, f["rss_kb_end"] / 1024, f["tick_p99_ms"] }' "$work/results"
}

column_title() {
    case $1 in
    hidden) echo "monitor, view hidden" ;;
    shown) echo "monitor, view shown" ;;
    before-hidden) echo "before, view hidden" ;;
    before-shown) echo "before, view shown" ;;
    cutecom) echo "CuteCom" ;;
    cat) echo "cat" ;;
    mirror-*) echo "monitor with the mirror, view ${1#mirror-}, $mirror_clients clients" ;;
    esac
}

thousands() { sed ':a; s/\B[0-9]\{3\}\>/,&/; ta' <<<"$1"; }

rate_title() {
    case $1 in
    max) echo "most it takes" ;;
    sim) echo "gear-sim, $sim_baud baud" ;;
    *) thousands "$1" ;;
    esac
}

# READER's processor time per line over OTHER's at RATE, from the unrounded figures: "1.07×".
cost_ratio() {
    awk -v a="$1" -v b="$2" -v rate="$3" '$2 == rate && ($1 == a || $1 == b) {
        for (i = 3; i <= NF; i++) { split($i, kv, "="); f[kv[1]] = kv[2] }
        if (f["sent_lines"] > 0) per_line[$1] = f["cpu_s"] / f["sent_lines"] }
        END { if (per_line[b] > 0 && (a in per_line)) printf "%.2f×\n", per_line[a] / per_line[b]
              else print "-" }' "$work/results"
}

# The goal's table: the monitor with its view shown against CuteCom at each steady rate, and
# what one costs over the other.
report_goal() {
    local rate cpu pct lps cutecom_cpu cutecom_pct
    [[ " ${readers[*]} " == *" shown "* && " ${readers[*]} " == *" cutecom "* ]] || return 0
    echo "The monitor with its serial view shown against CuteCom: CPU seconds per 1000 lines"
    echo "received (% of one core), and the monitor's cost as a multiple of CuteCom's."
    echo
    echo "| rate | lines/s | monitor, view shown | CuteCom | monitor ÷ CuteCom |"
    echo "|---|---|---|---|---|"
    for rate in "${rates[@]}"; do
        [ "$rate" != max ] || continue
        read -r cpu pct lps _ <<<"$(figures shown "$rate")"
        read -r cutecom_cpu cutecom_pct _ <<<"$(figures cutecom "$rate")"
        echo "| $(rate_title "$rate") | $(thousands "$lps") | $cpu s ($pct %) |" \
            "$cutecom_cpu s ($cutecom_pct %) |" \
            "$(cost_ratio shown cutecom "$rate") |"
    done
    echo
}

report() {
    local header='| lines/s |' rule='|---|' row cpu pct lps backlog rss0 rss1 late
    report_goal
    for reader in "${readers[@]}"; do
        header+=" $(column_title "$reader") |"
        rule+='---|'
    done
    echo "CPU seconds per 1000 lines received (% of one core); \"most it takes\": lines/s taken."
    echo
    echo "$header"
    echo "$rule"
    for rate in "${rates[@]}"; do
        row="| $(rate_title "$rate") |"
        for reader in "${readers[@]}"; do
            read -r cpu pct lps _ <<<"$(figures "$reader" "$rate")"
            if [ "$rate" = max ]; then
                row+=" $(thousands "$lps") ($cpu s, $pct %) |"
            else
                row+=" $cpu s ($pct %) |"
            fi
        done
        echo "$row"
    done
    echo
    echo "| reader | rate | lines/s | CPU s/1000 lines | % of a core | backlog bytes | RSS start → end MB | tick p99 late ms |"
    echo "|---|---|---|---|---|---|---|---|"
    for rate in "${rates[@]}"; do
        for reader in "${readers[@]}"; do
            read -r cpu pct lps backlog rss0 rss1 late <<<"$(figures "$reader" "$rate")"
            echo "| $(column_title "$reader") | $rate | $lps | $cpu | $pct | $backlog | $rss0 → $rss1 | $late |"
        done
    done
    echo
    echo "$seconds s measured after $warmup s of warm-up per run; $(nproc) cores," \
        "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end; $(date -u '+%Y-%m-%d %H:%M UTC')."
    echo "Monitor: $monitor${before:+; before: $before}."
    report_mirror
}

# The mirror's cost: points of a core over the monitor without it, against the limit.
report_mirror() {
    [ "$mirror" != 0 ] || return 0
    echo
    echo "The panel mirror at $mirror_rate lines/s: % of one core without it and with"
    echo "$mirror_clients WebSocket clients reading everything, and what the mirror adds."
    echo
    echo "| serial view | without the mirror | with the mirror | the mirror's cost | limit | each client received |"
    echo "|---|---|---|---|---|---|"
    awk -v rate="$mirror_rate" -v limit="$mirror_limit_points" '
        $2 == rate && ($1 ~ /^(mirror-)?(hidden|shown)$/) {
            for (i = 3; i <= NF; i++) { split($i, kv, "="); f[$1, kv[1]] = kv[2] }
        }
        $1 ~ /^clients-mirror-/ {
            for (i = 2; i <= NF; i++) { split($i, kv, "="); f[$1, kv[1]] = kv[2] }
        }
        END {
            split("hidden shown", views, " ")
            for (v = 1; v <= 2; v++) {
                view = views[v]; mirrored = "mirror-" view; clients = "clients-" mirrored
                if (f[view, "seconds"] == 0 || f[mirrored, "seconds"] == 0) continue
                without = 100 * f[view, "cpu_s"] / f[view, "seconds"]
                with = 100 * f[mirrored, "cpu_s"] / f[mirrored, "seconds"]
                cost = with - without
                each = f[clients, "clients"] ? f[clients, "clients"] : 1
                printf "| %s | %.2f %% | %.2f %% | %+.2f points (%s) | %d point | %d messages, %d KB in %.0f s |\n",
                    view, without, with, cost, cost <= limit ? "within" : "OVER", limit,
                    f[clients, "messages"] / each, f[clients, "bytes"] / each / 1024, f[clients, "seconds"]
            }
        }' "$work/results"
}

main() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/gear-bench.XXXXXX")
    trap cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    require_tools
    export XDG_RUNTIME_DIR=$work/xdg-runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    unset WAYLAND_DISPLAY
    program_folder "$monitor" "$work/program"
    [ -z "$before" ] || program_folder "$before" "$work/program-before"
    start_private_xvfb "$work" || fail "no X server could be started"
    say "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg); files in $work"
    : >"$work/results"
    for rate in "${rates[@]}"; do
        for reader in "${readers[@]}"; do
            measure "$reader" "$rate"
        done
    done
    [ "$mirror" = 0 ] || measure_mirror
    report | tee "$output"
    say "saved $output"
}

main
