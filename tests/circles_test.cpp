// The circle tools' geometry and drawing changes: shapes from their points, parts removed from
// arcs and closed curves, arcs extended, splines created and dissolved; one undo step per
// change and none for degenerate input.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <optional>
#include <tuple>
#include <vector>

#include "draft/circles.h"
#include "draft/crossings.h"

namespace korav {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Vec2 polar(double r, double a) { return {r * std::cos(a), r * std::sin(a)}; }

// Angles compared on the circle: 0 and 2π are the same start.
double angle_gap(double a, double b) {
  double d = std::fmod(std::fabs(a - b), 2 * kPi);
  return std::min(d, 2 * kPi - d);
}

struct ShapeCase {
  const char* what;
  std::optional<CurveShape> got;
  bool exists;
  CurveShape want{};
};

TEST(CircleShapes, FromTheirPoints) {
  Circle ellipse = make_element<Circle>(0, 1, 0);
  ellipse.radius1 = 3;
  ellipse.radius2 = 2;
  ellipse.sweep = 2 * kPi;
  Circle wide = ellipse;
  wide.radius1 = 2;
  wide.radius2 = 1;
  const double h = std::sqrt(0.5);
  const ShapeCase cases[] = {
      {"circle by radius", circle_by_radius({1, 2}, 3), true, {{1, 2}, 3, 3, 2 * kPi, 0, 0}},
      {"radius 0", circle_by_radius({1, 2}, 0), false},
      {"radius at the limit", circle_by_radius({1, 2}, 1e-6), false},
      {"negative radius", circle_by_radius({1, 2}, -2), false},
      {"NaN radius", circle_by_radius({1, 2}, kNaN), false},
      {"three points",
       circle_through({1, 0}, {0, 1}, {-1, 0}),
       true,
       {{0, 0}, 1, 1, 2 * kPi, 0, 0}},
      {"three points off the origin",
       circle_through({5, 3}, {3, 5}, {1, 3}),
       true,
       {{3, 3}, 2, 2, 2 * kPi, 0, 0}},
      {"two points coincide", circle_through({1, 0}, {0, 1}, {1, 0.00005}), false},
      {"collinear points", circle_through({0, 0}, {1, 1}, {2, 2}), false},
      {"NaN point", circle_through({0, 0}, {kNaN, 1}, {2, 0}), false},
      // The middle point on the short side: the quarter from 0 to π/2.
      {"arc, short side", arc_through({1, 0}, {h, h}, {0, 1}), true, {{0, 0}, 1, 1, kPi / 2, 0, 0}},
      // On the long side: from p3 counter-clockwise round to p1.
      {"arc, long side",
       arc_through({1, 0}, {-h, -h}, {0, 1}),
       true,
       {{0, 0}, 1, 1, 1.5 * kPi, kPi / 2, 0}},
      {"arc, collinear", arc_through({0, 0}, {1, 0}, {2, 0}), false},
      {"arc about a centre",
       arc_about({0, 0}, {2, 0}, {0, 2}, {1, 1}),
       true,
       {{0, 0}, 2, 2, kPi / 2, 0, 0}},
      {"arc about a centre, the other way",
       arc_about({0, 0}, {2, 0}, {0, 2}, {-1, -1}),
       true,
       {{0, 0}, 2, 2, 1.5 * kPi, kPi / 2, 0}},
      {"arc of no radius", arc_about({0, 0}, {0.00005, 0}, {0, 2}, {1, 1}), false},
      {"arc with end in the start's direction", arc_about({0, 0}, {2, 0}, {5, 0}, {1, 1}), false},
      {"ellipse about a centre",
       ellipse_about({1, 1}, {4, -1}),
       true,
       {{1, 1}, 3, 2, 2 * kPi, 0, 0}},
      {"flat ellipse", ellipse_about({1, 1}, {4, 1}), false},
      {"ellipse in a frame", ellipse_in_frame({4, 2}, {0, 0}), true, {{2, 1}, 2, 1, 2 * kPi, 0, 0}},
      {"ellipse in a frame of no height", ellipse_in_frame({4, 2}, {0, 2}), false},
      // Both half axes of an ellipse change by the same distance.
      {"parallel outside",
       concentric_at_distance(ellipse, 1, {4, 0}),
       true,
       {{0, 0}, 4, 3, 2 * kPi, 0, 0}},
      {"parallel inside",
       concentric_at_distance(ellipse, 1, {1, 0}),
       true,
       {{0, 0}, 2, 1, 2 * kPi, 0, 0}},
      {"parallel shrinking to nothing", concentric_at_distance(ellipse, 2, {1, 0}), false},
      {"parallel at a NaN distance", concentric_at_distance(ellipse, kNaN, {4, 0}), false},
      {"parallel through a point",
       concentric_through(wide, {0, 4}),
       true,
       {{0, 0}, 4, 2, 2 * kPi, 0, 0}},
      {"parallel through the centre", concentric_through(wide, {0, 0}), false},
  };
  for (const ShapeCase& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(c.got.has_value(), c.exists);
    if (!c.exists) continue;
    EXPECT_NEAR(c.got->centre.x, c.want.centre.x, 1e-9);
    EXPECT_NEAR(c.got->centre.y, c.want.centre.y, 1e-9);
    EXPECT_NEAR(c.got->a, c.want.a, 1e-9);
    EXPECT_NEAR(c.got->b, c.want.b, 1e-9);
    EXPECT_NEAR(c.got->sweep, c.want.sweep, 1e-9);
    EXPECT_LT(angle_gap(c.got->start, c.want.start), 1e-9);
  }
}

// A three-point arc passes all three points, and its ends are the first and the third.
TEST(CircleShapes, ThreePointArcsPassTheirPoints) {
  const Vec2 sets[][3] = {
      {{3, 0}, {0, 3}, {-3, 0}},  {{3, 0}, {0, -3}, {-3, 0}}, {{1, 1}, {4, 5}, {9, 1}},
      {{0, 2}, {-2, 0}, {0, -2}}, {{0, 2}, {2, 0}, {0, -2}},  {{-5, 1}, {-4, 1.5}, {-3, 1}},
  };
  for (const auto& p : sets) {
    std::optional<CurveShape> s = arc_through(p[0], p[1], p[2]);
    ASSERT_TRUE(s);
    Circle c = make_element<Circle>(0, 1, 0);
    c.centre = {s->centre.x, s->centre.y, 0};
    c.radius1 = s->a;
    c.radius2 = s->b;
    c.sweep = s->sweep;
    c.start_angle = s->start;
    for (const Vec2& q : p) EXPECT_TRUE(on_arc(c, q)) << q.x << " " << q.y;
    // Stored counter-clockwise: a clockwise arc from p1 to p3 starts at p3.
    const Vec2 first = curve_point(c, s->start), last = curve_point(c, s->start + s->sweep);
    EXPECT_NEAR(std::min(distance(first, p[0]) + distance(last, p[2]),
                         distance(first, p[2]) + distance(last, p[0])),
                0, 1e-9);
  }
}

struct Arc {
  double start, sweep;
};

Circle* arc(Drawing& d, double start, double sweep, Vec2 centre = {0, 0}, double r = 1,
            double r2 = 0) {
  Circle c = make_element<Circle>(0, 2, 3);
  c.centre = {centre.x, centre.y, 0};
  c.radius1 = r;
  c.radius2 = r2 > 0 ? r2 : r;
  c.sweep = sweep;
  c.start_angle = start;
  return create(d.store, c);
}

std::vector<Arc> arcs_of(const Drawing& d) {
  std::vector<Arc> out;
  for (const Element& e : d.store.list)
    if (const Circle* c = as<Circle>(&e)) out.push_back({c->start_angle, c->sweep});
  return out;
}

void expect_arcs(const Drawing& d, const std::vector<Arc>& want) {
  std::vector<Arc> got = arcs_of(d);
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_LT(angle_gap(got[i].start, want[i].start), 1e-9) << i;
    EXPECT_NEAR(got[i].sweep, want[i].sweep, 1e-9) << i;
  }
}

