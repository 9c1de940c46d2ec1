// Dimension figures are formatted for every segment of every dimension on each redraw, and the
// coordinate display formats two lengths on every pointer motion: both must stay cheap.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "draft/geometry.h"
#include "model/units.h"
#include "model/drawing.h"

namespace korav {
namespace {

void BM_DimensionFigure(benchmark::State& state) {
  const auto style = static_cast<std::uint32_t>(state.range(0));
  double d = 0.01;
  for (auto _ : state) {
    DimensionFigure f = format_dimension_figure(d, style, 2, 2);
    benchmark::DoNotOptimize(f);
    d = d < 40 ? d + 0.0137 : 0.01;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DimensionFigure)->Arg(0)->Arg(1)->Arg(11);

void BM_FormatLength(benchmark::State& state) {
  const auto unit = static_cast<std::uint32_t>(state.range(0));
  double d = -50;
  for (auto _ : state) {
    std::string s = format_length(d, unit);
    benchmark::DoNotOptimize(s);
    d = d < 50 ? d + 0.0731 : -50;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatLength)->Arg(0)->Arg(5);

void BM_ParseLength(benchmark::State& state) {
  const auto unit = static_cast<std::uint32_t>(state.range(0));
  const std::string text = unit == kLengthFeetInches ? "12'-7 13/64\"" : "1234,5678";
  for (auto _ : state) {
    ParsedValue v = parse_length(text, unit);
    benchmark::DoNotOptimize(v);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseLength)->Arg(0)->Arg(5);

// One edge pick walks the whole store once.
void BM_EdgePick(benchmark::State& state) {
  Drawing d;
  for (int i = 0; i < state.range(0); ++i)
    create_line(d.store, 0, 0, 0, (i % 300) * 0.5, (i / 300) * 0.5, (i % 300) * 0.5 + 0.4,
                (i / 300) * 0.5 + 0.1);
  for (auto _ : state) {
    EdgePick e = edge_pick(d, {75.2, 80.03});
    benchmark::DoNotOptimize(e);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EdgePick)->Arg(100000);

}  // namespace
}  // namespace korav
