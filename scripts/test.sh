#!/usr/bin/env bash
# Builds and runs every test: once plainly, once under AddressSanitizer and
# UndefinedBehaviorSanitizer, with the Debian package and a minute of fuzzing
# of the measurement-file reader in between. Installs missing packages first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)

# Every C++ file keeps the house layout (.clang-format).
git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run --Werror
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# The Debian package: built, unpacked into a scratch root, and run from there
# (from a folder without loader files, so the installed ones are found).
rm -f build/vx7318kit_*.deb
(cd build && cpack -G DEB >/dev/null)
package_root=$(mktemp -d)
trap 'rm -rf "$package_root"' EXIT
dpkg -x build/vx7318kit_*.deb "$package_root"
(cd "$package_root" && usr/bin/vx7318 --version && usr/bin/vx7318 read --simulate --count 3)

scripts/fuzz.sh "${FUZZ_SECONDS:-60}"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVX_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
