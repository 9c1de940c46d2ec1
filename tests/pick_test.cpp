#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>
#include <vector>

#include "app/app.h"
#include "app/pick.h"
#include "model/projection.h"
#include "tests/shell_test_support.h"

namespace korav {
namespace {

constexpr double kUpp = 0.01;  // metres per pixel in these tests

PickContext context(int view = 0) {
  PickContext c;
  std::tie(c.units_per_pixel, c.view, c.snap_size) = std::tuple(kUpp, view, 7);
  return c;
}

Circle circle(double cx, double cy, double r1, double r2, double start, double sweep,
              double axis = 0) {
  Circle c = make_element<Circle>(0, 1, 0);
  c.centre = {cx, cy, 0};
  std::tie(c.radius1, c.radius2, c.start_angle, c.sweep, c.axis_angle) =
      std::tuple(r1, r2, start, sweep, axis);
  return c;
}

// A wall from (0, 0) to (length, 0), `thickness` thick and 2.5 m high.
Wall box_wall(double length, double thickness) {
  Wall w = make_element<Wall>(0, 1, 0);
  const double xs[4] = {0, length, length, 0}, ys[4] = {0, 0, thickness, thickness};
  for (int i = 0; i < 8; ++i) w.corner[i] = {xs[i % 4], ys[i % 4], i < 4 ? 0.0 : 2.5, 0};
  return w;
}

TEST(Pick, LineOnlyBetweenItsEndsAndEarlierWinsTies) {
  Drawing d;
  Line* a = create_line(d.store, 0, 1, 0, 0, 0, 10, 0);
  Line* b = create_line(d.store, 0, 1, 0, 0, 2, 10, 2);
  EXPECT_EQ(pick_element(d, context(), 5, 0.5, kPickAny), a);
  EXPECT_EQ(pick_element(d, context(), 5, 1.5, kPickAny), b);
  EXPECT_EQ(pick_element(d, context(), 5, 1.0, kPickAny), a);        // equal: the earlier stays
  EXPECT_EQ(pick_element(d, context(), 11, 0, kPickAny), nullptr);   // beyond the end
  EXPECT_EQ(pick_element(d, context(), 0, 0.1, kPickAny), nullptr);  // foot at the very end
  EXPECT_EQ(pick_element(d, context(), 5, 150, kPickAny), nullptr);  // farther than 100 m
}

TEST(Pick, KindCodesRestrictTheCandidates) {
  Drawing d;
  create_line(d.store, 0, 1, 0, 0, 0, 10, 0);
  Element* c = create(d.store, circle(5, 3, 1, 1, 0, 2 * std::numbers::pi));
  Light l = make_element<Light>(0, 1, 0);
  l.pos = {5, 0.5, 2, 0};
  Element* light = create(d.store, l);
  Line3D l3 = make_element<Line3D>(0, 1, 0);
  l3.start = {0, 0.2, 0, 0};
  l3.end = {10, 0.2, 0, 0};
  Element* line3d = create(d.store, l3);
  EXPECT_EQ(pick_element(d, context(), 5, 2.1, kPickCircles), c);
  EXPECT_EQ(pick_element(d, context(), 5, 0.1, kPickLights), light);
  EXPECT_EQ(pick_element(d, context(), 5, 0.2, kPickAny), line3d);
  EXPECT_EQ(pick_element(d, context(), 5, 0.2, kPickLines)->type, kLine);
  EXPECT_EQ(pick_element(d, context(), 5, 0.2, kPickWallsObjects), nullptr);
  EXPECT_FALSE(pick_kind_matches(kPickLines, kLine3D));
  EXPECT_FALSE(pick_kind_matches(kPickWalls, kRoom));
  EXPECT_TRUE(pick_kind_matches(kPickAnyVisible, kRoom));
}

TEST(Pick, PointLikeElementsWinByFivePixels) {
  Drawing d;
  create_line(d.store, 0, 1, 0, 0, 0, 10, 0);
  Camera cam = make_element<Camera>(0, 1, 0);
  cam.eye = {5, 0.04, 1, 0};  // 4 px from the line's near point, the click is on the line
  Element* camera = create(d.store, cam);
  EXPECT_EQ(pick_element(d, context(), 5, 0, kPickAny), camera);
}

TEST(Pick, LayersCurrentVisibleAndCameras) {
  Drawing d;
  d.current_layer = 1;
  d.layers.layer[2].state = 1;
  Line* other = create_line(d.store, 2, 1, 0, 0, 0, 10, 0);
  create_line(d.store, 3, 1, 0, 0, 0.1, 10, 0.1);  // hidden
  Camera cam = make_element<Camera>(2, 1, 0);
  cam.eye = {20, 0, 0, 0};
  Element* camera = create(d.store, cam);
  EXPECT_EQ(pick_element(d, context(), 5, 0.01, kPickAny), nullptr);
  EXPECT_EQ(pick_element(d, context(), 5, 0.01, kPickAnyVisible), other);
  PickContext visible = context();
  visible.visible_layers = true;
  EXPECT_EQ(pick_element(d, visible, 5, 0.01, kPickLines), other);
  EXPECT_EQ(pick_element(d, context(), 20, 0, kPickCameras), camera);
  EXPECT_EQ(pick_element(d, context(), 20, 0, kPickAny), nullptr);
}

TEST(Pick, ArcAndEllipseScores) {
  Drawing d;
  // upper half circle of radius 2
  Element* arc = create(d.store, circle(0, 0, 2, 2, 0, std::numbers::pi));
  EXPECT_EQ(pick_element(d, context(), 0, 2.1, kPickAny), arc);
  EXPECT_EQ(pick_element(d, context(), 0, -2.1, kPickAny), nullptr);  // outside the sweep
  // an arc over the 0 direction: from 300° over 120°
  Drawing d2;
  Element* wrap =
      create(d2.store, circle(0, 0, 1, 1, -std::numbers::pi / 3, 2 * std::numbers::pi / 3));
  EXPECT_EQ(pick_element(d2, context(), 1.05, 0.1, kPickAny), wrap);
  EXPECT_EQ(pick_element(d2, context(), -1.05, 0, kPickAny), nullptr);
  // ellipse 4 x 1 turned by 90°: its far point is (0, 4)
  Drawing d3;
  Element* e = create(d3.store, circle(0, 0, 4, 1, 0, 2 * std::numbers::pi, std::numbers::pi / 2));
  EXPECT_NEAR(pick_score(*e, context(), 0, 4.5), 0.5, 1e-9);
  EXPECT_NEAR(pick_score(*e, context(), 1.2, 0.0), 0.2, 1e-9);
  // a degenerate ellipse is never hit and does not divide by zero
  Drawing d4;
  create(d4.store, circle(0, 0, 1, 0, 0, 2 * std::numbers::pi));
  EXPECT_EQ(pick_element(d4, context(), 1, 0, kPickAny), nullptr);
}

TEST(Pick, PatternAndRoomInsideOutline) {
  Drawing d;
  std::vector<Point2> outline = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}, {999, 999, 0},
                                 {1, 1, 0}, {3, 1, 0}, {3, 3, 0}, {1, 3, 0}, {999, 999, 0}};
  Pattern p = make_element<Pattern>(0, 1, 0);
  Element* pat = create_pattern(d.store, p, outline);
  EXPECT_EQ(pick_element(d, context(), 0.5, 0.5, kPickAny), pat);
  EXPECT_EQ(pick_element(d, context(), 2, 2, kPickAny), nullptr);  // in the hole
  EXPECT_NEAR(pick_score(*pat, context(), 0.5, 0.5), 2 * 7 * kUpp, 1e-12);
  Room r = make_element<Room>(0, 1, 0);
  r.pos = {10.02, 0.5, 0};
  std::vector<Point2> room = {{10, 0, 0}, {14, 0, 0}, {14, 4, 0}, {10, 4, 0}, {999, 999, 0}};
  Element* rm = create_room(d.store, r, room);
  EXPECT_NEAR(pick_score(*rm, context(), 12, 2), 3 * 7 * kUpp, 1e-12);
  EXPECT_NEAR(pick_score(*rm, context(), 10.05, 0.5), 0.03, 1e-12);
  EXPECT_EQ(pick_score(*rm, context(), 9, 2), kPickLimit);
}

