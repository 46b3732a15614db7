#!/bin/bash
# Times gear-log on a generated recording of about 100 MB: the controller's five records every
# 500 ms (about 17 days of them), the gear switch and the lights changing every few frames, a
# link loss now and then. Then times gear-log --plot (PNG and SVG) and --cycles on one hour of
# recording at two paces: the controller's five records every 500 ms, and every 100 ms, as fast as
# a 9600-baud line carries them; the gear swings every 20 s. Usage: scripts/bench-log.sh BUILD_DIR
# [MEGABYTES]
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

# One hour of frames every $1 ms: the gear retracts and extends in turn every 20 s, the legs
# locking at 1.5, 2.0 and 2.5 s, the pump running 0.1 to 2.6 s; every 10 minutes the link goes
# stale, fails and comes back 4 s later with no line meanwhile.
hour_recording() {
    awk -v frame_ms="$1" 'BEGIN {
        print "gear-recording 1 port=Com7 speed=9600 parity=None data=8 flow=None stop=1"
        print "0 open"
        split("2000 2500 1500", lock, " ")
        for (ms = 0; ms < 3600000; ms += frame_ms) {
            if (ms % 600000 >= 300000 && ms % 600000 < 304000) {
                if (ms % 600000 == 300000)
                    printf "%d stale\n%d failed\n%d live\n", ms, ms + 1500, ms + 4000
                continue
            }
            up = int(ms / 20000) % 2 == 0
            e = ms % 20000
            for (leg = 1; leg <= 3; leg++) {
                there[leg] = e >= lock[leg]
                left[leg] = e < 500
            }
            # Bits X0 X1 X2 X3 X4 X5 X6 X7: right, left down; right, left up; nose down, up;
            # the switch UP and DOWN.
            d1 = up ? left[1] : there[1]; d2 = up ? left[2] : there[2]; d3 = up ? left[3] : there[3]
            u1 = up ? there[1] : left[1]; u2 = up ? there[2] : left[2]; u3 = up ? there[3] : left[3]
            pump = e >= 100 && e < 2600
            done = e >= 2500
            printf "%d line V:SIM-1.0\n%d line C:%d\n%d line F:11100\n", ms, ms + 1, int(ms / 40000), ms + 2
            printf "%d line O:%d%d0000\n", ms + 3, pump, pump && up
            printf "%d line I:%d%d%d%d%d%d%d%d %d%d000000 00\n", ms + 4, d1, d2, u1, u2, d3, u3, up,
                   1 - up, up && done, !up && done
        }
    }'
}

TIMEFORMAT="%R s wall, %U s user, %S s system"
for frame_ms in 500 100; do
    hour_recording "$frame_ms" > "$work/hour.rec"
    echo "bench-log: one hour, a frame every $frame_ms ms: $(wc -c < "$work/hour.rec") bytes, $(wc -l < "$work/hour.rec") lines"
    for picture in hour.png hour.svg; do
        rm -f "$work/$picture"
        taken=$( { time "$gear_log" --plot "$work/$picture" "$work/hour.rec"; } 2>&1 )
        echo "bench-log: gear-log --plot $picture FILE: $taken; $(wc -c < "$work/$picture") bytes"
    done
    taken=$( { time "$gear_log" --cycles "$work/hour.rec" > "$work/out"; } 2>&1 )
    echo "bench-log: gear-log --cycles FILE: $taken; $(grep -cE '^(retraction|extension) at' "$work/out") swings"
done
