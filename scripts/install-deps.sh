#!/usr/bin/env bash
# Installs, only when missing and without questions, every Debian package that building,
# testing and packaging Quonder need. Safe to run again: it does nothing when all are present.
#   --screenshot  also what scripts/screenshot.sh needs (a virtual display and X tools)
#   --icons       also what scripts/make-icons.sh needs (an SVG renderer)
set -euo pipefail
# Build: compiler, CMake, Qt, ICU, PCRE2; tests: GoogleTest, ripgrep (benchmarks), the
# validators of the desktop entry and metainfo and a manual page renderer (install test);
# locales: the locale sources from which the tests build a comma-decimal locale (localedef);
# packaging: dpkg-dev (dpkg-shlibdeps) and file, which `cpack -G DEB` uses.
packages=(g++ cmake ninja-build pkg-config qt6-base-dev libicu-dev libpcre2-dev libgtest-dev
          libgl-dev ripgrep locales desktop-file-utils appstream groff-base man-db dpkg-dev file)
for flag in "$@"; do
  case $flag in
    --screenshot) packages+=(xvfb xauth xdotool x11-apps netpbm) ;;
    --icons) packages+=(librsvg2-bin) ;;
    *) echo "usage: install-deps.sh [--screenshot] [--icons]" >&2; exit 2 ;;
  esac
done
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
