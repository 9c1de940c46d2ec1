// The circle tools' geometry and drawing changes: shapes from their points, arc parts removed
// and extended, splines; one undo step per change and none for degenerate input.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
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
  const double h = std::sqrt(0.5), t = 2 * kPi, r = kPi / 2;
  const ShapeCase cases[] = {
      {"circle by radius", circle_by_radius({1, 2}, 3), true, {{1, 2}, 3, 3, t}},
      {"radius 0", circle_by_radius({1, 2}, 0), false},
      {"radius at the limit", circle_by_radius({1, 2}, 1e-6), false},
      {"negative radius", circle_by_radius({1, 2}, -2), false},
      {"NaN radius", circle_by_radius({1, 2}, kNaN), false},
      {"three points", circle_through({1, 0}, {0, 1}, {-1, 0}), true, {{0, 0}, 1, 1, t}},
      {"three points off (0, 0)", circle_through({5, 3}, {3, 5}, {1, 3}), true, {{3, 3}, 2, 2, t}},
      {"two points coincide", circle_through({1, 0}, {0, 1}, {1, 0.00005}), false},
      {"collinear points", circle_through({0, 0}, {1, 1}, {2, 2}), false},
      {"NaN point", circle_through({0, 0}, {kNaN, 1}, {2, 0}), false},
      // The middle point on the short side: the quarter from 0 to π/2.
      {"arc, short side", arc_through({1, 0}, {h, h}, {0, 1}), true, {{0, 0}, 1, 1, r}},
      // On the long side: from p3 counter-clockwise round to p1.
      {"arc, long side", arc_through({1, 0}, {-h, -h}, {0, 1}), true, {{0, 0}, 1, 1, 3 * r, r}},
      {"arc, collinear", arc_through({0, 0}, {1, 0}, {2, 0}), false},
      {"arc about a centre", arc_about({0, 0}, {2, 0}, {0, 2}, {1, 1}), true, {{0, 0}, 2, 2, r}},
      {"other way", arc_about({0, 0}, {2, 0}, {0, 2}, {-1, -1}), true, {{0, 0}, 2, 2, 3 * r, r}},
      {"arc of no radius", arc_about({0, 0}, {0.00005, 0}, {0, 2}, {1, 1}), false},
      {"arc with end in the start's direction", arc_about({0, 0}, {2, 0}, {5, 0}, {1, 1}), false},
      {"ellipse about a centre", ellipse_about({1, 1}, {4, -1}), true, {{1, 1}, 3, 2, t}},
      {"flat ellipse", ellipse_about({1, 1}, {4, 1}), false},
      {"ellipse in a frame", ellipse_in_frame({4, 2}, {0, 0}), true, {{2, 1}, 2, 1, t}},
      {"ellipse in a frame of no height", ellipse_in_frame({4, 2}, {0, 2}), false},
      // Both half axes of an ellipse change by the same distance.
      {"parallel outside", concentric_at_distance(ellipse, 1, {4, 0}), true, {{0, 0}, 4, 3, t}},
      {"parallel inside", concentric_at_distance(ellipse, 1, {1, 0}), true, {{0, 0}, 2, 1, t}},
      {"parallel shrinking to nothing", concentric_at_distance(ellipse, 2, {1, 0}), false},
      {"parallel at a NaN distance", concentric_at_distance(ellipse, kNaN, {4, 0}), false},
      {"parallel through a point", concentric_through(wide, {0, 4}), true, {{0, 0}, 4, 2, t}},
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
    Drawing d;
    const Circle& c = *add_curve(d, *s);
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

Circle& first_circle(Drawing& d) {
  for (Element& e : d.store.list)
    if (Circle* c = as<Circle>(&e)) return *c;
  ADD_FAILURE() << "no circle";
  static Circle none;
  return none;
}

// The arc worked on is about (0, 0), radius 1 (an ellipse 2 by 1 with `ellipse`); `cuts` are
// Lines x = [0] from y = [1] to [2]; `circle` adds a full circle of radius 1 about (-1, 0).
struct PartCase {
  const char* what;
  char op;  // 'e' erase from p to q, 'd' delete the part at p, 'x' extend towards p
  Arc arc;
  Vec2 p, q;
  std::vector<std::array<double, 3>> cuts;
  bool changes;
  std::vector<Arc> left;
  bool ellipse = false, circle = false;
};

TEST(ArcParts, EraseDeletePartAndExtend) {
  const double q = kPi / 4, h = kPi / 2, t = 2 * kPi, d3 = kPi / 3;  // d3: 60°
  const std::array<double, 3> plus{0.5, -2, 2}, minus{-0.5, -2, 2};
  const PartCase cases[] = {
      // The closed circle keeps one arc from the end point round to the start point.
      {"erase on a closed circle", 'e', {0, t}, {1, 0}, {0, 1}, {}, true, {{h, 3 * h}}},
      {"erase inside splits", 'e', {0, kPi}, polar(1, q), polar(1, h), {}, true, {{0, q}, {h, h}}},
      {"erase over the start", 'e', {q, h}, {1, 0}, {0, 1}, {}, true, {{h, q}}},
      {"erase covering the arc deletes it", 'e', {q, h}, {1, 0}, {-1, 0}, {}, true, {}},
      {"erase missing the arc", 'e', {q, h}, {-1, 0}, {0, -1}, {}, false, {{q, h}}},
      {"erase between equal points", 'e', {0, t}, {1, 0}, {2, 0}, {}, false, {{0, t}}},
      // On an ellipse the points are taken by their own curve angle.
      {"erase on an ellipse", 'e', {0, t}, {2, 0}, {0, 1}, {}, true, {{h, 3 * h}}, true},
      // x = ±0.5 cross the circle at 60°, 120°, 240° and 300°.
      {"delete across the start", 'd', {0, t}, {1, 0}, {}, {plus, minus}, true, {{d3, 4 * d3}}},
      {"delete a part", 'd', {0, t}, {-1, 0}, {}, {plus, minus}, true, {{4 * d3, 4 * d3}}},
      {"delete part of a circle nothing crosses", 'd', {0, t}, {1, 0}, {}, {}, true, {}},
      {"delete up to a crossing", 'd', {0, kPi}, polar(1, q), {}, {{0, 0, 2}}, true, {{h, h}}},
      // A line whose extension would cross the arc does not count.
      {"delete part beyond a line's end", 'd', {0, kPi}, polar(1, q), {}, {{0, 2, 3}}, true, {}},
      {"extend the end", 'x', {0, h}, polar(1, 1.4), {}, {minus}, true, {{0, 2 * d3}}},
      {"extend the start", 'x', {0, h}, polar(1, 0.2), {}, {minus}, true, {{4 * d3, h + 2 * d3}}},
      // With the circle about (-1, 0), the last flag: it crosses where x = -0.5 does.
      {"extend to a circle", 'x', {0, h}, polar(1, 1.4), {}, {}, true, {{0, 2 * d3}, {0, t}}, 0, 1},
      {"extend, nothing in the way: closed", 'x', {1, h}, polar(1, 2.4), {}, {}, true, {{0, t}}},
      {"extend a closed circle", 'x', {0, t}, {1, 0}, {}, {{0, -2, 2}}, false, {{0, t}}},
  };
  for (const PartCase& c : cases) {
    SCOPED_TRACE(c.what);
    Drawing d;
    arc(d, c.arc.start, c.arc.sweep, {0, 0}, c.ellipse ? 2 : 1, c.ellipse ? 1 : 0);
    if (c.circle) arc(d, 0, t, {-1, 0}, 1);
    for (const auto& [x, y1, y2] : c.cuts) vertical(d, x, y1, y2);
    Circle& circle = first_circle(d);
    const std::size_t before = arcs_of(d).size();
    const int levels = d.undo.level_count();
    const bool changed = c.op == 'e'   ? erase_arc_part(d, circle, c.p, c.q)
                         : c.op == 'd' ? delete_arc_part(d, circle, c.p)
                                       : extend_arc(d, circle, c.p);
    EXPECT_EQ(changed, c.changes);
    EXPECT_EQ(d.undo.level_count(), levels + (c.changes ? 1 : 0));
    expect_arcs(d, c.left);
    for (const Element& e : d.store.list) EXPECT_EQ(e.selected, 0);
    if (!c.changes) continue;
    // One undo brings the element back, one redo the result again.
    d.undo.undo(d.store);
    ASSERT_EQ(arcs_of(d).size(), before);
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
