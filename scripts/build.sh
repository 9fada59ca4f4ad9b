#!/usr/bin/env bash
# Configures and builds into build/ (incremental; quick when nothing changed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
[ -f build/CMakeCache.txt ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMARO_WERROR="${VELMARO_WERROR:-OFF}" "$@"
cmake --build build --parallel "$(nproc)"
