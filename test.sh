#!/usr/bin/env bash
# Installs missing packages, builds, runs the whole test suite, runs the unit tests and the offscreen
# GUI tests again under the address and undefined-behaviour sanitizers (a debug build, so the asserts
# that keep the main thread out of a running worker's fields are live), then runs every fuzz harness
# for a fixed number of runs from its seeds (tests/fuzz/check.sh).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQM_SANITIZE=OFF -DQM_BUILD_TESTS=ON -DQM_BUILD_BENCH=ON -DQM_BUILD_GUI=ON >/dev/null
cmake --build build/release -j"$jobs"
ctest --test-dir build/release -j"$jobs" --output-on-failure --timeout 600

cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
      -DQM_SANITIZE=ON -DQM_BUILD_TESTS=ON -DQM_BUILD_BENCH=OFF -DQM_BUILD_GUI=ON >/dev/null
cmake --build build/asan --target qm_unit_tests qm_gui_tests -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan -j"$jobs" --output-on-failure --timeout 1200 -L 'unit|gui' -LE sane
# The scanner tests load libsane, which leaks memory of modules it has already unloaded (no
# suppression can name them): everything else of the sanitizers stays on.
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan -j"$jobs" --output-on-failure --timeout 1200 -L sane

tests/fuzz/check.sh "$jobs"
