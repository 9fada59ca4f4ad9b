#!/usr/bin/env bash
# Builds the benchmarks into build-bench/ (release) and runs them: start-up time and peak memory of
# velmaro against a bare Qt window and a window with the main window's controls (offscreen, and on an X
# display: $DISPLAY when set, otherwise a private Xvfb with openbox when they are installed), then the
# editors shown with full tables and the table benchmarks.
# Reports figures only; never fails because a machine is slow. Usage: scripts/bench.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
# The program as shipped: the start-up figures are of the main window people see.
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVELMARO_BUILD_BENCH=ON -DVELMARO_BUILD_TESTS=OFF -DVELMARO_SHOW_HIDDEN_EDITORS=OFF >/dev/null
cmake --build build-bench --parallel "$(nproc)"

# An X display for the start-up figures under a window manager, started here only when none is set.
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null && command -v openbox >/dev/null; then
    for n in $(seq 90 120); do [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break; done
    Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    DISPLAY=":$n" openbox >/dev/null 2>&1 & pids+=($!)
    sleep 0.5
    export DISPLAY=":$n"
fi
build-bench/bench/bench_startup "${1:-15}"
QT_QPA_PLATFORM=offscreen build-bench/bench/bench_editors 2> >(grep -v propagateSizeHints >&2)
[ -x build-bench/bench/bench_tables ] && build-bench/bench/bench_tables || true
[ -x build-bench/bench/bench_bytemap ] && build-bench/bench/bench_bytemap || true
[ -x build-bench/bench/bench_diff ] && build-bench/bench/bench_diff || true
# simulate of two full tables; a poll round of 244 rows over a pseudo-terminal pair (needs socat) against the
# line time its frames take at 115200 baud
[ -x build-bench/bench/bench_simulate ] && build-bench/bench/bench_simulate || true
