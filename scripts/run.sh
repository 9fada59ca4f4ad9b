#!/usr/bin/env bash
# Builds, installs the program into run/ (bin/velmaro, bin/velmaro-cli, share/...) and starts it.
# run/bin is its application directory, which rebuilds never wipe: MASTER, PROJECTS and
# Velmaro_Ferrant.ini live there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
cmake --install build --prefix run >/dev/null
exec run/bin/velmaro
