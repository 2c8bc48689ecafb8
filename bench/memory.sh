#!/usr/bin/env bash
# Peak memory (resident set, /usr/bin/time's %M) per scenario, beside ripgrep's where it has one:
#   many   : 20 M hits in 2,000 files (10,000 'a' each), search "a"
#   line   : one 10 MB line of 'a', search "a"
#     each with the output read by `wc -c` and by a slow reader (about 25 MB/s, so that the
#     search runs ahead of what is printed), on one worker and on two (target: 64 MB or less
#     with two workers);
#   1 GB   : one 1 GB file of text lines with three hits, plain "needle" and the pattern
#            "need\w+" (target: 64 MB or less: the file is read in windows);
#   replace: `quonder-cli replace` on a 200 MB file with a hit every 100 lines (target: about
#            three times the file: its bytes, its decoded text, the new text written in pieces);
#   window : the window (bench/window_qt.cc, offscreen) filling its list with 1 M and 20 M rows
#            (target: peak at most 1.2 x the final size, at most 40 bytes a row), Ctrl+A over
#            them, and hovering the last row of the 1 GB file (target: no event-loop delay over
#            50 ms, memory back to where it was). Skipped when Qt cannot be built.
# Prints the machine's core count and load: other work on the machine skews every figure.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/common.sh"
bench_build quonder-cli
cli=$build/bin/quonder-cli
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quonder-memory-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

mkdir -p "$scratch/many" "$scratch/many1m" "$scratch/line" "$scratch/big" "$scratch/replace"
python3 - "$scratch" <<'PY'
import sys
root = sys.argv[1]
body = ('a' * 100 + '\n') * 100
for i in range(2000):
    with open(f'{root}/many/f{i:04d}.txt', 'w') as f:
        f.write(body)
    if i < 100:
        with open(f'{root}/many1m/f{i:04d}.txt', 'w') as f:
            f.write(body)
with open(f'{root}/line/a.txt', 'w') as f:
    f.write('a' * (10 * 1024 * 1024))
line = 'the quick brown fox jumps over the lazy dog, again and again and again and on\n'
chunk = line * 16384
size = 1 << 30
with open(f'{root}/big/big.txt', 'w') as f:
    written, hits = 0, [100, size // 2, size - 200]
    while written < size:
        f.write(chunk)
        written += len(chunk)
        while hits and hits[0] < written:
            f.write('a needle here\n')
            written += 14
            hits.pop(0)
block = line * 99 + 'a needle in the haystack\n'
with open(f'{root}/replace/data.txt', 'w') as f:
    for _ in range(200 * 1048576 // len(block)):
        f.write(block)
PY

# Reads standard input 64 KB at a time with a pause after each: about 25 MB/s.
slow_reader() {
  python3 -c '
import sys, time
while sys.stdin.buffer.read1(65536):
    time.sleep(0.002)'
}
wc_reader() { wc -c; }

# peak SINK COMMAND...: peak RSS in MB of COMMAND with its output piped into SINK, and its wall
# seconds, as "MB s".
peak() {
  local sink=$1
  shift
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f %M -o "$scratch/mem" "$@" 2> /dev/null | $sink > /dev/null
  end=$(date +%s%N)
  awk -v kb="$(tail -1 "$scratch/mem")" -v s="$start" -v e="$end" \
    'BEGIN { printf "%6.1f MB %6.1f s", kb / 1024, (e - s) / 1e9 }'
}

echo "Machine: $(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg)."
printf '%-8s %-6s %-24s %-24s %-24s\n' scenario output "quonder-cli, 1 worker" \
  "quonder-cli, 2 workers" "rg -j2"
for scenario in many line; do
  for output in wc slow; do
    if [ "$output" = wc ]; then sink=wc_reader; else sink=slow_reader; fi
    printf '%-8s %-6s %-24s %-24s %-24s\n' "$scenario" "$output" \
      "$(peak $sink "$cli" find --threads 1 a "$scratch/$scenario")" \
      "$(peak $sink "$cli" find --threads 2 a "$scratch/$scenario")" \
      "$(peak $sink rg -j2 -o --column -n --no-heading a "$scratch/$scenario")"
  done
done
cat "$scratch/big/big.txt" > /dev/null  # into the page cache: what is measured is the search
for mode in plain regex; do
  if [ "$mode" = plain ]; then find=(needle); else find=(-e 'need\w+'); fi
  printf '%-8s %-6s %-24s %-24s %-24s\n' "1 GB" "$mode" \
    "$(peak wc_reader "$cli" find --threads 1 "${find[@]}" "$scratch/big")" \
    "$(peak wc_reader "$cli" find --threads 2 "${find[@]}" "$scratch/big")" \
    "$(peak wc_reader rg -j2 --column -n --no-heading "${find[@]: -1}" "$scratch/big")"
done
/usr/bin/time -f %M -o "$scratch/mem" "$cli" replace --replace pin needle "$scratch/replace" \
  > /dev/null 2>&1
awk -v kb="$(tail -1 "$scratch/mem")" -v b="$(stat -c %s "$scratch/replace/data.txt")" \
  'BEGIN { printf "%-8s %-6s %6.1f MB = %.2f x the file of %.0f MB\n", "replace", "", kb / 1024,
           kb * 1024 / b, b / 1048576 }'

# The window needs Qt, which the shared bench build leaves out: a release build of its own.
window_build=$repo/build-bench-window
if cmake -S "$repo" -B "$window_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUONDER_BUILD_GUI=ON -DBUILD_TESTING=OFF -DQUONDER_BUILD_BENCH=ON > /dev/null 2>&1 &&
  cmake --build "$window_build" --target window_bench > /dev/null 2>&1; then
  for folder in many1m many; do
    if [ "$folder" = many1m ]; then echo "window, 1 M rows:"; else echo "window, 20 M rows:"; fi
    "$window_build/bin/window_bench" "$scratch/$folder" a 2>/dev/null | sed 's/^/  /'
  done
  echo "window, 1 GB:"
  "$window_build/bin/window_bench" "$scratch/big" needle hover 2>/dev/null | sed 's/^/  /'
else
  echo "window: not measured (the window could not be built)"
fi
