#!/usr/bin/env bash
# tabulon-run as a user runs it. Arguments: the program, the golden folder,
# the shared data folder (optional).
set -u
run=$1 golden=$2 data=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Golden transcripts: the output must match byte for byte.
for sql in "$golden"/*.sql; do
  name=$(basename "$sql" .sql)
  "$run" --set ShowTime=N "$work/$name.db" "$sql" > "$work/$name.out" 2> "$work/$name.err"
  status=$?
  if ! diff -u "$golden/$name.out" "$work/$name.out"; then fail "$name transcript differs"; fi
  # Every golden script holds one failing statement on purpose.
  [ "$status" -eq 1 ] || fail "$name: exit status $status, expected 1"
done

# Exit statuses and standard input.
echo "select 1 as one;" | "$run" --set ShowTime=N :memory: > "$work/stdin.out"
[ $? -eq 0 ] || fail "a clean run from standard input did not exit 0"
grep -q '^1 row selected...$' "$work/stdin.out" || fail "standard input was not run"
"$run" > /dev/null 2>&1; [ $? -eq 2 ] || fail "no database: exit status is not 2"
"$run" --bogus :memory: > /dev/null 2>&1; [ $? -eq 2 ] || fail "unknown option: exit status is not 2"
"$run" --set NoSuch=1 :memory: < /dev/null > /dev/null 2>&1; [ $? -eq 2 ] || fail "unknown setting: exit status is not 2"
"$run" :memory: "$work/missing.sql" > /dev/null 2>&1; [ $? -eq 2 ] || fail "missing script: exit status is not 2"
"$run" "$work/no/such/dir/x.db" < /dev/null > /dev/null 2>&1; [ $? -eq 2 ] || fail "bad database path: exit status is not 2"
"$run" --help | grep -q -- '--overwrite' || fail "--help does not document --overwrite"

# ANSI output becomes UTF-8; --raw leaves the bytes.
printf "select '\xd7\xe9' as w;\n" | "$run" :memory: | grep -q 'Чй' || fail "ANSI text not converted to UTF-8"
printf "select 'caf\xc3\xa9' as w;\n" | "$run" --raw :memory: | grep -q 'café' || fail "--raw changed the bytes"

# Ctrl+C interrupts the running statement, not the program.
printf "select x from (with recursive c(x) as (select 1 union all select x + 1 from c) select x from c);\nselect 'after' as w;\n" \
  > "$work/endless.sql"
"$run" :memory: "$work/endless.sql" > "$work/endless.out" 2>&1 &
pid=$!
sleep 1
kill -INT $pid
wait $pid
status=$?
[ $status -eq 1 ] || fail "interrupted run exit status $status, expected 1"
grep -q 'interrupted' "$work/endless.out" || fail "no interrupt message"
grep -q '^after' "$work/endless.out" || fail "the run did not go on after the interrupt"

# Real scripts leave the same tables and rows as the sqlite3 shell.
# The same tables, views and indexes, with the same row counts. (Contents may
# differ in one way: scripts run as the editor holds them, every line break a
# CR LF, also inside literals, where the shell keeps LF.)
summary() {
  sqlite3 "$1" "select type, name from sqlite_master order by 1, 2"
  sqlite3 "$1" "select name from sqlite_master where type = 'table' order by 1" | while read -r t; do
    echo "$t $(sqlite3 "$1" "select count(*) from [$t]")"
  done
}
if [ -n "$data" ] && [ -f "$data/Chinook_Sqlite.sql" ] && command -v sqlite3 > /dev/null; then
  for set in "Chinook_Sqlite.sql" "northwind_create.sql northwind_update.sql"; do
    ours=$work/ours.db theirs=$work/theirs.db
    rm -f "$ours" "$theirs"
    files=()
    for f in $set; do files+=("$data/$f"); done
    "$run" --set EchoOn=N --set ShowTime=N "$ours" "${files[@]}" > "$work/data.out"
    [ $? -eq 0 ] || { fail "$set: tabulon-run reported a failure"; grep '???' "$work/data.out" | head -5; }
    for f in "${files[@]}"; do sqlite3 "$theirs" < "$f" > /dev/null; done
    if [ "$(summary "$ours")" != "$(summary "$theirs")" ]; then fail "$set: tables differ from the sqlite3 shell's"; fi
  done
else
  echo "shared data or sqlite3 missing: script comparison skipped"
fi

if [ $failures -eq 0 ]; then echo "end-to-end: all checks passed"; exit 0; fi
exit 1