void vertical(Drawing& d, double x, double y1 = -2, double y2 = 2) {
  create_line(d.store, 0, 1, 0, x, y1, x, y2);
}

struct PartCase {
  const char* what;
  std::function<void(Drawing&)> build;  // the element worked on is the first Circle
  std::function<bool(Drawing&, Circle&)> act;
  bool changes;
  std::vector<Arc> left;
};

Circle& first_circle(Drawing& d) {
  for (Element& e : d.store.list)
    if (Circle* c = as<Circle>(&e)) return *c;
  ADD_FAILURE() << "no circle";
  static Circle none;
  return none;
}

TEST(ArcParts, EraseDeletePartAndExtend) {
  const double q = kPi / 4;
  const PartCase cases[] = {
      // The closed circle keeps one arc from the end point round to the start point.
      {"erase on a closed circle",
       [](Drawing& d) { arc(d, 0, 2 * kPi); },
       [](Drawing& d, Circle& c) {
         return erase_arc_part(d, c, {1, 0}, {0, 1});
       },
       true,
       {{kPi / 2, 1.5 * kPi}}},
      {"erase inside an arc splits it",
       [](Drawing& d) { arc(d, 0, kPi); },
       [q](Drawing& d, Circle& c) { return erase_arc_part(d, c, polar(1, q), polar(1, 2 * q)); },
       true,
       {{0, q}, {2 * q, 2 * q}}},
      {"erase over the start",
       [q](Drawing& d) { arc(d, q, 2 * q); },
       [](Drawing& d, Circle& c) {
         return erase_arc_part(d, c, {1, 0}, {0, 1});
       },
       true,
       {{2 * q, q}}},
      {"erase covering the arc deletes it",
       [q](Drawing& d) { arc(d, q, 2 * q); },
       [](Drawing& d, Circle& c) {
         return erase_arc_part(d, c, {1, 0}, {-1, 0});
       },
       true,
       {}},
      {"erase missing the arc",
       [q](Drawing& d) { arc(d, q, 2 * q); },
       [](Drawing& d, Circle& c) {
         return erase_arc_part(d, c, {-1, 0}, {0, -1});
       },
       false,
       {{q, 2 * q}}},
      {"erase between equal points",
       [](Drawing& d) { arc(d, 0, 2 * kPi); },
       [](Drawing& d, Circle& c) {
         return erase_arc_part(d, c, {1, 0}, {2, 0});
       },
       false,
       {{0, 2 * kPi}}},
      // On an ellipse the points are taken by their own curve angle.
      {"erase on an ellipse",
       [](Drawing& d) {
         arc(d, 0, 2 * kPi, {0, 0}, 2, 1);
       },
       [](Drawing& d, Circle& c) {
         return erase_arc_part(d, c, {2, 0}, {0, 1});
       },
       true,
       {{kPi / 2, 1.5 * kPi}}},
      // Lines at x = ±0.5 cross the unit circle at 60°, 120°, 240° and 300°; a pick at 0°
      // removes the part from 300° over the start to 60°.
      {"delete part across the start of a closed circle",
       [](Drawing& d) {
         arc(d, 0, 2 * kPi);
         vertical(d, 0.5);
         vertical(d, -0.5);
       },
       [](Drawing& d, Circle& c) {
         return delete_arc_part(d, c, {1, 0});
       },
       true,
       {{kPi / 3, 4 * kPi / 3}}},
      {"delete part of a closed circle",
       [](Drawing& d) {
         arc(d, 0, 2 * kPi);
         vertical(d, 0.5);
         vertical(d, -0.5);
       },
       [](Drawing& d, Circle& c) {
         return delete_arc_part(d, c, {-1, 0});
       },
       true,
       {{4 * kPi / 3, 4 * kPi / 3}}},
      {"delete part of a circle nothing crosses",
       [](Drawing& d) { arc(d, 0, 2 * kPi); },
       [](Drawing& d, Circle& c) {
         return delete_arc_part(d, c, {1, 0});
       },
       true,
       {}},
      {"delete part of an arc up to a crossing",
       [](Drawing& d) {
         arc(d, 0, kPi);
         vertical(d, 0, 0, 2);
       },
       [q](Drawing& d, Circle& c) { return delete_arc_part(d, c, polar(1, q)); },
       true,
       {{kPi / 2, kPi / 2}}},
      // A line whose extension would cross the arc does not count.
      {"delete part beyond a line's end",
       [](Drawing& d) {
         arc(d, 0, kPi);
         vertical(d, 0, 2, 3);
       },
       [q](Drawing& d, Circle& c) { return delete_arc_part(d, c, polar(1, q)); },
       true,
       {}},
      // The line at x = -0.5 crosses off the arc at 120° and 240°.
      {"extend the end",
       [](Drawing& d) {
         arc(d, 0, kPi / 2);
         vertical(d, -0.5);
       },
       [](Drawing& d, Circle& c) { return extend_arc(d, c, polar(1, 1.4)); },
       true,
       {{0, 2 * kPi / 3}}},
      {"extend the start back",
       [](Drawing& d) {
         arc(d, 0, kPi / 2);
         vertical(d, -0.5);
       },
       [](Drawing& d, Circle& c) { return extend_arc(d, c, polar(1, 0.2)); },
       true,
       {{4 * kPi / 3, kPi / 2 + 2 * kPi / 3}}},
      // The circle about (-1, 0) crosses at the same two places.
      {"extend to a circle",
       [](Drawing& d) {
         arc(d, 0, kPi / 2);
         arc(d, 0, 2 * kPi, {-1, 0}, 1);
       },
       [](Drawing& d, Circle& c) { return extend_arc(d, c, polar(1, 1.4)); },
       true,
       {{0, 2 * kPi / 3}, {0, 2 * kPi}}},
      {"extend with nothing in the way closes the arc",
       [](Drawing& d) { arc(d, 1, kPi / 2); },
       [](Drawing& d, Circle& c) { return extend_arc(d, c, polar(1, 2.4)); },
       true,
       {{0, 2 * kPi}}},
      {"extend a closed circle",
       [](Drawing& d) {
         arc(d, 0, 2 * kPi);
         vertical(d, 0);
       },
       [](Drawing& d, Circle& c) {
         return extend_arc(d, c, {1, 0});
       },
       false,
       {{0, 2 * kPi}}},
  };
  for (const PartCase& c : cases) {
    SCOPED_TRACE(c.what);
    Drawing d;
    c.build(d);
    Circle& circle = first_circle(d);
    const std::vector<Arc> before = arcs_of(d);
    const int levels = d.undo.level_count();
    EXPECT_EQ(c.act(d, circle), c.changes);
    EXPECT_EQ(d.undo.level_count(), levels + (c.changes ? 1 : 0));
    expect_arcs(d, c.left);
    for (const Element& e : d.store.list) EXPECT_EQ(e.selected, 0);
    if (!c.changes) continue;
    // One undo brings the element back as it was, one redo the result again.
    d.undo.undo(d.store);
    std::vector<Arc> restored = arcs_of(d);
    ASSERT_EQ(restored.size(), before.size());
    d.undo.redo(d.store);
    EXPECT_EQ(arcs_of(d).size(), c.left.size());
  }
}

