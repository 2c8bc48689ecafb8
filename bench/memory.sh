#!/usr/bin/env bash
# Peak memory (resident set, /usr/bin/time's %M) of `quonder-cli find` where hits are many,
# beside ripgrep's on the same search (`rg -o`, one line per hit as ours prints):
#   many : 20 M hits in 2,000 files (10,000 'a' each), search "a"
#   line : one 10 MB line of 'a', search "a"
# each with the output read by `wc -c` and by a slow reader (about 25 MB/s, so that the search
# runs ahead of what is printed), on one worker and on two. The rows waiting for the output must not
# make the memory grow with the hits: the target is 64 MB or less with two workers.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/common.sh"
bench_build quonder-cli
cli=$build/bin/quonder-cli
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

mkdir -p "$scratch/many" "$scratch/line"
python3 - "$scratch" <<'PY'
import sys
root = sys.argv[1]
body = ('a' * 100 + '\n') * 100
for i in range(2000):
    with open(f'{root}/many/f{i:04d}.txt', 'w') as f:
        f.write(body)
with open(f'{root}/line/a.txt', 'w') as f:
    f.write('a' * (10 * 1024 * 1024))
PY

# Reads standard input 64 KB at a time with a pause after each: about 25 MB/s.
slow_reader() {
  python3 -c '
import sys, time
while sys.stdin.buffer.read1(65536):
    time.sleep(0.002)'
}

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

wc_reader() { wc -c; }

echo "Machine: $(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg)."
printf '%-6s %-6s %-24s %-24s %-24s\n' scenario output "quonder-cli, 1 worker" \
  "quonder-cli, 2 workers" "rg -j2 -o"
for scenario in many line; do
  for output in wc slow; do
    if [ "$output" = wc ]; then sink=wc_reader; else sink=slow_reader; fi
    printf '%-6s %-6s %-24s %-24s %-24s\n' "$scenario" "$output" \
      "$(peak $sink "$cli" find --threads 1 a "$scratch/$scenario")" \
      "$(peak $sink "$cli" find --threads 2 a "$scratch/$scenario")" \
      "$(peak $sink rg -j2 -o --column -n --no-heading a "$scratch/$scenario")"
  done
done
