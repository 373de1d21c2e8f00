#!/usr/bin/env bash
# tabulon-run against the sqlite3 shell, measured in the same run:
#  1. a SELECT of 300,000 rows of (integer, float, text, date) printed to
#     /dev/null, against `sqlite3 -column`, once with ASCII text and once with
#     text a third of whose characters are not ASCII; and tabulon-run's peak
#     memory;
#  2. a 100,000-statement INSERT script (PRAGMA synchronous=OFF first) with
#     EchoOn=N, against `sqlite3 DB < script`; and the same script five times
#     longer, which should take at most 5.5 times as long.
set -euo pipefail
build=${BUILD_DIR:-build-bench}
run=$build/tools/tabulon-run
[ -x "$run" ] || { echo "build $run first (scripts/bench.sh does)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config

seconds() { local t0 t1; t0=$(date +%s.%N); "$@"; t1=$(date +%s.%N); echo "$t1 - $t0" | bc -l; }
best() { local b=""; for _ in 1 2 3; do local t; t=$(seconds "$@"); if [ -z "$b" ] || (( $(echo "$t < $b" | bc -l) )); then b=$t; fi; done; echo "$b"; }

# Two tables of 300,000 rows: ASCII text, and text of which a third of the
# characters are not ASCII (Cyrillic, accented Latin and CJK).
db=$work/rows.db
sqlite3 "$db" "create table r(i integer, f float, t text, d date);
  with recursive c(x) as (select 1 union all select x + 1 from c where x < 300000)
  insert into r select x, x * 1.25, 'row text number ' || x, date('2000-01-01', '+' || (x % 9000) || ' days') from c;
  create table u(i integer, f float, t text, d date);
  insert into u select i, f, 'строка é 漢 nr ' || i, d from r;"
for table in r u; do
  echo "select i, f, t, d from $table;" > "$work/select.sql"
  ours=$(best sh -c "'$run' --set ShowTime=N '$db' '$work/select.sql' > /dev/null")
  theirs=$(best sh -c "sqlite3 -column '$db' 'select i, f, t, d from $table;' > /dev/null")
  kind=$([ $table = r ] && echo "ASCII text" || echo "text one third non-ASCII")
  printf 'SELECT 300,000 rows (%s) to /dev/null: tabulon-run %.2f s, sqlite3 -column %.2f s, ratio %.2f (target <= 1.5)\n' \
    "$kind" "$ours" "$theirs" "$(echo "$ours / $theirs" | bc -l)"
done
peak=$(/usr/bin/time -f %M "$run" --set ShowTime=N "$db" "$work/select.sql" 2>&1 > /dev/null | tail -1)
printf 'tabulon-run peak resident memory for it: %.1f MB (target < 64 MB)\n' "$(echo "$peak / 1024" | bc -l)"

make_script() {
  echo "PRAGMA synchronous=OFF;"
  echo "create table t(id integer, name text, price float);"
  awk -v n="$1" 'BEGIN { for (i = 1; i <= n; i++) printf "insert into t values(%d, '\''name %d'\'', %d.5);\n", i, i, i }'
}
make_script 100000 > "$work/inserts.sql"
make_script 500000 > "$work/inserts5.sql"
fresh() { rm -f "$work/ins.db"; "$@"; }
ours=$(best fresh sh -c "'$run' --set EchoOn=N --set ShowTime=N '$work/ins.db' '$work/inserts.sql' > /dev/null")
theirs=$(best fresh sh -c "sqlite3 '$work/ins.db' < '$work/inserts.sql' > /dev/null")
printf '100,000 INSERTs: tabulon-run %.2f s, sqlite3 %.2f s, ratio %.2f (target <= 1.5)\n' \
  "$ours" "$theirs" "$(echo "$ours / $theirs" | bc -l)"
five=$(best fresh sh -c "'$run' --set EchoOn=N --set ShowTime=N '$work/ins.db' '$work/inserts5.sql' > /dev/null")
printf '500,000 INSERTs: tabulon-run %.2f s, %.2f times the 100,000 (target <= 5.5)\n' \
  "$five" "$(echo "$five / $ours" | bc -l)"
