#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# asking apt only for the ones that are missing.
set -euo pipefail
pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev libgl-dev libgtest-dev
      libbenchmark-dev libsqlite3-0 sqlite3 libutf8proc-dev python3 python3-dbfread python3-dbf libxml2-utils
      xvfb bc time desktop-file-utils man-db fonts-noto-cjk fonts-noto-color-emoji "$@")
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
