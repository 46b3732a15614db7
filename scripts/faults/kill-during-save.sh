#!/usr/bin/env bash
# kill -9 of the monitor while it saves its settings again and again (SAVE PORT clicked under a
# private X server), TRIALS times (default 200). After every kill the settings file must be a
# whole file, the old one or the one the monitor writes, and no temporary copy may be left for
# the next start; a last start must find the folder clean.
#
# Usage: scripts/faults/kill-during-save.sh BUILD_DIR [TRIALS]
set -euo pipefail
source "$(dirname "$0")/common.sh"
fault_setup kill-during-save "$1"
trials=${2:-200}
clicks=60 # SAVE PORT clicks sent per trial, 2 ms apart

folder=$(program_folder save)
file=$folder/$settings_name

# The file without its time stamp (line 4), which every save changes; otherwise the monitor
# writes what this script writes. A save in the first 2.5 s, before the monitor has read its
# settings at start, reads them first, so it too writes them as they were: a file with every value
# empty would be settings lost. The script rewrites the file in place; the monitor replaces it by
# a new file (a new inode), which tells whether a save completed.
stable_part() { sed '4d' "$1"; }
whole() {
    [ "$(wc -l <"$1")" -eq 13 ] && [ "$(grep -c $'\r$' "$1")" -eq 13 ] &&
        grep -qE '^   <LOCALTIME>[^<]+</LOCALTIME>'$'\r$' "$1"
}
# The save's temporary copies are named ".$settings_name.gear-monitor-save-PID-HEX".
leftovers() { find "$folder" -maxdepth 1 -name "*$settings_name?*" -printf '%f\n'; }

# The monitor's own file: one save, run to the end.
start_monitor "$folder" || fail "the monitor did not start"
inode() { stat -c %i "$file"; }
replaced() { [ "$(inode)" != "$before" ]; }
before=$(inode)
click_bar SAVE
wait_until 5 replaced || fail "SAVE PORT wrote nothing"
stop_process monitor_pid
whole "$file" || fail "a save run to its end left an incomplete file"
grep -q '<LG_PORT_NAME>Com7</LG_PORT_NAME>' "$file" || fail "SAVE PORT at start lost the settings"
stable_part "$file" >"$work/new"
sed 's:>[^<]*</LG_PORT:></LG_PORT:' "$work/new" >"$work/early"

saved=0
for trial in $(seq "$trials"); do
    # Every trial starts from the first file, so a save that completed shows.
    write_settings_file "$file" Com7
    before=$(inode)
    start_monitor "$folder" || fail "trial $trial: the monitor did not start"
    # shellcheck disable=SC2086
    xdotool mousemove --window "$window" ${bar_item[SAVE]} click --repeat "$clicks" --delay 2 1 &
    clicker=$!
    sleep "0.$((RANDOM % 30 + 5))"
    kill -KILL "$monitor_pid"
    wait "$monitor_pid" 2>/dev/null || true
    monitor_pid=''
    wait "$clicker" 2>/dev/null || true
    whole "$file" || { cp "$file" "$work/broken"; fail "trial $trial: the file is not whole (see broken)"; }
    if stable_part "$file" | cmp -s - "$work/early"; then
        cp "$file" "$work/lost"
        fail "trial $trial: a save wrote every value empty: the settings were lost (see lost)"
    elif ! stable_part "$file" | cmp -s - "$work/new"; then
        cp "$file" "$work/strange"
        fail "trial $trial: the file is not one the script or the monitor writes (see strange)"
    fi
    replaced && saved=$((saved + 1))
    found=$(leftovers)
    [ -z "$found" ] || say "trial $trial: left behind: $found"
    echo "$found" >>"$work/leftovers"
done
left=$(grep -c . "$work/leftovers" || true)

# The next start clears whatever a kill left.
start_monitor "$folder" || fail "the last start failed"
sleep 1
stop_process monitor_pid
[ -z "$(leftovers)" ] || fail "temporary copies still there after a start: $(leftovers)"

say "$trials kills during SAVE PORT: every file whole and holding the settings as they were;" \
    "in $saved trials saves had replaced the file; $left temporary copies left by kills, none" \
    "after the next start; display retries $display_retries"
