// One click on a large drawing: the snap search followed by the pick of the element under the
// click, as a tool that asks for a point and then for an element does it. The drawing holds
// 100 000 elements of the common kinds spread over 1 km x 1 km, or 1 000 000 over 3.16 km x
// 3.16 km (as dense), seen at 1:500 (1/6 m a pixel).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "app/pick.h"
#include "app/snap.h"

namespace korav {
namespace {

double side_of(int n) { return 1000 * std::sqrt(n / 100000.0); }

void fill(Drawing& d, int n) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> pos(0, side_of(n)), len(0.5, 20), ang(0, 6.283);
  for (int i = 0; i < n; ++i) {
    double x = pos(rng), y = pos(rng), l = len(rng), a = ang(rng);
    switch (i % 10) {
      case 0: {
        Circle c = make_element<Circle>(0, 1, 0);
        c.centre = {x, y, 0};
        c.radius1 = c.radius2 = l / 4;
        c.sweep = (i % 20 == 0) ? 6.283185307179586 : 2.0;
        c.start_angle = a;
        create(d.store, c);
        break;
      }
      case 1: {
        Text t = make_element<Text>(0, 1, 0);
        t.pos = {x, y, 0};
        create_text(d.store, t, "Room 12");
        break;
      }
      case 2: {
        Wall w = make_element<Wall>(0, 1, 0);
        double xs[4] = {x, x + l, x + l, x}, ys[4] = {y, y, y + 0.3, y + 0.3};
        for (int k = 0; k < 8; ++k) w.corner[k] = {xs[k % 4], ys[k % 4], k < 4 ? 0.0 : 2.5, 0};
        OutlineLine o[4] = {{{x, y, 0}, {x + l, y, 0}},
                            {{x + l, y, 0}, {x + l, y + 0.3, 0}},
                            {{x + l, y + 0.3, 0}, {x, y + 0.3, 0}},
                            {{x, y + 0.3, 0}, {x, y, 0}}};
        create_wall(d.store, w, o, {});
        break;
      }
      default: create_line(d.store, 0, 1, 0, x, y, x + l * std::cos(a), y + l * std::sin(a)); break;
    }
  }
}

void BM_SnapAndPickOneClick(benchmark::State& state) {
  Drawing d;
  fill(d, static_cast<int>(state.range(0)));
  d.indexed();  // built once, as after loading
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> pos(0, side_of(static_cast<int>(state.range(0))));
  SnapQuery q;
  q.units_x = q.units_y = 1.0 / 6;
  PickContext c;
  c.units_per_pixel = 1.0 / 6;
  std::vector<Point3> taken = {{-5, -5, 0, 0}};
  for (auto _ : state) {
    q.x = pos(rng);
    q.y = pos(rng);
    SnapHit h = find_snap(d, q, taken);
    Element* e = pick_element(d, c, h.x, h.y, kPickAny);
    benchmark::DoNotOptimize(h);
    benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_SnapAndPickOneClick)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The worst case for the snap: a click where nothing is found, so every walk runs to the end.
void BM_SnapNothingFound(benchmark::State& state) {
  Drawing d;
  fill(d, static_cast<int>(state.range(0)));
  d.indexed();  // built once, as after loading
  SnapQuery q;
  q.units_x = q.units_y = 1.0 / 6;
  q.x = -500;
  q.y = -500;
  for (auto _ : state) benchmark::DoNotOptimize(find_snap(d, q, {}));
}
BENCHMARK(BM_SnapNothingFound)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_PickOnly(benchmark::State& state) {
  Drawing d;
  fill(d, static_cast<int>(state.range(0)));
  d.indexed();  // built once, as after loading
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> pos(0, side_of(static_cast<int>(state.range(0))));
  PickContext c;
  c.units_per_pixel = 1.0 / 6;
  for (auto _ : state) benchmark::DoNotOptimize(pick_element(d, c, pos(rng), pos(rng), kPickAny));
}
BENCHMARK(BM_PickOnly)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace korav
