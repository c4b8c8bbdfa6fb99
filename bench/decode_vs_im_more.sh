#!/usr/bin/env bash
# Decoding speed of the Photoshop, Targa and SGI readers against ImageMagick on 12-megapixel
# run-length RGB files made from the bench photograph (bench/BenchPhoto.h: the 4000x3000 crop from
# the middle of a photograph of mate-backgrounds). Each side is timed as a whole run: ours loads
# the file through the program's picture loading and writes a binary PPM (bench_load_picture),
# ImageMagick runs `convert -limit thread 1 FILE[0] ppm:OUT` (the first image only: its Photoshop
# files carry the picture again as a layer); both write the same picture. Prints
# "figure: VALUE" lines (ours / ImageMagick, lower is better) and the times behind them.
source "$(dirname "$0")/common.sh"
figures psd_decode_vs_im tga_decode_vs_im sgi_decode_vs_im
BIN=${BENCH_BIN:-$PWD/bench}
WORK=${BENCH_WORK:-/tmp}/decode_more
RUNS=${DECODE_BENCH_RUNS:-5}
mkdir -p "$WORK"
IM=/usr/bin/convert
[ -x "$IM" ] || IM=$(command -v convert)
OURS="$BIN/bench_load_picture"
PHOTO=/usr/share/backgrounds/mate/abstract/Elephants_5640x3172.jpg
W=4000 H=3000

crop=$WORK/photo.ppm
if [ ! -s "$crop" ]; then
  "$IM" "$PHOTO" -gravity center -crop "${W}x${H}+0+0" +repage -depth 8 "ppm:$crop.part"
  check_output "$crop.part" $((W * H * 3))
  mv "$crop.part" "$crop"
fi
# The test files, made once: run-length RGB in each format.
make_file() { # format, ImageMagick's arguments
  local f=$WORK/photo.$1 format=$1
  shift
  [ -s "$f" ] && return 0
  "$IM" "$crop" "$@" "$format:$f.part"
  mv "$f.part" "$f"
}
make_file psd -compress RLE
make_file tga -compress RLE
make_file sgi -depth 8 -compress RLE

# Ours and ImageMagick alternate, so both see the same load from whatever else runs on the machine;
# the fastest of RUNS runs counts for each. Each run must succeed and write the whole picture.
compare() { # figure, input file
  local figure=$1 in=$2 min=$((W * H * 3)) best_ours="" best_im="" i
  for ((i = 0; i < RUNS; i++)); do
    keep_best best_ours "$(checked_ms "$WORK/ours.ppm" "$min" "$OURS" "$in" "$WORK/ours.ppm")"
    keep_best best_im "$(checked_ms "$WORK/im.ppm" "$min" "$IM" -limit thread 1 "$in[0]" "ppm:$WORK/im.ppm")"
  done
  echo "info $figure: ours $best_ours ms, ImageMagick $best_im ms (fastest of $RUNS each, one thread)"
  figure "$figure" "$best_ours" "$best_im"
}

echo "info: picture: ${W}x${H} crop of $PHOTO, run-length RGB"
compare psd_decode_vs_im "$WORK/photo.psd"
compare tga_decode_vs_im "$WORK/photo.tga"
compare sgi_decode_vs_im "$WORK/photo.sgi"
