#!/usr/bin/env bash
# Times regular-expression searches of `quonder-cli find -s -e` against ripgrep over the text
# corpus that bench/make_corpus.sh builds (into $QCORPUS, default /tmp/quonder-corpus, when it
# is missing): each pattern on one worker against `rg -j1` (target: at most 1.2 times its time)
# and on as many workers as cores against rg's default threads. With $BASELINE_CLI set to an
# older quonder-cli, that one is timed too ("before"), so that no pattern gets slower.
# Prints the best of $RUNS warm runs (wall seconds; the commands compared take turns run by
# run, so that the machine's other work weighs on each alike) and the load average.
#
# Hit counts: ours counts hits, rg -o the same matches; they can differ where rg's \w \d \b,
# which are Unicode, meet non-ASCII letters or digits (ours are ASCII, as the dialect wants).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
corpus=${QCORPUS:-/tmp/quonder-corpus}
corpus_script=${QUONDER_CORPUS_SCRIPT:-$repo/bench/make_corpus.sh}
runs=${RUNS:-7}
build=$repo/build-bench
baseline=${BASELINE_CLI:-}

if [ ! -d "$corpus/text" ]; then
  echo "Building the corpus in $corpus ..."
  QCORPUS=$corpus bash "$corpus_script"
fi
command -v rg > /dev/null || { echo "ripgrep (rg) is needed" >&2; exit 1; }

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUONDER_BUILD_GUI=OFF \
  > /dev/null
cmake --build "$build" --target quonder-cli > /dev/null
cli=$build/bin/quonder-cli
root=$corpus/text

# Wall seconds of one run of the command in "$@", output discarded.
time_once() {
  local start end
  start=$(date +%s%N)
  "$@" > /dev/null 2>&1 || true
  end=$(date +%s%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", (e - s) / 1e9 }'
}

# best NAME...: the best wall time of each command held in the array NAME, into
# best_wall[NAME], after one warm-up run each, the commands taking turns for $runs rounds.
declare -A best_wall
best() {
  local name wall
  for name in "$@"; do
    local -n warm=$name
    "${warm[@]}" > /dev/null 2>&1 || true
    best_wall[$name]=""
  done
  for _ in $(seq "$runs"); do
    for name in "$@"; do
      local -n command=$name
      wall=$(time_once "${command[@]}")
      if [ -z "${best_wall[$name]}" ] ||
        awk -v a="$wall" -v b="${best_wall[$name]}" 'BEGIN { exit !(a < b) }'; then
        best_wall[$name]=$wall
      fi
    done
  done
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

cores=$(nproc)
echo "Machine: $cores cores; load average $(cut -d' ' -f1-3 /proc/loadavg); best of $runs warm runs."
echo "q_1: quonder-cli --threads 1; rg_j1: rg -j1; q_$cores: --threads $cores; rg: default threads."
echo "ratio: q_1 / rg_j1 (target <= 1.2); before: \$BASELINE_CLI --threads 1 (if given)."
printf '%-24s %7s %7s %6s %7s %7s %6s %7s %6s  %s\n' pattern q_1 rg_j1 ratio "q_$cores" rg ratio \
  before q/bef hits
while IFS= read -r pattern; do
  q1=("$cli" find -s --threads 1 -e -- "$pattern" "$root")
  r1=(rg -j1 --column -n --no-heading -- "$pattern" "$root")
  qn=("$cli" find -s --threads "$cores" -e -- "$pattern" "$root")
  rn=(rg --column -n --no-heading -- "$pattern" "$root")
  names=(q1 r1 qn rn)
  if [ -n "$baseline" ]; then
    b1=("$baseline" find -s --threads 1 -e -- "$pattern" "$root")
    names+=(b1)
  fi
  best "${names[@]}"
  q_hits=$("$cli" find -s -e -- "$pattern" "$root" 2> /dev/null | wc -l)
  rg_hits=$(rg -j1 -o --no-heading -- "$pattern" "$root" | wc -l)
  if [ "$q_hits" = "$rg_hits" ]; then hits="agree ($q_hits)"; else hits="$q_hits vs rg $rg_hits"; fi
  before=-
  versus=-
  if [ -n "$baseline" ]; then
    before=${best_wall[b1]}
    versus=$(ratio "${best_wall[q1]}" "$before")
  fi
  printf '%-24s %7s %7s %6s %7s %7s %6s %7s %6s  %s\n' "$pattern" "${best_wall[q1]}" \
    "${best_wall[r1]}" "$(ratio "${best_wall[q1]}" "${best_wall[r1]}")" "${best_wall[qn]}" \
    "${best_wall[rn]}" "$(ratio "${best_wall[qn]}" "${best_wall[rn]}")" "$before" "$versus" \
    "$hits"
done <<'PATTERNS'
^#\s*define\s+(\w+)
\b_M_\w+\(
(foo|bar)_(\w+)
\d{4}-\d{2}
(?i)deprecat\w+
\w+@\w+\.(com|org)
\w+_t\b
[A-Z][a-z]+Exception
PATTERNS
echo "Load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
