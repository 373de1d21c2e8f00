#!/usr/bin/env bash
# Installs what is missing, builds Release and starts the console.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTABULON_TESTS=OFF
cmake --build build-release -j "$(nproc)"
if [ -x build-release/src/app/tabulon ]; then
  exec build-release/src/app/tabulon
elif [ -x build-release/tools/tabulon-run ]; then
  echo "The console window is not built yet; starting tabulon-run on :memory: (SQL from standard input)."
  exec build-release/tools/tabulon-run :memory:
else
  echo "Built the libraries; neither the console window nor tabulon-run exists yet, so nothing is started."
fi
