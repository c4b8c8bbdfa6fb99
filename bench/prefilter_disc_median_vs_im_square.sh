#!/usr/bin/env bash
# prefilter_disc_median_vs_im_square: our median replacement (kind 5: a radius-8 disc with a
# threshold, one thread) against ImageMagick's 17x17 square median on the same 24-bit BMP of the
# 12-megapixel bench photo, both timed as whole runs (reading, filtering, writing). Not like for
# like: a disc with a threshold against a square. Prints ours / ImageMagick (goal <= 0.05).
source "$(dirname "$0")/common.sh"
figures prefilter_disc_median_vs_im_square
BIN=${BENCH_BIN:-$PWD/bench}
WORK=${BENCH_WORK:-/tmp}
mkdir -p "$WORK"
IN=$("$BIN/bench_prefilter_tool" photo)
MIN=$((4000 * 3000 * 3))
cat "$IN" >/dev/null # into the page cache for both runs

ours=$(checked_ms "$WORK/prefilter_ours.bmp" "$MIN" \
  "$BIN/bench_prefilter_tool" filter "$IN" "$WORK/prefilter_ours.bmp" 5 8 50 1)
theirs=$(checked_ms "$WORK/prefilter_im.bmp" "$MIN" convert -limit thread 1 "$IN" -statistic Median 17x17 \
  -type TrueColor "BMP3:$WORK/prefilter_im.bmp")
echo "info prefilter_disc_median_vs_im_square: ours $ours ms, ImageMagick $theirs ms (one run each)"
figure prefilter_disc_median_vs_im_square "$ours" "$theirs" 4
