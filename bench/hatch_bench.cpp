// Hatching a 1000-point outline at 1 cm spacing on a 100 m plan. The hatch routine over the
// whole outline as the screen takes it (spacing at least a pixel of a 1600 x 1200 view fitted
// to the plan, scanlines limited to the view) and as a vector output takes it (the true 1 cm,
// about 9000 scanlines); and full redraws of the plan, whose 1000 outline points are carried
// by two patterns because a pattern holds at most 499 points: fitted, zoomed in (the true
// 1 cm on the screen), and with two crossed families.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "model/drawing.h"
#include "render/hatch.h"
#include "render/renderer.h"

namespace korav {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kSpacing = 0.01;

// A wavy ring of `corners` corners about (cx, cy) and its separator: the radius swings by
// 15 % seven times round, so that scanlines near the lobes cross it several times.
std::vector<Point2> wavy_ring(int corners, double cx, double cy, double radius) {
  std::vector<Point2> outline;
  for (int i = 0; i < corners; ++i) {
    const double a = 2 * kPi * i / corners;
    const double r = radius * (1 + 0.15 * std::sin(7 * a));
    outline.push_back({cx + r * std::cos(a), cy + r * std::sin(a), 0});
  }
  outline.push_back({kSeparator, kSeparator, 0});
  return outline;
}

void frame(Drawing& d) {
  create_line(d.store, 0, 1, 0, 0, 0, 100, 0);
  create_line(d.store, 0, 1, 0, 100, 0, 100, 100);
  create_line(d.store, 0, 1, 0, 100, 100, 0, 100);
  create_line(d.store, 0, 1, 0, 0, 100, 0, 0);
}

// The 100 m plan with two patterns of 499 points each (498 corners and the separator).
std::unique_ptr<Drawing> make_plan(int kind, double angle) {
  auto d = std::make_unique<Drawing>();
  frame(*d);
  Pattern p = make_element<Pattern>(0, 2, 0);
  p.kind = static_cast<std::uint8_t>(kind);
  p.pen2 = 3;
  p.angle1 = angle;
  p.spacing1 = kSpacing;
  p.angle2 = angle + kPi / 2;
  p.spacing2 = kind == 1 ? kSpacing : 0;
  for (double cx : {27.0, 73.0})
    if (!create_pattern(d->store, p, wavy_ring(kMaxOutlinePoints - 1, cx, 50, 20))) std::abort();
  return d;
}

struct Fixture {
  std::unique_ptr<Drawing> plan;
  std::unique_ptr<Display> display = std::make_unique<Display>();
  explicit Fixture(int kind, double angle) : plan(make_plan(kind, angle)) {
    Screen& s = display->screen;
    apply_settings(s, plan->settings);
    configure_surface(s, kMainSurface, 1600, 1200, plan->settings);
    show_all(s.view(), s.aspect, *plan);
  }
};

void count_stroke(void* context, double, double, double, double) { ++*static_cast<long*>(context); }

// The 1000-point outline through the hatch routine as the screen calls it.
void BM_HatchOutlineScreen(benchmark::State& state) {
  const std::vector<Point2> outline = wavy_ring(999, 50, 50, 40);
  Fixture f(0, kPi / 4);
  const View& v = f.display->screen.view();
  const HatchWindow window{v.xmin, v.ymin, v.xmax, v.ymax};
  const double spacing = std::max(kSpacing, v.units_x);
  long strokes = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(
        hatch_lines(outline, 0, 0, kPi / 4, spacing, &window, count_stroke, &strokes));
  state.counters["strokes"] =
      static_cast<double>(strokes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_HatchOutlineScreen)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The same outline at the true 1 cm, whole, as a vector output takes it.
void BM_HatchOutlineVector(benchmark::State& state) {
  const std::vector<Point2> outline = wavy_ring(999, 50, 50, 40);
  long strokes = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(
        hatch_lines(outline, 0, 0, kPi / 4, kSpacing, nullptr, count_stroke, &strokes));
  state.counters["strokes"] =
      static_cast<double>(strokes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_HatchOutlineVector)->Unit(benchmark::kMillisecond)->Repetitions(5);

// A comb of 249 teeth over 100 m, hatched across the teeth: every scanline crosses about 500
// edges, so that the crossings of a scanline are many to sort.
void BM_HatchComb(benchmark::State& state) {
  std::vector<Point2> outline;
  for (int i = 0; i < 249; ++i) {
    outline.push_back({i * 0.4, 0, 0});
    outline.push_back({i * 0.4 + 0.2, 100, 0});
  }
  outline.push_back({99.6, -1, 0});
  outline.push_back({kSeparator, kSeparator, 0});
  long strokes = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(
        hatch_lines(outline, 0, 0, 0, kSpacing, nullptr, count_stroke, &strokes));
  state.counters["strokes"] =
      static_cast<double>(strokes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_HatchComb)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_HatchRedrawFitted(benchmark::State& state) {
  Fixture f(0, kPi / 4);
  Screen& s = f.display->screen;
  for (auto _ : state) redraw(f.display->renderer, s, *f.plan);
  state.counters["metres_per_pixel"] = s.view().units_x;
}
BENCHMARK(BM_HatchRedrawFitted)->Unit(benchmark::kMillisecond)->Repetitions(5);

// A 12 m wide part of the plan across a ring's edge: the spacing stays 1 cm.
void BM_HatchRedrawZoomed(benchmark::State& state) {
  Fixture f(0, kPi / 4);
  Screen& s = f.display->screen;
  zoom_window(s.view(), s.aspect, 38, 44, 50, 53);
  for (auto _ : state) redraw(f.display->renderer, s, *f.plan);
  state.counters["metres_per_pixel"] = s.view().units_x;
}
BENCHMARK(BM_HatchRedrawZoomed)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_HatchRedrawTwoFamilies(benchmark::State& state) {
  Fixture f(1, kPi / 6);
  Screen& s = f.display->screen;
  for (auto _ : state) redraw(f.display->renderer, s, *f.plan);
}
BENCHMARK(BM_HatchRedrawTwoFamilies)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace
}  // namespace korav
