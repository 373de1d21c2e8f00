#!/usr/bin/env bash
# Installs what is missing, builds Release and makes the Debian package
# tabulon_<version>_<arch>.deb in the build folder; prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${TABULON_PACKAGE_DIR:-build-package}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTABULON_TESTS=OFF
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/tabulon_*.deb
