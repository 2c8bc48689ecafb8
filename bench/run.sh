#!/usr/bin/env bash
# Times `quonder-cli find -s` against ripgrep on one worker, over the corpus that the shared
# corpus script builds (into $QCORPUS, default /tmp/qcorpus, when it is missing):
#   text  : the four searches against `rg -j1 --column -n --no-heading`
#   mixed : the same against `rg -j1 --binary` (rg then stops a binary file at its first hit,
#           so hit counts are checked against `rg -a -o` instead)
# Prints the best of $RUNS warm runs (wall seconds, and user+system CPU seconds), each ratio,
# the regular expression against PCRE2 run over the raw bytes, whether the hit counts agree
# with `rg -o`, and quonder-cli's peak memory next to the largest file.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
corpus=${QCORPUS:-/tmp/qcorpus}
corpus_script=${QUONDER_CORPUS_SCRIPT:-$repo/../shared/bench/make_corpus.sh}
runs=${RUNS:-5}
build=$repo/build-bench

if [ ! -d "$corpus/text" ] || [ ! -d "$corpus/mixed" ]; then
  echo "Building the corpus in $corpus ..."
  QCORPUS=$corpus bash "$corpus_script"
fi
command -v rg > /dev/null || { echo "ripgrep (rg) is needed" >&2; exit 1; }

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUONDER_BUILD_GUI=OFF \
  > /dev/null
cmake --build "$build" --target quonder-cli pcre2_raw_bench > /dev/null
cli=$build/bin/quonder-cli
raw=$build/bin/pcre2_raw_bench
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# best WALL CPU of $runs runs (after one warm-up run) of the command in "$@", output discarded
best() {
  "$@" > /dev/null 2>&1 || true
  local best_wall="" best_cpu=""
  for _ in $(seq "$runs"); do
    /usr/bin/time -f "%e %U %S" -o "$scratch/time" "$@" > /dev/null 2>&1 || true
    read -r wall user system < "$scratch/time"
    cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
    if [ -z "$best_wall" ] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then
      best_wall=$wall
    fi
    if [ -z "$best_cpu" ] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then
      best_cpu=$cpu
    fi
  done
  echo "$best_wall $best_cpu"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

echo "Machine: $(nproc) cores; quonder-cli on one worker; best of $runs warm runs."
printf '%-7s %-22s %8s %8s %8s %8s %7s %7s  %s\n' variant search q_wall rg_wall q_cpu rg_cpu \
  ratio cpu_rat hits
for variant in text mixed; do
  root=$corpus/$variant
  if [ "$variant" = text ]; then rg_mode=(); count_mode=(); else rg_mode=(--binary); count_mode=(-a); fi
  while IFS='|' read -r name q_flags rg_flags pattern; do
    read -r -a qf <<< "$q_flags"
    read -r -a rf <<< "$rg_flags"
    q=($(best "$cli" find -s "${qf[@]}" -- "$pattern" "$root"))
    r=($(best rg -j1 --column -n --no-heading "${rg_mode[@]}" "${rf[@]}" -- "$pattern" "$root"))
    q_hits=$("$cli" find -s "${qf[@]}" -- "$pattern" "$root" 2> /dev/null | wc -l)
    rg_hits=$(rg -j1 -o --no-heading "${count_mode[@]}" "${rf[@]}" -- "$pattern" "$root" | wc -l)
    if [ "$q_hits" = "$rg_hits" ]; then hits="agree ($q_hits)"; else hits="DIFFER: $q_hits vs rg $rg_hits"; fi
    printf '%-7s %-22s %8s %8s %8s %8s %7s %7s  %s\n' "$variant" "$name" "${q[0]}" "${r[0]}" \
      "${q[1]}" "${r[1]}" "$(ratio "${q[0]}" "${r[0]}")" "$(ratio "${q[1]}" "${r[1]}")" "$hits"
    if [ "$name" = "regex \\w+_t\\b" ]; then
      p=($(best "$raw" "$pattern" "$root"))
      printf '%-7s %-22s %8s %8s %8s %8s %7s %7s  %s\n' "$variant" "  vs PCRE2 raw bytes" \
        "${q[0]}" "${p[0]}" "${q[1]}" "${p[1]}" "$(ratio "${q[0]}" "${p[0]}")" \
        "$(ratio "${q[1]}" "${p[1]}")" "$("$raw" "$pattern" "$root" | cut -d' ' -f1) matches"
    fi
  done <<'SEARCHES'
rare strtok_r|||strtok_r
common return|||return
ignore case deprecated|-i|-i|deprecated
regex \w+_t\b|-e||\w+_t\b
SEARCHES
done

largest=$(find "$corpus/mixed" -type f -printf '%s\n' | sort -n | tail -1)
/usr/bin/time -f "%M" -o "$scratch/mem" "$cli" find -s return "$corpus/mixed" > /dev/null 2>&1
echo "Peak memory of a run over mixed: $(cat "$scratch/mem") KB (largest file $((largest / 1024)) KB;" \
  "twice its UTF-16 size: $((largest * 4 / 1024)) KB, plus the rows and the program)"
