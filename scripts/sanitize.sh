#!/usr/bin/env bash
# Builds and runs the whole test suite under AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/),
# then the threaded serial-port tests under ThreadSanitizer (build-tsan/). Too slow for every CI run.
# Both halves run to their end whatever the other gave; the script reports each and fails if either failed.
# Usage: scripts/sanitize.sh [asan|tsan|all]   (default all)
set -euo pipefail
cd "$(dirname "$0")/.."
what="${1:-all}"
scripts/deps.sh test
jobs="$(nproc)"
supp="$PWD/scripts/sanitizer-suppressions"

run_asan() {
    local flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    [ -f build-asan/CMakeCache.txt ] || cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null || return 1
    cmake --build build-asan --parallel "$jobs" || return 1
    ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:suppressions=$supp/asan.txt" \
    LSAN_OPTIONS="suppressions=$supp/lsan.txt:print_suppressions=0" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        ctest --test-dir build-asan --output-on-failure --parallel "$jobs" --timeout 900
}

run_tsan() {
    # The tests of the serial port and its worker thread, and of the bench's Modbus master and its worker.
    local targets=() f
    for f in tests/device/tst_comm*.cpp tests/platform/tst_modbusmaster.cpp; do
        [ -e "$f" ] && targets+=("$(basename "$f" .cpp)")
    done
    if [ ${#targets[@]} -eq 0 ]; then
        echo "No threaded serial tests (tests/device/tst_comm*.cpp) to run under ThreadSanitizer."
        return 0
    fi
    [ -f build-tsan/CMakeCache.txt ] || cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null || return 1
    cmake --build build-tsan --parallel "$jobs" --target "${targets[@]}" || return 1
    local regex
    regex="^($(IFS='|'; echo "${targets[*]}"))\$"
    QT_NO_GLIB=1 TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$supp/tsan.txt" \
        ctest --test-dir build-tsan --output-on-failure -R "$regex" --timeout 900
}

results=()
failed=0
# Each half runs as an `if` condition, where `set -e` does not apply: every step above says `|| return 1`.
if [ "$what" = asan ] || [ "$what" = all ]; then
    if run_asan; then results+=("AddressSanitizer + UndefinedBehaviorSanitizer: passed"); else
        results+=("AddressSanitizer + UndefinedBehaviorSanitizer: FAILED"); failed=1; fi
fi
if [ "$what" = tsan ] || [ "$what" = all ]; then
    if run_tsan; then results+=("ThreadSanitizer: passed"); else results+=("ThreadSanitizer: FAILED"); failed=1; fi
fi
printf '%s\n' "${results[@]}"
exit "$failed"
