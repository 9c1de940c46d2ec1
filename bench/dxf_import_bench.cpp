// DXF import of a large plan: 200 000 LINEs, 20 000 ARCs and 5 000 TEXTs on three layers with
// their colours (about 16 MB), made in memory by the generator below and imported into an empty drawing.
// Goal: under 300 ms a file. With KORAV_BENCH_DXF_OUT set, the file is also written there,
// for timing whole conversions (bench/dxf_convert.sh).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "exchange/dxf_import.h"
#include "model/drawing.h"

namespace korav {
namespace {

std::string make_large_dxf() {
  std::string s;
  s.reserve(17u << 20);
  char buf[256];
  auto add = [&s](const char* t) { s += t; };
  add("0\nSECTION\n2\nHEADER\n9\n$EXTMIN\n10\n0.0\n20\n0.0\n30\n0.0\n"
      "9\n$EXTMAX\n10\n1000.0\n20\n1000.0\n30\n0.0\n0\nENDSEC\n");
  add("0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n3\n");
  // Colours by layer, as most drawings have them.
  const char* layers[] = {"Walls", "Furniture", "Text"};
  const int colours[] = {7, 3, 1};
  for (int i = 0; i < 3; ++i) {
    std::snprintf(buf, sizeof buf, "0\nLAYER\n2\n%s\n70\n0\n62\n%d\n6\nCONTINUOUS\n", layers[i],
                  colours[i]);
    s += buf;
  }
  add("0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n");
  std::uint32_t seed = 12345;
  auto rnd = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) / 16777216.0 * 1000.0;
  };
  for (int i = 0; i < 200000; ++i) {
    const double x = rnd(), y = rnd();
    std::snprintf(buf, sizeof buf,
                  "0\nLINE\n8\nWalls\n10\n%.4f\n20\n%.4f\n30\n0.0\n11\n%.4f\n21\n%.4f\n31\n0.0\n",
                  x, y, x + rnd() / 100, y + rnd() / 100);
    s += buf;
  }
  for (int i = 0; i < 20000; ++i) {
    std::snprintf(buf, sizeof buf,
                  "0\nARC\n8\nFurniture\n10\n%.4f\n20\n%.4f\n30\n0.0\n40\n%.4f\n50\n%.2f\n51\n%.2f\n",
                  rnd(), rnd(), 0.1 + rnd() / 500, rnd() * 0.36, rnd() * 0.36);
    s += buf;
  }
  for (int i = 0; i < 5000; ++i) {
    std::snprintf(buf, sizeof buf,
                  "0\nTEXT\n8\nText\n10\n%.4f\n20\n%.4f\n30\n0.0\n40\n0.25\n1\nRoom %d\n", rnd(),
                  rnd(), i);
    s += buf;
  }
  add("0\nENDSEC\n0\nEOF\n");
  return s;
}

const std::string& large_dxf() {
  static const std::string s = [] {
    std::string t = make_large_dxf();
    if (const char* out = std::getenv("KORAV_BENCH_DXF_OUT")) {
      std::ofstream f(out, std::ios::binary);
      f << t;
    }
    return t;
  }();
  return s;
}

void BM_DxfImport(benchmark::State& state) {
  const std::string& file = large_dxf();
  for (auto _ : state) {
    auto d = std::make_unique<Drawing>();
    const DxfImportResult r = import_dxf(*d, file, DxfImportOptions{});
    benchmark::DoNotOptimize(r.created);
    if (r.created != 225000) state.SkipWithError("wrong element count");
    state.PauseTiming();
    d.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}
BENCHMARK(BM_DxfImport)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

}  // namespace
}  // namespace korav
