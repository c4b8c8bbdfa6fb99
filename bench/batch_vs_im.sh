#!/usr/bin/env bash
# Whole batch runs against ImageMagick: 24 JPEGs of 4000x3000 cut from the bench's real photograph
# (quality 92) and 8 BMPs of 3000x2000, each converted to half size by Mitchell at quality 75 with
# 2x2 chroma sampling and optimised coding. Ours: one batch job, headless (bench_batch). Reference:
# the faster of mogrify over all files (all cores) and one single-threaded convert per file with as
# many at once as there are cores. Fastest of RUNS runs each, ours and the reference alternating.
# Prints "batch_vs_im: VALUE" (ours / reference, lower is better) and the times behind it. Runs from
# the release build folder (see bench/run.sh).
source "$(dirname "$0")/common.sh"
figures batch_vs_im
BIN=${BENCH_BIN:-$PWD/bench}
WORK=${BENCH_WORK:-/tmp}/batch
RUNS=${BATCH_BENCH_RUNS:-3}
IM=/usr/bin/convert
[ -x "$IM" ] || IM=$(command -v convert)
MOGRIFY=/usr/bin/mogrify
[ -x "$MOGRIFY" ] || MOGRIFY=$(command -v mogrify)
PHOTO=/usr/share/backgrounds/mate/abstract/Elephants_5640x3172.jpg
[ -r "$PHOTO" ] || { echo "missing $PHOTO (mate-backgrounds)" >&2; exit 1; }
mkdir -p "$WORK/src" "$WORK/ours" "$WORK/mogrify" "$WORK/convert"

# The sources, made once: crops at different places of the photograph, every other one mirrored.
files=()
for ((i = 0; i < 24; i++)); do files+=("$WORK/src/j$(printf %02d $i).jpg"); done
for ((i = 0; i < 8; i++)); do files+=("$WORK/src/b$i.bmp"); done
if ! [ -s "${files[-1]}" ]; then
  [ -s "$WORK/photo.ppm" ] || { "$IM" "$PHOTO" "$WORK/photo.ppm.part" && mv "$WORK/photo.ppm.part" "$WORK/photo.ppm"; }
  for ((i = 0; i < 24; i++)); do
    flop=(); ((i % 2)) && flop=(-flop)
    "$IM" "$WORK/photo.ppm" -crop "4000x3000+$((i * 71 % 1641))+$((i * 7 % 173))" +repage "${flop[@]}" \
      -quality 92 "${files[$i]}"
  done
  for ((i = 0; i < 8; i++)); do
    "$IM" "$WORK/photo.ppm" -crop "3000x2000+$((i * 331 % 2641))+$((i * 131 % 1173))" +repage \
      -type TrueColor "BMP3:${files[$((24 + i))]}"
  done
fi
for f in "${files[@]}"; do check_output "$f" 100000; done

# run_ms OUTDIR COMMAND...: empties OUTDIR, runs the command and prints its wall time in ms; fails
# unless it succeeds and leaves every output (half size: at least 10 kB each).
run_ms() {
  local out=$1 s e f b
  shift
  rm -rf "$out" && mkdir -p "$out"
  s=$(date +%s%N)
  "$@" >/dev/null 2>"$WORK/err.txt" || { echo "failed: $* ($(tail -n 3 "$WORK/err.txt"))" >&2; return 1; }
  e=$(date +%s%N)
  for f in "${files[@]}"; do
    b=${f##*/}
    check_output "$out/${b%.*}.jpg" 10000 || return 1
  done
  echo $(((e - s) / 1000000))
}

im_args=(-filter Mitchell -resize 50% -quality 75 -sampling-factor 2x2 -define jpeg:optimize-coding=true)
# One single-threaded convert of a file into an output folder, run by xargs in a shell of its own.
one_convert() { # file outdir
  local b=${1##*/}
  "$IM" -limit thread 1 "$1" -filter Mitchell -resize 50% -quality 75 -sampling-factor 2x2 \
    -define jpeg:optimize-coding=true "$2/${b%.*}.jpg"
}
export -f one_convert
export IM
per_file_converts() { # outdir
  printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -I{} bash -c 'one_convert "$1" "$2"' _ {} "$1"
}

"$BIN/bench_batch" --write-profile "$WORK/half.qmp"
best_ours="" best_mogrify="" best_convert=""
for ((r = 0; r < RUNS; r++)); do
  keep_best best_ours "$(run_ms "$WORK/ours" "$BIN/bench_batch" "$WORK/half.qmp" "$WORK/ours" "${files[@]}")"
  keep_best best_mogrify "$(run_ms "$WORK/mogrify" "$MOGRIFY" -path "$WORK/mogrify" -format jpg "${im_args[@]}" "${files[@]}")"
  keep_best best_convert "$(run_ms "$WORK/convert" per_file_converts "$WORK/convert")"
done
best_im=$best_mogrify
keep_best best_im "$best_convert"
echo "info: 24 JPEGs 4000x3000 (quality 92) and 8 BMPs 3000x2000, half size, quality 75; $(nproc) cores"
echo "info batch_vs_im: ours $best_ours ms, ImageMagick $best_im ms (mogrify $best_mogrify ms, per-file convert $best_convert ms; fastest of $RUNS each)"
figure batch_vs_im "$best_ours" "$best_im"
