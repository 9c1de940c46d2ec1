#!/usr/bin/env bash
# Builds every fuzz target of tests/fuzz/ (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, the whole program instrumented; the test script builds and runs the
# unit tests there too) in build-fuzz and runs each for the
# given number of seconds (default 60) over its corpus, as many at a time as there are cores. A
# finding makes the run end with status 1; the crashing input is left in build-fuzz/ as crash-*,
# leak-* or timeout-*.
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
  # -O1 and line tables only: quick to build, and still fast and traceable under the fuzzer.
  CC=clang CXX=clang++ cmake -S . -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG" \
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG" \
    -DKORAV_BUILD_FUZZ=ON -DKORAV_BUILD_GUI=OFF -DKORAV_BUILD_BENCH=OFF
fi
build_targets=()
for t in "${targets[@]}"; do build_targets+=(--target "fuzz_$t"); done
cmake --build "$dir" "${build_targets[@]}" -j "$(nproc)"

# As many targets at a time as there are cores; each one's output is shown when it ends.
run_one() {
  local t="$1"
  # New inputs go to the working corpus; the committed seeds (tests/fuzz/seeds/TARGET) and, for
  # the drawing reader, the drawings the unit tests write (build/fuzz_seeds) are read only.
  local corpus="$dir/corpus/$t"
  mkdir -p "$corpus"
  local seeds=()
  if [ -d "tests/fuzz/seeds/$t" ]; then seeds+=("tests/fuzz/seeds/$t"); fi
  if [ "$t" = drawing_reader ] && [ -d build/fuzz_seeds ]; then seeds+=(build/fuzz_seeds); fi
  # Diagnostics on standard output ("unknown key ...") are dropped by -close_fd_mask=1.
  "./$dir/fuzz_$t" "$corpus" "${seeds[@]}" \
    -max_total_time="$seconds" -close_fd_mask=1 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$dir/"
}
jobs_at_once="$(nproc)"
failed=0
pids=()
names=()
finish_first() {
  local rc=0
  wait "${pids[0]}" || rc=$?
  echo "== fuzz_${names[0]} for ${seconds} s"
  cat "$dir/fuzz_${names[0]}.log"
  if [ "$rc" -ne 0 ]; then failed=1; fi
  pids=("${pids[@]:1}")
  names=("${names[@]:1}")
}
for t in "${targets[@]}"; do
  if [ ${#pids[@]} -ge "$jobs_at_once" ]; then finish_first; fi
  run_one "$t" > "$dir/fuzz_$t.log" 2>&1 &
  pids+=($!)
  names+=("$t")
done
while [ ${#pids[@]} -gt 0 ]; do finish_first; done
exit "$failed"
