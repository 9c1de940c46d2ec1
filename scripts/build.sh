#!/usr/bin/env bash
# Configures and builds Korav into ./build (Ninja and ccache when present). Extra arguments go
# to the first configure, e.g. -DKORAV_WERROR=ON.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${KORAV_BUILD_DIR:-build}"
gen=()
if command -v ninja >/dev/null 2>&1; then gen=(-G Ninja); fi
if command -v ccache >/dev/null 2>&1; then gen+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  # Optimised, with line tables and function names for backtraces (-g1 builds a quarter faster
  # than full debugging information).
  cmake -S . -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
    "$@"
fi
cmake --build "$dir" -j "$(nproc)"
