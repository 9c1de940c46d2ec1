// The vector exports of a large plan: 225 000 elements (a block of 50 x 50 flats of 90
// elements each: 80 lines, some dashed, 6 door swings and tables, a spline, a filled floor with
// a hole and two room names in a stroke font), every element marked. PDF is the one with a
// goal (under 250 ms a file); SVG, EPS, the HPGL/2 plot (eight runs of the renderer, one a pen)
// and the printed page drawn with cairo (into a PDF surface that writes nowhere) are timed
// beside it. The files are made in memory.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include <cairo-pdf.h>

#include "exchange/hpgl_export.h"
#include "exchange/pdf_export.h"
#include "exchange/printed_page.h"
#include "exchange/postscript.h"
#include "exchange/svg_export.h"
#include "files/stroke_font.h"
#include "model/drawing.h"
#include "model/font_table.h"

namespace korav {
namespace {

constexpr double kPi = 3.141592653589793;

std::unique_ptr<Drawing> make_plan() {
  auto d = std::make_unique<Drawing>();
  std::uint32_t seed = 4711;
  auto rnd = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) / 16777216.0;
  };
  for (int gx = 0; gx < 50; ++gx)
    for (int gy = 0; gy < 50; ++gy) {
      const double x = gx * 10, y = gy * 10;
      int lines = 0;
      auto line = [&](double x1, double y1, double x2, double y2, int pen, int lt) {
        create_line(d->store, 0, pen, lt, x + x1, y + y1, x + x2, y + y2);
        ++lines;
      };
      line(0, 0, 10, 0, 4, 0);
      line(10, 0, 10, 10, 4, 0);
      line(0, 0.3, 9.7, 0.3, 4, 0);
      line(9.7, 0.3, 9.7, 10, 4, 0);
      line(5, 0.3, 5, 4, 2, 0);
      line(5, 5, 5, 10, 2, 0);
      line(0.3, 5, 4, 5, 2, 0);
      line(6, 5, 9.7, 5, 2, 0);
      line(-0.5, 5, 10.5, 5, 1, 3);
      line(5, -0.5, 5, 10.5, 1, 3);
      while (lines < 80) {
        const double fx = 0.5 + 8.5 * rnd(), fy = 0.5 + 8.5 * rnd();
        const double a = 2 * kPi * rnd(), len = 0.3 + 1.5 * rnd();
        // Furniture in two pens, as drawn: few pen changes from one line to the next.
        line(fx, fy, fx + len * std::cos(a), fy + len * std::sin(a), lines < 45 ? 0 : 3, 0);
      }
      for (int k = 0; k < 6; ++k) {
        Circle c = make_element<Circle>(0, 5, 0);
        c.centre = {x + 1 + 1.5 * k, y + 2 + (k % 2) * 5};
        c.radius1 = c.radius2 = k >= 4 ? 0.6 : 0.9;
        c.sweep = k >= 4 ? 2 * kPi : kPi / 2;
        c.start_angle = k * kPi / 2;
        create(d->store, c);
      }
      Spline sp = make_element<Spline>(0, 6, 0);
      sp.p[0] = {x + 6, y + 6};
      sp.p[1] = {x + 7, y + 8};
      sp.p[2] = {x + 8, y + 6};
      sp.p[3] = {x + 9, y + 8};
      create(d->store, sp);
      Pattern floor = make_element<Pattern>(0, 0, 0);
      floor.kind = 3;
      floor.red = 0.9;
      floor.green = 0.9;
      floor.blue = 0.8;
      const Point2 outline[] = {{x + 5.2, y + 0.5}, {x + 9.5, y + 0.5}, {x + 9.5, y + 4.8},
                                {x + 5.2, y + 4.8}, {999, 999},         {x + 7, y + 2},
                                {x + 8, y + 2},     {x + 8, y + 3},     {999, 999}};
      create_pattern(d->store, floor, outline);
      for (int k = 0; k < 2; ++k) {
        Text t = make_element<Text>(0, 1, 0);
        t.pos = {x + 1 + 5 * k, y + 8};
        t.font.set("Simpel");
        t.height = 2.5;
        t.width_factor = 1;
        t.line_spacing = 1.5;
        create_text(d->store, t, k ? "Bad" : "Kind");
      }
    }
  for (Element& e : d->store.list) e.selected = 1;
  return d;
}

struct Fixture {
  std::unique_ptr<Drawing> plan = make_plan();
  FontTable fonts;
  Fixture() { install_font_loader(fonts, std::string(KORAV_SOURCE_DIR) + "/dat/fonts/"); }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_PdfExport(benchmark::State& state) {
  Fixture& f = fixture();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string pdf = pdf_document(*f.plan, &f.fonts, false);
    bytes = pdf.size();
    benchmark::DoNotOptimize(pdf.data());
  }
  state.counters["elements"] = static_cast<double>(f.plan->store.size());
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PdfExport)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_SvgExport(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    const std::string svg = svg_document(*f.plan, &f.fonts);
    benchmark::DoNotOptimize(svg.data());
  }
}
BENCHMARK(BM_SvgExport)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();

void BM_EpsExport(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state) {
    const std::string eps = eps_document(*f.plan, &f.fonts, false, "plan.eps");
    benchmark::DoNotOptimize(eps.data());
  }
}
BENCHMARK(BM_EpsExport)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();

void BM_HpglPlot(benchmark::State& state) {
  Fixture& f = fixture();
  PlotSetup p;
  p.type = kPlotHpgl2Colour;
  p.scale = 2500;  // the whole plan on the sheet
  for (auto _ : state) {
    const std::string plot = plot_document(*f.plan, &f.fonts, p, 250, 250);
    benchmark::DoNotOptimize(plot.data());
  }
}
BENCHMARK(BM_HpglPlot)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();

cairo_status_t nowhere(void*, const unsigned char*, unsigned int) { return CAIRO_STATUS_SUCCESS; }

void BM_PrintedPage(benchmark::State& state) {
  Fixture& f = fixture();
  PrintSetup setup;
  setup.scale = 2500;
  const PrintedPaper paper = paper_of(setup);
  for (auto _ : state) {
    cairo_surface_t* s = cairo_pdf_surface_create_for_stream(nowhere, nullptr, paper.width,
                                                             paper.height);
    cairo_t* cr = cairo_create(s);
    draw_printed_page(cr, *f.plan, &f.fonts, setup, 0, 0, paper);
    cairo_destroy(cr);
    cairo_surface_finish(s);
    cairo_surface_destroy(s);
  }
}
BENCHMARK(BM_PrintedPage)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();

}  // namespace
}  // namespace korav
