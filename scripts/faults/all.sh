#!/usr/bin/env bash
# `make faults`: every fault script against the programs in BUILD_DIR, one after another; stops
# at the first that fails. Each prints its figures; docs/reliability.md records them.
#
# Usage: scripts/faults/all.sh BUILD_DIR
set -euo pipefail
here=$(dirname "$0")
for script in kill-during-save hangups hostile-bytes settings-files; do
    echo "== $script"
    "$here/$script.sh" "$1"
done
