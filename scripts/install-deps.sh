#!/usr/bin/env bash
# Installs, only when missing and without questions, every Debian package that building and
# testing Quonder need. Safe to run again: it does nothing when all are present.
set -euo pipefail
# locales: the locale sources from which the tests build a comma-decimal locale (localedef).
packages=(g++ cmake ninja-build pkg-config qt6-base-dev libicu-dev libpcre2-dev libgtest-dev
          libgl-dev ripgrep locales)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
