#!/usr/bin/env bash
# Regenerates the loader files in loaders/ from the simulated kit's
# application images (the same bytes on every run).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target vx_make_loaders
build/sim/vx_make_loaders loaders
