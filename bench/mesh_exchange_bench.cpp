// Writing and reading GTS surfaces of a terrain grid of 250 000 points (about half a million
// triangles): the edge table and the reader's merge are one pass each plus a sort, so the cost
// grows with the triangles, not with their pairs.
#include <benchmark/benchmark.h>

#include <string>

#include "exchange/gts.h"
#include "exchange/mesh_triangles.h"
#include "exchange/terrain.h"

namespace korav {
namespace {

TriangleMesh grid(int side) {
  std::string text;
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j)
      text += std::to_string(i) + ".0 " + std::to_string(j) + ".0 " +
              std::to_string((i * 7 + j * 3) % 11) + ".5\n";
  TriangleMesh t;
  append_triangles(read_terrain(text).mesh, t);
  return t;
}

void BM_GtsWrite(benchmark::State& state) {
  const TriangleMesh t = grid(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(gts_text(t));
  state.SetItemsProcessed(state.iterations() * static_cast<long>(t.triangles.size()));
}
BENCHMARK(BM_GtsWrite)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_GtsRead(benchmark::State& state) {
  const TriangleMesh t = grid(static_cast<int>(state.range(0)));
  const std::string text = gts_text(t);
  for (auto _ : state) benchmark::DoNotOptimize(read_gts(text));
  state.SetItemsProcessed(state.iterations() * static_cast<long>(t.triangles.size()));
}
BENCHMARK(BM_GtsRead)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korav
