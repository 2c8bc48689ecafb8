#!/usr/bin/env bash
# Takes the README's screenshot: builds the window, starts it on a virtual display (Xvfb) with
# a settings file of its own, types a find text, runs a real find over this repository's src/
# folder and saves the window as a PNG (default docs/screenshot.png).
# usage: bash scripts/screenshot.sh [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
output=${1:-docs/screenshot.png}
find_text=${QUONDER_SHOT_TEXT:-ExpandEnvVariables}
bash scripts/install-deps.sh --screenshot
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUONDER_BUILD_GUI=ON > /dev/null
cmake --build build --target quonder > /dev/null

scratch=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT

# The conditions of the run: the C++ sources below src/, subfolders included, lines ended by
# LF; a window of 1020 by 660 pixels at 96 dpi (measures in twips, 15 to the pixel).
cat > "$scratch/Quonder.ini" <<INI
[FindSetting]
SourceFolder=$repo/src
CopyFolder=%HOME%/found
SubFolder=1
ExtBehavior=0
MaxSize=10240
LineFeedCode=\\n
[ExtentionsHistory]
0="cc;h"
[Status]
WindowSize=1,1,15300,9900
INI

# A free display number, and the virtual screen on it.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x900x24 -nolisten tcp > "$scratch/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=:$display
for _ in $(seq 100); do xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo > /dev/null 2>&1 || { echo "Xvfb did not start:" >&2; cat "$scratch/xvfb.log" >&2; exit 1; }

unset QT_QPA_PLATFORM
build/bin/quonder "$scratch/Quonder.ini" > "$scratch/quonder.log" 2>&1 &
pids+=($!)
window=$(xdotool search --sync --onlyvisible --name '^Quonder' | head -1)
# No window manager runs: the window is placed and given the keyboard directly.
xdotool windowmove "$window" 0 0 windowfocus --sync "$window"
# The find text goes into the focused find box; Enter starts the run, whose end shows the
# summary box ("Find Text"), closed with Enter.
xdotool type --delay 20 "$find_text"
xdotool key Return
summary=$(xdotool search --sync --onlyvisible --name '^Find Text$' | head -1)
xdotool windowfocus --sync "$summary" key Return
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^Find Text$' > /dev/null 2>&1 || break
  sleep 0.1
done
sleep 0.5  # the list repaints after the box has gone

mkdir -p "$(dirname "$output")"
xwd -silent -id "$window" | xwdtopnm 2> /dev/null | pnmtopng -compression 9 > "$output"
echo "Saved $output ($(file -b "$output" | cut -d, -f2 | tr -d ' '))"
