#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the installed
# programs find their own files there: the manual, the language file and the
# plug-ins; the desktop entry and the manual page pass their validators; the
# Debian package holds the same files and names its runtime packages.
# Arguments: BUILD_DIR WORK_DIR
set -euo pipefail
build=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/tabulon bin/tabulon-run share/tabulon/tabulon.html share/tabulon/tabulon-ENG.lng \
         share/applications/tabulon.desktop share/icons/hicolor/scalable/apps/tabulon.svg \
         share/man/man1/tabulon-run.1; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/tabulon.desktop"
warnings=$(man --warnings -l "$prefix/share/man/man1/tabulon-run.1" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "man: $warnings"; exit 1; }
xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/tabulon.svg"

# The installed tabulon-run runs a script; its message texts come from the
# installed language file (changed here to tell it from the built-in text).
export XDG_CONFIG_HOME=$work/config
sed -i 's/^FileNotExist=.*/FileNotExist=Нет файла:/' "$prefix/share/tabulon/tabulon-ENG.lng"
printf 'create table t(a);\ninsert into t values(%s);\nselect a from t;\n@%s\n' "'Жар'" "$work/missing.sql" > "$work/script.sql"
status=0
out=$("$prefix/bin/tabulon-run" --set ShowTime=N "$work/db.sqlite" "$work/script.sql") || status=$?
[ "$status" -eq 0 ] || { echo "tabulon-run exit status $status"; echo "$out"; exit 1; }
grep -q 'Жар' <<<"$out" || { echo "no row printed:"; echo "$out"; exit 1; }
grep -q "Нет файла:$work/missing.sql" <<<"$out" || { echo "the installed language file was not used:"; echo "$out"; exit 1; }
[ "$(sqlite3 "$work/db.sqlite" 'select a from t')" = "Жар" ]

# The installed window starts on a virtual display and finds its manual
# (exit status 4 when F1 would not).
if command -v xvfb-run >/dev/null; then
  status=0
  TABULON_SNAPSHOT=$work/start.png QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1024x768x24' "$prefix/bin/tabulon" || status=$?
  [ "$status" -eq 0 ] || { echo "installed tabulon exit status $status"; exit 1; }
  [ -s "$work/start.png" ]
else
  echo "xvfb-run is missing: scripts/deps.sh installs it"; exit 1
fi

# The example plug-in lies where the loader looks for installed plug-ins.
if [ -n "${EXPECT_PLUGIN:-}" ]; then
  ls "$prefix"/lib/tabulon/plugins/*.so >/dev/null
fi

# The Debian package: its files and its dependencies.
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/tabulon_*.deb)
contents=$(dpkg-deb --contents "$deb")
for f in usr/bin/tabulon usr/bin/tabulon-run usr/share/tabulon/tabulon.html usr/share/tabulon/tabulon-ENG.lng \
         usr/share/applications/tabulon.desktop usr/share/icons/hicolor/scalable/apps/tabulon.svg \
         usr/share/man/man1/tabulon-run.1; do
  grep -q " \./$f\$" <<<"$contents" || { echo "not in the package: $f"; echo "$contents"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6core6 libsqlite3-0 qt6-qpa-plugins; do
  grep -q "$p" <<<"$depends" || { echo "Depends lacks $p: $depends"; exit 1; }
done
# As root, and when no tabulon package is installed, install it for real,
# run it and remove it again.
if [ "$(id -u)" -eq 0 ] && ! dpkg-query -W tabulon >/dev/null 2>&1; then
  trap 'dpkg -r tabulon >/dev/null 2>&1 || true' EXIT
  dpkg -i "$deb" >/dev/null
  [ "$(echo "select 'ok';" | /usr/bin/tabulon-run --set ShowTime=N --set HeaderOn=N :memory: | grep -c '^ok')" -ge 1 ]
  dpkg -r tabulon >/dev/null
  trap - EXIT
fi
echo "install check passed"
