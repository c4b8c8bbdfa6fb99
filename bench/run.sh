#!/usr/bin/env bash
# Builds the benchmarks and prints each figure on a line of its own as "FIGURE: VALUE".
#   bench/run.sh              every figure
#   bench/run.sh NAME...      only these figures
set -euo pipefail
SRC=$(cd "$(dirname "$0")/.." && pwd)
export SRC
"$SRC/scripts/install-deps.sh" --bench
BUILD="$SRC/build/release"
cmake -S "$SRC" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DQM_SANITIZE=OFF -DQM_BUILD_TESTS=ON -DQM_BUILD_BENCH=ON -DQM_BUILD_GUI=ON >/dev/null
cmake --build "$BUILD" -j"$(nproc)" >/dev/null
export BENCH_BIN="$BUILD/bench"
export BENCH_WORK="$BUILD/bench-work"
mkdir -p "$BENCH_WORK"

declare -A want=()
for f in "$@"; do want[$f]=1; done

# A command may serve several figures: run each command once.
declare -A done_cmd=()
while read -r figure cmd; do
  [[ -z "$figure" || "$figure" == \#* ]] && continue
  if [ $# -gt 0 ] && [ -z "${want[$figure]:-}" ]; then continue; fi
  out_key="$cmd"
  if [ -z "${done_cmd[$out_key]:-}" ]; then
    done_cmd[$out_key]=$(cd "$BUILD" && eval "$cmd" 2>&1 || true)
  fi
  line=$(printf '%s\n' "${done_cmd[$out_key]}" | grep -E "^$figure: " | tail -n 1 || true)
  if [ -n "$line" ]; then echo "$line"; else echo "$figure: FAILED"; fi
done < <(cat "$SRC"/bench/figures/*.txt)
