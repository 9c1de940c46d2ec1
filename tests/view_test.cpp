// The view: pixel and world transforms, scale steps, zoom, pan, remembered views and show-all
// (also of damaged and non-finite elements).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "model/drawing.h"
#include "render/view.h"

namespace korav {
namespace {

constexpr double kPi = 3.141592653589793;
const Aspect kAspect;

View sized_view(int w, int h) {
  View v;
  reset_view(v, kAspect);
  set_view_pixel_size(v, w, h, kAspect);
  return v;
}

double centre_x(const View& v) { return (v.xmin + v.xmax) / 2; }
double centre_y(const View& v) { return (v.ymin + v.ymax) / 2; }
void expect_centre(const View& v, double x, double y, double tolerance = 1e-9) {
  EXPECT_NEAR(centre_x(v), x, tolerance);
  EXPECT_NEAR(centre_y(v), y, tolerance);
}

TEST(View, TransformsAreInverseAndFollowTheScale) {
  View v = sized_view(1000, 700);
  // 1:500 with aspect 10: a pixel is 1/3000 m on paper, 1/6 m in the world.
  EXPECT_DOUBLE_EQ(v.units_x, 500.0 / 3000);
  EXPECT_DOUBLE_EQ(v.units_y, 500.0 / 3000);
  EXPECT_NEAR(v.xmax - v.xmin, 1000.0 / 6, 1e-9);
  EXPECT_NEAR(centre_x(v), 0, 1e-12);
  // y grows upwards in the world and downwards on the surface.
  EXPECT_NEAR(pixel_to_world_y(v, 0), v.ymax, 1e-9);
  EXPECT_NEAR(pixel_to_world_y(v, 700), v.ymin, 1e-9);
  EXPECT_NEAR(world_to_pixel_x(v, 0), 500, 1e-9);
  EXPECT_NEAR(world_to_pixel_y(v, 0), 350, 1e-9);
  for (double px : {0.0, 17.5, 999.0})
    EXPECT_NEAR(world_to_pixel_x(v, pixel_to_world_x(v, px)), px, 1e-9);
  for (double py : {0.0, 123.25, 700.0})
    EXPECT_NEAR(world_to_pixel_y(v, pixel_to_world_y(v, py)), py, 1e-9);
}

TEST(View, ResizeKeepsCentreAndScaleAndShowsMore) {
  View v = sized_view(800, 600);
  centre_view(v, kAspect, 12, -3);
  const double w = v.xmax - v.xmin, h = v.ymax - v.ymin;
  set_view_pixel_size(v, 1600, 900, kAspect);
  EXPECT_DOUBLE_EQ(v.scale, kInitialViewScale);
  expect_centre(v, 12, -3);
  EXPECT_NEAR(v.xmax - v.xmin, 2 * w, 1e-9);
  EXPECT_NEAR(v.ymax - v.ymin, 1.5 * h, 1e-9);
  // The aspect scales each direction.
  Aspect wide{20, 10};
  reset_view(v, wide);
  set_view_pixel_size(v, 100, 100, wide);
  EXPECT_DOUBLE_EQ(v.units_x, 2 * v.units_y);
  EXPECT_NEAR(v.xmax - v.xmin, 2 * (v.ymax - v.ymin), 1e-9);
}

TEST(View, PointAndBoxInView) {
  View v = sized_view(600, 600);  // (-50, -50) to (50, 50)
  EXPECT_TRUE(point_in_view(v, 0, 0));
  EXPECT_TRUE(point_in_view(v, v.xmax, v.ymin));
  EXPECT_FALSE(point_in_view(v, v.xmax + 0.01, 0));
  EXPECT_TRUE(box_in_view(v, 100, 100, 40, 40));      // corners in any order, overlapping
  EXPECT_TRUE(box_in_view(v, -100, -100, 100, 100));  // containing the view
  EXPECT_FALSE(box_in_view(v, 60, -10, 70, 10));
  EXPECT_FALSE(point_in_view(v, std::nan(""), 0));
}

// The tables rise strictly (a step must always change the scale); feet and inches use the
// imperial one.
TEST(View, ScaleTablesRiseAndFollowTheUnit) {
  const ScaleSteps& m = metric_scale_steps();
  const ScaleSteps& im = imperial_scale_steps();
  for (const ScaleSteps* t : {&m, &im})
    for (std::size_t i = 1; i < t->size(); ++i) EXPECT_LT((*t)[i - 1], (*t)[i]) << i;
  for (std::uint32_t unit = 0; unit <= 5; ++unit)
    EXPECT_EQ(&scale_steps_for_unit(unit), unit < 3 ? &m : &im) << unit;
}

TEST(View, ScaleStepsMoveThroughTheTableAndStopAtItsEnds) {
  View v = sized_view(300, 300);
  ASSERT_TRUE(scale_plus(v, metric_scale_steps(), kAspect));
  EXPECT_DOUBLE_EQ(v.scale, 1000);
  EXPECT_NEAR(v.units_x, 1000.0 / 3000, 1e-12);
  ASSERT_TRUE(scale_minus(v, metric_scale_steps(), kAspect));
  ASSERT_TRUE(scale_minus(v, metric_scale_steps(), kAspect));
  EXPECT_DOUBLE_EQ(v.scale, 1000.0 / 3);
  // A value between table entries (after a zoom window) steps to its neighbours.
  v.scale = 700;
  ASSERT_TRUE(scale_plus(v, metric_scale_steps(), kAspect));
  EXPECT_DOUBLE_EQ(v.scale, 1000);
  v.scale = 700;
  ASSERT_TRUE(scale_minus(v, metric_scale_steps(), kAspect));
  EXPECT_DOUBLE_EQ(v.scale, 500);

  v.scale = 500000;
  const View before = v;
  EXPECT_FALSE(scale_plus(v, metric_scale_steps(), kAspect));
  EXPECT_DOUBLE_EQ(v.scale, 500000);
  EXPECT_DOUBLE_EQ(v.xmin, before.xmin);
  v.scale = 0.0001;
  EXPECT_FALSE(scale_minus(v, metric_scale_steps(), kAspect));
  EXPECT_DOUBLE_EQ(v.scale, 0.0001);
}

TEST(View, ScaleTextAndDrawingScaleSteps) {
  const std::pair<double, const char*> texts[] = {
      {500, " 1:500 "}, {10.0 / 3, " 1:3 "}, {0.5, " 2:1 "}, {1, " 1:1 "}};
  for (const auto& [scale, text] : texts) EXPECT_EQ(scale_text(scale), text);
  const ScaleSteps& m = metric_scale_steps();
  // From, and the next value up and down; at the ends of the table the value stays.
  const struct {
    double from, up, down;
  } rows[] = {{100, 200, 50}, {75, 100, 50}, {500000, 500000, 1e6 / 3}, {0.0001, 0.0002, 0.0001}};
  for (const auto& row : rows) {
    EXPECT_NEAR(drawing_scale_inc(row.from, m), row.up, 1e-9 * row.up) << row.from;
    EXPECT_NEAR(drawing_scale_dec(row.from, m), row.down, 1e-9 * row.down) << row.from;
  }
  EXPECT_DOUBLE_EQ(drawing_scale_inc(48, imperial_scale_steps()), 96);
}

TEST(View, ZoomWindow) {
  View v = sized_view(1000, 500);  // twice as wide as high
  const View before = v;
  EXPECT_FALSE(zoom_window(v, kAspect, 1, 1, 1.0005, 1.0005));
  EXPECT_DOUBLE_EQ(v.scale, before.scale);
  EXPECT_DOUBLE_EQ(v.xmin, before.xmin);

  // 40 x 10 is wider than the window's 2:1, so the width limits: all 40 m across 1000 pixels,
  // and more than the 10 m show vertically. Corners in any order.
  ASSERT_TRUE(zoom_window(v, kAspect, 30, 15, -10, 5));
  EXPECT_NEAR(v.scale, 40 / (10.0 / 30000 * 1000), 1e-9);
  EXPECT_NEAR(v.xmin, -10, 1e-9);
  EXPECT_NEAR(v.xmax, 30, 1e-9);
  EXPECT_NEAR(centre_y(v), 10, 1e-9);
  EXPECT_NEAR(v.ymax - v.ymin, 20, 1e-9);

  // A high rectangle: the height limits.
  ASSERT_TRUE(zoom_window(v, kAspect, 0, 0, 1, 10));
  EXPECT_NEAR(v.ymax - v.ymin, 10, 1e-9);
  EXPECT_NEAR(v.xmax - v.xmin, 20, 1e-9);
  EXPECT_NEAR(centre_x(v), 0.5, 1e-9);

  // A thin but long rectangle still counts.
  EXPECT_TRUE(zoom_window(v, kAspect, 0, 0, 5, 0));
  // Without a pixel size nothing can be fitted.
  View empty;
  EXPECT_FALSE(zoom_window(empty, kAspect, 0, 0, 5, 5));
}

TEST(View, PanCentreAndNumpadScroll) {
  View v = sized_view(400, 300);
  const double w = v.xmax - v.xmin, h = v.ymax - v.ymin;
  pan_view(v, 1, 1, 4, -1);
  expect_centre(v, 3, -2);
  EXPECT_DOUBLE_EQ(v.scale, kInitialViewScale);

  centre_view(v, kAspect, 100, 200);
  expect_centre(v, 100, 200);
  EXPECT_NEAR(v.xmax - v.xmin, w, 1e-9);

  ASSERT_TRUE(numpad_scroll(v, kAspect, 6));  // right
  EXPECT_NEAR(centre_x(v), 100 + w / 4, 1e-9);
  ASSERT_TRUE(numpad_scroll(v, kAspect, 1));  // left and down
  expect_centre(v, 100, 200 - h / 4);
  ASSERT_TRUE(numpad_scroll(v, kAspect, 8));  // up
  EXPECT_NEAR(centre_y(v), 200, 1e-9);
  EXPECT_FALSE(numpad_scroll(v, kAspect, 5));
  EXPECT_FALSE(numpad_scroll(v, kAspect, 0));
  EXPECT_FALSE(numpad_scroll(v, kAspect, 10));
}

TEST(View, RememberedView) {
  View v = sized_view(400, 300);
  RememberedView r;
  EXPECT_FALSE(restore_view(v, r, kAspect));
  ASSERT_TRUE(zoom_window(v, kAspect, 0, 0, 8, 6));
  remember_view(r, v);
  reset_view(v, kAspect);
  ASSERT_TRUE(restore_view(v, r, kAspect));
  expect_centre(v, 4, 3);
  EXPECT_DOUBLE_EQ(v.scale, r.view.scale);
}

TEST(View, ShowAllOfAnEmptyDrawingGivesTheInitialViewAndOfOnePointCentresOnIt) {
  View v = sized_view(600, 600);
  ASSERT_TRUE(zoom_window(v, kAspect, 100, 100, 101, 101));
  Drawing d;
  ASSERT_TRUE(show_all(v, kAspect, d));
  EXPECT_DOUBLE_EQ(v.scale, 500);
  expect_centre(v, 0, 0);
  Text t = make_element<Text>(0, 0, 0);
  t.pos = {7, 8};
  create_text(d.store, t, "x");
  ASSERT_TRUE(show_all(v, kAspect, d));
  EXPECT_DOUBLE_EQ(v.scale, kInitialViewScale);
  expect_centre(v, 7, 8);
}

TEST(View, ShowAllFitsEveryElementWithATenthMore) {
  View v = sized_view(1000, 1000);
  Drawing d;
  create_line(d.store, 0, 0, 0, 0, 0, 10, 0);
  Circle c = make_element<Circle>(0, 0, 0);
  c.centre = {20, 5};
  c.radius1 = c.radius2 = 5;
  c.sweep = 2 * kPi;
  create(d.store, c);
  // An arc from 0 to 90 degrees of a circle about (0, -20): its extent is its quarter only.
  Circle arc = make_element<Circle>(0, 0, 0);
  arc.centre = {0, -20};
  arc.radius1 = arc.radius2 = 4;
  arc.sweep = kPi / 2;
  create(d.store, arc);

  const Extent e = drawing_extent(d, 0);
  ASSERT_FALSE(e.empty);
  EXPECT_NEAR(e.xmin, 0, 1e-9);
  EXPECT_NEAR(e.xmax, 25, 1e-6);
  EXPECT_NEAR(e.ymin, -20, 1e-9);
  EXPECT_NEAR(e.ymax, 10, 1e-6);

  ASSERT_TRUE(show_all(v, kAspect, d));
  // 25 x 30 in a square window: the height limits, 33 m shown.
  EXPECT_NEAR(v.ymax - v.ymin, 33, 1e-6);
  expect_centre(v, 12.5, -5, 1e-6);
}

TEST(View, ShowAllSkipsTemporaryLayersBadPointsAndTailsLargerThanTheirRecords) {
  Drawing d;
  create_line(d.store, 0, 0, 0, 0, 0, 4, 2);
  create_line(d.store, 1009, 0, 0, 500, 500, 600, 600);  // a symbol being placed
  create_line(d.store, 0, 0, 0, std::numeric_limits<double>::quiet_NaN(), 0, 5, 3);
  create_line(d.store, 0, 0, 0, std::numeric_limits<double>::infinity(), 0, 0, 0);
  const DimPoint dp[2] = {{{1, 1}, {1, 1}}, {{3, 1}, {3, 1}}};
  Dimension* dim = create_dimension(d.store, make_element<Dimension>(0, 0, 0), dp);
  const Point2 outline[3] = {{1, 1}, {2, 1}, {2, 2}};
  Pattern* pat = create_pattern(d.store, make_element<Pattern>(0, 0, 0), outline);
  Room* room = create_room(d.store, make_element<Room>(0, 0, 0), outline);
  ASSERT_TRUE(dim && pat && room);
  // Damaged counts: these records hold far fewer items than they claim.
  std::tie(dim->count, pat->count, room->count) = std::tuple(0xfffffff0u, 0xfffffff0u, 0xfffffff0u);
  const Extent e = drawing_extent(d, 0);
  EXPECT_DOUBLE_EQ(e.xmin, 0);
  EXPECT_DOUBLE_EQ(e.xmax, 5);  // the finite end of the line with a NaN start counts
  EXPECT_DOUBLE_EQ(e.ymax, 3);
  View v = sized_view(500, 500);
  EXPECT_TRUE(show_all(v, kAspect, d));
  EXPECT_TRUE(std::isfinite(v.scale));
}

TEST(View, ShowAllProjectsThreeDPoints) {
  Drawing d;
  Line3D l = make_element<Line3D>(0, 0, 0);
  l.start = {0, 0, 0};
  l.end = {4, 100, 9};
  create(d.store, l);
  // The plan view uses x and y.
  Extent plan = drawing_extent(d, 0);
  EXPECT_DOUBLE_EQ(plan.ymax, 100);
  // A front view maps (x, z).
  ViewProjection front = [](double x, double, double z, double& u, double& v) {
    u = x;
    v = z;
    return true;
  };
  Extent e = drawing_extent(d, 2, front);
  EXPECT_DOUBLE_EQ(e.xmax, 4);
  EXPECT_DOUBLE_EQ(e.ymax, 9);
  // Points that cannot be shown are left out.
  ViewProjection none = [](double, double, double, double&, double&) { return false; };
  EXPECT_TRUE(drawing_extent(d, 2, none).empty);
}

TEST(View, ShowAllInTheCameraViewUsesTheLens) {
  Drawing d;
  Camera c = make_element<Camera>(0, 0, 0);
  c.eye = {0, 0, 1.6};
  c.target = {10, 0, 1.6};
  c.lens_angle = 50;
  c.active = 1;
  create(d.store, c);
  View v = sized_view(500, 500);
  ASSERT_TRUE(show_all(v, kAspect, d, 5));
  EXPECT_NEAR(v.ymax - v.ymin, 1.1, 1e-9);
  EXPECT_NEAR(centre_x(v), 0, 1e-12);
}

}  // namespace
}  // namespace korav
