#!/usr/bin/env bash
# Prints the mode, owner and entries of the system folders a test run must leave alone, and of the
# user's home. Two snapshots that differ name what a run changed.
# Usage: scripts/machine-snapshot.sh > FILE
set -euo pipefail

describe() { # mode, owner and group of one path, without following a link
    stat -c '%n mode=%a owner=%U group=%G type=%F' -- "$1" 2>/dev/null || echo "$1 missing"
}

for d in / /usr /usr/bin /usr/lib /etc /home "$HOME"; do
    describe "$d"
    # Every entry of the folder with its own mode and owner, sorted by name.
    find "$d" -mindepth 1 -maxdepth 1 -printf '%p mode=%m owner=%u group=%g type=%y\n' 2>/dev/null | LC_ALL=C sort
done
describe /tmp
