#include "draft/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>

#include "model/drawing.h"

namespace korav {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(GeometryDirection, QuadrantsThresholdsAndRange) {
  const struct {
    Vec2 from, to;
    double want;
  } rows[] = {
      {{0, 0}, {1, 0}, 0},
      {{0, 0}, {1, 1}, kPi / 4},
      {{0, 0}, {-1, 1}, 3 * kPi / 4},
      {{0, 0}, {-1, 0}, kPi},
      {{0, 0}, {-1, -1}, 5 * kPi / 4},
      {{1, 1}, {2, 0}, 7 * kPi / 4},
      // Below 1e-5 in x the direction is exactly vertical, whatever the small x offset says.
      {{0, 0}, {9e-6, 1}, kPi / 2},
      {{0, 0}, {-9e-6, -1}, 3 * kPi / 2},
      {{2, 2}, {2, 2}, 0},
      {{0, 0}, {9e-6, -9e-6}, 0},
      // Just beyond the threshold atan2 decides.
      {{0, 0}, {1.1e-5, 1.1e-5}, kPi / 4},
      // atan2 gives about -1e-17, and -1e-17 + 2π rounds to 2π: the result must wrap to 0.
      {{0, 0}, {1, -1e-17}, 0},
  };
  for (const auto& row : rows)
    EXPECT_NEAR(direction_angle(row.from, row.to), row.want, 1e-12) << row.to.x << " " << row.to.y;
  // Every direction around the circle lands in [0, 2π).
  for (int i = 0; i < 3600; ++i) {
    const double a = i * 2 * kPi / 3600 - kPi;
    const double r = direction_angle({5, -3}, {5 + 7 * std::cos(a), -3 + 7 * std::sin(a)});
    EXPECT_GE(r, 0);
    EXPECT_LT(r, 2 * kPi);
  }
}

TEST(GeometryIntersection, CrossingAndNotCrossingLines) {
  LineCrossing c = line_intersection({0, 0}, {2, 2}, {0, 2}, {2, 0});
  ASSERT_TRUE(c.found);
  EXPECT_DOUBLE_EQ(c.point.x, 1);
  EXPECT_DOUBLE_EQ(c.point.y, 1);
  // The lines are infinite: the crossing may lie outside both segments.
  c = line_intersection({0, 0}, {1, 0}, {5, 3}, {5, 4});
  ASSERT_TRUE(c.found);
  EXPECT_DOUBLE_EQ(c.point.x, 5);
  EXPECT_DOUBLE_EQ(c.point.y, 0);
  // A small but real angle is still a crossing.
  c = line_intersection({0, 0}, {1, 0}, {0, 1}, {1, 1 - 1e-6});
  ASSERT_TRUE(c.found);
  EXPECT_NEAR(c.point.x, 1e6, 1e-3);
  EXPECT_FALSE(line_intersection({0, 0}, {1, 1}, {0, 1}, {3, 4}).found);  // parallel
  EXPECT_FALSE(line_intersection({0, 0}, {1, 1}, {2, 2}, {5, 5}).found);  // collinear
  EXPECT_FALSE(line_intersection({0, 0}, {1, 0}, {3, 3}, {3, 3}).found);  // zero length
  EXPECT_FALSE(line_intersection({1, 1}, {1, 1}, {3, 3}, {3, 3}).found);  // both zero length
  EXPECT_FALSE(line_intersection({0, 0}, {NAN, 0}, {0, 1}, {1, 0}).found);
  // Parallel lines on a large site whose direction vectors differ only by rounding.
  const Vec2 a1{1234.567 + 0.1, 2345.678 + 0.3}, b1{1234.567 + 0.2, 2345.678 + 0.6};
  const Vec2 a2{1234.567 + 1.0, 2345.678 + 1.0}, b2{1234.567 + 1.1, 2345.678 + 1.3};
  ASSERT_NE(cross(b1 - a1, b2 - a2), 0);  // the noise the tolerance has to absorb
  EXPECT_FALSE(line_intersection(a1, b1, a2, b2).found);
}

TEST(GeometryProjection, ParameterAndFoot) {
  const struct {
    Vec2 p, a, b;
    double t;
    Vec2 foot;
  } rows[] = {
      {{1, 5}, {0, 0}, {4, 0}, 0.25, {1, 0}},
      {{-2, 1}, {0, 0}, {4, 0}, -0.5, {-2, 0}},
      {{6, -1}, {0, 0}, {4, 0}, 1.5, {6, 0}},
      {{0, 2}, {0, 0}, {2, 2}, 0.5, {1, 1}},  // oblique: where the perpendicular meets it
      {{3, 4}, {1, 1}, {1, 1}, 0, {1, 1}},    // a zero-length line gives its point
  };
  for (const auto& row : rows) {
    const Projection p = projection_parameter(row.p, row.a, row.b);
    EXPECT_DOUBLE_EQ(p.t, row.t) << row.p.x;
    EXPECT_EQ(p.foot, row.foot) << row.p.x;
    EXPECT_EQ(perpendicular_foot(row.p, row.a, row.b), row.foot) << row.p.x;
  }
}

TEST(GeometryRotate, AboutACentre) {
  Vec2 r = rotate_point({1, 1}, {2, 1}, kPi / 2);
  EXPECT_NEAR(r.x, 1, 1e-15);
  EXPECT_NEAR(r.y, 2, 1e-15);
  r = rotate_point({1, 1}, {2, 1}, -kPi / 2);
  EXPECT_NEAR(r.x, 1, 1e-15);
  EXPECT_NEAR(r.y, 0, 1e-15);
  // Twelve turns by 30 degrees come back to the start, and the radius never changes.
  Vec2 p{3, -2};
  for (int i = 0; i < 12; ++i) {
    p = rotate_point({-1, 0.5}, p, kPi / 6);
    EXPECT_NEAR(distance({-1, 0.5}, p), distance({-1, 0.5}, {3, -2}), 1e-12);
  }
  EXPECT_NEAR(p.x, 3, 1e-12);
  EXPECT_NEAR(p.y, -2, 1e-12);
}

Wall* add_wall(Drawing& d, int layer, Vec2 c0, Vec2 c1, Vec2 c2, Vec2 c3) {
  Wall w = make_element<Wall>(layer, 0, 0);
  const Vec2 c[4] = {c0, c1, c2, c3};
  for (int i = 0; i < 8; ++i) {
    w.corner[i].x = c[i % 4].x;
    w.corner[i].y = c[i % 4].y;
    w.corner[i].z = i < 4 ? 0 : 2.5;
  }
  OutlineLine lines[4];
  for (int i = 0; i < 4; ++i) {
    lines[i].start = {c[i].x, c[i].y, 0};
    lines[i].end = {c[(i + 1) % 4].x, c[(i + 1) % 4].y, 0};
  }
  return create_wall(d.store, w, lines, {});
}

// The picked element, or nullptr when nothing was found.
const Element* picked(const Drawing& d, Vec2 p) {
  const EdgePick e = edge_pick(d, p);
  return e.found ? e.element : nullptr;
}

TEST(GeometryEdgePick, NearestLineWithFootStrictlyInside) {
  Drawing d;
  EXPECT_EQ(picked(d, {0, 0}), nullptr);  // an empty drawing
  Line* far = create_line(d.store, 0, 0, 0, 0, 0, 10, 0);
  Line* near = create_line(d.store, 0, 0, 0, 0, 2, 10, 2);
  const EdgePick e = edge_pick(d, {5, 1.5});
  ASSERT_TRUE(e.found);
  EXPECT_EQ(std::tuple(e.element, e.start, e.end), std::tuple(near, Vec2(0, 2), Vec2(10, 2)));
  EXPECT_EQ(picked(d, {5, 0.9}), far);
  // Feet on or beyond an end (t = 0 and t = 1 exactly) do not count.
  for (Vec2 p : {Vec2(-1, 0.5), Vec2(11, 0.5), Vec2(0, 0.5), Vec2(10, 0.5)})
    EXPECT_EQ(picked(d, p), nullptr) << p.x;
  // A zero-length line is never an edge.
  Drawing z;
  create_line(z.store, 0, 0, 0, 1, 1, 1, 1);
  EXPECT_EQ(picked(z, {1, 1}), nullptr);
}

TEST(GeometryEdgePick, DistanceLimitAndTies) {
  Drawing d;
  Line* first = create_line(d.store, 0, 0, 0, 0, 1, 500, 1);
  create_line(d.store, 0, 0, 0, 0, -1, 500, -1);
  EXPECT_EQ(picked(d, {250, 101}), nullptr);  // 100 away: not below the limit
  EXPECT_EQ(picked(d, {250, 100.5}), first);
  EXPECT_EQ(picked(d, {250, 0}), first);  // exactly between: the earlier in store order
}

TEST(GeometryEdgePick, OnlyCurrentAndShownLayers) {
  Drawing d;
  d.current_layer = 1;
  create_line(d.store, 3, 0, 0, 0, 0, 10, 0);  // hidden layer, nearest
  Line* shown = create_line(d.store, 4, 0, 0, 0, 3, 10, 3);
  Line* current = create_line(d.store, 1, 0, 0, 0, 5, 10, 5);
  d.layers.layer[3].state = 0;
  d.layers.layer[4].state = 1;
  EXPECT_EQ(picked(d, {5, 1}), shown);
  d.layers.layer[4].state = 0;
  EXPECT_EQ(picked(d, {5, 1}), current);
}

TEST(GeometryEdgePick, WallFootprintSides) {
  Drawing d;
  // A wall 4 m long and 0.2 m thick; its outline lines are not what edge pick looks at.
  Wall* w = add_wall(d, 0, {0, 0.1}, {4, 0.1}, {4, -0.1}, {0, -0.1});
  ASSERT_NE(w, nullptr);
  EdgePick e = edge_pick(d, {2, 0.5});
  ASSERT_TRUE(e.found);
  EXPECT_EQ(std::tuple(e.element, e.side, e.start, e.end),
            std::tuple(w, 0, Vec2(0, 0.1), Vec2(4, 0.1)));
  e = edge_pick(d, {4.3, 0.05});
  ASSERT_TRUE(e.found);
  EXPECT_EQ(std::tuple(e.side, e.start, e.end), std::tuple(1, Vec2(4, 0.1), Vec2(4, -0.1)));
  e = edge_pick(d, {-0.5, 0});
  ASSERT_TRUE(e.found);
  EXPECT_EQ(std::tuple(e.side, e.start, e.end), std::tuple(3, Vec2(0, -0.1), Vec2(0, 0.1)));
  // A line nearer than any side wins over the wall.
  Line* l = create_line(d.store, 0, 0, 0, 0, 0.4, 4, 0.4);
  EXPECT_EQ(edge_pick(d, {2, 0.5}).element, l);
  EXPECT_EQ(edge_pick(d, {2, -0.5}).element, w);
}

}  // namespace
}  // namespace korav
