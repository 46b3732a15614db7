#!/usr/bin/env bash
# Every option a program's --help lists is described in its manual page, and every option the
# page describes is one the program has, so the two cannot drift apart.
# Usage: man_pages_test.sh PROGRAM PAGE.1.in [PROGRAM PAGE.1.in ...]
set -euo pipefail

# The options of a --help text: the words that begin with - in the first column of its
# "Options:" section, before the description (a description's further lines are indented more,
# and may name an option too).
help_options() {
    awk '/^Options:/ { inside = 1; next } /^[^ ]/ { inside = 0 }
         inside && /^  -/ { sub(/^ +/, ""); split($0, part, /  +/); print part[1] }' |
        grep -oE '(^|[ ,])--?[A-Za-z0-9][A-Za-z0-9-]*' | tr -d ' ,' | sort -u
}

# The options a manual page describes: the words that begin with \- in the tag line of each
# .TP entry of its OPTIONS section.
page_options() {
    awk '/^\.SH/ { inside = ($2 == "OPTIONS"); next }
         inside && tag { print; tag = 0 } inside && /^\.TP/ { tag = 1 }' "$1" |
        sed 's/\\-/-/g' | grep -oE '(^|[ "])--?[A-Za-z0-9][A-Za-z0-9-]*' | tr -d ' "' | sort -u
}

failed=0
while [ $# -ge 2 ]; do
    program=$1 page=$2
    shift 2
    name=$(basename "$program")
    in_help=$(QT_QPA_PLATFORM=offscreen "$program" --help | help_options)
    in_page=$(page_options "$page")
    # An empty list means the format was not understood: that must not pass as agreement.
    [ -n "$in_help" ] || { echo "$name: no option found in --help" >&2; failed=1; continue; }
    [ -n "$in_page" ] || { echo "$name: no option found in $page" >&2; failed=1; continue; }
    only_help=$(comm -23 <(echo "$in_help") <(echo "$in_page"))
    only_page=$(comm -13 <(echo "$in_help") <(echo "$in_page"))
    if [ -n "$only_help" ]; then
        echo "$name: in --help, missing from $(basename "$page"):" "$only_help" >&2
        failed=1
    fi
    if [ -n "$only_page" ]; then
        echo "$name: in $(basename "$page"), not in --help:" "$only_page" >&2
        failed=1
    fi
    [ -n "$only_help$only_page" ] || echo "$name: $(wc -l <<<"$in_help") options agree"
done
exit $failed
