#!/usr/bin/env bash
# Builds every fuzz target of tests/fuzz/ (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, the whole program instrumented) in build-fuzz and runs each for the
# given number of seconds (default 60) over its corpus. A finding stops the run with status 1;
# the crashing input is left in build-fuzz/ as crash-*, leak-* or timeout-*.
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]     e.g. bash scripts/fuzz.sh 600 drawing_reader
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
dir="${KORAV_FUZZ_BUILD:-build-fuzz}"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in tests/fuzz/*.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi

gen=()
if command -v ninja >/dev/null 2>&1; then gen=(-G Ninja); fi
if command -v ccache >/dev/null 2>&1; then gen+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORAV_BUILD_FUZZ=ON -DKORAV_BUILD_GUI=OFF -DKORAV_BUILD_TESTS=OFF -DKORAV_BUILD_BENCH=OFF
fi
build_targets=()
for t in "${targets[@]}"; do build_targets+=(--target "fuzz_$t"); done
cmake --build "$dir" "${build_targets[@]}" -j "$(nproc)"

for t in "${targets[@]}"; do
  # New inputs go to the working corpus; the committed seeds (tests/fuzz/seeds/TARGET) and, for
  # the drawing reader, the drawings the unit tests write (build/fuzz_seeds) are read only.
  corpus="$dir/corpus/$t"
  mkdir -p "$corpus"
  seeds=()
  if [ -d "tests/fuzz/seeds/$t" ]; then seeds+=("tests/fuzz/seeds/$t"); fi
  if [ "$t" = drawing_reader ] && [ -d build/fuzz_seeds ]; then seeds+=(build/fuzz_seeds); fi
  echo "== fuzz_$t for ${seconds} s"
  # Diagnostics on standard output ("unknown key ...") are dropped by -close_fd_mask=1.
  "./$dir/fuzz_$t" "$corpus" "${seeds[@]}" \
    -max_total_time="$seconds" -close_fd_mask=1 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$dir/"
done
