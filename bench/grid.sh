#!/bin/sh
# Opens a 1,000,000-row table in the grid page and scrolls to its end, against
# the buffered query alone fetching the same rows; each run in its own process
# under /usr/bin/time -v. Prints the median time ratio and the peak resident
# size ratio (targets: time <= 1.3, memory <= 1.1).
#   bench/grid.sh [BUILD_DIR]   (configured with -DTABULON_BENCH=ON; or $BUILD_DIR)
set -eu
build=${1:-${BUILD_DIR:-build-bench}}
prog="$build/bench/bench_grid"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$prog" prepare "$work/grid.db"
run() { # mode -> "seconds kb"
  /usr/bin/time -v "$prog" "$1" "$work/grid.db" > "$work/out" 2> "$work/time"
  s=$(sed -n 's/.* \([0-9.]*\) s, peak.*/\1/p' "$work/out")
  kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
  echo "$s $kb"
}
: > "$work/q"; : > "$work/g"
for round in 1 2 3; do
  run query >> "$work/q"
  run grid >> "$work/g"
done
median() { sort -n -k"$2" "$1" | sed -n 2p | cut -d' ' -f"$2"; }
qs=$(median "$work/q" 1); gs=$(median "$work/g" 1)
qm=$(median "$work/q" 2); gm=$(median "$work/g" 2)
echo "buffered query: $qs s, peak $qm KB"
echo "grid page, open and scroll to the end: $gs s, peak $gm KB"
awk -v a="$gs" -v b="$qs" 'BEGIN { printf "time ratio %.3f (target <= 1.3)\n", a / b }'
awk -v a="$gm" -v b="$qm" 'BEGIN { printf "memory ratio %.3f (target <= 1.1)\n", a / b }'
