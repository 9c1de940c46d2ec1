#!/usr/bin/env bash
# Whole conversions of the large benchmark plan (bench/dxf_import_bench.cpp writes it):
# `korav --export pdf plan.dxf out.pdf` and, when installed, `librecad dxf2pdf` on the same
# file, each run five times; the median wall-clock time is printed.
# Usage: bash bench/dxf_convert.sh [build dir]
set -euo pipefail
build="${1:-build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
KORAV_BENCH_DXF_OUT="$work/plan.dxf" "$build/bench_dxf_import_bench" \
  --benchmark_filter=BM_DxfImport --benchmark_repetitions=1 >/dev/null
ls -l "$work/plan.dxf"
median() {
  local times=()
  for _ in 1 2 3 4 5; do
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s.%N)
    times+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}
echo "korav --export pdf: $(median "$build/korav" --export pdf "$work/plan.dxf" "$work/korav.pdf") s"
if command -v librecad >/dev/null 2>&1; then
  export QT_QPA_PLATFORM=offscreen
  echo "librecad dxf2pdf:   $(median librecad dxf2pdf -o "$work/librecad.pdf" "$work/plan.dxf") s"
fi
