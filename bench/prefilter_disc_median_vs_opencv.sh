#!/usr/bin/env bash
# prefilter_disc_median_vs_opencv: our median replacement (kind 5: a radius-8 disc with a threshold,
# one thread) against OpenCV's medianBlur with a 17x17 kernel on one thread, on the same 24-bit BMP
# of the 12-megapixel bench photo. Each side times itself from before reading the file to after
# writing the result (OpenCV inside Python: imread + medianBlur + imwrite, without the start of the
# interpreter and the import). Not like for like: a disc with a threshold against a square. The
# two alternate; the fastest of RUNS runs counts for each. Prints ours / OpenCV (goal <= 1.0).
source "$(dirname "$0")/common.sh"
figures prefilter_disc_median_vs_opencv
BIN=${BENCH_BIN:-$PWD/bench}
WORK=${BENCH_WORK:-/tmp}
RUNS=${PREFILTER_BENCH_RUNS:-5}
mkdir -p "$WORK"
IN=$("$BIN/bench_prefilter_tool" photo)
MIN=$((4000 * 3000 * 3))
cat "$IN" >/dev/null # into the page cache for both sides

# Debian's interpreter: its python3-opencv is the reference, whatever python3 comes first on PATH.
opencv_ms() { # in out
  /usr/bin/python3 - "$1" "$2" <<'PY'
import sys, time
import cv2

cv2.setNumThreads(1)
t0 = time.perf_counter()
img = cv2.imread(sys.argv[1], cv2.IMREAD_COLOR)
if img is None:
    sys.exit("cannot read " + sys.argv[1])
out = cv2.medianBlur(img, 17)
if not cv2.imwrite(sys.argv[2], out):
    sys.exit("cannot write " + sys.argv[2])
print("run_ms: %.1f" % ((time.perf_counter() - t0) * 1000))
PY
}

run_ms() { # output, then the command printing "run_ms: N"
  local out=$1 text
  shift
  rm -f "$out"
  text=$("$@")
  check_output "$out" "$MIN"
  printf '%s\n' "$text" | sed -n 's/^run_ms: //p'
}

best_ours="" best_cv=""
for ((i = 0; i < RUNS; i++)); do
  t=$(run_ms "$WORK/median_ours.bmp" "$BIN/bench_prefilter_tool" filter "$IN" "$WORK/median_ours.bmp" 5 8 50 1)
  keep_best best_ours "$t"
  t=$(run_ms "$WORK/median_opencv.bmp" opencv_ms "$IN" "$WORK/median_opencv.bmp")
  keep_best best_cv "$t"
done
echo "info prefilter_disc_median_vs_opencv: ours $best_ours ms, OpenCV $best_cv ms (fastest of $RUNS each, one thread)"
figure prefilter_disc_median_vs_opencv "$best_ours" "$best_cv"
