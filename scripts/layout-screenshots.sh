#!/usr/bin/env bash
# Screenshots of the main window and the About window, at the desktop's font and at 12 points,
# on a 96 and a 144 DPI screen, into docs/screenshots. The layout test takes them offscreen
# while it checks that every text in them shows whole and no control covers another.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUONDER_BUILD_GUI=ON >/dev/null
cmake --build build --target frm_find_layout_test
mkdir -p docs/screenshots
QUONDER_SCREENSHOTS="$PWD/docs/screenshots" \
  ctest --test-dir build -R '^frm_find_layout_test' --output-on-failure
ls docs/screenshots
