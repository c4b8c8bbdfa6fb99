#!/usr/bin/env bash
# prefilter_median_vs_im: our median replacement (kind 5, radius 8, one thread) against the
# reference program's 17x17 median on the same 12-megapixel 24-bit BMP, both timed as whole runs
# (reading, filtering, writing). Prints the ratio ours / reference (goal <= 0.05).
set -euo pipefail
BIN=${BENCH_BIN:-build/release/bench}
WORK=${BENCH_WORK:-/tmp}
mkdir -p "$WORK"
IN="$WORK/prefilter_12mp.bmp"
[ -f "$IN" ] || "$BIN/bench_prefilter_tool" make "$IN" 4000 3000
cat "$IN" >/dev/null # into the page cache for both runs

elapsed() {
    local start=$EPOCHREALTIME
    "$@" >/dev/null
    local end=$EPOCHREALTIME
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }'
}

ours=$(elapsed "$BIN/bench_prefilter_tool" filter "$IN" "$WORK/prefilter_ours.bmp" 5 8 50 1)
theirs=$(elapsed convert -limit thread 1 "$IN" -statistic Median 17x17 "$WORK/prefilter_im.bmp")
echo "ours ${ours} s, reference ${theirs} s"
awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "prefilter_median_vs_im: %.4f\n", a / b }'
