#!/bin/sh
# Runs one harness for a while: tests/fuzz/run.sh <name> <seconds> [build folder]
# The corpus grows in <build>/corpus/<name>, seeded from the committed fixtures; findings land in
# <build>/findings/<name>.
set -e
name=$1
seconds=${2:-300}
build=${3:-build/fuzz}
src=$(cd "$(dirname "$0")/../.." && pwd)
corpus=$build/corpus/$name
mkdir -p "$corpus" "$build/findings/$name"
case $name in
  bmp) cp -n "$src"/tests/fixtures/bmp/*.bmp "$src"/tests/fixtures/formats/*.bmp "$corpus"/ ;;
  jpeg) cp -n "$src"/tests/fixtures/formats/*.jpg "$corpus"/ ;;
  picture) cp -n "$src"/tests/fixtures/formats/*.jpg "$src"/tests/fixtures/formats/*.bmp "$corpus"/ ;;
esac
dict=
[ -f "$src/tests/fuzz/$name.dict" ] && dict=-dict=$src/tests/fuzz/$name.dict
exec "$build/tests/fuzz/qm_fuzz_$name" "$corpus" $dict -max_total_time="$seconds" -rss_limit_mb=2048 \
  -timeout=10 -max_len=65536 -artifact_prefix="$build/findings/$name/" -print_final_stats=1
