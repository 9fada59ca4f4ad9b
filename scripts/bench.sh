#!/usr/bin/env bash
# Builds the benchmarks into build-bench/ (release) and runs them: start-up time and peak memory of
# velmaro against a bare Qt window, then the editors shown with full tables and the table benchmarks.
# Reports figures only; never fails because a machine is slow. Usage: scripts/bench.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
[ -f build-bench/CMakeCache.txt ] || cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVELMARO_BUILD_BENCH=ON -DVELMARO_BUILD_TESTS=OFF -DVELMARO_SHOW_HIDDEN_EDITORS=ON >/dev/null
cmake --build build-bench --parallel "$(nproc)"
build-bench/bench/bench_startup "${1:-15}"
QT_QPA_PLATFORM=offscreen build-bench/bench/bench_editors 2> >(grep -v propagateSizeHints >&2)
[ -x build-bench/bench/bench_tables ] && build-bench/bench/bench_tables || true
