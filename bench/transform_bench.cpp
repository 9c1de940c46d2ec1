// The store-wide edit operations on a large selection: translate, rotate and duplicate of
// 1 000 000 selected elements (lines, with every tenth a circle and every tenth a spline), as
// moving, turning or copying a whole large plan does. Goal: each under 100 ms.
#include <benchmark/benchmark.h>

#include "draft/transform.h"
#include "model/drawing.h"

namespace korav {
namespace {

constexpr int kElements = 1'000'000;

void fill_selected(ElementStore& s, int n) {
  for (int i = 0; i < n; ++i) {
    const double x = i % 1000, y = i / 1000;
    Element* e = nullptr;
    if (i % 10 == 3) {
      Circle c = make_element<Circle>(0, 1, 0);
      c.centre = {x, y, 0};
      c.radius1 = c.radius2 = 0.4;
      c.sweep = 2.0;
      c.start_angle = 0.5;
      e = create(s, c);
    } else if (i % 10 == 7) {
      Spline sp = make_element<Spline>(0, 1, 0);
      sp.p[0] = {x, y, 0};
      sp.p[1] = {x + 0.3, y + 0.5, 0};
      sp.p[2] = {x + 0.6, y - 0.5, 0};
      sp.p[3] = {x + 1, y, 0};
      e = create(s, sp);
    } else {
      e = create_line(s, 0, 1, 0, x, y, x + 0.8, y + 0.3);
    }
    e->selected = 1;
  }
}

void BM_TranslateSelected(benchmark::State& state) {
  ElementStore s;
  fill_selected(s, kElements);
  for (auto _ : state) benchmark::DoNotOptimize(translate_elements(s, 0.5, -0.25, 0));
  state.SetItemsProcessed(state.iterations() * kElements);
}

void BM_RotateSelected(benchmark::State& state) {
  ElementStore s;
  fill_selected(s, kElements);
  const Affine3 turn = rotation_in_plan({500, 500}, 0.1);
  for (auto _ : state) benchmark::DoNotOptimize(rotate_selected(s, turn).changed);
  state.SetItemsProcessed(state.iterations() * kElements);
}

void BM_DuplicateSelected(benchmark::State& state) {
  ElementStore s;
  fill_selected(s, kElements);
  for (auto _ : state) {
    benchmark::DoNotOptimize(duplicate_selected(s));
    state.PauseTiming();
    // Back to the originals, selected, for the next round.
    for (int i = 0; i < kElements; ++i) s.remove_tail();
    for (Element& e : s.list) e.selected = 1;
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kElements);
}

BENCHMARK(BM_TranslateSelected)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_RotateSelected)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_DuplicateSelected)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace
}  // namespace korav
