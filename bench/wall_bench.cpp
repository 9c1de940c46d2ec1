// Connects all walls of a plan of rooms: 10 000 walls along a grid of 5 m rooms, meeting in
// Ls at the corners, Ts along the sides and crosses inside. The walls that may meet are found
// through a uniform grid (arch/wall_index.h), so the cost grows with the walls, not with their
// pairs. Each run starts from the plain, unconnected plan.
#include <benchmark/benchmark.h>

#include "arch/walls.h"
#include "model/drawing.h"

namespace korav {
namespace {

void room_plan(Drawing& d, int count) {
  WallPreset p;
  p.thickness = 0.24;
  const double s = 5;
  const int side = 70;  // 70 by 70 rooms and a row of walls above them, cut at `count`
  int made = 0;
  for (int r = 0; r <= side + 1 && made < count; ++r)
    for (int c = 0; c < side && made < count; ++c, ++made)
      add_wall(d, p, axis_footprint({c * s, r * s}, {(c + 1) * s, r * s}, p.thickness));
  for (int c = 0; c <= side && made < count; ++c)
    for (int r = 0; r < side && made < count; ++r, ++made)
      add_wall(d, p,
               axis_footprint({c * s, r * s + 0.12}, {c * s, (r + 1) * s - 0.12}, p.thickness));
  d.undo.clear(d.store);
}

void BM_ConnectAllWalls(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    Drawing d;
    room_plan(d, count);
    state.ResumeTiming();
    benchmark::DoNotOptimize(connect_all_walls(d));
    state.PauseTiming();
    d.undo.clear(d.store);  // freeing the plan and its undo copies is not part of the work
    d.clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ConnectAllWalls)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace korav
