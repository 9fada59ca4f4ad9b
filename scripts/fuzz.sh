#!/usr/bin/env bash
# Builds the libFuzzer targets into build-fuzz/ (clang, ASan + UBSan; incremental) and runs each for
# SECONDS (default 60). Fails on any crash, sanitizer report, leak or time-out of a single input.
# Usage: scripts/fuzz.sh [SECONDS]
# Seeds come from tests/data (and the bad-input catalogue); the growing corpus stays in
# build-fuzz/corpus/<target>, findings in build-fuzz/artifacts/. fuzz/regressions/<target>/ holds
# inputs that once crashed: each runs once before the timed run.
set -euo pipefail
cd "$(dirname "$0")/.."
DURATION="${1:-60}"

scripts/deps.sh test
if [ ! -f build-fuzz/CMakeCache.txt ]; then
    CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVELMARO_FUZZ=ON -DVELMARO_BUILD_TESTS=OFF >/dev/null
fi
cmake --build build-fuzz --target fuzz_targets --parallel "$(nproc)"

# Seed folders and file patterns of each target.
seeds() {
    case "$1" in
        fuzz_integertext) echo "tests/data/bad/integer *" ;;
        fuzz_pargen) echo "tests/data/settings tests/data/device tests/data/bad/pargen *.xml" ;;
        fuzz_tables) echo "tests/data/canopen tests/data/bad/table *.xml" ;;
        fuzz_sdo) echo "tests/data/mapping tests/data/bad/sdo *.xml" ;;
        fuzz_workbook) echo "tests/data/platform tests/data/canopen tests/data/bad/workbook *.xls *.xlsx *.ods" ;;
        fuzz_workbook_zip) echo "tests/data/platform tests/data/canopen tests/data/bad/workbook *.xlsx *.ods" ;;
    esac
}

export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1:suppressions=$PWD/scripts/sanitizer-suppressions/asan.txt"
export LSAN_OPTIONS="suppressions=$PWD/scripts/sanitizer-suppressions/lsan.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
mkdir -p build-fuzz/logs build-fuzz/artifacts
failed=()
for target in fuzz_integertext fuzz_pargen fuzz_tables fuzz_sdo fuzz_workbook fuzz_workbook_zip; do
    bin="build-fuzz/fuzz/$target"
    corpus="build-fuzz/corpus/$target"
    log="build-fuzz/logs/$target.log"
    mkdir -p "$corpus"
    read -r -a sources <<<"$(seeds "$target")"
    dirs=() patterns=()
    for s in "${sources[@]}"; do
        if [[ "$s" == tests/* ]]; then dirs+=("$s"); else patterns+=("$s"); fi
    done
    for d in "${dirs[@]}"; do
        [ -d "$d" ] || continue
        for p in "${patterns[@]}"; do
            find "$d" -type f -name "$p" -size -1024k -exec cp -n {} "$corpus/" \;
        done
    done
    # One input of fuzz_workbook opens the .xls in a child process per read (each sheet, each table kind):
    # a workbook that declares huge dimensions takes FreeXL seconds per child under ASan.
    timeout=10
    [ "$target" = fuzz_workbook ] && timeout=60
    ok=1
    if compgen -G "fuzz/regressions/$target/*" >/dev/null; then
        "$bin" -timeout=$((timeout * 2)) fuzz/regressions/"$target"/* >"$log.regressions" 2>&1 || ok=0
    fi
    if [ $ok -eq 1 ]; then
        "$bin" -max_total_time="$DURATION" -timeout="$timeout" -rss_limit_mb=4096 -max_len=65536 \
            -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$target-" "$corpus" >"$log" 2>&1 || ok=0
    fi
    if [ $ok -eq 1 ]; then
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || echo "?")
        echo "$target: clean, $runs executions in ${DURATION}s"
    else
        echo "$target: FAILED (see $log and build-fuzz/artifacts/)"
        grep -h -m5 -E 'ERROR|runtime error|SUMMARY|deadly|crash-|leak-|timeout-' "$log"* || true
        failed+=("$target")
    fi
done
[ ${#failed[@]} -eq 0 ] || { echo "Fuzzing found faults in: ${failed[*]}"; exit 1; }
