#!/usr/bin/env bash
# Builds the program and starts it connected to the simulated evaluation kit.
# Installs missing packages first. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if [ ! -x build/app/vx7318kit ]; then
  echo "The main window is not built yet: this build has the libraries, the simulated kit and the tests only."
  exit 0
fi
exec build/app/vx7318kit --simulate "$@"
