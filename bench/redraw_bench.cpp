// Full redraws of a large plan on a 1600 x 1200 surface, once fitted to the whole plan and once
// zoomed in on a part of it (where the spatial index leaves most elements unvisited): 50 x 50
// flats (110 000 elements: 100 000 lines, 10 000 arcs, 2 500 texts) and 151 x 151 flats
// (1 000 000 elements). Also the time the index takes to catch up after a change.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "files/stroke_font.h"
#include "model/drawing.h"
#include "render/renderer.h"
#include "render/text_drawing.h"

namespace korav {
namespace {

constexpr double kPi = 3.141592653589793;

// A block of side x side flats, 10 m square each: outer walls, partitions, furniture and fittings
// as lines (40 a flat), door swings and round tables as arcs (4 a flat). Some lines are
// dashed and some elements sit on a background layer, as in a working drawing; each flat has
// its number written in it.
std::unique_ptr<Drawing> make_plan(int side) {
  auto d = std::make_unique<Drawing>();
  d->layers.layer[1].state = 1;
  std::uint32_t seed = 12345;
  auto rnd = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) / 16777216.0;
  };
  for (int gx = 0; gx < side; ++gx)
    for (int gy = 0; gy < side; ++gy) {
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
      Text t = make_element<Text>(0, 2, 0);
      t.pos = {x + 2, y + 7};
      t.font.set("Simpel");
      t.height = 3.5;
      t.width_factor = 1;
      create_text(d->store, t, "Flat " + std::to_string(gx * side + gy));
    }
  return d;
}

struct Fixture {
  std::unique_ptr<Drawing> plan;
  std::unique_ptr<Display> display = std::make_unique<Display>();
  FontTable fonts;
  explicit Fixture(int side) : plan(make_plan(side)) {
    install_font_loader(fonts, "dat/fonts/");
    display->renderer.fonts = &fonts;
    FontTable* f = &fonts;
    plan->index.set_text_extent([f](const Text& t, double s) { return text_extent(*f, s, t); }, f);
    Screen& s = display->screen;
    apply_settings(s, plan->settings);
    configure_surface(s, kMainSurface, 1600, 1200, plan->settings);
  }
};

// One plan of each size, made once.
Fixture& fixture(int side) {
  static std::map<int, std::unique_ptr<Fixture>> made;
  auto& f = made[side];
  if (!f) f = std::make_unique<Fixture>(side);
  return *f;
}

void BM_RedrawFitted(benchmark::State& state) {
  Fixture& f = fixture(static_cast<int>(state.range(0)));
  Screen& s = f.display->screen;
  show_all(s.view(), s.aspect, *f.plan);
  const unsigned long flushes = s.batch.flushes;
  for (auto _ : state) redraw(f.display->renderer, s, *f.plan);
  state.counters["elements"] = static_cast<double>(f.plan->store.size());
  state.counters["flushes_per_redraw"] =
      static_cast<double>(s.batch.flushes - flushes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RedrawFitted)->Arg(50)->Arg(151)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_RedrawZoomed(benchmark::State& state) {
  Fixture& f = fixture(static_cast<int>(state.range(0)));
  Screen& s = f.display->screen;
  zoom_window(s.view(), s.aspect, 200, 200, 260, 245);
  for (auto _ : state) redraw(f.display->renderer, s, *f.plan);
  state.counters["elements"] = static_cast<double>(f.plan->store.size());
}
BENCHMARK(BM_RedrawZoomed)->Arg(50)->Arg(151)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The first search after a change in place (after every command): one walk of the store that
// recomputes each record's boxes and finds them unchanged.
void BM_IndexAfterChange(benchmark::State& state) {
  Fixture& f = fixture(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    f.plan->store.touch();
    benchmark::DoNotOptimize(f.plan->indexed());
  }
  state.counters["elements"] = static_cast<double>(f.plan->store.size());
}
BENCHMARK(BM_IndexAfterChange)->Arg(50)->Arg(151)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_RedrawFittedExactThickness(benchmark::State& state) {
  Fixture& f = fixture(50);
  Screen& s = f.display->screen;
  f.plan->settings.view.exact_thickness = 1;
  f.plan->settings.drawing_scale = 1000;
  show_all(s.view(), s.aspect, *f.plan);
  const unsigned long flushes = s.batch.flushes;
  for (auto _ : state) redraw(f.display->renderer, s, *f.plan);
  state.counters["flushes_per_redraw"] =
      static_cast<double>(s.batch.flushes - flushes) / static_cast<double>(state.iterations());
  f.plan->settings.view.exact_thickness = 0;
  f.plan->settings.drawing_scale = 100;
}
BENCHMARK(BM_RedrawFittedExactThickness)->Unit(benchmark::kMillisecond)->Repetitions(3);

}  // namespace
}  // namespace korav
