#!/usr/bin/env bash
# `make run`: the monitor with a simulated controller on a virtual port.
#
# Starts gear-sim on a pseudo-terminal linked as comN in the monitor's folder (com7, or the next
# free number), writes a settings file there selecting ComN at 9600 8N1 unless the folder already
# has one (a user's file is never replaced), then starts gear-monitor, which opens the port about
# five seconds later. Ctrl+C or closing the window stops both programs; gear-sim removes its link.
# With no display the same runs for a few seconds under a private X server and a screenshot of
# the window is saved instead.
#
# Further arguments go to gear-sim, e.g. `--replug-after 20 --replug-for 8` to pull the virtual
# adapter out every 20 s and watch the monitor reopen the port by itself when it returns.
#
# Usage: scripts/run.sh [BUILD_DIR [GEAR_SIM_OPTION...]]
set -euo pipefail
# shellcheck source=scripts/gear-facts.sh
source "$(dirname "$0")/gear-facts.sh"
# shellcheck source=scripts/processes.sh
source "$(dirname "$0")/processes.sh"

build=${1:-build}
shift || true
sim_options=("$@")
[ -d "$build" ] || { echo "run: no build folder '$build'" >&2; exit 1; }
build=$(cd "$build" && pwd)
monitor=$build/gear-monitor
sim=$build/sim/gear-sim
use_gear_facts "$build" || exit 1
settings=$build/$gear_settings_file
screenshot=$build/run-screenshot.png
headless_seconds=8 # the port opens at about 5 s; the panel is live a tick or two later

sim_pid='' monitor_pid='' xvfb_pid='' link='' pty='' scratch=''

say() { echo "run: $*"; }

cleanup() {
    stop_process monitor_pid
    stop_process sim_pid
    # gear-sim removes its link as it ends; one that was killed leaves it dangling.
    if [ -n "$link" ] && [ -L "$link" ] && [ ! -e "$link" ] && [ "$(readlink "$link")" = "$pty" ]; then
        rm -f "$link"
    fi
    stop_process xvfb_pid
    [ -z "$scratch" ] || rm -rf "$scratch"
}

free_port_number() {
    for n in $(seq 7 255); do
        [ -e "$build/com$n" ] || [ -L "$build/com$n" ] || { echo "$n"; return; }
    done
    echo "run: every com7..com255 in $build is taken" >&2
    exit 1
}


prepare_settings() {
    local port_name=$1 chosen
    if [ ! -e "$settings" ]; then
        write_settings_file "$settings" "$port_name"
        say "wrote $settings: $port_name, 9600 baud, no parity, 8 data bits, 1 stop bit"
        return
    fi
    chosen=$(sed -n 's:.*<LG_PORT_NAME>\(.*\)</LG_PORT_NAME>.*:\1:p' "$settings" | tr -d '\r' | head -1)
    [ "$chosen" = "$port_name" ] && return
    say "keeping your $settings, which selects port '$chosen';"
    say "to watch the simulator choose Comm > Port > $port_name and Comm > Baud > 9600"
}

# Its messages go to LOG if given, else to the terminal.
start_sim() {
    local port=$1 log=${2:-}
    if [ -n "$log" ]; then
        "$sim" --link-dir "$build" --port "$port" "${sim_options[@]}" >"$log" 2>&1 &
    else
        "$sim" --link-dir "$build" --port "$port" "${sim_options[@]}" &
    fi
    sim_pid=$!
    link=$build/com$port
    for _ in $(seq 100); do
        [ -L "$link" ] && { pty=$(readlink "$link"); return; }
        running "$sim_pid" || break
        sleep 0.05
    done
    echo "run: gear-sim did not link $link" >&2
    exit 1
}

start_private_display() {
    start_private_xvfb "$scratch" || { echo "run: no X server could be started" >&2; exit 1; }
    export XDG_RUNTIME_DIR=$scratch/xdg-runtime QT_QPA_PLATFORM=xcb
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# What a person would see: the screen where the window stands, a message box over it included.
save_screenshot() {
    local window WIDTH HEIGHT X Y commok
    window=$(xdotool search --onlyvisible --name "^$gear_caption\$" | head -1 || true)
    [ -n "$window" ] || { echo "run: the monitor's window is not shown" >&2; return 1; }
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT|X|Y)=[0-9]+$')"
    import -window root -crop "${WIDTH}x$HEIGHT+$X+$Y" +repage "$screenshot"
    # The link indicator beside FIRMWARE VERSION, below the menu bar: green while lines arrive.
    commok=$(convert "$screenshot" -format "%[pixel:p{655,$((HEIGHT - 564 + 115))}]" info:)
    case $commok in
    *"(0,255,0)") say "the panel is live: lines from the simulator arrive" ;;
    *) say "the link indicator is not green ($commok): the panel is not live" ;;
    esac
}

main() {
    if [ ! -x "$monitor" ] || [ ! -x "$sim" ]; then
        echo "run: build first (make run does)" >&2
        exit 1
    fi
    trap cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'exit 129' HUP

    local port status=0
    port=$(free_port_number)
    prepare_settings "Com$port"

    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        say "no display: running for $headless_seconds s under a private X server"
        scratch=$(mktemp -d "${TMPDIR:-/tmp}/gear-run.XXXXXX")
        start_sim "$port" "$scratch/sim.log"
        start_private_display
        "$monitor" >"$scratch/monitor.log" 2>&1 &
        monitor_pid=$!
        sleep "$headless_seconds"
        if ! running "$monitor_pid"; then
            echo "run: gear-monitor ended early:" >&2
            cat "$scratch/monitor.log" >&2
            exit 1
        fi
        save_screenshot
        echo "$screenshot"
        return
    fi

    start_sim "$port"
    say "gear-monitor opens Com$port about 5 s after it starts; Ctrl+C or closing the window stops both"
    "$monitor" &
    monitor_pid=$!
    wait "$monitor_pid" || status=$?
    monitor_pid=
    exit "$status"
}

main
