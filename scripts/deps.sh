#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only when one is missing.
set -euo pipefail

PACKAGES=(
    build-essential cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-svg-dev libgl-dev
    libpugixml-dev libfreexl-dev libzip-dev
    libbenchmark-dev
    clang-14 libclang-rt-14-dev clang-format
)

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
