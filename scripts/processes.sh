# shellcheck shell=bash
# Sourced by the run script and the end-to-end test: watching and stopping child processes, and a
# private X server.

# One letter of /proc/PID/stat (R, S, Z...); empty once the process is gone and reaped.
process_state() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
    stat=${stat##*) }
    echo "${stat%% *}"
}

running() {
    local state
    state=$(process_state "$1")
    [ -n "$state" ] && [ "$state" != Z ]
}

# wait_for_link FOLDER PORT PID: waits up to 5 s for gear-sim (PID) to link FOLDER/comPORT; 1 if
# it did not, or ended first.
wait_for_link() {
    for _ in $(seq 100); do
        [ -L "$1/com$2" ] && return 0
        running "$3" || return 1
        sleep 0.05
    done
    return 1
}

# wait_for_window CAPTION PID: waits up to 5 s for a visible window captioned exactly CAPTION and
# prints its id; 1 if none came or the process (PID) ended first.
wait_for_window() {
    local window
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
        [ -n "$window" ] && echo "$window" && return 0
        running "$2" || return 1
        sleep 0.05
    done
    return 1
}

# Processor time a process has used so far, user and system, in clock ticks (getconf CLK_TCK).
cpu_ticks() {
    local stat fields
    stat=$(cat "/proc/$1/stat")
    read -r -a fields <<<"${stat##*) }"
    echo $((fields[11] + fields[12])) # utime and stime: fields 14 and 15, counted after the name
}

# SIGTERM, then SIGKILL if it lingers; empties the named variable.
stop_process() {
    local pid=${!1}
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 30); do
        running "$pid" || break
        sleep 0.1
    done
    running "$pid" && kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
    printf -v "$1" '%s' ""
}

# start_private_xvfb WORK_DIR: a display of our own, a random number with no lock file; a server
# that finds it taken after all ends at once and another number is tried. -displayfd reports when
# it accepts connections. -noreset: by default the server resets as its last client leaves, and a
# program started in that moment, as the next reader of a benchmark is, finds no display. Sets xvfb_pid and exports DISPLAY; returns 1 if no server could start
# (its log is WORK_DIR/xvfb.log).
start_private_xvfb() {
    local work=$1 number ready=$1/display-ready
    for _ in $(seq 10); do
        number=$((100 + RANDOM % 900))
        [ -e "/tmp/.X$number-lock" ] && continue
        : >"$ready"
        Xvfb ":$number" -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
            3>"$ready" >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 100); do
            [ -s "$ready" ] && break
            running "$xvfb_pid" || break
            sleep 0.05
        done
        if [ -s "$ready" ]; then
            export DISPLAY=":$number"
            return 0
        fi
        stop_process xvfb_pid
    done
    return 1
}
