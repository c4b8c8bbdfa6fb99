#!/usr/bin/env bash
# Resampling speed against ImageMagick on the same 24-bit BMP files, each side timed as a whole run
# (reading, resampling and writing the file), both on one thread; then our speed-up on several cores.
# Prints "figure: VALUE" lines (ratios: ours / ImageMagick, lower is better; speed-up: higher is better)
# and the times behind them. Runs from the release build folder (see bench/run.sh). Synthetic
# pictures: the figures need exact sizes.
source "$(dirname "$0")/common.sh"
figures resample_down_vs_im resample_up_vs_im area_down_vs_im resample_mt_speedup
BIN=${BENCH_BIN:-$PWD/bench}
WORK=${BENCH_WORK:-/tmp}/resample
RUNS=${RESAMPLE_BENCH_RUNS:-5}
mkdir -p "$WORK"
IM=/usr/bin/convert
[ -x "$IM" ] || IM=$(command -v convert)
OURS="$BIN/bench_resample"

# Photo-like pictures: a plasma fractal enlarged (smooth areas) with noise on top (fine detail).
picture() { # file width height seed
  [ -s "$1" ] && return 0
  "$IM" -seed "$4" -size "$(($2 / 5))x$(($3 / 5))" plasma:fractal -resize "$2x$3!" -attenuate 0.5 +noise Gaussian \
    -type TrueColor "BMP3:$1.part"
  check_output "$1.part" $(($2 * $3 * 3))
  mv "$1.part" "$1"
}
picture "$WORK/photo24mp.bmp" 6000 4000 7
picture "$WORK/photo2mp.bmp" 1600 1250 11

# Ours and ImageMagick alternate, so both see the same load from whatever else runs on the machine;
# the fastest of RUNS runs counts for each. Each run must succeed and write its whole picture.
compare() { # figure, output width and height, our output, then our arguments, "--", ImageMagick's output and arguments
  local figure=$1 min=$(($2 * $3 * 3)) ours_out=$4 ours=() im_out im=() best_ours="" best_im="" t i
  shift 4
  while [ "$1" != "--" ]; do ours+=("$1"); shift; done
  im_out=$2
  shift 2
  im=("$@")
  for ((i = 0; i < RUNS; i++)); do
    keep_best best_ours "$(checked_ms "$ours_out" "$min" "$OURS" "${ours[@]}")"
    keep_best best_im "$(checked_ms "$im_out" "$min" "$IM" -limit thread 1 "${im[@]}")"
  done
  echo "info $figure: ours $best_ours ms, ImageMagick $best_im ms (fastest of $RUNS each, one thread)"
  figure "$figure" "$best_ours" "$best_im"
}

compare resample_down_vs_im 3000 2000 "$WORK/ours_down.bmp" "$WORK/photo24mp.bmp" "$WORK/ours_down.bmp" 3000 2000 \
  --method 2 --threads 1 -- "$WORK/im_down.bmp" \
  "$WORK/photo24mp.bmp" -filter Mitchell -resize 50% -type TrueColor "BMP3:$WORK/im_down.bmp"
compare resample_up_vs_im 3200 2500 "$WORK/ours_up.bmp" "$WORK/photo2mp.bmp" "$WORK/ours_up.bmp" 3200 2500 \
  --method 2 --threads 1 -- "$WORK/im_up.bmp" \
  "$WORK/photo2mp.bmp" -filter Mitchell -resize 200% -type TrueColor "BMP3:$WORK/im_up.bmp"
compare area_down_vs_im 3000 2000 "$WORK/ours_area.bmp" "$WORK/photo24mp.bmp" "$WORK/ours_area.bmp" 3000 2000 \
  --method 3 --threads 1 -- "$WORK/im_area.bmp" \
  "$WORK/photo24mp.bmp" -scale 50% -type TrueColor "BMP3:$WORK/im_area.bmp"

# Speed-up of the resampling itself (Mitchell, 24 megapixels to half size) on up to 8 cores; the
# fastest of 3 x RUNS runs each, as the runs are short.
cores=$(nproc)
((cores > 8)) && cores=8
resample_ms() { # threads
  local out
  rm -f "$WORK/ours_mt.bmp"
  out=$("$OURS" "$WORK/photo24mp.bmp" "$WORK/ours_mt.bmp" 3000 2000 --method 2 --threads "$1" --repeat $((3 * RUNS)))
  check_output "$WORK/ours_mt.bmp" $((3000 * 2000 * 3))
  printf '%s\n' "$out" | sed -n 's/^resample_ms: //p'
}
one=$(resample_ms 1)
many=$(resample_ms "$cores")
echo "info resample_mt_speedup: one thread $one ms, $cores threads $many ms"
figure resample_mt_speedup "$one" "$many" 2
