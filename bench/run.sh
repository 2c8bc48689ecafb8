#!/usr/bin/env bash
# Times `quonder-cli find -s` against ripgrep, over the corpus that bench/make_corpus.sh builds
# from this machine's files (into $QCORPUS, default /tmp/quonder-corpus, when it is missing):
#   text  : the four searches against `rg --column -n --no-heading`
#   mixed : the same against `rg --binary` (rg then stops a binary file at its first hit, so
#           hit counts are checked against `rg -a -o` instead)
# each on one worker against `rg -j1`, and on as many workers as cores against rg's default
# threads, with the target ratio of each search on the text corpus and how much faster the
# workers are than one. Prints the best of $RUNS warm runs (wall seconds; the commands compared
# take turns run by run), the machine's core count and load, the regular expression against
# PCRE2 run over the raw bytes, whether the hit counts agree with `rg -o`, and quonder-cli's
# peak memory next to the largest file.
# Other work on the machine skews every figure: compare the load average it prints.
# Peak memory where hits are many: bench/memory.sh.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-9}
source "$repo/bench/common.sh"
against_rg
bench_build quonder-cli pcre2_raw_bench
cli=$build/bin/quonder-cli
raw=$build/bin/pcre2_raw_bench
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cores=$(nproc)
load() { cut -d' ' -f1-3 /proc/loadavg; }
echo "Machine: $cores cores; load average $(load) (1, 5, 15 min); best of $runs warm runs."
echo "q_1: quonder-cli --threads 1; q_$cores: --threads $cores (its default); rg_j1: rg -j1;"
echo "rg: rg with its default threads. Ratios are wall times; 'x1' is q_1 / q_$cores, and"
echo "'rg x1' rg_j1 / rg, what the same rounds allowed a program that scales well. 'x1 med' and"
echo "'rg med': the median over the rounds of the same ratio taken within each round."
printf '%-7s %-22s %7s %7s %6s %7s %7s %6s %6s %6s %6s %6s %6s  %s\n' variant search q_1 rg_j1 \
  ratio "q_$cores" rg ratio target x1 "rg x1" "x1 med" "rg med" hits
for variant in text mixed; do
  root=$corpus/$variant
  if [ "$variant" = text ]; then rg_mode=(); count_mode=(); else rg_mode=(--binary); count_mode=(-a); fi
  while IFS='|' read -r name q_flags rg_flags target pattern; do
    read -r -a qf <<< "$q_flags"
    read -r -a rf <<< "$rg_flags"
    q1=("$cli" find -s --threads 1 "${qf[@]}" -- "$pattern" "$root")
    r1=(rg -j1 --column -n --no-heading "${rg_mode[@]}" "${rf[@]}" -- "$pattern" "$root")
    qn=("$cli" find -s --threads "$cores" "${qf[@]}" -- "$pattern" "$root")
    rn=(rg --column -n --no-heading "${rg_mode[@]}" "${rf[@]}" -- "$pattern" "$root")
    best q1 r1 qn rn
    # Both exit 1 when nothing is found and 2 when a file could not be read: counted all the same.
    q_hits=$({ "$cli" find -s "${qf[@]}" -- "$pattern" "$root" 2> /dev/null || true; } | wc -l)
    rg_hits=$({ rg -j1 -o --no-heading "${count_mode[@]}" "${rf[@]}" -- "$pattern" "$root" ||
                true; } | wc -l)
    if [ "$q_hits" = "$rg_hits" ]; then hits="agree ($q_hits)"; else hits="DIFFER: $q_hits vs rg $rg_hits"; fi
    [ "$variant" = text ] || target=-
    printf '%-7s %-22s %7s %7s %6s %7s %7s %6s %6s %6s %6s %6s %6s  %s\n' "$variant" "$name" \
      "${best_wall[q1]}" "${best_wall[r1]}" "$(ratio "${best_wall[q1]}" "${best_wall[r1]}")" \
      "${best_wall[qn]}" "${best_wall[rn]}" "$(ratio "${best_wall[qn]}" "${best_wall[rn]}")" \
      "$target" "$(ratio "${best_wall[q1]}" "${best_wall[qn]}")" \
      "$(ratio "${best_wall[r1]}" "${best_wall[rn]}")" "$(paired_ratio q1 qn)" \
      "$(paired_ratio r1 rn)" "$hits"
    if [ "$name" = "regex \\w+_t\\b" ]; then
      raw_run=("$raw" "$pattern" "$root")
      best raw_run
      printf '%-7s %-22s %7s %7s %6s  (PCRE2 over the raw bytes, one thread: %s matches)\n' \
        "$variant" "  vs PCRE2 raw bytes" "${best_wall[q1]}" "${best_wall[raw_run]}" \
        "$(ratio "${best_wall[q1]}" "${best_wall[raw_run]}")" \
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
  one=("$cli" find -s --threads 1 -- return "$root")
  two=("$cli" find -s --threads 2 -- return "$root")
  best one two
  echo "Two workers against one (text, common return): $(ratio "${best_wall[one]}" "${best_wall[two]}") x"
fi
echo "Load average after the runs: $(load)"

largest=$(find "$corpus/mixed" -type f -printf '%s\n' | sort -n | tail -1)
/usr/bin/time -f "%M" -o "$scratch/mem" "$cli" find -s return "$corpus/mixed" > /dev/null 2>&1 || true
echo "Peak memory of a run over mixed: $(cat "$scratch/mem") KB (largest file $((largest / 1024)) KB;" \
  "twice its UTF-16 size: $((largest * 4 / 1024)) KB, plus the rows and the program)"
