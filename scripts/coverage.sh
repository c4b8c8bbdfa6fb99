#!/usr/bin/env bash
# Line coverage of src/ by the whole test suite: builds the unit and GUI tests with gcov counters in
# build/coverage (Debug, -O0), runs every ctest test offscreen and prints one line,
#   coverage: P% (covered/total lines)
# The file-by-file report is left in build/coverage/coverage.txt. Installs gcovr (Debian) when it is
# missing. Not part of ./test.sh.
#   scripts/coverage.sh [parallel jobs]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
if ! command -v gcovr >/dev/null; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends gcovr >/dev/null
fi
jobs=${1:-$(nproc)}
build=build/coverage
export QT_QPA_PLATFORM=offscreen
# A compiler cache with a base folder writes relative source names into the counters' notes, which
# gcov then cannot resolve.
unset CCACHE_BASEDIR
# Atomic counters: the codec and the resamplers count from several threads at once.
counters="--coverage -fprofile-update=atomic"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g" -DCMAKE_C_FLAGS_DEBUG="-O0 -g" \
      -DCMAKE_CXX_FLAGS="$counters" -DCMAKE_C_FLAGS="$counters" -DCMAKE_EXE_LINKER_FLAGS="$counters" \
      -DCMAKE_SHARED_LINKER_FLAGS="$counters" -DQM_SANITIZE=OFF -DQM_BUILD_TESTS=ON -DQM_BUILD_BENCH=OFF \
      -DQM_BUILD_GUI=ON >/dev/null
cmake --build "$build" -j"$jobs"
# Counters of an earlier run would add to this one.
find "$build" -name '*.gcda' -delete
status=0
ctest --test-dir "$build" -j"$jobs" --timeout 1800 --output-on-failure >"$build/ctest.log" 2>&1 || status=$?
grep -E "tests passed|tests failed out of" "$build/ctest.log" || tail -n 5 "$build/ctest.log"

summary=$(gcovr --root . --filter "$PWD/src/" --object-directory "$build" -j"$jobs" --print-summary \
                --output "$build/coverage.txt" "$build/src" "$build/tests")
echo "$summary" | awk '/^lines:/ { gsub(/[()]/, ""); printf "coverage: %s (%s/%s lines)\n", $2, $3, $6 }'
[ "$status" -eq 0 ] || echo "some tests failed (see $build/ctest.log); the figure counts what ran" >&2
exit "$status"
