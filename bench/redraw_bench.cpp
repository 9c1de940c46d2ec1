// Full redraws of a large plan: 100 000 lines and 10 000 arcs on a 1600 x 1200 surface, once
// fitted to the whole plan and once zoomed in on a part of it (where most elements are culled).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "model/drawing.h"
#include "render/renderer.h"

namespace korav {
namespace {

constexpr double kPi = 3.141592653589793;

// A block of 50 x 50 flats, 10 m square each: outer walls, partitions, furniture and fittings
// as lines (40 a flat), door swings and round tables as arcs (4 a flat). Some lines are
// dashed and some elements sit on a background layer, as in a working drawing.
std::unique_ptr<Drawing> make_plan() {
  auto d = std::make_unique<Drawing>();
  d->layers.layer[1].state = 1;
  std::uint32_t seed = 12345;
  auto rnd = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) / 16777216.0;
  };
  for (int gx = 0; gx < 50; ++gx)
    for (int gy = 0; gy < 50; ++gy) {
      const double x = gx * 10, y = gy * 10;
      int lines = 0;
      auto line = [&](double x1, double y1, double x2, double y2, int pen, int lt, int layer = 0) {
        create_line(d->store, layer, pen, lt, x + x1, y + y1, x + x2, y + y2);
        ++lines;
      };
      // Walls: outer faces and inner faces of a 0.3 m wall.
      line(0, 0, 10, 0, 4, 0);
      line(10, 0, 10, 10, 4, 0);
      line(0, 0.3, 9.7, 0.3, 4, 0);
      line(9.7, 0.3, 9.7, 10, 4, 0);
      // Partitions into four rooms.
      line(5, 0.3, 5, 4, 2, 0);
      line(5, 5, 5, 10, 2, 0);
      line(0.3, 5, 4, 5, 2, 0);
      line(6, 5, 9.7, 5, 2, 0);
      // Axis lines (dash-dot) and a dashed outline on the background layer.
      line(-0.5, 5, 10.5, 5, 1, 3, 1);
      line(5, -0.5, 5, 10.5, 1, 3, 1);
      line(0.5, 0.5, 9.5, 0.5, 3, 1, 1);
      // Furniture: short lines scattered in the rooms.
      while (lines < 40) {
        const double fx = 0.5 + 8.5 * rnd(), fy = 0.5 + 8.5 * rnd();
        const double a = 2 * kPi * rnd(), len = 0.3 + 1.5 * rnd();
        line(fx, fy, fx + len * std::cos(a), fy + len * std::sin(a), static_cast<int>(rnd() * 8),
             0);
      }
      // Door swings and tables.
      for (int k = 0; k < 4; ++k) {
        Circle c = make_element<Circle>(0, 0, 0);
        c.centre = {x + 1 + 2 * k, y + 2 + (k % 2) * 5};
        c.radius1 = c.radius2 = k == 3 ? 0.6 : 0.9;
        c.sweep = k == 3 ? 2 * kPi : kPi / 2;
        c.start_angle = k * kPi / 2;
        create(d->store, c);
      }
    }
  return d;
}

struct Fixture {
  std::unique_ptr<Drawing> plan = make_plan();
  std::unique_ptr<Display> display = std::make_unique<Display>();
  Fixture() {
    Screen& s = display->screen;
    apply_settings(s, plan->settings);
    configure_surface(s, kMainSurface, 1600, 1200, plan->settings);
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_RedrawFitted(benchmark::State& state) {
  Fixture& f = fixture();
  Screen& s = f.display->screen;
  show_all(s.view(), s.aspect, *f.plan);
  const unsigned long flushes = s.batch.flushes;
  for (auto _ : state) redraw(f.display->renderer, s, *f.plan);
  state.counters["elements"] = static_cast<double>(f.plan->store.size());
  state.counters["flushes_per_redraw"] =
      static_cast<double>(s.batch.flushes - flushes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RedrawFitted)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_RedrawZoomed(benchmark::State& state) {
  Fixture& f = fixture();
  Screen& s = f.display->screen;
  zoom_window(s.view(), s.aspect, 200, 200, 260, 245);
  for (auto _ : state) redraw(f.display->renderer, s, *f.plan);
}
BENCHMARK(BM_RedrawZoomed)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_RedrawFittedExactThickness(benchmark::State& state) {
  Fixture& f = fixture();
  Screen& s = f.display->screen;
  f.plan->settings.view.exact_thickness = 1;
  f.plan->settings.drawing_scale = 1000;
  show_all(s.view(), s.aspect, *f.plan);
  for (auto _ : state) redraw(f.display->renderer, s, *f.plan);
  f.plan->settings.view.exact_thickness = 0;
  f.plan->settings.drawing_scale = 100;
}
BENCHMARK(BM_RedrawFittedExactThickness)->Unit(benchmark::kMillisecond)->Repetitions(3);

}  // namespace
}  // namespace korav
