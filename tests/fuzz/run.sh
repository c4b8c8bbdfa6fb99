#!/usr/bin/env bash
# Runs one harness for a while: tests/fuzz/run.sh <name> <seconds> [build folder]
# The corpus grows in <build>/corpus/<name>, seeded from the committed seeds and fixtures; findings
# land in <build>/findings/<name>.
set -euo pipefail
fuzz_src=$(cd "$(dirname "$0")/../.." && pwd)
build=${3:-build/fuzz}
. "$fuzz_src/tests/fuzz/common.sh"
fuzz_run "$1" "$build/corpus/$1" "$build/findings/$1" -max_total_time="${2:-300}"
