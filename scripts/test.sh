#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd build
ctest --output-on-failure -j "$(nproc)"
# The drawing reader's fuzz target for a minute (clang build in build-fuzz).
cd .. && bash scripts/fuzz.sh 60
