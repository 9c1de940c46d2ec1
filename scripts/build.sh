#!/usr/bin/env bash
# Configures and builds Korav into ./build (Ninja when present).
set -euo pipefail
cd "$(dirname "$0")/.."
gen=()
if command -v ninja >/dev/null 2>&1; then gen=(-G Ninja); fi
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j "$(nproc)"
