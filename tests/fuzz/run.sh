#!/bin/sh
# Runs one harness for a while: tests/fuzz/run.sh <name> <seconds> [build folder]
# The corpus grows in <build>/corpus/<name>, seeded from the committed seeds and fixtures; findings
# land in <build>/findings/<name>.
set -e
name=$1
seconds=${2:-300}
build=${3:-build/fuzz}
fuzz_src=$(cd "$(dirname "$0")/../.." && pwd)
. "$fuzz_src/tests/fuzz/common.sh"
corpus=$build/corpus/$name
mkdir -p "$build/findings/$name"
fuzz_seed "$name" "$corpus"
# shellcheck disable=SC2046 # the options are words
exec "$build/tests/fuzz/qm_fuzz_$name" "$corpus" $(fuzz_options "$name") -max_total_time="$seconds" \
  -artifact_prefix="$build/findings/$name/" -print_final_stats=1
