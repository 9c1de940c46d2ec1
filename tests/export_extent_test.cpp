// The export page: the extent of what the renderer draws for the marked elements (arcs by
// their turning points, Bezier curves by their extremes, texts by their strokes), the guide pen
// left out, enlarged by the margin and half the widest pen; and the paper units.
#include <gtest/gtest.h>

#include <numbers>

#include "exchange/export_extent.h"
#include "model/drawing.h"
#include "tests/export_test_support.h"

namespace korav {
namespace {

constexpr double kPi = std::numbers::pi;

InkExtent ink(Drawing& d, FontTable* fonts = nullptr) {
  export_test::mark_all(d);
  return marked_ink_extent(d, fonts);
}

void expect_box(const Extent& e, double x0, double y0, double x1, double y1, const char* what) {
  ASSERT_FALSE(e.empty) << what;
  EXPECT_NEAR(e.xmin, x0, 1e-9) << what;
  EXPECT_NEAR(e.ymin, y0, 1e-9) << what;
  EXPECT_NEAR(e.xmax, x1, 1e-9) << what;
  EXPECT_NEAR(e.ymax, y1, 1e-9) << what;
}

TEST(ExportExtent, ArcsSplinesAndLinesByTheirInk) {
  struct Case {
    const char* what;
    double a, b, sweep, start, rotation;
    double x0, y0, x1, y1;
  } cases[] = {
      {"a full circle", 2, 2, 2 * kPi, 0, 0, -2, -2, 2, 2},
      {"a quarter", 2, 2, kPi / 2, 0, 0, 0, 0, 2, 2},
      {"a half over the top", 2, 2, kPi, 0, 0, -2, 0, 2, 2},
      {"a quarter across the negative x axis", 1, 1, kPi / 2, 3 * kPi / 4, 0, -1,
       -std::sqrt(0.5), -std::sqrt(0.5), std::sqrt(0.5)},
      {"a clockwise quarter", 1, 1, -kPi / 2, 0, 0, 0, -1, 1, 0},
      {"an ellipse turned a quarter", 3, 1, 2 * kPi, 0, kPi / 2, -1, -3, 1, 3},
  };
  for (const Case& c : cases) {
    Drawing d;
    Circle e = make_element<Circle>(0, 0, 0);
    e.radius1 = c.a;
    e.radius2 = c.b;
    e.sweep = c.sweep;
    e.start_angle = c.start;
    e.axis_angle = c.rotation;
    create(d.store, e);
    expect_box(ink(d).box, c.x0, c.y0, c.x1, c.y1, c.what);
  }
  Drawing d;
  Spline sp = make_element<Spline>(0, 0, 0);
  sp.p[0] = {0, 0};
  sp.p[1] = {0, 4};
  sp.p[2] = {4, 4};
  sp.p[3] = {4, 0};
  create(d.store, sp);
  expect_box(ink(d).box, 0, 0, 4, 3, "a Bezier arch: three quarters of its control height");
}

TEST(ExportExtent, TheGuidePenAndUnmarkedElementsDoNotCount) {
  Drawing d;
  create_line(d.store, 0, kGuidePen, 0, -100, -100, 100, 100)->selected = 1;
  create_line(d.store, 0, 7, 0, 50, 50, 60, 60);
  create_line(d.store, 0, 2, 0, 1, 2, 3, 4)->selected = 1;
  const InkExtent e = marked_ink_extent(d, nullptr);
  expect_box(e.box, 1, 2, 3, 4, "one marked line");
  EXPECT_EQ(e.widest_pen, d.settings.pens[2].thickness);
}

TEST(ExportExtent, ATextCountsWithItsStrokes) {
  FontTable fonts;
  export_test::load_fonts(fonts);
  Drawing d;
  create_text(d.store, export_test::text_fields(0, 0, "Simpel", 5), "Wide text");
  const Extent e = ink(d, &fonts).box;
  ASSERT_FALSE(e.empty);
  EXPECT_GT(e.xmax, 2);  // nine characters of 0.5 m
  EXPECT_GT(e.ymax, 0.3);
}

TEST(ExportExtent, ThePageAddsTheMarginAndHalfThePen) {
  InkExtent e;
  e.box.add(0, 0);
  e.box.add(1, 2);
  e.widest_pen = 1;  // mm
  const double k = units_per_metre(100, 1), kp = units_per_millimetre(1);
  EXPECT_NEAR(k, 28.3464566929, 1e-9);
  EXPECT_NEAR(kp, 2.8346456693, 1e-9);
  const ExportPage p = export_page(e, k, kp);
  const double margin = 2 + kp / 2;  // points
  EXPECT_NEAR(p.width, k + 2 * margin, 1e-9);
  EXPECT_NEAR(p.height, 2 * k + 2 * margin, 1e-9);
  EXPECT_NEAR(p.rect.left, -margin / k, 1e-12);
  EXPECT_NEAR(p.rect.width * k, p.width, 1e-9);
  // No ink: the margin about the origin.
  const ExportPage empty = export_page(InkExtent{}, k, kp);
  EXPECT_NEAR(empty.width, 4, 1e-12);
  EXPECT_TRUE(empty.rect.contains(0, 0));
}

TEST(ExportExtent, RectangleOverlapCountsBorders) {
  const ExportRect r{0, 0, 2, 1};
  EXPECT_TRUE(r.overlaps(2, 1, 3, 3));
  EXPECT_TRUE(r.overlaps(3, -1, -1, 0.5));  // corners in any order
  EXPECT_FALSE(r.overlaps(2.01, 0, 3, 1));
  EXPECT_TRUE(r.contains(0, 1));
  EXPECT_FALSE(r.contains(0, 1.001));
}

}  // namespace
}  // namespace korav
