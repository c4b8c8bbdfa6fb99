#!/usr/bin/env bash
# Jobs over many small pictures: 64x48 crops of the bench's real photograph, as JPEGs and PNGs,
# converted into another folder with the bench's batch profile (half size by Mitchell, quality 75),
# each job in a process of its own. Prints two figures and what lies behind them:
#   batch_memory_at_scale    peak resident memory of a job over 20,000 files over that of a job over
#                            2,000 (goal <= 1.5)
#   batch_switches_per_file  voluntary context switches of a job over 2,000 files with 8 helpers, per
#                            file: the fewest of three runs (goal <= 15)
# Runs from the release build folder (see bench/run.sh).
source "$(dirname "$0")/common.sh"
figures batch_memory_at_scale batch_switches_per_file
BIN=${BENCH_BIN:-$PWD/bench}
WORK=${BENCH_WORK:-/tmp}/batch_scale
IM=/usr/bin/convert
[ -x "$IM" ] || IM=$(command -v convert)
PHOTO=/usr/share/backgrounds/mate/abstract/Elephants_5640x3172.jpg
[ -r "$PHOTO" ] || { echo "missing $PHOTO (mate-backgrounds)" >&2; exit 1; }
mkdir -p "$WORK/src" "$WORK/out"

# Sixteen crops, each copied over and over: the same work per file as distinct pictures.
if ! [ -s "$WORK/src/19999.png" ]; then
  for ((k = 0; k < 16; k++)); do
    ext=jpg; ((k % 2)) && ext=png
    "$IM" "$PHOTO" -crop "64x48+$((k * 331 % 5500))+$((k * 173 % 3100))" +repage -quality 90 "$WORK/crop$k.$ext"
  done
  for ((i = 0; i < 20000; i++)); do
    k=$((i % 16)); ext=jpg; ((k % 2)) && ext=png
    cp "$WORK/crop$k.$ext" "$WORK/src/$i.$ext"
  done
fi
"$BIN/bench_batch" --write-profile "$WORK/p.qmp"

run_job() { # run_job N REPORT [HELPERS]: a job over the first N files, its report in REPORT
  for ((i = 0; i < $1; i++)); do
    ext=jpg; ((i % 2)) && ext=png
    echo "$WORK/src/$i.$ext"
  done > "$WORK/list"
  rm -rf "$WORK/out" && mkdir -p "$WORK/out"
  "$BIN/bench_batch_scale" job "$WORK/p.qmp" "$WORK/out" "$WORK/list" ${3:-} > "$2"
  local written
  written=$(ls "$WORK/out" | wc -l)
  [ "$written" -eq "$1" ] || { echo "the job over $1 files wrote $written" >&2; return 1; }
}
peak() { # peak N: the job's peak resident memory in kB over the first N files
  run_job "$1" "$WORK/job$1.txt"
  sed -n 's/^peak_kb: //p' "$WORK/job$1.txt"
}
small=$(peak 2000)
large=$(peak 20000)
for n in 2000 20000; do echo "info batch_memory_at_scale: $n files: $(tr '\n' ' ' < "$WORK/job$n.txt")"; done
figure batch_memory_at_scale "$large" "$small"

switches=
for run in 1 2 3; do
  run_job 2000 "$WORK/switches$run.txt" 8
  keep_best switches "$(sed -n 's/^switches: //p' "$WORK/switches$run.txt")"
  echo "info batch_switches_per_file: run $run: $(sed -n 's/^switches: //p' "$WORK/switches$run.txt") switches," \
    "$(awk '/^job_s: / { printf "%.3f ms a file", $2 * 1000 / 2000 }' "$WORK/switches$run.txt")"
done
figure batch_switches_per_file "$switches" 2000 1
