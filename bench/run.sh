#!/usr/bin/env bash
# Builds the benchmarks and prints each figure on a line of its own as "FIGURE: VALUE", with the
# information its command gives on indented lines below it: its lines "info: TEXT" (the picture, the
# thread count) under each of its figures, "info FIGURE: TEXT" (the times behind a ratio) under that
# one. A figure whose command fails or gives no number prints "FIGURE: FAILED", and the exit code is
# then non-zero.
#   bench/run.sh              every figure
#   bench/run.sh NAME...      only these figures
#   BENCH_JOBS=N              build with N jobs (default: one per core)
set -euo pipefail
SRC=$(cd "$(dirname "$0")/.." && pwd)
export SRC
"$SRC/scripts/install-deps.sh" --bench
BUILD="$SRC/build/release"
cmake -S "$SRC" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DQM_SANITIZE=OFF -DQM_BUILD_TESTS=ON -DQM_BUILD_BENCH=ON -DQM_BUILD_GUI=ON >/dev/null
cmake --build "$BUILD" -j"${BENCH_JOBS:-$(nproc)}" >/dev/null
export BENCH_BIN="$BUILD/bench"
export BENCH_WORK="$BUILD/bench-work"
mkdir -p "$BENCH_WORK"

declare -A want=()
for f in "$@"; do want[$f]=1; done

# A command may serve several figures: run each command once.
declare -A out=() rc=()
failed=0
while read -r figure cmd; do
  [[ -z "$figure" || "$figure" == \#* ]] && continue
  if [ $# -gt 0 ] && [ -z "${want[$figure]:-}" ]; then continue; fi
  if [ -z "${rc[$cmd]:-}" ]; then
    code=0
    out[$cmd]=$(cd "$BUILD" && eval "$cmd" 2>&1) || code=$?
    rc[$cmd]=$code
  fi
  line=$(printf '%s\n' "${out[$cmd]}" | grep -E "^$figure: " | tail -n 1 || true)
  value=${line#*: }
  if [ "${rc[$cmd]}" -ne 0 ] || ! [[ "$value" =~ ^[0-9]+(\.[0-9]+)?$ ]]; then
    echo "$figure: FAILED"
    failed=1
    if [ "${rc[$cmd]}" -ne 0 ]; then echo "  (its command ended with exit code ${rc[$cmd]})"; fi
  else
    echo "$line"
    printf '%s\n' "${out[$cmd]}" | sed -n -e 's/^info: /  /p' -e "s/^info $figure: /  /p"
  fi
done < <(cat "$SRC"/bench/figures/*.txt)
exit "$failed"
