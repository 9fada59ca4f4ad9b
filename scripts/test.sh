#!/usr/bin/env bash
# Builds and runs every test; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
scripts/build.sh
ctest --test-dir build --output-on-failure --parallel "$(nproc)"
# Every fuzz target for a few seconds (its own clang build in build-fuzz/, incremental).
scripts/fuzz.sh 2