TEST(ArcParts, PiecesKeepTheElementsFields) {
  Drawing d;
  d.current_layer = 4;
  Circle* c = arc(d, 0, kPi, {5, 6}, 2, 1);
  c->layer = 4;
  c->axis_angle = 0.3;
  ASSERT_TRUE(remove_arc_part(d, *c, 1, 2));
  ASSERT_EQ(d.store.size(), 2u);
  for (const Element& e : d.store.list) {
    const Circle* p = as<Circle>(&e);
    ASSERT_TRUE(p);
    EXPECT_EQ(std::tuple(p->layer, p->pen, p->line_type), std::tuple(4, 2, 3));
    EXPECT_EQ(std::tuple(p->centre.x, p->centre.y, p->radius1, p->radius2, p->axis_angle),
              std::tuple(5.0, 6.0, 2.0, 1.0, 0.3));
  }
}

TEST(Splines, CreatedInTheirOrderAndDissolved) {
  Drawing d;
  d.current_layer = 2;
  d.current_pen = 5;
  Spline* s = add_spline(d, {0, 0}, {1, 2}, {3, 2}, {4, 0});
  ASSERT_TRUE(s);
  EXPECT_EQ(std::tuple(s->p[1].x, s->p[1].y, s->p[3].x), std::tuple(1.0, 2.0, 4.0));
  EXPECT_EQ(add_spline(d, {1, 1}, {1, 1}, {1, 1.0000001}, {1, 1}), nullptr);
  EXPECT_EQ(add_spline(d, {1, 1}, {kNaN, 1}, {2, 2}, {3, 1}), nullptr);
  EXPECT_EQ(d.undo.level_count(), 1);

  s->pen = 7;
  d.current_pen = 1;
  const LineSegment chords[] = {{{0, 0}, {1, 1}}, {{1, 1}, {1, 1}}, {{1, 1}, {4, 0}}};
  EXPECT_EQ(dissolve_spline(d, *s, {}), 0);
  EXPECT_EQ(d.store.size(), 1u);
  EXPECT_EQ(dissolve_spline(d, *s, chords), 2);  // the chord of no length is left out
  ASSERT_EQ(d.store.size(), 2u);
  for (const Element& e : d.store.list) {
    ASSERT_EQ(e.type, kLine);
    EXPECT_EQ(std::tuple(e.layer, e.pen), std::tuple(2, 7));
  }
  d.undo.undo(d.store);
  ASSERT_EQ(d.store.size(), 1u);
  EXPECT_EQ(d.store.head()->type, kSpline);
}

TEST(CircleTools, CreatingRecordsOneStepAndDegenerateInputNone) {
  Drawing d;
  d.current_pen = 4;
  d.guide_mode = true;
  Circle* c = add_curve(d, *circle_by_radius({1, 1}, 2));
  EXPECT_EQ(c->pen, kGuidePen);
  EXPECT_EQ(d.undo.level_count(), 1);
  Drawing e;
  Circle* target = arc(e, 0, kPi);
  const std::size_t n = e.store.size();
  EXPECT_FALSE(remove_arc_part(e, *target, kNaN, 1));
  EXPECT_FALSE(erase_arc_part(e, *target, {kNaN, 0}, {0, 1}));
  EXPECT_FALSE(delete_arc_part(e, *target, {kNaN, kNaN}));
  EXPECT_FALSE(extend_arc(e, *target, {kNaN, 0}));
  EXPECT_EQ(e.store.size(), n);
  EXPECT_EQ(e.undo.level_count(), 0);
}

}  // namespace
}  // namespace korav
