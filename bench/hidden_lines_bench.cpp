// Hidden-line drawing of a crowded scene from the front left: spheres and cuboids on a plan
// grid, close enough that they overlap one another in the view, with about 2 000 and 20 000
// faces turned to the viewer. The covering faces are found through the grid over the faces'
// boxes; the sorted walk without it is measured beside it for comparison.
#include <benchmark/benchmark.h>

#include "model/layers.h"
#include "model/projection.h"
#include "model/store.h"
#include "three_d/hidden_lines.h"
#include "three_d/mesh.h"

namespace korav {
namespace {

// 130 spheres of 144 front faces each and 430 cuboids of 3 make about 20 000 front faces;
// `tenths` of them in tenths.
void crowded_scene(ElementStore& store, int tenths) {
  const int spheres = 13 * tenths, cuboids = 43 * tenths;
  const int side = 24;  // places per row
  int place = 0;
  auto next = [&](double& x, double& y) {
    x = (place % side) * 1.1;
    y = (place / side) * 1.1 + (place % 2) * 0.4;
    ++place;
  };
  for (int i = 0, s = 0, c = 0; s < spheres || c < cuboids; ++i) {
    double x = 0, y = 0;
    next(x, y);
    if (i % 4 == 0 && s < spheres) {
      store_mesh(store, sphere_mesh(x, y, 0.9 + (i % 3) * 0.2, 0.8), 0, i % 8, 0, "Default");
      ++s;
    } else if (c < cuboids) {
      store_mesh(store, cuboid_mesh(x - 0.5, y - 0.3, x + 0.4, y + 0.5, 0, 0.5 + (i % 5) * 0.4),
                 0, i % 8, 0, "Default");
      ++c;
    } else {
      store_mesh(store, sphere_mesh(x, y, 0.9, 0.8), 0, i % 8, 0, "Default");
      ++s;
    }
  }
}

void run(benchmark::State& state, HlrSearch search) {
  ElementStore store;
  crowded_scene(store, static_cast<int>(state.range(0)));
  Layers layers;
  const Projector view{kFrontLeftView, {}};
  HlrOptions options;
  const HlrScene scene = build_hlr_scene(store, layers, 0, view, options);
  // How crowded the view is: the pieces that nearer faces cover.
  HlrOptions dashed = options;
  dashed.hidden_edges = 1;
  std::size_t hidden = 0;
  for (const HlrLine& l : trace_hlr_lines(scene, dashed).lines) hidden += l.line_type == 1;
  std::size_t lines = 0;
  for (auto _ : state) {
    const HlrResult r = hidden_lines(store, layers, 0, view, options, {}, search);
    lines = r.lines.size();
    benchmark::DoNotOptimize(r.lines.data());
  }
  state.counters["front_faces"] = static_cast<double>(scene.faces.size());
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["hidden_pieces"] = static_cast<double>(hidden);
  state.SetItemsProcessed(state.iterations() * static_cast<long>(scene.faces.size()));
}

void BM_HiddenLines(benchmark::State& state) { run(state, HlrSearch::kGrid); }
void BM_HiddenLinesSortedWalk(benchmark::State& state) { run(state, HlrSearch::kSortedWalk); }

BENCHMARK(BM_HiddenLines)
    ->Arg(1)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_HiddenLinesSortedWalk)
    ->Arg(1)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace korav
