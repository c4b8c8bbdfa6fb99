#!/usr/bin/env bash
# Resampling speed against ImageMagick on the same 24-bit BMP files, each side timed as a whole run
# (reading, resampling and writing the file), both on one thread; then our speed-up on several cores.
# Prints "figure: VALUE" lines (ratios: ours / ImageMagick, lower is better; speed-up: higher is better)
# and the times behind them. Runs from the release build folder (see bench/run.sh).
set -euo pipefail
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
    -type TrueColor "BMP3:$1"
}
picture "$WORK/photo24mp.bmp" 6000 4000 7
picture "$WORK/photo2mp.bmp" 1600 1250 11

ms() { # runs the command once, prints its wall time in milliseconds
  local s e
  s=$(date +%s%N)
  "$@" >/dev/null 2>&1
  e=$(date +%s%N)
  echo $(((e - s) / 1000000))
}

# Ours and ImageMagick alternate, so both see the same load from whatever else runs on the machine;
# the fastest of RUNS runs counts for each.
compare() { # figure, then our arguments, "--", ImageMagick's arguments
  local figure=$1 ours=() im=() best_ours=999999 best_im=999999 t i
  shift
  while [ "$1" != "--" ]; do ours+=("$1"); shift; done
  shift
  im=("$@")
  for ((i = 0; i < RUNS; i++)); do
    t=$(ms "$OURS" "${ours[@]}"); ((t < best_ours)) && best_ours=$t
    t=$(ms "$IM" -limit thread 1 "${im[@]}"); ((t < best_im)) && best_im=$t
  done
  echo "${figure}_ours_ms: $best_ours"
  echo "${figure}_im_ms: $best_im"
  awk -v a="$best_ours" -v b="$best_im" -v f="$figure" 'BEGIN { printf "%s: %.3f\n", f, a / b }'
}

compare resample_down_vs_im "$WORK/photo24mp.bmp" "$WORK/ours_down.bmp" 3000 2000 --method 2 --threads 1 -- \
  "$WORK/photo24mp.bmp" -filter Mitchell -resize 50% -type TrueColor "BMP3:$WORK/im_down.bmp"
compare resample_up_vs_im "$WORK/photo2mp.bmp" "$WORK/ours_up.bmp" 3200 2500 --method 2 --threads 1 -- \
  "$WORK/photo2mp.bmp" -filter Mitchell -resize 200% -type TrueColor "BMP3:$WORK/im_up.bmp"
compare area_down_vs_im "$WORK/photo24mp.bmp" "$WORK/ours_area.bmp" 3000 2000 --method 3 --threads 1 -- \
  "$WORK/photo24mp.bmp" -scale 50% -type TrueColor "BMP3:$WORK/im_area.bmp"

# Speed-up of the resampling itself (Mitchell, 24 megapixels to half size) on up to 8 cores; the
# fastest of 3 x RUNS runs each, as the runs are short.
cores=$(nproc)
((cores > 8)) && cores=8
one=$("$OURS" "$WORK/photo24mp.bmp" "$WORK/ours_mt.bmp" 3000 2000 --method 2 --threads 1 --repeat $((3 * RUNS)) |
  sed -n 's/^resample_ms: //p')
many=$("$OURS" "$WORK/photo24mp.bmp" "$WORK/ours_mt.bmp" 3000 2000 --method 2 --threads "$cores" --repeat $((3 * RUNS)) |
  sed -n 's/^resample_ms: //p')
echo "resample_mt_threads: $cores"
echo "resample_mt_one_ms: $one"
echo "resample_mt_many_ms: $many"
awk -v a="$one" -v b="$many" 'BEGIN { printf "resample_mt_speedup: %.2f\n", a / b }'
