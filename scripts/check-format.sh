#!/usr/bin/env bash
# Fails when a C++ file does not match .clang-format, or when a file includes one from a layer above its own.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || scripts/deps.sh test
status=0
while IFS= read -r f; do
    if ! clang-format --dry-run --Werror "$f" 2>/dev/null; then
        echo "Not formatted: $f (run: clang-format -i $f)"
        status=1
    fi
done < <(git ls-files '*.cpp' '*.h')

# Layer of each source folder; a file may include its own layer's folder and those below.
layer() {
    case "$1" in
        base) echo 0 ;; platform) echo 1 ;; widgets) echo 2 ;;
        settings) echo 3 ;; device|mapping|canopen) echo 4 ;; app) echo 5 ;; cli) echo 6 ;; *) echo 9 ;;
    esac
}
while IFS= read -r line; do
    file="${line%%:*}"
    from="$(cut -d/ -f2 <<<"$file")"
    to="$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$line")"
    [ "$from" = "$to" ] && continue
    if [ "$(layer "$to")" -ge "$(layer "$from")" ]; then
        echo "Layer break: $line"
        status=1
    fi
done < <(grep -rn '#include "[a-z]*/' src)
exit $status
