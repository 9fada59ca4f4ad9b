#!/usr/bin/env bash
# Builds and runs every test and clang-tidy; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
scripts/build.sh
ctest --test-dir build --output-on-failure --parallel "$(nproc)"
# clang-tidy over the core sources, on the compile commands of this build.
scripts/tidy.sh build
# Every fuzz target for a few seconds (its own clang build in build-fuzz/, incremental).
scripts/fuzz.sh 2
