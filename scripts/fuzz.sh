#!/usr/bin/env bash
# Runs every fuzz target for a set time, starting from the seeds in tests/fuzz/corpus/<target>.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS_PER_TARGET
# New inputs the fuzzer finds go to BUILD_DIR/corpus/<target>, never into the repository; an input
# that breaks a property is kept as BUILD_DIR/findings/<target>-crash-... and the run fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?build folder}
seconds=${2:?seconds per target}

# Longest input each target is given: beyond the line assembler's 4096-byte bound, and beyond
# the settings file's 32767-position lines.
declare -A max_len=([decoder]=512 [line_assembler]=20000 [settings_file]=70000 [port_numbering]=2048)

mkdir -p "$build/findings" "$build/tmp"
TMPDIR="$(cd "$build/tmp" && pwd)" # the settings target's scratch file: its own folder
export TMPDIR
failed=()
for name in decoder line_assembler settings_file port_numbering; do
    work="$build/corpus/$name"
    mkdir -p "$work"
    echo "fuzz-$name: ${seconds} s"
    if ! "$build/fuzz/fuzz-$name" -max_total_time="$seconds" -max_len="${max_len[$name]}" \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$name-" "$work" "tests/fuzz/corpus/$name" \
        >"$build/findings/$name.log" 2>&1; then
        failed+=("$name")
        tail -n 40 "$build/findings/$name.log"
    fi
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$build/findings/$name.log" || true
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]} (inputs in $build/findings)" >&2
    exit 1
fi
