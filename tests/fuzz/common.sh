# shellcheck shell=bash
# Sourced by run.sh and check.sh (set fuzz_src to the project's root and build to the fuzz build
# folder first): how every run of a harness is seeded and started.

# fuzz_seed NAME DIR: puts the committed seeds of NAME (tests/fuzz/seeds/NAME) and the fixtures it
# reads into DIR; files already there stay.
fuzz_seed()
{
  mkdir -p "$2"
  if [ -d "$fuzz_src/tests/fuzz/seeds/$1" ]; then cp -n "$fuzz_src/tests/fuzz/seeds/$1"/* "$2"/; fi
  case $1 in
    bmp) cp -n "$fuzz_src"/tests/fixtures/bmp/*.bmp "$fuzz_src"/tests/fixtures/formats/*.bmp "$2"/ ;;
    jpeg) cp -n "$fuzz_src"/tests/fixtures/formats/*.jpg "$2"/ ;;
    picture | batchheader) cp -n "$fuzz_src"/tests/fixtures/formats/*.jpg "$fuzz_src"/tests/fixtures/formats/*.bmp "$2"/ ;;
    tiff) cp -n "$fuzz_src"/tests/fixtures/tiff/*.tif "$2"/ ;;
    eps) cp -n "$fuzz_src"/tests/fixtures/tiff/*.eps "$2"/ ;;
    png) cp -n "$fuzz_src"/tests/fixtures/png/*.png "$2"/ ;;
    gif) cp -n "$fuzz_src"/tests/fixtures/gif/*.gif "$2"/ ;;
  esac
}

# fuzz_run NAME CORPUS FINDINGS [OPTION...]: seeds CORPUS and runs the harness NAME on it with the
# memory, time and size limits of one input, its dictionary if it has one and the given options;
# what it finds lands in FINDINGS.
fuzz_run()
{
  local name=$1 corpus=$2 findings=$3 dict=$fuzz_src/tests/fuzz/$1.dict
  shift 3
  fuzz_seed "$name" "$corpus"
  mkdir -p "$findings"
  if [ -f "$dict" ]; then set -- "-dict=$dict" "$@"; fi
  "$build/tests/fuzz/qm_fuzz_$name" "$corpus" -rss_limit_mb=2048 -timeout=10 -max_len=65536 "$@" \
    -artifact_prefix="$findings/" -print_final_stats=1
}