TEST(Pick, TextBaseLineByAlignment) {
  Drawing d;
  Text t = make_element<Text>(0, 1, 0);
  t.pos = {0, 0, 0};
  Element* left = create_text(d.store, t, "abc");
  PickContext c = context();
  c.text_width = [](const Text&, double) { return 3.0; };
  EXPECT_NEAR(pick_score(*left, c, 2, 0.1), 0.1, 1e-12);
  EXPECT_EQ(pick_score(*left, c, -2, 0.1), kPickLimit);
  t.align = 1;  // right aligned: the base line runs backwards from the insertion point
  Element* right = create_text(d.store, t, "abc");
  EXPECT_NEAR(pick_score(*right, c, -2, 0.1), 0.1, 1e-12);
  t.align = 3;
  t.fitted_width = 10;
  Element* fitted = create_text(d.store, t, "abc");
  EXPECT_NEAR(pick_score(*fitted, c, 8, 0.2), 0.2, 1e-12);
  EXPECT_EQ(pick_score(*left, context(), 1, 0), kPickLimit);  // no width known
}

TEST(Pick, WallObjectAndDimension) {
  Drawing d;
  Element* wall = create_wall(d.store, box_wall(10, 0.3), {}, {});
  EXPECT_NEAR(pick_score(*wall, context(), 5, -0.1), 0.1, 1e-12);
  EXPECT_NEAR(pick_score(*wall, context(), 10.2, 0.15), 0.2, 1e-12);
  // in the front elevation the wall's top edge is at z 2.5
  EXPECT_NEAR(pick_score(*wall, context(2), 5, 2.4), 0.1, 1e-12);
  Dimension dim = make_element<Dimension>(0, 1, 0);
  std::vector<DimPoint> pts(2);
  pts[0].foot = {0, 5, 0};
  pts[1].foot = {4, 5, 0};
  Element* chain = create_dimension(d.store, dim, pts);
  EXPECT_NEAR(pick_score(*chain, context(), 2, 5.3), 0.3, 1e-12);
  dim.kind = 3;
  Element* heights = create_dimension(d.store, dim, pts);
  EXPECT_NEAR(pick_score(*heights, context(), 4, 6), 1 - 5 * kUpp, 1e-12);
  dim.kind = 4;
  std::vector<DimPoint> ang(3);
  ang[0].foot = {0, 0, 0};
  ang[1].foot = {2, 0, 0};
  ang[2].foot = {0, 2, 0};
  Element* angle = create_dimension(d.store, dim, ang);
  EXPECT_NEAR(pick_score(*angle, context(), 1.5, 1.5), std::hypot(1.5, 1.5) - 2 - 5 * kUpp, 1e-12);
  EXPECT_EQ(pick_score(*angle, context(), -1, -1), kPickLimit);
}

