#!/usr/bin/env bash
# Installs the Debian 12 packages a job needs, only when one is missing.
# Usage: scripts/deps.sh [run|test]
#   run   building and running the program, and building its package (the default)
#   test  also the test and fuzz tools: clang with libFuzzer, Google Benchmark, clang-format, clang-tidy, and
#         desktop-file-utils and appstream for the install test, lintian for scripts/package.sh
set -euo pipefail

RUN_PACKAGES=(
    build-essential cmake ninja-build pkg-config ccache dpkg-dev file
    qt6-base-dev qt6-svg-dev libgl-dev
    libpugixml-dev libfreexl-dev libzip-dev libmodbus-dev
)
TEST_PACKAGES=(
    libbenchmark-dev
    clang-14 libclang-rt-14-dev clang-format clang-tidy
    desktop-file-utils appstream lintian
    socat mbpoll python3-pymodbus python3-serial python3-serial-asyncio
)

case "${1:-run}" in
    run) PACKAGES=("${RUN_PACKAGES[@]}") ;;
    test) PACKAGES=("${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
    *) echo "Usage: scripts/deps.sh [run|test]" >&2; exit 2 ;;
esac

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
