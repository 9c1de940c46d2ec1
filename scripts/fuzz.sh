#!/usr/bin/env bash
# Builds the drawing reader's fuzz target (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, the core library instrumented as well) in build-fuzz and runs it
# for the given number of seconds (default 60) over the seed corpus.
#   bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
dir="${KORAV_FUZZ_BUILD:-build-fuzz}"

gen=()
if command -v ninja >/dev/null 2>&1; then gen=(-G Ninja); fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORAV_BUILD_FUZZ=ON -DKORAV_BUILD_GUI=OFF -DKORAV_BUILD_TESTS=OFF -DKORAV_BUILD_BENCH=OFF
fi
cmake --build "$dir" --target fuzz_drawing_reader -j 2

# New inputs go to the working corpus; the committed seeds and those the unit tests write
# (build/fuzz_seeds) are read only.
corpus="$dir/corpus/drawing_reader"
mkdir -p "$corpus"
seeds=(tests/fuzz/seeds)
if [ -d build/fuzz_seeds ]; then seeds+=(build/fuzz_seeds); fi

# The reader's diagnostics ("unknown key ...") go to standard output; -close_fd_mask=1 drops them.
"./$dir/fuzz_drawing_reader" "$corpus" "${seeds[@]}" \
  -max_total_time="$seconds" -close_fd_mask=1 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix="$dir/"
