#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-release/ (incremental), installed under /usr by
# CPack, binaries stripped, dependencies computed by dpkg-shlibdeps. Prints the path of the .deb.
# Install it with: sudo apt-get install ./build-release/velmaro_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
# dpkg-shlibdeps (dpkg-dev) computes the dependencies; lintian checks the package when present.
[ -f build-release/CMakeCache.txt ] || cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVELMARO_BUILD_TESTS=OFF >/dev/null
cmake --build build-release --parallel "$(nproc)"
rm -f build-release/velmaro_*.deb
(cd build-release && cpack -G DEB >/dev/null)
deb="$(ls build-release/velmaro_*.deb)"
if command -v lintian >/dev/null; then
    lintian --fail-on error "$deb"
else
    echo "lintian is not installed, so the package was not checked (scripts/deps.sh test installs it)." >&2
fi
echo "$deb"
