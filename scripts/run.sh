#!/usr/bin/env bash
# Installs what is missing, builds Release and starts the console.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
# TABULON_RELEASE_DIR chooses another build folder (the start-up test uses it).
build=${TABULON_RELEASE_DIR:-build-release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTABULON_TESTS=OFF
cmake --build "$build" -j "$(nproc)"
exec "$build/src/app/tabulon" "$@"
