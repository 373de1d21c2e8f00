#!/usr/bin/env bash
# The DBF, XML and HTML directives of tabulon-run against the sqlite3 shell,
# measured in the same run on one 200,000-record table of (C, N, N with
# decimals, D, L) fields:
#  1. importing the DBF file (--$DBFI) against the shell's `.import --csv` of
#     the same rows into a table of the same columns;
#  2. exporting the rows to DBF (--$DBFE), XML (--$XMLE) and HTML (--$HTME),
#     each against `sqlite3 -html DB "select ..." > file`.
# Best of 3 runs each; every target is a ratio of at most 2.0.
set -euo pipefail
build=${BUILD_DIR:-build-bench}
run=$build/tools/tabulon-run
[ -x "$run" ] || { echo "build $run first (scripts/bench.sh does)"; exit 1; }
command -v sqlite3 > /dev/null || { echo "the sqlite3 shell is missing"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config

seconds() { local t0 t1; t0=$(date +%s.%N); "$@"; t1=$(date +%s.%N); echo "$t1 - $t0" | bc -l; }
best() { local b=""; for _ in 1 2 3; do local t; t=$(seconds "$@"); if [ -z "$b" ] || (( $(echo "$t < $b" | bc -l) )); then b=$t; fi; done; echo "$b"; }
report() {
  printf '%s: tabulon-run %.2f s, sqlite3 %.2f s, ratio %.2f (target <= 2.0)\n' \
    "$1" "$2" "$3" "$(echo "$2 / $3" | bc -l)"
}

# The source rows, written to DBF by tabulon-run itself.
src=$work/source.db
sqlite3 "$src" "create table r(name varchar(24), qty integer, price numeric(12,2), day date, \"OK#\" char(1));
  with recursive c(x) as (select 1 union all select x + 1 from c where x < 200000)
  insert into r select 'customer ' || x, x % 100000, (x % 10000) * 1.25,
    date('2000-01-01', '+' || (x % 9000) || ' days'), substr('YN', 1 + x % 2, 1) from c;"
select='select name, qty, price, day, "OK#" from r'
printf -- '--$DBFE %s -select="%s"\n' "$work/rows.dbf" "$select" > "$work/make.sql"
"$run" --set ShowTime=N "$src" "$work/make.sql" > "$work/make.out"
grep -q '^Save 200000 records' "$work/make.out" || { cat "$work/make.out"; exit 1; }

# 1. Import. The CSV holds the same rows as the DBF file, read back from a
# first import, so that both sides load identical values.
printf -- '--$DBFI %s -Table=imp\n' "$work/rows.dbf" > "$work/import.sql"
"$run" --overwrite "$work/check.db" "$work/import.sql" > "$work/import.out"
grep -q '^Load 200000 records' "$work/import.out" || { cat "$work/import.out"; exit 1; }
sqlite3 -csv "$work/check.db" "select * from imp" > "$work/rows.csv"
{ sqlite3 "$work/check.db" "select sql || ';' from sqlite_master where name = 'imp'"
  echo ".import --csv $work/rows.csv imp"; } > "$work/peer.sql"
fresh() { rm -f "$work/imp.db"; "$@"; }
ours=$(best fresh sh -c "'$run' --overwrite '$work/imp.db' '$work/import.sql' > /dev/null")
theirs=$(best fresh sh -c "sqlite3 '$work/imp.db' < '$work/peer.sql'")
report "import 200,000 DBF records" "$ours" "$theirs"

# 2. Exports of the imported rows.
db=$work/check.db
exp_select='select * from imp'
theirs=$(best sh -c "sqlite3 -html '$db' '$exp_select' > '$work/peer.html'")
for kind in DBFE:dbf XMLE:xml HTME:html; do
  word=${kind%%:*} ext=${kind##*:}
  printf -- '--$%s %s -select="%s"\n' "$word" "$work/out.$ext" "$exp_select" > "$work/export.sql"
  ours=$(best sh -c "'$run' --overwrite '$db' '$work/export.sql' > /dev/null 2>&1")
  report "export 200,000 rows to $ext" "$ours" "$theirs"
done

# 3. CSV and JSON exports against the shell's own -csv and -json modes
#    (target 1.5), with tabulon-run's peak memory.
for kind in CSVE:csv:-csv JSNE:json:-json; do
  IFS=: read -r word ext mode <<< "$kind"
  theirs=$(best sh -c "sqlite3 $mode '$db' '$exp_select' > '$work/peer.$ext'")
  printf -- '--$%s %s -select="%s"\n' "$word" "$work/out.$ext" "$exp_select" > "$work/export.sql"
  ours=$(best sh -c "'$run' --overwrite '$db' '$work/export.sql' > /dev/null 2>&1")
  printf 'export 200,000 rows to %s: tabulon-run %.2f s, sqlite3 %s %.2f s, ratio %.2f (target <= 1.5)\n' \
    "$ext" "$ours" "$mode" "$theirs" "$(echo "$ours / $theirs" | bc -l)"
  peak=$(/usr/bin/time -f %M "$run" --overwrite "$db" "$work/export.sql" 2>&1 > /dev/null | tail -1)
  printf 'tabulon-run peak resident memory for it: %.1f MB (target < 64 MB)\n' "$(echo "$peak / 1024" | bc -l)"
done

# 4. Importing a 200,000-row CSV (written by the shell) against the shell's
#    `.import --csv` of the same file into a fresh database (target 1.5).
sqlite3 -csv -header "$db" "$exp_select" > "$work/rows.csv"
printf -- '--$CSVI %s -Table=imp\n' "$work/rows.csv" > "$work/csvimport.sql"
ours=$(best fresh sh -c "'$run' --overwrite '$work/imp.db' '$work/csvimport.sql' > /dev/null 2>&1")
theirs=$(best fresh sh -c "sqlite3 '$work/imp.db' '.import --csv $work/rows.csv imp'")
printf 'import 200,000 CSV rows: tabulon-run %.2f s, sqlite3 .import --csv %.2f s, ratio %.2f (target <= 1.5)\n' \
  "$ours" "$theirs" "$(echo "$ours / $theirs" | bc -l)"
peak=$(/usr/bin/time -f %M "$run" --overwrite "$work/imp.db" "$work/csvimport.sql" 2>&1 > /dev/null | tail -1)
printf 'tabulon-run peak resident memory for it: %.1f MB (target < 64 MB)\n' "$(echo "$peak / 1024" | bc -l)"
