#!/usr/bin/env bash
# Peak memory of `quonder-cli replace` on one large file, beside the file's size: the replace
# holds the file's bytes, its decoded text (UTF-16: twice the bytes of an ASCII file) and the
# hits, and writes the new content in pieces, so the peak stays near three times the file
# plus the rows. The find before it holds one file's bytes and text too.
# Measured with /usr/bin/time -v ("Maximum resident set size"). Sizes in MB (default 200; a
# second figure for one single-line file of $SINGLE_LINE_MB when set, e.g. 1024).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
size_mb=${SIZE_MB:-200}
single_line_mb=${SINGLE_LINE_MB:-}
source "$repo/bench/common.sh"
bench_build quonder-cli
cli=$build/bin/quonder-cli
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quonder-replace-bench-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# measure LABEL FILE: replaces "needle" by "pin" in FILE's folder and prints the figures.
measure() {
  local label=$1 file=$2 bytes peak_kb
  bytes=$(stat -c %s "$file")
  /usr/bin/time -v "$cli" replace --replace pin needle "$(dirname "$file")" \
    > "$scratch/out" 2> "$scratch/time"
  grep -q '^data.txt: ' "$scratch/out" || { cat "$scratch/out" "$scratch/time" >&2; exit 1; }
  peak_kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$scratch/time")
  awk -v l="$label" -v b="$bytes" -v p="$peak_kb" -v h="$(grep -c . "$scratch/out")" 'BEGIN {
    printf "%-28s file %7.1f MB  peak %7.1f MB  = %.2f x the file\n", l, b / 1048576,
      p / 1024, p * 1024 / b }'
}

# Lines of ASCII text with a hit every 100 lines.
mkdir -p "$scratch/lines"
python3 - "$scratch/lines/data.txt" "$size_mb" <<'PY'
import sys
path, mb = sys.argv[1], int(sys.argv[2])
line = "the quick brown fox jumps over the lazy dog, again and again and again\n"
block = (line * 99 + "a needle in the haystack\n").encode()
with open(path, "wb") as f:
    for _ in range(mb * 1048576 // len(block)):
        f.write(block)
PY
measure "${size_mb} MB of lines" "$scratch/lines/data.txt"

if [ -n "$single_line_mb" ]; then
  rm -rf "$scratch/lines"
  mkdir -p "$scratch/single"
  python3 - "$scratch/single/data.txt" "$single_line_mb" <<'PY'
import sys
path, mb = sys.argv[1], int(sys.argv[2])
block = ("x" * 1000 + "needle").encode()
with open(path, "wb") as f:
    for _ in range(mb * 1048576 // len(block)):
        f.write(block)
PY
  measure "${single_line_mb} MB on one line" "$scratch/single/data.txt"
fi
