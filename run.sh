#!/usr/bin/env bash
# Installs missing packages, builds in release mode and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQM_BUILD_TESTS=OFF -DQM_BUILD_BENCH=OFF >/dev/null
cmake --build build/release --target quillmark -j"$(nproc)"
exec build/release/src/app/quillmark "$@"
