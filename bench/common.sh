# Sourced by the bench scripts: the release build of the programs they time, the corpus, and
# the timing helpers. Expects $repo (the repository's root) to be set.

build=$repo/build-bench
corpus=${QCORPUS:-/tmp/quonder-corpus}
corpus_script=${QUONDER_CORPUS_SCRIPT:-$repo/bench/make_corpus.sh}

# bench_build TARGET...: a release build of the targets (without tests or the window) in
# $build; prints the build's output and fails when it fails.
bench_build() {
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUONDER_BUILD_GUI=OFF \
    -DBUILD_TESTING=OFF -DQUONDER_BUILD_BENCH=ON > /dev/null
  local built
  if ! built=$(cmake --build "$build" --target "$@" 2>&1); then
    echo "$built" >&2
    return 1
  fi
}

# need COMMAND WHAT: stops the script unless COMMAND is installed (WHAT names its package).
need() { command -v "$1" > /dev/null || { echo "$2 is needed" >&2; exit 1; }; }

# against_rg: what a comparison with ripgrep needs: the corpus (built when missing) and rg.
against_rg() {
  ensure_corpus
  need rg "ripgrep (rg)"
}

# ensure_corpus: builds the corpus into $corpus when it is missing.
ensure_corpus() {
  if [ ! -d "$corpus/text" ] || [ ! -d "$corpus/mixed" ]; then
    echo "Building the corpus in $corpus ..."
    QCORPUS=$corpus bash "$corpus_script"
  fi
}

# Wall seconds of one run of the command in "$@", output discarded. To the millisecond:
# /usr/bin/time's hundredths would make a ratio near its target uncertain by a few percent.
time_once() {
  local start end
  start=$(date +%s%N)
  "$@" > /dev/null 2>&1 || true
  end=$(date +%s%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", (e - s) / 1e9 }'
}

# best NAME...: the best wall time of each command held in the array NAME, into
# best_wall[NAME]. After one warm-up run each, the commands take turns for $runs rounds, so that
# the machine speeding up or slowing down (other guests on the same host) weighs on every command
# alike and the ratios between them stay fair.
declare -A best_wall round_walls
best() {
  local name wall
  for name in "$@"; do
    local -n warm=$name
    "${warm[@]}" > /dev/null 2>&1 || true
    best_wall[$name]=""
    round_walls[$name]=""
  done
  for _ in $(seq "$runs"); do
    for name in "$@"; do
      local -n command=$name
      wall=$(time_once "${command[@]}")
      round_walls[$name]+="$wall "
      if [ -z "${best_wall[$name]}" ] ||
        awk -v a="$wall" -v b="${best_wall[$name]}" 'BEGIN { exit !(a < b) }'; then
        best_wall[$name]=$wall
      fi
    done
  done
}

# paired_ratio A B: the median over the rounds of the last `best` of A's wall / B's wall in the
# same round. Steadier than the ratio of the best walls while the machine changes pace from one
# round to the next: both sides of each ratio were timed within a second of each other.
paired_ratio() {
  paste -d' ' <(tr -s ' ' '\n' <<< "${round_walls[$1]}") <(tr -s ' ' '\n' <<< "${round_walls[$2]}") |
    awk 'NF == 2 && $2 > 0 { printf "%.6f\n", $1 / $2 }' | sort -n |
    awk '{ v[NR] = $1 }
      END { if (NR == 0) print "-"; else printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
