#!/usr/bin/env bash
# Installs missing packages, builds in release mode and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQM_SANITIZE=OFF -DQM_BUILD_TESTS=ON -DQM_BUILD_BENCH=ON -DQM_BUILD_GUI=ON >/dev/null
cmake --build build/release --target quillmark -j"$(nproc)"
exec build/release/src/app/quillmark "$@"
