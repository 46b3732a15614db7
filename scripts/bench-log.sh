#!/bin/bash
# Times gear-log on a generated recording of about 100 MB: the controller's five records every
# 500 ms (about 17 days of them), the gear switch and the lights changing every few frames, a
# link loss now and then. Usage: scripts/bench-log.sh BUILD_DIR [MEGABYTES]
set -eu
build=${1:?usage: scripts/bench-log.sh BUILD_DIR [MEGABYTES]}
megabytes=${2:-100}
gear_log="$build/tools/gear-log/gear-log"
[ -x "$gear_log" ] || { echo "bench-log: no $gear_log; build the gear-log target first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
recording="$work/session.rec"

awk -v bytes="$((megabytes * 1000 * 1000))" 'BEGIN {
    print "gear-recording 1 port=Com7 speed=9600 parity=None data=8 flow=None stop=1"
    print "0 open"
    size = 0
    for (frame = 0; size < bytes; frame++) {
        ms = frame * 500
        up = int(frame / 7) % 2
        lights = up ? "00110100" : "11001001"
        out = sprintf("%d line V:SIM-1.0\n%d line C:%d\n%d line F:11100\n%d line O:%d%d0000\n%d line I:%s 0%d000000 00\n",
                      ms, ms + 100, int(frame / 14), ms + 200, ms + 300, up, 1 - up,
                      ms + 400, lights, up)
        if (frame % 1000 == 999)
            out = out sprintf("%d stale\n%d failed\n%d live\n", ms + 450, ms + 460, ms + 470)
        printf "%s", out
        size += length(out)
    }
}' > "$recording"

echo "bench-log: $(wc -c < "$recording") bytes, $(wc -l < "$recording") lines"
for mode in text csv; do
    option=""
    [ "$mode" = csv ] && option="--csv"
    # Wall-clock time, and the processor time, which a busy machine disturbs less.
    TIMEFORMAT="%R s wall, %U s user, %S s system"
    taken=$( { time "$gear_log" $option "$recording" > "$work/out"; } 2>&1 )
    echo "bench-log: gear-log $option FILE: $taken; $(wc -l < "$work/out") rows printed"
done
