# Sourced by run.sh and check.sh (set fuzz_src to the project's root first): the seeds and the
# libFuzzer options every run of a harness shares.

# fuzz_seed NAME DIR: puts the committed seeds of NAME (tests/fuzz/seeds/NAME) and the fixtures it
# reads into DIR; files already there stay.
fuzz_seed()
{
  mkdir -p "$2"
  if [ -d "$fuzz_src/tests/fuzz/seeds/$1" ]; then cp -n "$fuzz_src/tests/fuzz/seeds/$1"/* "$2"/; fi
  case $1 in
    bmp) cp -n "$fuzz_src"/tests/fixtures/bmp/*.bmp "$fuzz_src"/tests/fixtures/formats/*.bmp "$2"/ ;;
    jpeg) cp -n "$fuzz_src"/tests/fixtures/formats/*.jpg "$2"/ ;;
    picture) cp -n "$fuzz_src"/tests/fixtures/formats/*.jpg "$fuzz_src"/tests/fixtures/formats/*.bmp "$2"/ ;;
  esac
}

# fuzz_options NAME: the memory, time and size limits of one input, and the dictionary if NAME has one.
fuzz_options()
{
  printf '%s' "-rss_limit_mb=2048 -timeout=10 -max_len=65536"
  if [ -f "$fuzz_src/tests/fuzz/$1.dict" ]; then printf ' %s' "-dict=$fuzz_src/tests/fuzz/$1.dict"; fi
  echo
}
