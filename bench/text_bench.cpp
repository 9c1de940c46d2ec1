// Redraws of 10 000 texts of 20 characters on a 1600 x 1200 surface in the shipped fonts: a
// schedule of room names in 100 columns and 100 rows. Once fitted at 1:100, where each text is
// under 5 pixels high and drawn as its box, and once at 1:2000, where every text is stroked
// glyph by glyph (they overlap: a stress case, 2.8 million strokes). And zoomed in at 1:100 on
// about 400 of them, legible, with the rest culled: the everyday case. The empty redraw is the
// baseline: what the texts add is the difference.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "files/stroke_font.h"
#include "model/drawing.h"
#include "model/font_table.h"
#include "render/renderer.h"

namespace korav {
namespace {

const char* const kFonts[] = {"Simpel", "SimpelProp", "Rund", "RundProp"};

std::unique_ptr<Drawing> make_schedule() {
  auto d = std::make_unique<Drawing>();
  char s[32];
  for (int col = 0; col < 100; ++col)
    for (int row = 0; row < 100; ++row) {
      Text t = make_element<Text>(0, 1 + (col + row) % 7, 0);
      t.pos = {col * 6.0, row * 0.5};
      t.font.set(kFonts[(col / 25) % 4]);
      t.height = 2.5;
      t.width_factor = 1;
      t.spacing = 0.1;
      t.line_spacing = 1.5;
      t.align = static_cast<std::uint8_t>(row % 3);
      std::snprintf(s, sizeof s, "Raum %03d.%02d Büro 24m", col, row);  // 20 characters
      create_text(d->store, t, std::string_view(s, 20));
    }
  return d;
}

struct Fixture {
  std::unique_ptr<Drawing> plan = make_schedule();
  std::unique_ptr<Drawing> empty = std::make_unique<Drawing>();
  std::unique_ptr<Display> display = std::make_unique<Display>();
  FontTable fonts;
  Fixture() {
    install_font_loader(fonts, std::string(KORAV_SOURCE_DIR) + "/dat/fonts/");
    display->renderer.fonts = &fonts;
    Screen& s = display->screen;
    apply_settings(s, plan->settings);
    configure_surface(s, kMainSurface, 1600, 1200, plan->settings);
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void redraw_at(benchmark::State& state, const Drawing& d, double scale) {
  Fixture& f = fixture();
  Screen& s = f.display->screen;
  f.plan->settings.drawing_scale = scale;
  show_all(s.view(), s.aspect, *f.plan);
  for (auto _ : state) redraw(f.display->renderer, s, d);
  f.plan->settings.drawing_scale = 100;
}

void BM_RedrawEmpty(benchmark::State& state) { redraw_at(state, *fixture().empty, 100); }
BENCHMARK(BM_RedrawEmpty)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_RedrawTextsAsBoxes(benchmark::State& state) {
  redraw_at(state, *fixture().plan, 100);
}
BENCHMARK(BM_RedrawTextsAsBoxes)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_RedrawTextsStroked(benchmark::State& state) {
  redraw_at(state, *fixture().plan, 2000);
}
BENCHMARK(BM_RedrawTextsStroked)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_RedrawTextsZoomed(benchmark::State& state) {
  Fixture& f = fixture();
  Screen& s = f.display->screen;
  zoom_window(s.view(), s.aspect, 120, 10, 180, 30);
  for (auto _ : state) redraw(f.display->renderer, s, *f.plan);
}
BENCHMARK(BM_RedrawTextsZoomed)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace
}  // namespace korav
