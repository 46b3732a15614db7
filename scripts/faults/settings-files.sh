#!/usr/bin/env bash
# The settings file as no one meant it: garbage text, binary bytes, 10 MB, a folder at its name,
# unreadable (the monitor run as nobody), in a read-only folder, on a full disk. The monitor reads
# it at start-up; in the last two SAVE PORT is clicked as well. Each time the monitor must keep
# running, the file (or folder) must be left as it was, and whatever box the monitor shows is
# photographed into WORK/<case>.png for a person to read (kept with KEEP=1).
# The last three need root (runuser, mount); a case the system refuses is skipped with the reason.
#
# Usage: scripts/faults/settings-files.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/common.sh"
fault_setup settings-files "$1"
chmod 711 "$work"
mounted=()
unmount_all() {
    local m
    for m in "${mounted[@]}"; do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true; done
    mounted=()
}
trap 'stop_process monitor_pid; unmount_all; fault_cleanup' EXIT

results=()
note() { results+=("$1: $2"); say "$1: $2"; }

any_window_shown() { [ -n "$(find_windows --name "^$caption\$")" ]; }

fingerprint() { if [ -d "$1" ]; then stat -c '%F %a' "$1"; else sha256sum <"$1"; fi; }

# run_case NAME FOLDER [save] [as-nobody]: starts the monitor in FOLDER, lets it read its
# settings (tick 5, 2.5 s), clicks SAVE PORT if asked, and looks for a message box.
run_case() {
    local name=$1 folder=$2 save=${3:-} user=${4:-} before box shown=no
    before=$(fingerprint "$folder/$settings_name")
    if [ "$user" = nobody ]; then
        mkdir -m 700 "$work/xdg-$name" && chown nobody "$work/xdg-$name"
        cp "$monitor_bin" "$folder/gear-monitor"
        runuser -u nobody -- env XDG_RUNTIME_DIR="$work/xdg-$name" \
            "$folder/gear-monitor" >"$work/$name.log" 2>&1 &
        monitor_pid=$!
        wait_until 10 any_window_shown || fail "$name: the monitor did not start"
        window=$(find_windows --name "^$caption\$" | head -1)
    else
        start_monitor "$folder" "$work/$name.log" || fail "$name: the monitor did not start"
    fi
    sleep 3.5
    if [ -n "$save" ] && [ -z "$(find_windows --name "^$box_title\$")" ]; then
        click_bar SAVE
    fi
    for _ in $(seq 40); do
        box=$(find_windows --name "^$box_title\$" | head -1)
        [ -n "$box" ] && break
        sleep 0.05
    done
    if [ -n "$box" ]; then
        shown=yes
        sleep 0.3
        import -window root "$work/$name.png" 2>/dev/null || true
    fi
    running "$monitor_pid" || fail "$name: the monitor ended"
    stop_process monitor_pid
    [ "$(fingerprint "$folder/$settings_name")" = "$before" ] || fail "$name: the settings file changed"
    note "$name" "message box: $shown; running until stopped; file kept as it was"
}

case_folder() {
    local folder=$work/$1
    mkdir -p "$folder"
    cp "$monitor_bin" "$folder/gear-monitor"
    echo "$folder"
}

f=$(case_folder garbage)
printf 'hello <LG_PORT_NAME\r\n>>>< </\r\n%s\r\n' "$(head -c 300 /dev/urandom | base64 -w0)" >"$f/$settings_name"
run_case garbage "$f"

f=$(case_folder binary)
head -c 4096 /dev/urandom >"$f/$settings_name"
run_case binary "$f"

f=$(case_folder ten-megabytes)
head -c 7864320 /dev/urandom | base64 -w 76 | sed 's/$/\r/' >"$f/$settings_name"
run_case ten-megabytes "$f"

f=$(case_folder folder)
mkdir "$f/$settings_name"
run_case folder "$f"

if [ "$(id -u)" -ne 0 ]; then
    note unreadable "skipped: needs root to run the monitor as nobody"
    note read-only-folder "skipped: needs root to mount"
    note full-disk "skipped: needs root to mount"
else
    f=$(case_folder unreadable)
    chmod 755 "$f"
    write_settings_file "$f/$settings_name" Com7
    chmod 000 "$f/$settings_name"
    run_case unreadable "$f" "" nobody

    f=$(case_folder read-only-folder)
    write_settings_file "$f/$settings_name" Com7
    if mount --bind "$f" "$f" 2>/dev/null && mounted+=("$f") &&
        mount -o remount,bind,ro "$f" 2>/dev/null; then
        run_case read-only-folder "$f" save
    else
        note read-only-folder "skipped: the system refused the read-only bind mount"
    fi
    unmount_all

    f=$work/full-disk
    mkdir -p "$f"
    if mount -t tmpfs -o size=1m tmpfs "$f" 2>/dev/null; then
        mounted+=("$f")
        cp "$monitor_bin" "$f/gear-monitor"
        write_settings_file "$f/$settings_name" Com7
        dd if=/dev/zero of="$f/filler" bs=4k 2>/dev/null || true
        run_case full-disk "$f" save
    else
        note full-disk "skipped: the system refused a small tmpfs mount"
    fi
    unmount_all
fi
[ -z "${KEEP:-}" ] || keep_work=1
say "all cases held; screenshots of the boxes in $work (kept with KEEP=1)"
