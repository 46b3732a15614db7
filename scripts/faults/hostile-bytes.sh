#!/usr/bin/env bash
# Bytes no controller sends, on the monitor's port: markup, NUL, 0x80-0xFF, invalid UTF-8, 1 MB
# without CR, 100,000 empty lines, 10 MB of random bytes. The monitor must keep running, its
# memory bounded (resident size read from /proc every 100 ms, at most RSS_LIMIT_KB above what it
# held before the first case, default 20480), and it must fall idle after each case. A screenshot
# of the window after the markup case is kept as markup.png beside the log for a person to look
# at (the text must show as written: no giant red letters, no image).
#
# Usage: scripts/faults/hostile-bytes.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/common.sh"
fault_setup hostile-bytes "$1"
rss_limit_kb=${RSS_LIMIT_KB:-20480}

folder=$(program_folder hostile)
mkfifo "$work/feed"
"$feed_bin" "$folder/com7" <"$work/feed" >"$work/pty" 2>"$work/feed.log" &
feed_pid=$!
exec 3>"$work/feed"
wait_until 5 test -s "$work/pty" || fail "pty-feed did not start"
lock=$(lock_file_of "$(cat "$work/pty")")

start_monitor "$folder" || fail "the monitor did not start"
wait_until 30 test -e "$lock" || fail "the monitor did not open com7 (no $lock)"
# A few good records first, so the panel is live.
for _ in $(seq 20); do printf 'V:2.2.0\rC:12\rF:11100\rO:000001\rI:10000000 00000000 00\r' >&3; done
sleep 1.5
baseline=$(rss_kb "$monitor_pid")

repeat() { for _ in $(seq "$1"); do printf '%b' "$2"; done; }
case_markup() {
    repeat 500 'V:<b><font size=7 color=red>BIG</font></b><img src=/usr/share/pixmaps/debian-logo.png>\r'
    repeat 500 'C:<i>12</i>&amp;\r<h1>heading</h1><table><tr><td>x</td></tr></table>\r'
}
case_nul() { repeat 1000 'V:a\0b\0\r\0C:1\0\r'; head -c 65536 /dev/zero; printf '\r'; }
case_high() {
    local all=''
    for b in $(seq 128 255); do all+=$(printf '\\x%02x' "$b"); done
    repeat 500 "V:$all\r"
}
case_utf8() { repeat 1000 'V:\xc3\x28\xa0\xa1\xe2\x82\r\xf0\x28\x8c\xbc\xc0\xaf\xed\xa0\x80\xf8\x88\x80\x80\x80\r'; }
case_long() { head -c 1048576 /dev/zero | tr '\0' 'A'; printf '\r'; }
case_empty() { head -c 100000 /dev/zero | tr '\0' '\r'; }
case_random() { head -c 10485760 /dev/urandom; }

peak_file=$work/peak
sample_peak() {
    local peak=0 now
    while running "$monitor_pid"; do
        now=$(rss_kb "$monitor_pid")
        [ -n "$now" ] && [ "$now" -gt "$peak" ] && { peak=$now; echo "$peak" >"$peak_file"; }
        sleep 0.1
    done
}
echo "$baseline" >"$peak_file"
sample_peak &
sampler=$!

summary=()
for name in markup nul high utf8 long empty random; do
    before=$(cpu_ms "$monitor_pid")
    "case_$name" >&3
    # Until the monitor has read everything and falls idle.
    sleep 2
    running "$monitor_pid" || fail "the monitor ended during case $name"
    idle_before=$(cpu_ms "$monitor_pid")
    sleep 1
    idle=$(($(cpu_ms "$monitor_pid") - idle_before))
    [ "$idle" -le 100 ] || fail "case $name: still busy ($idle ms of processor time in 1 s)"
    rss=$(rss_kb "$monitor_pid")
    summary+=("$name: $rss kB, $((idle_before - before)) ms cpu")
    [ "$name" = markup ] && import -window "$window" "$work/markup.png" 2>/dev/null || true
done
kill "$sampler" 2>/dev/null || true
peak=$(cat "$peak_file")
[ $((peak - baseline)) -le "$rss_limit_kb" ] ||
    fail "memory rose from $baseline kB to $peak kB (limit +$rss_limit_kb kB)"
exec 3>&-
stop_process monitor_pid
say "before: $baseline kB; after each case: $(IFS=';'; echo "${summary[*]}")"
say "peak $peak kB (+$((peak - baseline)) kB); the monitor kept running and fell idle after each case"
[ -z "${KEEP_SCREENSHOT:-}" ] || { keep_work=1; say "screenshot: $work/markup.png"; }
