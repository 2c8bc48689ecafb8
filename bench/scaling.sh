#!/usr/bin/env bash
# What the speed-up of threads over one is made of, for quonder-cli and for ripgrep, on the text
# corpus (built by bench/make_corpus.sh into $QCORPUS when missing). Each round runs, in turn:
#   one thread; the threaded run (as many threads as cores); the threaded run held to one core.
# and prints per program the medians over $RUNS rounds of wall and CPU milliseconds, then:
#   x1       one thread's wall / the threaded run's wall (what bench/run.sh compares);
#   cpu x    the threaded run's CPU / one thread's CPU: what the threads cost in all;
#   1-core x the threaded run's CPU on one core / one thread's CPU: what the program's threaded
#            mode costs as such, with no second core to share memory with. Below 1, the
#            program's one-thread mode does more work than its threaded mode, and x1 gains by
#            that much over what its threads alone would give.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-9}
source "$repo/bench/common.sh"
against_rg
need taskset "taskset (util-linux)"
bench_build quonder-cli run_stat
cli=$build/bin/quonder-cli
stat=$build/bin/run_stat
root=$corpus/text
cores=$(nproc)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# measure NAME COMMAND...: appends "wall cpu" in milliseconds to $scratch/NAME.
measure() {
  local name=$1
  shift
  "$stat" "$@" >> "$scratch/$name"
}

warm_up() {
  local -n command=$1
  "${command[@]}" > /dev/null 2>&1 || true
}

median() { sort -n | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column_median() { cut -d' ' -f"$2" "$scratch/$1" | median; }

echo "Machine: $cores cores; load average $(cut -d' ' -f1-3 /proc/loadavg); medians of $runs rounds"
echo "after one warm-up run each; text corpus; wall and CPU in ms."
printf '%-9s %-10s %8s %8s %8s %8s %8s %8s %6s %6s %8s\n' program search "1 wall" "1 cpu" \
  "$cores wall" "$cores cpu" "1c wall" "1c cpu" x1 "cpu x" "1-core x"
for pattern in strtok_r return; do
  q1=("$cli" find -s --threads 1 -- "$pattern" "$root")
  qn=("$cli" find -s --threads "$cores" -- "$pattern" "$root")
  r1=(rg -j1 --column -n --no-heading -- "$pattern" "$root")
  rn=(rg -j"$cores" --column -n --no-heading -- "$pattern" "$root")
  for warm in q1 qn r1 rn; do warm_up "$warm"; done
  rm -f "$scratch"/*
  for _ in $(seq "$runs"); do
    measure q1 "${q1[@]}"
    measure qn "${qn[@]}"
    measure q1c taskset -c 0 "${qn[@]}"
    measure r1 "${r1[@]}"
    measure rn "${rn[@]}"
    measure r1c taskset -c 0 "${rn[@]}"
  done
  for program in q r; do
    one=$(column_median "${program}1" 1)
    one_cpu=$(column_median "${program}1" 2)
    many=$(column_median "${program}n" 1)
    many_cpu=$(column_median "${program}n" 2)
    held=$(column_median "${program}1c" 1)
    held_cpu=$(column_median "${program}1c" 2)
    name=quonder
    [ "$program" = r ] && name=rg
    printf '%-9s %-10s %8s %8s %8s %8s %8s %8s %6s %6s %8s\n' "$name" "$pattern" "$one" \
      "$one_cpu" "$many" "$many_cpu" "$held" "$held_cpu" "$(ratio "$one" "$many")" \
      "$(ratio "$many_cpu" "$one_cpu")" "$(ratio "$held_cpu" "$one_cpu")"
  done
done
echo "Load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
