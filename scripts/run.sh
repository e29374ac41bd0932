#!/usr/bin/env bash
# Builds the program and starts it connected to the simulated evaluation kit.
# Installs missing packages first. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only the program (and the files it copies beside itself): no tests, no benchmarks.
cmake --build build -j "$(nproc)" --target vx7318kit
exec build/app/vx7318kit --simulate "$@"
