#!/usr/bin/env bash
# Builds the measurement reader's fuzz target (reading, then scales, statistics and
# histogram of what was read) with clang (libFuzzer, ASan, UBSan)
# and runs it on the seed corpus for a bounded time: scripts/fuzz.sh [seconds] (default 60).
# Findings go to fuzz-out/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build-fuzz
mkdir -p "$out" fuzz-out/corpus
clang++ -std=c++20 -g -O1 -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I. -o "$out/parse_fuzz" \
  fuzz/ParseFuzz.cpp \
  graphwin/MeasurementReader.cpp graphwin/MeasurementFormat.cpp graphwin/MyFile.cpp \
  graph/ZorTape.cpp graph/GraphChannel.cpp graph/OffsetArray.cpp graph/Statistics.cpp \
  graph/HistogramBins.cpp graph/PainterScale.cpp graphwin/GraphViewCommands.cpp
# New inputs go to fuzz-out/corpus; the seeds in fuzz/corpus stay as committed.
[ "${FUZZ_BUILD_ONLY:-0}" = 1 ] && exit 0
"$out/parse_fuzz" fuzz-out/corpus fuzz/corpus \
  -max_total_time="$seconds" -max_len=20000 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix=fuzz-out/ -print_final_stats=1
