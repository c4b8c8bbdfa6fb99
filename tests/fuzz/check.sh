#!/usr/bin/env bash
# The fuzz stage of ./test.sh: builds every harness in build/fuzz (clang, libFuzzer, the address and
# undefined-behaviour sanitizers) and runs each from its seeds for a fixed number of runs with seed
# 1, cut at CAP seconds, several harnesses at a time. A harness that crashes, leaks, hangs or runs out
# of memory fails the stage, and the input that did it is kept in tests/fuzz/crashes/<name>/.
#   tests/fuzz/check.sh [harnesses run at once]
set -euo pipefail
fuzz_src=$(cd "$(dirname "$0")/../.." && pwd)
cd "$fuzz_src"
parallel=${1:-$(nproc)}
build=build/fuzz
cap=30
. tests/fuzz/common.sh

# Runs of each harness, about 20 s each on an 8-core machine with the others running beside it; a
# new harness gets 20000 until it has its own entry.
declare -A runs=(
  [batchheader]=400000
  [bmp]=200000
  [colorconversion]=80000
  [deflate]=35000
  [eps]=150000
  [fax]=90000
  [gif]=100000
  [jpeg]=50000
  [lzw]=150000
  [picture]=70000
  [png]=300000
  [profile]=80000
  [rasterformats]=25000
  [rle]=300000
  [thunderpcd]=450000
  [tiff]=60000
  [twaindib]=1500000
  [urldecode]=1700000
)
runs_of() { echo "${runs[$1]:-20000}"; }

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_FUZZ=ON \
  -DQM_BUILD_TESTS=ON -DQM_BUILD_BENCH=OFF -DQM_BUILD_GUI=OFF >/dev/null
cmake --build "$build" --target qm_fuzzers -j"$parallel"

# One harness from a fresh copy of its seeds; its log, findings and exit status stay in
# build/fuzz/check/<name>, never in the source tree.
run_one()
{
  local name=$1 dir=$build/check/$1 start=$SECONDS status=0
  rm -rf "$dir"
  mkdir -p "$dir"
  fuzz_run "$name" "$dir/corpus" "$dir/findings" -runs="$(runs_of "$name")" -seed=1 -max_total_time=$cap \
    >"$dir/log" 2>&1 || status=$?
  echo "$status $((SECONDS - start))" >"$dir/status"
}

names=(tests/fuzz/fuzz_*.cpp)
names=("${names[@]##*/fuzz_}")
names=("${names[@]%.cpp}")
start=$SECONDS
for name in "${names[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  run_one "$name" &
done
wait

failed=()
for name in "${names[@]}"; do
  dir=$build/check/$name status=1 seconds="?"
  [ -f "$dir/status" ] && read -r status seconds <"$dir/status"
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" 2>/dev/null || true)
  if [ "$status" = 0 ]; then
    note=
    [ "${executed:-0}" -lt "$(runs_of "$name")" ] && note=" (cut at $cap s)"
    echo "fuzz $name: $executed runs in $seconds s$note"
    continue
  fi
  failed+=("$name")
  echo "fuzz $name: FAILED (exit status $status after $seconds s); its report:"
  first=$(grep -n -m1 -E '^==[0-9]+==ERROR|runtime error:|ERROR: libFuzzer' "$dir/log" 2>/dev/null | cut -d: -f1 || true)
  sed -n "${first:-1},\$p" "$dir/log" 2>/dev/null | head -n 150 | sed 's/^/    /' || true
  kept=tests/fuzz/crashes/$name
  for f in "$dir"/findings/{crash,leak,timeout,oom}-*; do
    [ -e "$f" ] || continue
    mkdir -p "$kept"
    cp "$f" "$kept/"
    echo "fuzz $name: input kept in $kept/${f##*/} (replay: $build/tests/fuzz/qm_fuzz_$name $kept/${f##*/})"
  done
done
echo "fuzz stage: ${#names[@]} harnesses in $((SECONDS - start)) s"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz stage FAILED: ${failed[*]}" >&2
  exit 1
fi