TEST(Pick, ThreeDViewsTakeOnlyThreeDKinds) {
  Drawing d;
  create_line(d.store, 0, 1, 0, 0, 0, 10, 0);
  Line3D l = make_element<Line3D>(0, 1, 0);
  l.start = {0, 0, 3, 0};
  l.end = {10, 0, 3, 0};
  Element* l3 = create(d.store, l);
  EXPECT_EQ(pick_element(d, context(2), 5, 0.05, kPickAny), l3);  // the plain line is no candidate
  EXPECT_EQ(pick_element(d, context(2), 5, 3.05, kPickAny), l3);
  EXPECT_EQ(pick_element(d, context(8), -5, 3.05, kPickAny), l3);  // seen from the back
}

TEST(Projection, ElevationsInvertTheClickMapping) {
  double x, y, z;
  ASSERT_TRUE(unproject_click(2, 3, 4, x, y, z));
  EXPECT_EQ(std::tuple(x, y, z), std::tuple(3, 0, 4));
  for (int view : {0, 2, 4, 6, 8}) {
    ASSERT_TRUE(unproject_click(view, 1.5, -2.5, x, y, z));
    ViewPoint p = project_point(view, x, y, z);
    EXPECT_DOUBLE_EQ(p.u, 1.5) << view;
    EXPECT_DOUBLE_EQ(p.v, -2.5) << view;
  }
  EXPECT_FALSE(unproject_click(1, 0, 0, x, y, z));
  EXPECT_FALSE(unproject_click(5, 0, 0, x, y, z));
  // axonometric views show height upwards
  ViewPoint low = project_point(9, 1, 1, 0), high = project_point(9, 1, 1, 1);
  EXPECT_NEAR(low.u, high.u, 1e-12);
  EXPECT_GT(high.v, low.v);
}

// "Select Wall:" asks again after a miss or a line, and Escape gives no element.
TEST(Pickers, AskUntilAWallIsHitAndEscapeGivesNone) {
  shell_test::Bench b("click 50 50\nclick 0 2\nclick 3 0.1\nkey Escape\n");
  App& app = *b.app;
  create_line(app.drawing.store, 0, 0, 0, -5, 2, 5, 2);
  Wall* wall = create_wall(app.drawing.store, box_wall(6, 0.3), {}, {});
  ASSERT_NE(wall, nullptr);
  double x = 0, y = 0;
  EXPECT_EQ(pick_with_prompt(app, "Select Wall:", 5, &x, &y), wall);
  EXPECT_DOUBLE_EQ(x, 3);
  const auto& t = b.host->transcript();
  EXPECT_EQ(std::count(t.begin(), t.end(), "prompt: Select Wall:"), 1);  // shown once, kept
  EXPECT_EQ(pick_with_prompt(app, "Select Wall:", 5), nullptr);
}

}  // namespace
}  // namespace korav
