#!/usr/bin/env bash
# Times `quonder-cli find -s` against ripgrep, over the corpus that the shared corpus script
# builds (into $QCORPUS, default /tmp/qcorpus, when it is missing):
#   text  : the four searches against `rg --column -n --no-heading`
#   mixed : the same against `rg --binary` (rg then stops a binary file at its first hit, so
#           hit counts are checked against `rg -a -o` instead)
# each on one worker against `rg -j1`, and on as many workers as cores against rg's default
# threads, with the target ratio of each search on the text corpus and how much faster the
# workers are than one. Prints the best of $RUNS warm runs (wall seconds), the machine's core
# count and load, the regular expression against PCRE2 run over the raw bytes, whether the hit
# counts agree with `rg -o`, and quonder-cli's peak memory next to the largest file.
# Other work on the machine skews every figure: compare the load average it prints.
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
    # Wall time to the millisecond: /usr/bin/time's hundredths alone would make a ratio near
    # its target uncertain by a few percent.
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f "%e %U %S" -o "$scratch/time" "$@" > /dev/null 2>&1 || true
    end=$(date +%s%N)
    read -r _ user system < "$scratch/time"
    wall=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", (e - s) / 1e9 }')
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

cores=$(nproc)
load() { cut -d' ' -f1-3 /proc/loadavg; }
echo "Machine: $cores cores; load average $(load) (1, 5, 15 min); best of $runs warm runs."
echo "q_1: quonder-cli --threads 1; q_$cores: --threads $cores (its default); rg_j1: rg -j1;"
echo "rg: rg with its default threads. Ratios are wall times; 'x1' is q_1 / q_$cores."
printf '%-7s %-22s %7s %7s %6s %7s %7s %6s %6s %6s  %s\n' variant search q_1 rg_j1 ratio \
  "q_$cores" rg ratio target x1 hits
for variant in text mixed; do
  root=$corpus/$variant
  if [ "$variant" = text ]; then rg_mode=(); count_mode=(); else rg_mode=(--binary); count_mode=(-a); fi
  while IFS='|' read -r name q_flags rg_flags target pattern; do
    read -r -a qf <<< "$q_flags"
    read -r -a rf <<< "$rg_flags"
    q1=($(best "$cli" find -s --threads 1 "${qf[@]}" -- "$pattern" "$root"))
    r1=($(best rg -j1 --column -n --no-heading "${rg_mode[@]}" "${rf[@]}" -- "$pattern" "$root"))
    qn=($(best "$cli" find -s --threads "$cores" "${qf[@]}" -- "$pattern" "$root"))
    rn=($(best rg --column -n --no-heading "${rg_mode[@]}" "${rf[@]}" -- "$pattern" "$root"))
    q_hits=$("$cli" find -s "${qf[@]}" -- "$pattern" "$root" 2> /dev/null | wc -l)
    rg_hits=$(rg -j1 -o --no-heading "${count_mode[@]}" "${rf[@]}" -- "$pattern" "$root" | wc -l)
    if [ "$q_hits" = "$rg_hits" ]; then hits="agree ($q_hits)"; else hits="DIFFER: $q_hits vs rg $rg_hits"; fi
    [ "$variant" = text ] || target=-
    printf '%-7s %-22s %7s %7s %6s %7s %7s %6s %6s %6s  %s\n' "$variant" "$name" "${q1[0]}" \
      "${r1[0]}" "$(ratio "${q1[0]}" "${r1[0]}")" "${qn[0]}" "${rn[0]}" \
      "$(ratio "${qn[0]}" "${rn[0]}")" "$target" "$(ratio "${q1[0]}" "${qn[0]}")" "$hits"
    if [ "$name" = "regex \\w+_t\\b" ]; then
      p=($(best "$raw" "$pattern" "$root"))
      printf '%-7s %-22s %7s %7s %6s  (PCRE2 over the raw bytes, one thread: %s matches)\n' \
        "$variant" "  vs PCRE2 raw bytes" "${q1[0]}" "${p[0]}" "$(ratio "${q1[0]}" "${p[0]}")" \
        "$("$raw" "$pattern" "$root" | cut -d' ' -f1)"
    fi
  done <<'SEARCHES'
rare strtok_r|||1.5|strtok_r
common return|||1.5|return
ignore case deprecated|-i|-i|2|deprecated
regex \w+_t\b|-e||5|\w+_t\b
SEARCHES
done
if [ "$cores" != 2 ]; then
  root=$corpus/text
  q1=($(best "$cli" find -s --threads 1 -- return "$root"))
  q2=($(best "$cli" find -s --threads 2 -- return "$root"))
  echo "Two workers against one (text, common return): $(ratio "${q1[0]}" "${q2[0]}") x"
fi
echo "Load average after the runs: $(load)"

largest=$(find "$corpus/mixed" -type f -printf '%s\n' | sort -n | tail -1)
/usr/bin/time -f "%M" -o "$scratch/mem" "$cli" find -s return "$corpus/mixed" > /dev/null 2>&1
echo "Peak memory of a run over mixed: $(cat "$scratch/mem") KB (largest file $((largest / 1024)) KB;" \
  "twice its UTF-16 size: $((largest * 4 / 1024)) KB, plus the rows and the program)"
