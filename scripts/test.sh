#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#  1. the program, tests and benchmarks (build/, warnings are errors);
#  2. every fuzz target for FUZZ_SECONDS each (default 20; clang build in build-fuzz with
#     AddressSanitizer and UndefinedBehaviorSanitizer, two at a time on two cores, log in
#     build-fuzz/fuzz.log);
#  3. the unit and script tests once more in that same sanitizer build, which is without the
#     window (so also the headless build);
#  4. the unit, script and window tests of build/ through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh -DKORAV_WERROR=ON

mkdir -p build-fuzz
if ! bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}" > build-fuzz/fuzz.log 2>&1; then
  tail -n 40 build-fuzz/fuzz.log
  echo "fuzzing failed (see build-fuzz/fuzz.log)"
  exit 1
fi
grep -E '^== fuzz_|^Done [0-9]+ runs' build-fuzz/fuzz.log || true

# The fuzz build instruments the whole program: its tests run under both sanitizers.
cmake -S . -B build-fuzz -DKORAV_BUILD_TESTS=ON > /dev/null
cmake --build build-fuzz -j "$(nproc)"
echo "== sanitizer build without the window"
(cd build-fuzz && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
   UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j "$(nproc)")

echo "== full build"
cd build
ctest --output-on-failure -j "$(nproc)"
