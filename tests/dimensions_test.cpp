// Dimensions on their own: normalising a chain, where figures stand (distance, doubling for
// short segments, upright reading) and the strokes of each mark style.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "draft/dimensions.h"
#include "model/drawing.h"
#include "model/element_points.h"
#include "render/dimension_drawing.h"
#include "render/renderer.h"

namespace korav {
namespace {

constexpr double kPi = 3.141592653589793;

DimPoint at(double x, double y) {
  DimPoint p;
  p.foot = p.measured = {x, y, 0};
  return p;
}

TEST(Dimensions, NormalisingSortsDropsDuplicatesAndKeepsHeights) {
  std::vector<DimPoint> pts = {at(3, 0), at(0, 0), at(1, 0), at(1.00001, 0), at(2, 0)};
  pts[2].override_value = 7;
  pts[2].height_figure = 2.5;
  pts[4].extra[1] = 0.3;
  normalise_chain(pts, 0);
  ASSERT_EQ(pts.size(), 4u);
  EXPECT_EQ(pts[0].foot.x, 0);
  EXPECT_EQ(pts[0].distance, 0);
  EXPECT_EQ(pts[1].distance, 1);
  EXPECT_EQ(pts[1].override_value, 0);
  EXPECT_EQ(pts[1].height_figure, 2.5);
  EXPECT_EQ(pts[2].extra[1], 0);
  // Along the other direction the order turns round.
  normalise_chain(pts, kPi);
  EXPECT_EQ(pts[0].foot.x, 3);
}

TEST(Dimensions, FiguresStandAboveTheirSegmentsAndReadUpright) {
  Drawing d;
  d.settings.drawing_scale = 100;
  DimPreset preset;  // figure distance 1.5 mm: 0.15 m at 1:100
  std::vector<DimPoint> pts = {at(0, 0), at(2, 0), at(2.3, 0)};
  normalise_chain(pts, 0);
  Dimension* dim = add_dimension(d, new_dimension_fields(d, preset, kDimChain, 0), pts);
  ASSERT_NE(dim, nullptr);
  auto f = dimension_figures(d, *dim, false);
  ASSERT_EQ(f.size(), 2u);
  EXPECT_NEAR(f[0].x, 1, 1e-12);
  EXPECT_NEAR(f[0].y, 0.15, 1e-12);
  EXPECT_NEAR(f[1].y, 0.30, 1e-12);  // shorter than 0.4: twice the distance
  d.settings.move_figures = 0;
  EXPECT_NEAR(dimension_figures(d, *dim, false)[1].y, 0.15, 1e-12);
  // A chain pointing left reads from below as well: the figures are turned back.
  dim->direction = kPi;
  f = dimension_figures(d, *dim, false);
  EXPECT_NEAR(f[0].angle, 0, 1e-12);
  EXPECT_NEAR(f[0].y, 0.15, 1e-12);
}

TEST(Dimensions, HeightMarksReadAgainstTheZeroPoint) {
  Drawing d;
  d.settings.accuracy_arch = 0;
  Settings& s = d.settings;
  std::vector<DimPoint> pts = {height_point(s, {5, 0}, {0, 1}), height_point(s, {5, 0}, {2, 1}),
                               height_point(s, {5, 0}, {2, 3.5})};
  Dimension* dim = add_dimension(d, new_dimension_fields(d, DimPreset{}, kDimHeights, 0), pts);
  const auto f = dimension_figures(d, *dim, true);
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[0].text, "+/- 0.00");
  EXPECT_EQ(f[1].text, "+/- 0.00");
  EXPECT_EQ(f[2].text, "+ 2.50");
}

struct Strokes {
  int lines = 0, arcs = 0, fills = 0, texts = 0;
};

Strokes draw(const Drawing& d, const Dimension& dim) {
  Strokes s;
  Renderer r;
  r.drawing = &d;
  r.driver.context = &s;
  r.driver.vector_output = true;
  r.driver.line = [](Renderer& rr, int, int, double, double, double, double) {
    ++static_cast<Strokes*>(rr.driver.context)->lines;
  };
  r.driver.arc = [](Renderer& rr, int, int, double, double, double, double, double, double,
                    double) { ++static_cast<Strokes*>(rr.driver.context)->arcs; };
  r.driver.fill = [](Renderer& rr, const Pattern& p) {
    EXPECT_EQ(outline_points(p).size(), 4u);
    ++static_cast<Strokes*>(rr.driver.context)->fills;
  };
  r.driver.text = [](Renderer& rr, const TextRun&) {
    ++static_cast<Strokes*>(rr.driver.context)->texts;
  };
  draw_dimension_strokes(r, dim);
  return s;
}

TEST(Dimensions, MarkStylesDrawTicksCirclesOrArrowheads) {
  Drawing d;
  std::vector<DimPoint> pts = {at(0, 0), at(1, 0), at(3, 0)};
  normalise_chain(pts, 0);
  pts[1].measured.y = 1;  // an extension line from the element
  DimPreset preset;
  preset.mark_style = 0;
  Dimension* ticks = add_dimension(d, new_dimension_fields(d, preset, kDimChain, 0), pts);
  // The line, one extension line, a stroke and a tick at each of three points.
  const Strokes t = draw(d, *ticks);
  EXPECT_EQ(t.lines, 1 + 1 + 3 * 2);
  EXPECT_EQ(t.texts, 2);
  ticks->mark_style = 1;
  EXPECT_EQ(draw(d, *ticks).arcs, 3);
  ticks->mark_style = 2;
  const Strokes a = draw(d, *ticks);
  EXPECT_EQ(a.fills, 2);
  EXPECT_EQ(a.lines, 1 + 1 + 3 + 2 * 3);
}

}  // namespace
}  // namespace korav
