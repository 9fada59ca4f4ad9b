#!/usr/bin/env bash
# Builds, copies the program into run/ (its application directory, which rebuilds never wipe: MASTER,
# PROJECTS and Velmaro_Ferrant.ini live there) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
cmake --install build --prefix run >/dev/null
exec run/velmaro
