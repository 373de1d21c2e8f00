#!/usr/bin/env bash
# Builds Release with the benchmarks and runs them; each prints its ratio
# against a peer measured in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTABULON_TESTS=OFF -DTABULON_BENCH=ON
cmake --build build-bench -j "$(nproc)"
for b in build-bench/bench/bench_*; do
  [ -x "$b" ] || continue
  # The grid benchmark runs in separate processes under bench/grid.sh.
  [ "$(basename "$b")" = bench_grid ] && continue
  echo "== $(basename "$b")"
  "$b"
done
for s in bench/*.sh; do
  [ -f "$s" ] || continue
  echo "== $s"
  BUILD_DIR=build-bench bash "$s"
done
