#!/usr/bin/env bash
# clang-tidy with the checks of .clang-tidy (every warning an error) over the core sources, on the
# compile commands of a build (build/ unless given). Fails on any finding.
# Usage: scripts/tidy.sh [BUILD_DIR] [FILE...]
set -euo pipefail
cd "$(dirname "$0")/.."
command -v run-clang-tidy >/dev/null || scripts/deps.sh test
build="${1:-build}"
shift || true
if [ ! -f "$build/compile_commands.json" ]; then
    echo "No $build/compile_commands.json: build first (scripts/build.sh)." >&2
    exit 2
fi
if [ $# -eq 0 ]; then
    # The core: every source compiled without Qt Widgets (base, platform, the subsystems' rules, the
    # command line). The windows are thin adapters over it; parsing the Widgets headers for them would
    # double the time.
    mapfile -t files < <(python3 - "$build" <<'PY'
import json, os, sys
root = os.getcwd() + "/src/"
for entry in json.load(open(sys.argv[1] + "/compile_commands.json")):
    path = entry["file"]
    if path.startswith(root) and "QtWidgets" not in entry.get("command", " ".join(entry.get("arguments", []))):
        print(os.path.relpath(path))
PY
)
else
    files=("$@")
fi
# run-clang-tidy takes regular expressions; the paths are matched as they stand.
patterns=()
for f in "${files[@]}"; do
    patterns+=("$(pwd)/$(sed 's/[.+]/\\&/g' <<<"$f")\$")
done
status=0
output=$(run-clang-tidy -quiet -p "$build" -j "$(nproc)" "${patterns[@]}" 2>&1) || status=$?
# Only the findings and what fails; not the commands and the counts of suppressed warnings.
grep -vE '^(clang-tidy|Running clang-tidy|[0-9]+ warnings? (and [0-9]+ errors? )?generated|Suppressed [0-9]+ warnings|Use -header-filter)' <<<"$output" || true
exit "$status"
