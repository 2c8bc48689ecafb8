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
runs=${RUNS:-7}
baseline=${BASELINE_CLI:-}
source "$repo/bench/common.sh"
against_rg
bench_build quonder-cli
cli=$build/bin/quonder-cli
root=$corpus/text

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
