#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the drawing reader's fuzz target for a
# minute (clang build in build-fuzz, its log in build-fuzz/fuzz.log), then the unit, script and
# window tests through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh -DKORAV_WERROR=ON
mkdir -p build-fuzz
if ! bash scripts/fuzz.sh 60 > build-fuzz/fuzz.log 2>&1; then
  tail -n 40 build-fuzz/fuzz.log
  echo "fuzzing the drawing reader failed (see build-fuzz/fuzz.log)"
  exit 1
fi
grep -E '^Done [0-9]+ runs' build-fuzz/fuzz.log || true
cd build
ctest --output-on-failure -j "$(nproc)"
