#!/usr/bin/env bash
# Picture decoding against ImageMagick: bench_decode_picture (LoadPicture, then the pixels written as
# a PPM) and `convert -limit thread 1 FILE ppm:OUT` on the same 12-megapixel file, alternately, the
# fastest of RUNS runs each. ImageMagick reads the first image only ("FILE[0]"): its Photoshop files
# carry the picture again as a layer. Prints "FIGURE: VALUE" (ours / ImageMagick, lower is better) and the
# times behind it. The files are made once from the bench photo (bench/BenchPhoto.h, 4000 x 3000)
# and kept in the scratch folder. Runs from the release build folder (see bench/run.sh).
#   decode_vs_im.sh [FIGURE...]    only these figures
source "$(dirname "$0")/common.sh"

# One line per format: figure, file extension, the function that makes the file from the photo.
# A new format adds a line here, a maker below and its line in bench/figures/formats.txt.
FORMATS=(
  "png_decode_vs_im png make_png"
  "tiff_lzw_decode_vs_im tif make_tiff_lzw"
  "gif_decode_vs_im gif make_gif"
  "psd_decode_vs_im psd make_psd"
  "tga_decode_vs_im tga make_tga"
  "sgi_decode_vs_im sgi make_sgi"
)

BIN=${BENCH_BIN:-$PWD/bench}
WORK=${BENCH_WORK:-/tmp}/decode
RUNS=${DECODE_BENCH_RUNS:-5}
mkdir -p "$WORK"
IM=/usr/bin/convert
[ -x "$IM" ] || IM=$(command -v convert)
OURS="$BIN/bench_decode_picture"

# Makers: SOURCE (24-bit BMP) OUTPUT.
make_png() { "$IM" "$1" -define png:compression-level=6 "PNG24:$2"; }
make_tiff_lzw() { "$IM" "$1" -compress none "$2.plain.tif" && tiffcp -c lzw:2 "$2.plain.tif" "$2" && rm -f "$2.plain.tif"; }
make_gif() { "$IM" "$1" -colors 256 "$2"; }
make_psd() { "$IM" "$1" -compress RLE "PSD:$2"; }
make_tga() { "$IM" "$1" -compress RLE "TGA:$2"; }
make_sgi() { "$IM" "$1" -depth 8 -compress RLE "SGI:$2"; }

selected=()
for line in "${FORMATS[@]}"; do
  read -r figure _ _ <<<"$line"
  if [ $# -eq 0 ] || [[ " $* " == *" $figure "* ]]; then selected+=("$line"); fi
done
names=()
for line in "${selected[@]}"; do names+=("${line%% *}"); done
figures "${names[@]}"

photo=$("$OURS" --photo)
check_output "$photo" $((4000 * 3000 * 3))
pixels=$((4000 * 3000 * 3))
echo "info: the bench photo, 4000 x 3000, one thread each"

for line in "${selected[@]}"; do
  read -r figure ext maker <<<"$line"
  file=$WORK/photo.$ext
  if [ ! -s "$file" ]; then
    "$maker" "$photo" "$file.part.$ext"
    check_output "$file.part.$ext" 1000
    mv "$file.part.$ext" "$file"
  fi
  best_ours="" best_im=""
  for ((i = 0; i < RUNS; i++)); do
    keep_best best_ours "$(checked_ms "$WORK/ours.ppm" "$pixels" "$OURS" "$file" "$WORK/ours.ppm")"
    keep_best best_im "$(checked_ms "$WORK/im.ppm" "$pixels" "$IM" -limit thread 1 "$file[0]" "ppm:$WORK/im.ppm")"
  done
  echo "info $figure: ours $best_ours ms, ImageMagick $best_im ms ($(stat -c %s "$file") bytes, fastest of $RUNS each)"
  figure "$figure" "$best_ours" "$best_im"
done
