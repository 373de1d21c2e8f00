#!/usr/bin/env bash
# tabulon-run as a user runs it. Arguments: the program, the golden folder,
# the shared data folder. Every program's exit status is checked; the peers
# (scripts/deps.sh installs them) and the shared data must be there.
set -euo pipefail
run=$1 golden=$2 data=$3
for peer in sqlite3 xmllint iconv /usr/bin/python3; do
  command -v "$peer" > /dev/null || { echo "missing peer: $peer (scripts/deps.sh installs it)"; exit 1; }
done
/usr/bin/python3 -c 'import dbfread' || { echo "missing peer: python3-dbfread"; exit 1; }
# The shared sample data lies beside the project's folder, not in it: a
# checkout without it runs the rest.
have_data=1
for f in Chinook_Sqlite.sql northwind_create.sql northwind_update.sql dbf/dbase_03.dbf dbf/dbase_83.dbf; do
  [ -f "$data/$f" ] || { echo "no shared data $data/$f: the checks on real files are left out"; have_data=0; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Runs a command and succeeds when it exits with the given status.
status_is() {
  local want=$1 got=0
  shift
  "$@" || got=$?
  [ "$got" -eq "$want" ] || { echo "exit status $got, expected $want: $*"; return 1; }
}

# Golden transcripts: the output must match byte for byte.
for sql in "$golden"/*.sql; do
  name=$(basename "$sql" .sql)
  # Every golden script holds one failing statement on purpose.
  status_is 1 "$run" --set ShowTime=N "$work/$name.db" "$sql" > "$work/$name.out" 2> "$work/$name.err" \
    || fail "$name: exit status"
  if ! diff -u "$golden/$name.out" "$work/$name.out"; then fail "$name transcript differs"; fi
done

# Exit statuses and standard input.
echo "select 1 as one;" | "$run" --set ShowTime=N :memory: > "$work/stdin.out" || fail "a clean run from standard input did not exit 0"
grep -q '^1 row selected...$' "$work/stdin.out" || fail "standard input was not run"
status_is 2 "$run" > /dev/null 2>&1 || fail "no database: exit status is not 2"
status_is 2 "$run" --bogus :memory: > /dev/null 2>&1 || fail "unknown option: exit status is not 2"
status_is 2 "$run" --set NoSuch=1 :memory: < /dev/null > /dev/null 2>&1 || fail "unknown setting: exit status is not 2"
status_is 2 "$run" :memory: "$work/missing.sql" > /dev/null 2>&1 || fail "missing script: exit status is not 2"
status_is 2 "$run" "$work/no/such/dir/x.db" < /dev/null > /dev/null 2>&1 || fail "bad database path: exit status is not 2"
help=$("$run" --help)
grep -q -- '--overwrite' <<<"$help" || fail "--help does not document --overwrite"

# Output is UTF-8 with LF line ends; a byte that is not UTF-8 (a database
# written by an 8-bit console) shows as its Windows-1251 character; --raw of
# older versions is still accepted.
printf "select 'Cássia 漢 😀' as w;\n" | "$run" :memory: > "$work/utf8.out" || fail "a UTF-8 query failed"
grep -q 'Cássia 漢 😀' "$work/utf8.out" || fail "UTF-8 text did not print as it stands"
! grep -q $'\r' "$work/utf8.out" || fail "an output line ends with CR"
out=$(printf "select cast(x'd7e9' as text) as w;\n" | "$run" :memory:) || fail "a query of Windows-1251 bytes failed"
grep -q 'Чй' <<<"$out" || fail "Windows-1251 bytes did not show as Cyrillic"
printf "select 1 as w;\n" | "$run" --raw :memory: > /dev/null || fail "--raw is no longer accepted"
! grep -q -- '--raw' <<<"$help" || fail "--help still documents --raw"
# The legacy switch stores Windows-1251 bytes and reads them back.
printf "create table l(s);\ninsert into l values('Ёжик');\nselect s, hex(s) as h from l;\n" \
  | "$run" --set Win1251Db=Y --set ShowTime=N :memory: > "$work/legacy.out" || fail "the Windows-1251 switch's run failed"
grep -q '^Ёжик .*A8E6E8EA' "$work/legacy.out" || { fail "the Windows-1251 switch did not store and read back"; cat "$work/legacy.out"; }

# Ctrl+C interrupts the running statement, not the program.
printf "select x from (with recursive c(x) as (select 1 union all select x + 1 from c) select x from c);\nselect 'after' as w;\n" \
  > "$work/endless.sql"
"$run" :memory: "$work/endless.sql" > "$work/endless.out" 2>&1 &
pid=$!
sleep 1
kill -INT $pid
status=0
wait $pid || status=$?
[ $status -eq 1 ] || fail "interrupted run exit status $status, expected 1"
grep -q 'interrupted' "$work/endless.out" || fail "no interrupt message"
grep -q '^after' "$work/endless.out" || fail "the run did not go on after the interrupt"

# File names with Cyrillic letters are UTF-8 bytes; a script saved in
# Windows-1251 is read as such, so its names reach the files too.
cyr="$work/папка"
mkdir -p "$cyr"
printf "select 'inner' as w;\n" > "$cyr/скрипт.sql"
printf '@%s\n' "$cyr/скрипт.sql" > "$work/utf8call.sql"
out=$("$run" :memory: "$work/utf8call.sql" 2>&1) || fail "a UTF-8 script calling a script failed"
grep -q '^inner' <<<"$out" || fail "a UTF-8 script did not call a script with a Cyrillic name"
iconv -f UTF-8 -t CP1251 "$work/utf8call.sql" > "$work/ansicall.sql"
out=$("$run" :memory: "$work/ansicall.sql" 2>&1) || fail "a Windows-1251 script calling a script failed"
grep -q '^inner' <<<"$out" || fail "a Windows-1251 script did not call a script with a Cyrillic name"
printf -- "--\$XMLS %s -select=\"select 1 as n\"\n" "$cyr/выгрузка.xml" | iconv -f UTF-8 -t CP1251 > "$work/ansixml.sql"
"$run" :memory: "$work/ansixml.sql" > /dev/null 2>&1 || fail "an export to a Cyrillic file name failed"
[ -s "$cyr/выгрузка.xml" ] || fail "an export from a Windows-1251 script did not write the UTF-8 file name"
echo "create table t(a); insert into t values (7);" | "$run" "$cyr/база.db" > /dev/null 2>&1 \
  || fail "a database with a Cyrillic name could not be created"
[ -s "$cyr/база.db" ] || fail "the database file does not carry its UTF-8 name"
out=$(echo "select a from t;" | "$run" --set ShowTime=N "$cyr/база.db" 2>&1) || fail "a Cyrillic database name did not open again"
grep -q '^7 ' <<<"$out" || fail "a Cyrillic database name did not read back"

# Real scripts leave a database whose dump equals the sqlite3 shell's byte
# for byte: a literal that spans lines keeps the file's own line break.
if [ $have_data -eq 1 ]; then
  for set in "Chinook_Sqlite.sql" "northwind_create.sql northwind_update.sql"; do
    ours=$work/ours.db theirs=$work/theirs.db
    rm -f "$ours" "$theirs"
    files=()
    for f in $set; do files+=("$data/$f"); done
    "$run" --set EchoOn=N --set ShowTime=N "$ours" "${files[@]}" > "$work/data.out" \
      || { fail "$set: tabulon-run reported a failure"; grep '???' "$work/data.out" | head -5 || true; }
    for f in "${files[@]}"; do sqlite3 "$theirs" < "$f" > /dev/null; done
    sqlite3 "$ours" .dump > "$work/ours.dump"
    sqlite3 "$theirs" .dump > "$work/theirs.dump"
    cmp -s "$work/ours.dump" "$work/theirs.dump" || { fail "$set: the dump differs from the sqlite3 shell's"; diff "$work/ours.dump" "$work/theirs.dump" | head -5 || true; }
  done
  # Chinook's accented names print as the database holds them, and a table
  # mixing them with Cyrillic, CJK and emoji lines up by display width.
  chinook=$work/ours.db
  rm -f "$chinook"
  "$run" --set EchoOn=N "$chinook" "$data/Chinook_Sqlite.sql" > /dev/null
  cat > "$work/names.sql" <<'SQL'
select Name from Artist where ArtistId = 77;
select Name from Artist where Name like 'Ant%nio Carlos Jobim';
create table mix(name varchar(12), n integer);
insert into mix select Name, ArtistId from Artist where ArtistId in (77, 150);
insert into mix values ('Жанна Агузарова', 1000);
insert into mix values ('坂本龍一', 1001);
insert into mix values ('😀 smile', 1002);
insert into mix values ('plain ascii', 1003);
select name, n from mix order by n;
SQL
  "$run" --set ShowTime=N "$chinook" "$work/names.sql" > "$work/names.out" || fail "the names script failed"
  grep -qx 'Cássia Eller *' "$work/names.out" || fail "Chinook's Cássia Eller did not print"
  grep -qx 'Antônio Carlos Jobim *' "$work/names.out" || fail "Chinook's Antônio Carlos Jobim did not print"
  # Every line of the mixed table is as wide on screen as its dash line.
  /usr/bin/python3 - "$work/names.out" <<'PY' || fail "the mixed table does not line up by display width"
import sys, unicodedata
lines = open(sys.argv[1], encoding='utf-8').read().split('\n')
start = max(i for i, l in enumerate(lines) if l.startswith('SQL: select name, n from mix'))
table = lines[start + 1:start + 9]
def width(s):
    return sum(0 if unicodedata.combining(c) else 2 if unicodedata.east_asian_width(c) in 'WF' else 1 for c in s)
widths = {width(l) for l in table}
if len(widths) != 1 or len(table) != 8:
    print('\n'.join(table)); sys.exit(1)
PY
  sqlite3 "$chinook" "select name from mix order by n" > "$work/mix.shell"
  grep -q '^坂本龍一$' "$work/mix.shell" || fail "the shell does not read back what tabulon-run stored"
fi

# The DBF, XML and HTML directives on real files, checked with the sqlite3
# shell, Debian's python3 with dbfread, and xmllint.
py=/usr/bin/python3
if [ $have_data -eq 1 ]; then
  d=$work/dir
  mkdir -p "$d"
  cp "$data/dbf/dbase_03.dbf" "$data/dbf/dbase_83.dbf" "$d/"
  db=$d/dir.db
  # File names without a folder, as a user types them: run inside the folder.
  prog=$(cd "$(dirname "$run")" && pwd)/$(basename "$run")
  directives() { (cd "$d" && "$prog" --set ShowTime=N "$@"); }

  # Import: chosen fields (a missing one ignored) into a named table, up to
  # record 5; -RowNum=abc sets no limit; a memo field stops the import.
  printf -- '--$DBFI dbase_03.dbf -Table=pts -Fields=type,max_pdop,date_visit,unfilt_pos,nosuch -RowNum=5\n--$DBFL dbase_03.dbf -Fields=Type -RowNum=abc\n' \
    > "$d/import.sql"
  directives "$db" import.sql > "$d/import.out" 2>&1 || fail "dbase_03 import reported a failure"
  grep -q '^Load 5 records from DBF to SQLite table: pts' "$d/import.out" || fail "-RowNum=5 did not load 5 records"
  grep -q '^Load 14 records from DBF to SQLite table: dbase_03_dbf' "$d/import.out" || fail "-RowNum=abc limited the import"
  [ "$(sqlite3 "$db" "select group_concat(name, ',') from pragma_table_info('pts')")" = "Type,Date_Visit,Max_PDOP,Unfilt_Pos" ] \
    || fail "-Fields= did not select the columns in file order"
  [ "$(sqlite3 "$db" "select type, date_visit, max_pdop, unfilt_pos from pts where rowid = 1")" = "CMP|2005-07-12|5.2|2" ] \
    || fail "imported values differ from the file's"
  printf -- '--$DBFI dbase_83.dbf\n' > "$d/memo.sql"
  status_is 1 directives "$db" memo.sql > "$d/memo.out" 2>&1 || fail "a memo field did not fail the run"
  grep -q '^??? Field type not support: M$' "$d/memo.out" || fail "a memo field was not named"
  [ -z "$(sqlite3 "$db" "select name from sqlite_master where name = 'dbase_83_dbf'")" ] || fail "a memo file created a table"

  # An existing non-empty table: kept when the question is answered No,
  # replaced with --overwrite.
  printf -- '--$DBFI dbase_03.dbf -Table=pts -Fields=Type\n' > "$d/again.sql"
  directives "$db" again.sql > "$d/again.out" 2> "$d/again.err" || fail "answering No failed the run"
  grep -q 'Table pts exists and containt 5 records.*-> No' "$d/again.err" || fail "no question before replacing a table"
  [ "$(sqlite3 "$db" "select count(*) || ' ' || count(max_pdop) from pts")" = "5 5" ] || fail "answering No changed the table"
  directives --overwrite "$db" again.sql > "$d/again.out" 2> "$d/again.err" || fail "the replacing import failed"
  grep -q -- '-> Yes' "$d/again.err" || fail "--overwrite did not answer Yes"
  [ "$(sqlite3 "$db" "select count(*) from pts")" = 14 ] || fail "--overwrite did not replace the table"
  [ "$(sqlite3 "$db" "select count(*) from pragma_table_info('pts')")" = 1 ] || fail "the replaced table kept its old columns"

  # Export: an OK# column becomes the logical field OK, a text over 255
  # characters a C(255) field; without -select= nothing is written; an existing
  # file is kept unless --overwrite answers Yes.
  sqlite3 "$db" "create table ex(\"OK#\" char(1), note varchar(300));
    insert into ex values ('y', printf('%.300c', 'a')), ('n', 'short'), ('', 'blank');"
  printf -- '--$DBFE ex.dbf -select="select * from ex"\n' > "$d/export.sql"
  directives "$db" export.sql > "$d/export.out" 2>&1 || fail "the DBF export reported a failure"
  "$py" -c '
import sys, dbfread
t = dbfread.DBF(sys.argv[1])
f = [(x.name, x.type, x.length) for x in t.fields]
assert f == [("OK", "L", 1), ("NOTE", "C", 255)], f
r = [(x["OK"], len(x["NOTE"])) for x in t]
assert r == [(True, 255), (False, 5), (None, 5)], r
' "$d/ex.dbf" || fail "the exported DBF file reads back wrong"
  printf -- '--$DBFE noselect.dbf -Ansi=1\n' > "$d/nosel.sql"
  status_is 1 directives "$db" nosel.sql > "$d/nosel.out" 2>&1 || fail "an export without -select= did not fail"
  grep -q '^??? select parameter not defined$' "$d/nosel.out" || fail "no message for a missing -select="
  [ -e "$d/noselect.dbf" ] && fail "an export without -select= wrote a file"
  printf -- '--$DBFE ex.dbf -select="select note from ex where rowid = 2"\n' > "$d/over.sql"
  directives "$db" over.sql > "$d/over.out" 2> "$d/over.err" || fail "answering No to a file failed the run"
  grep -q 'File ex.dbf exists. Rewrite? -> No' "$d/over.err" || fail "no question before replacing a file"
  [ "$("$py" -c 'import sys, dbfread; print(len(dbfread.DBF(sys.argv[1])))' "$d/ex.dbf")" = 3 ] || fail "answering No replaced the file"
  directives --overwrite "$db" over.sql > "$d/over.out" 2>&1 || fail "the replacing export reported a failure"
  [ "$("$py" -c 'import sys, dbfread; print([r["NOTE"] for r in dbfread.DBF(sys.argv[1])])' "$d/ex.dbf")" = "['short']" ] \
    || fail "--overwrite did not replace the file"

  # XML and HTML: an empty result, and values with markup, quotes and line
  # breaks, must stay well-formed.
  sqlite3 "$db" "create table mk(\"a b\" text, v text);
    insert into mk values ('<b>bold</b> & \"quoted\" ''single''', 'line one' || char(13, 10) || 'line <two>');"
  cat > "$d/markup.sql" <<'SQL'
--$XMLE empty.xml -select="select * from mk where 0"
--$HTME empty.html -select="select * from mk where 0"
--$XMLS mk.xml -select="select * from mk"
--$HTMS mk.html -select="select * from mk"
SQL
  directives "$db" markup.sql > "$d/markup.out" 2>&1 || fail "the XML and HTML exports reported a failure"
  for f in empty.xml mk.xml; do
    { [ -s "$d/$f" ] && xmllint --noout "$d/$f" 2> "$d/lint.err"; } || { fail "$f is not well-formed XML"; head -3 "$d/lint.err"; }
  done
  for f in empty.html mk.html; do
    { [ -s "$d/$f" ] && xmllint --html --noout "$d/$f" 2> "$d/lint.err"; } || { fail "$f does not pass xmllint --html"; head -3 "$d/lint.err"; }
  done
  grep -q '&lt;b&gt;bold&lt;/b&gt; &amp; ' "$d/mk.xml" || fail "markup in a value was not escaped in XML"
  grep -q '&lt;b&gt;bold&lt;/b&gt; &amp; &quot;quoted&quot;' "$d/mk.html" || fail "markup in a value was not escaped in HTML"
  grep -q '<b>' "$d/mk.html" && fail "markup from a value reached the HTML page"
  for f in mk.xml mk.html; do
    grep -q 'line &lt;two&gt;' "$d/$f" || fail "$f lost the text after a line break"
  done
fi

if [ $failures -eq 0 ]; then echo "end-to-end: all checks passed"; exit 0; fi
exit 1
