// Hatch redraws: a pattern over a 1000-point outline at 1 cm spacing on a 100 m plan, on a
// 1600 x 1200 surface fitted to the plan (the spacing is then a pixel), zoomed in on a part of
// it (the true 1 cm), with two crossed families, and once through a vector output that takes
// the whole pattern at 1 cm whatever the view shows.
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
constexpr int kOutlinePoints = 1000;

// A wavy ring of 1000 points about (50, 50) inside a 100 m frame: its radius swings between
// 34 and 46 m seven times round, so that scanlines cross it several times near the lobes.
std::unique_ptr<Drawing> make_plan(int kind, double angle) {
  auto d = std::make_unique<Drawing>();
  create_line(d->store, 0, 1, 0, 0, 0, 100, 0);
  create_line(d->store, 0, 1, 0, 100, 0, 100, 100);
  create_line(d->store, 0, 1, 0, 100, 100, 0, 100);
  create_line(d->store, 0, 1, 0, 0, 100, 0, 0);
  std::vector<Point2> outline;
  for (int i = 0; i + 1 < kOutlinePoints; ++i) {
    const double a = 2 * kPi * i / (kOutlinePoints - 1);
    const double r = 40 + 6 * std::sin(7 * a);
    outline.push_back({50 + r * std::cos(a), 50 + r * std::sin(a), 0});
  }
  outline.push_back({kSeparator, kSeparator, 0});
  Pattern p = make_element<Pattern>(0, 2, 0);
  p.kind = static_cast<std::uint8_t>(kind);
  p.pen2 = 3;
  p.angle1 = angle;
  p.spacing1 = 0.01;
  p.angle2 = angle + kPi / 2;
  p.spacing2 = kind == 1 ? 0.01 : 0;
  create_pattern(d->store, p, outline);
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

void BM_HatchRedrawFitted(benchmark::State& state) {
  Fixture f(0, kPi / 4);
  Screen& s = f.display->screen;
  for (auto _ : state) redraw(f.display->renderer, s, *f.plan);
  state.counters["metres_per_pixel"] = s.view().units_x;
}
BENCHMARK(BM_HatchRedrawFitted)->Unit(benchmark::kMillisecond)->Repetitions(5);

// A 12 m wide part of the plan across the ring's edge: the spacing stays 1 cm.
void BM_HatchRedrawZoomed(benchmark::State& state) {
  Fixture f(0, kPi / 4);
  Screen& s = f.display->screen;
  zoom_window(s.view(), s.aspect, 80, 44, 92, 53);
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

// The whole pattern at 1 cm (about 9000 scanlines), as an export draws it; the strokes are
// only counted.
void BM_HatchVectorOutput(benchmark::State& state) {
  std::unique_ptr<Drawing> plan = make_plan(0, kPi / 4);
  Renderer r;
  long strokes = 0;
  r.driver.context = &strokes;
  r.driver.vector_output = true;
  r.driver.line = [](Renderer& rr, int, int, double, double, double, double) {
    ++*static_cast<long*>(rr.driver.context);
  };
  r.hatch = hatch_pattern;
  const Element* pattern = plan->store.tail();
  for (auto _ : state) draw_element(r, *plan, *pattern, kDrawForceNormal);
  state.counters["strokes_per_draw"] =
      static_cast<double>(strokes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_HatchVectorOutput)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace
}  // namespace korav
