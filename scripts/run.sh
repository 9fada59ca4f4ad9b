#!/usr/bin/env bash
# Builds the two programs, installs them into run/ (bin/velmaro, bin/velmaro-cli, share/...) and starts
# the window. run/bin is its application directory, which rebuilds never wipe: MASTER, PROJECTS and
# Velmaro_Ferrant.ini live there. Only what the install needs is built, not the tests
# (scripts/test.sh builds and runs those).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
[ -f build/CMakeCache.txt ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMARO_WERROR="${VELMARO_WERROR:-OFF}"
cmake --build build --parallel "$(nproc)" --target velmaro velmaro-cli velmaro_dist
cmake --install build --prefix run >/dev/null
exec run/bin/velmaro "$@"
