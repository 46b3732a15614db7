# shellcheck shell=bash
# Sourced by the fault scripts: the programs, a private X server, a program folder per run, the
# monitor's window and its menu bar, and what /proc tells about a process.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/gear-facts.sh
source "$here/../gear-facts.sh"
# shellcheck source=scripts/processes.sh
source "$here/../processes.sh"

readonly box_title="Landing Gear Controller Monitor"
# Menu bar commands, in window pixels (the bar is the top 18 pixels of the frameless window).
declare -A bar_item=([RESET]="104 8" [SAVE]="197 8")

monitor_pid='' sim_pid='' feed_pid='' xvfb_pid='' window='' work='' keep_work=0

say() { echo "${fault_name:-fault}: $*"; }

# xdotool search, given 2 s: under load it was once seen waiting for minutes.
find_windows() { timeout 2 xdotool search --onlyvisible "$@" 2>/dev/null || true; }

fault_cleanup() {
    stop_process monitor_pid
    stop_process sim_pid
    stop_process feed_pid
    stop_process xvfb_pid
    if [ "$keep_work" = 1 ]; then say "files kept in $work"; else rm -rf "$work"; fi
}

fail() {
    keep_work=1
    say "FAILED: $*" >&2
    exit 1
}

# fault_setup NAME BUILD_DIR: the programs from BUILD_DIR, a work folder, a private X server.
fault_setup() {
    fault_name=$1
    local build
    build=$(cd "${2:?usage: $0 BUILD_DIR}" && pwd)
    use_gear_facts "$build" || exit 1
    caption=$gear_caption
    settings_name=$gear_settings_file
    monitor_bin=$build/gear-monitor
    sim_bin=$build/sim/gear-sim
    feed_bin=$build/tests/pty-feed
    for program in "$monitor_bin" "$sim_bin" "$feed_bin"; do
        [ -x "$program" ] || { echo "$fault_name: build $program first (make release)" >&2; exit 1; }
    done
    work=$(mktemp -d "${TMPDIR:-/tmp}/gear-$fault_name.XXXXXX")
    trap fault_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    start_private_xvfb "$work" || fail "no X server could be started"
    export XDG_RUNTIME_DIR=$work/xdg QT_QPA_PLATFORM=xcb
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    unset WAYLAND_DISPLAY
}

# program_folder NAME: a folder holding the monitor and a settings file selecting Com7.
program_folder() {
    local folder=$work/$1
    mkdir -p "$folder"
    cp "$monitor_bin" "$folder/gear-monitor"
    write_settings_file "$folder/$settings_name" Com7
    echo "$folder"
}

# start_monitor FOLDER [LOG]: starts the monitor and waits for its window; sets monitor_pid and
# window. Signals get their defaults, as from a terminal. A start refused by a busy X server
# ("could not connect to display") is tried again, twice at most, and counted in display_retries.
display_retries=0
start_monitor() {
    local attempt
    for attempt in 1 2 3; do
        start_monitor_once "$@" && return 0
        grep -q "could not connect to display" "${2:-$work/monitor.log}" || return 1
        : >"${2:-$work/monitor.log}"
        display_retries=$((display_retries + 1))
        sleep 0.2
    done
    return 1
}

start_monitor_once() {
    local folder=$1 log=${2:-$work/monitor.log}
    env --default-signal=INT,TERM,HUP "$folder/gear-monitor" >>"$log" 2>&1 &
    monitor_pid=$!
    window=''
    for _ in $(seq 200); do
        window=$(find_windows --pid "$monitor_pid" --name "^$caption\$" | head -1)
        [ -n "$window" ] && return 0
        running "$monitor_pid" || return 1
        sleep 0.05
    done
    return 1
}

click_bar() {
    # shellcheck disable=SC2086 # "X Y"
    xdotool mousemove --window "$window" ${bar_item[$1]} click 1
}

# The message box the monitor shows, if one is open.
message_box() {
    find_windows --pid "$monitor_pid" --name "^$box_title\$" | head -1
}

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }

cpu_ms() {
    local stat fields
    stat=$(cat "/proc/$1/stat")
    read -r -a fields <<<"${stat##*) }"
    echo $(((fields[11] + fields[12]) * 1000 / $(getconf CLK_TCK)))
}

# The lock file QSerialPort holds while it has DEVICE open: /dev/pts/3 locks as LCK..pts_3.
lock_file_of() {
    local name=${1#/dev/}
    echo "/run/lock/LCK..${name//\//_}"
}

# wait_until SECONDS COMMAND...: polls every 50 ms.
wait_until() {
    local limit=$(($1 * 20))
    shift
    for _ in $(seq "$limit"); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}
