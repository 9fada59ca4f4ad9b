#!/usr/bin/env bash
# Builds and runs the whole test suite under AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/),
# then the threaded serial-port tests under ThreadSanitizer (build-tsan/). Too slow for every CI run.
# Usage: scripts/sanitize.sh [asan|tsan|all]   (default all)
set -euo pipefail
cd "$(dirname "$0")/.."
what="${1:-all}"
scripts/deps.sh test
jobs="$(nproc)"
supp="$PWD/scripts/sanitizer-suppressions"

if [ "$what" = asan ] || [ "$what" = all ]; then
    flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    [ -f build-asan/CMakeCache.txt ] || cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
    cmake --build build-asan --parallel "$jobs"
    ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:suppressions=$supp/asan.txt" \
    LSAN_OPTIONS="suppressions=$supp/lsan.txt:print_suppressions=0" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        ctest --test-dir build-asan --output-on-failure --parallel "$jobs" --timeout 900
fi

if [ "$what" = tsan ] || [ "$what" = all ]; then
    # The tests of the serial port and its worker thread: tests/device/tst_comm*.cpp.
    targets=()
    for f in tests/device/tst_comm*.cpp; do
        [ -e "$f" ] && targets+=("$(basename "$f" .cpp)")
    done
    if [ ${#targets[@]} -eq 0 ]; then
        echo "No threaded serial tests (tests/device/tst_comm*.cpp) to run under ThreadSanitizer."
        exit 0
    fi
    [ -f build-tsan/CMakeCache.txt ] || cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
    cmake --build build-tsan --parallel "$jobs" --target "${targets[@]}"
    regex="^($(IFS='|'; echo "${targets[*]}"))\$"
    QT_NO_GLIB=1 TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$supp/tsan.txt" \
        ctest --test-dir build-tsan --output-on-failure -R "$regex" --timeout 900
fi
