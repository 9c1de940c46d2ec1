#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>
#include <vector>

#include "app/snap.h"

namespace korav {
namespace {

// 0.01 m per pixel and snap size 7: the search square is the click +- 0.07 m.
SnapQuery query(double x, double y, int view = 0, std::initializer_list<int> switched_off = {}) {
  SnapQuery q;
  q.x = x;
  q.y = y;
  q.units_x = q.units_y = 0.01;
  q.view = view;
  for (int k : switched_off) q.settings.on[k] = 0;
  return q;
}

SnapHit snap(const Drawing& d, const SnapQuery& q, std::vector<Point3> pts = {}) {
  return find_snap(d, q, pts);
}

Circle circle(double cx, double cy, double r, double start = 0,
              double sweep = 2 * std::numbers::pi) {
  Circle c = make_element<Circle>(0, 1, 0);
  c.centre = {cx, cy, 0};
  c.radius1 = c.radius2 = r;
  c.start_angle = start;
  c.sweep = sweep;
  return c;
}

TEST(Snap, StoreOrderBeatsDistance) {
  Drawing d;
  create_line(d.store, 0, 1, 0, 1.06, 1.0, 5, 5);   // its start is 0.06 from the click
  create_line(d.store, 0, 1, 0, 1.0, 1.01, -5, 5);  // its start is nearer, but later
  SnapHit h = snap(d, query(1, 1));
  EXPECT_EQ(std::tuple(h.code, h.x, h.y, h.z), std::tuple(kSnapPoint, 1.06, 1.0, 0.0));
}

TEST(Snap, RequestPointsComeFirstAndSquareBoundsCount) {
  Drawing d;
  create_line(d.store, 0, 1, 0, 0, 0, 5, 5);
  SnapHit h = snap(d, query(0.03, 0), {{0.05, 0.02, 7, 0}});
  EXPECT_EQ(std::tuple(h.code, h.x, h.z), std::tuple(kSnapPoint, 0.05, 0.0));
  // exactly on the square's border (0.07 away along x) still counts
  Drawing d2;
  create_line(d2.store, 0, 1, 0, 0.5, 0, 5, 5);
  EXPECT_EQ(snap(d2, query(0.43, 0)).code, kSnapPoint);
  EXPECT_EQ(snap(d2, query(0.42, 0)).code, kSnapClick);
}

TEST(Snap, OffOrNothingFoundMapsTheClickIntoTheView) {
  Drawing d;
  create_line(d.store, 0, 1, 0, 3, 4, 9, 9);
  SnapQuery off = query(3, 4);
  off.on = false;
  SnapHit h = snap(d, off);
  EXPECT_EQ(std::tuple(h.code, h.x, h.y), std::tuple(kSnapClick, 3, 4));
  // Into the front (2), back (8), left (4) and right (6) views.
  const struct {
    int view;
    double x, y, z;
  } rows[] = {{2, 3, 0, 4}, {8, -3, 0, 4}, {4, 0, -3, 4}, {6, 0, 3, 4}};
  for (const auto& row : rows) {
    const SnapHit v = snap(d, query(3, 4, row.view));
    EXPECT_EQ(std::tuple(v.code, v.x, v.y, v.z), std::tuple(kSnapClick, row.x, row.y, row.z))
        << row.view;
  }
  EXPECT_EQ(snap(d, query(3, 4, 1)).code, kSnapRejected);
  SnapQuery axo_off = query(3, 4, 9);
  axo_off.on = false;
  EXPECT_EQ(snap(d, axo_off).code, kSnapRejected);
}

TEST(Snap, SwitchesSelectTheCandidates) {
  Drawing d;
  create_line(d.store, 0, 1, 0, 0, 0, 2, 0);
  Text t = make_element<Text>(0, 1, 0);
  t.pos = {0.02, 0.02, 0};
  create_text(d.store, t, "x");
  EXPECT_DOUBLE_EQ(snap(d, query(0, 0, 0, {kSnapEndPoints})).x, 0.02);  // the text point
  EXPECT_EQ(snap(d, query(0, 0, 0, {kSnapEndPoints, kSnapTextPoints})).code, kSnapClick);
  // centre points: the middle of the line
  SnapHit mid = snap(d, query(1.03, 0.02));
  EXPECT_EQ(std::tuple(mid.code, mid.found, mid.x), std::tuple(kSnapPoint, kFoundCentre, 1.0));
  EXPECT_EQ(snap(d, query(1.03, 0.02, 0, {kSnapCenterPoints})).code, kSnapClick);
}

TEST(Snap, HiddenLayersAreSkipped) {
  Drawing d;
  d.current_layer = 1;
  create_line(d.store, 2, 1, 0, 0, 0, 2, 0);
  EXPECT_EQ(snap(d, query(0, 0)).code, kSnapClick);
  d.layers.layer[2].state = 1;
  EXPECT_EQ(snap(d, query(0, 0)).code, kSnapPoint);
}

TEST(Snap, CircleCentreArcEndsAndQuadrants) {
  Drawing d;
  create(d.store, circle(0, 0, 1, 0, std::numbers::pi / 2));
  SnapHit c = snap(d, query(0.01, 0.01));
  EXPECT_EQ(std::tuple(c.found, c.x), std::tuple(kFoundCentre, 0.0));
  SnapHit end = snap(d, query(0.02, 0.98));  // the arc's end point (0, 1)
  EXPECT_EQ(end.code, kSnapPoint);
  EXPECT_NEAR(end.x, 0, 1e-12);
  EXPECT_NEAR(end.y, 1, 1e-12);
  EXPECT_EQ(snap(d, query(-0.98, 0)).code, kSnapClick);  // (-1, 0) is no point of this arc
  Drawing full;
  create(full.store, circle(0, 0, 1));
  SnapHit q = snap(full, query(-0.98, 0.01));
  EXPECT_EQ(std::tuple(q.code, q.x), std::tuple(kSnapPoint, -1.0));
}

TEST(Snap, CircleCrossingsWithLinesAndCircles) {
  Drawing d;
  const SnapQuery q = query(0.72, 0.69, 0, {kSnapArcEndPoints, kSnapEndPoints, kSnapCenterPoints});
  create(d.store, circle(0, 0, 1));
  create_line(d.store, 0, 1, 0, -2, -2, 2, 2);  // crosses at ±(0.7071, 0.7071)
  SnapHit h = snap(d, q);
  EXPECT_EQ(h.found, kFoundCrossing);
  EXPECT_NEAR(h.x, std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(h.y, std::sqrt(0.5), 1e-12);
  // a segment that stops short of the circle gives nothing
  Drawing short_line;
  create(short_line.store, circle(0, 0, 1));
  create_line(short_line.store, 0, 1, 0, -2, -2, 0.5, 0.5);
  EXPECT_EQ(snap(short_line, q).code, kSnapClick);
  // two circles of radius 1 at distance 1 cross at (0.5, ±0.866)
  Drawing two;
  create(two.store, circle(0, 0, 1));
  create(two.store, circle(1, 0, 1));
  SnapHit c = snap(two, query(0.52, 0.85, 0, {kSnapArcEndPoints}));
  EXPECT_EQ(c.found, kFoundCrossing);
  EXPECT_NEAR(c.x, 0.5, 1e-12);
  EXPECT_NEAR(c.y, std::sqrt(0.75), 1e-12);
}

TEST(Snap, LineIntersectionsOfDifferentElementsOnly) {
  Drawing d;
  create_line(d.store, 0, 1, 0, -1, 0, 1, 0);
  create_line(d.store, 0, 1, 0, 0.03, -1, 0.03, 1);
  SnapHit h = snap(d, query(0, 0.02, 0, {kSnapCenterPoints}));
  EXPECT_EQ(h.found, kFoundCrossing);
  EXPECT_NEAR(h.x, 0.03, 1e-12);
  EXPECT_NEAR(h.y, 0, 1e-12);
  EXPECT_EQ(snap(d, query(0, 0.02, 0, {kSnapCenterPoints, kSnapLineIntersections})).code,
            kSnapClick);
  // the outline lines of one wall do not cross each other for the snap
  Drawing w;
  Wall wall = make_element<Wall>(0, 1, 0);
  std::vector<OutlineLine> lines = {{{-1, 0, 0}, {1, 0, 0}}, {{0.03, -1, 0}, {0.03, 1, 0}}};
  create_wall(w.store, wall, lines, {});
  EXPECT_EQ(snap(w, query(0, 0.02, 0, {kSnapCenterPoints})).code, kSnapClick);
}

TEST(Snap, PatternSeparatorIsNoPoint) {
  Drawing d;
  Pattern p = make_element<Pattern>(0, 1, 0);
  std::vector<Point2> outline = {
      {998.5, 998.5, 0}, {1000, 998.5, 0}, {999, 1000, 0}, {999, 999, 0}};
  create_pattern(d.store, p, outline);
  EXPECT_EQ(snap(d, query(999.01, 999.01)).code, kSnapClick);
}

TEST(Snap, ThreeDViewsUseProjectedPointsWithTheirOwnHeight) {
  Drawing d;
  create_line(d.store, 0, 1, 0, 2, 0, 3, 0);  // plan-only element: no candidate in 3D
  Wall w = make_element<Wall>(0, 1, 0);
  double xs[4] = {0, 4, 4, 0}, ys[4] = {0, 0, 0.3, 0.3};
  for (int i = 0; i < 8; ++i) w.corner[i] = {xs[i % 4], ys[i % 4], i < 4 ? 0.0 : 2.5, 0};
  create_wall(d.store, w, {}, {});
  SnapHit h = snap(d, query(4.02, 2.48, 2));
  EXPECT_EQ(std::tuple(h.code, h.x, h.y, h.z), std::tuple(kSnapPoint, 4, 0, 2.5));
  SnapHit back = snap(d, query(-4.02, 2.48, 8));
  EXPECT_EQ(back.x, 4);
  EXPECT_EQ(snap(d, query(2, 0, 2)).code, kSnapClick);
  // a point already taken keeps its height too, and is tested where the view shows it
  SnapHit taken = snap(d, query(1.01, 2, 2), {{1, 7, 2, 0}});
  EXPECT_EQ(std::tuple(taken.code, taken.y, taken.z), std::tuple(kSnapPoint, 7, 2));
  // a room's corners at base and top elevation, only with "Polygon points"
  Drawing r;
  Room room = make_element<Room>(0, 1, 0);
  room.base = 1;
  room.top = 3.5;
  std::vector<Point2> outline = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {999, 999, 0}};
  create_room(r.store, room, outline);
  EXPECT_EQ(snap(r, query(2.01, 3.49, 2)).z, 3.5);
  EXPECT_EQ(snap(r, query(2.01, 3.49, 2, {kSnapPolygonPoints})).code, kSnapClick);
}

TEST(Snap, SizeFallsBackToDefaultOutOfRange) {
  SnapSettings s;
  EXPECT_EQ(snap_size_pixels(s), 7);
  for (auto [size, want] : {std::pair(0, 7), {12, 12}, {13, 7}}) {
    s.size = size;
    EXPECT_EQ(snap_size_pixels(s), want) << size;
  }
}

TEST(SpecialSnaps, ConstructedPoints) {
  auto d = dividing_point({0, 0, 0, 0}, {8, 0, 4, 0}, 4, 1);
  ASSERT_TRUE(d);
  EXPECT_EQ(std::tuple(d->x, d->y, d->z), std::tuple(2, 0, 1));
  EXPECT_FALSE(dividing_point({0, 0, 0, 0}, {8, 0, 0, 0}, 0, 1));
  EXPECT_FALSE(dividing_point({0, 0, 0, 0}, {8, 0, 0, 0}, -3, 1));
  Circle c = circle(0, 0, 3);
  auto t = tangent_point({5, 0}, c, {0, 10});  // tangent length 4; the upper one is nearer
  ASSERT_TRUE(t);
  EXPECT_NEAR(t->x, 1.8, 1e-12);
  EXPECT_NEAR(t->y, 2.4, 1e-12);
  auto lower = tangent_point({5, 0}, c, {0, -10});
  ASSERT_TRUE(lower);
  EXPECT_NEAR(lower->y, -2.4, 1e-12);
  EXPECT_FALSE(tangent_point({1, 0}, c, {0, 0}));  // inside the circle
}

TEST(SpecialSnaps, IntersectionOfElements) {
  Drawing d;
  Line* a = create_line(d.store, 0, 1, 0, 0, 0, 1, 0);
  Line* b = create_line(d.store, 0, 1, 0, 5, 1, 5, 2);  // the lines cross when extended
  auto x = element_intersection(*a, *b, {0, 0});
  ASSERT_TRUE(x);
  EXPECT_NEAR(x->x, 5, 1e-12);
  EXPECT_NEAR(x->y, 0, 1e-12);
  Line* parallel = create_line(d.store, 0, 1, 0, 0, 1, 1, 1);
  EXPECT_FALSE(element_intersection(*a, *parallel, {0, 0}));
  Circle* c = create(d.store, circle(0, 0, 2));
  auto near_left = element_intersection(*a, *c, {-3, 0});
  ASSERT_TRUE(near_left);
  EXPECT_NEAR(near_left->x, -2, 1e-12);
  auto near_right = element_intersection(*c, *a, {3, 0});
  EXPECT_NEAR(near_right->x, 2, 1e-12);
  // an upper half arc: only its crossing at (0, 2) counts for a vertical line
  Circle* half = create(d.store, circle(0, 0, 2, 0, std::numbers::pi));
  Line* vertical = create_line(d.store, 0, 1, 0, 0, -5, 0, -4);
  auto on_half = element_intersection(*vertical, *half, {0, -5});
  ASSERT_TRUE(on_half);
  EXPECT_NEAR(on_half->y, 2, 1e-12);
  Line* below = create_line(d.store, 0, 1, 0, -5, -1, 5, -1);
  EXPECT_FALSE(element_intersection(*below, *half, {0, 0}));
  Circle e = circle(0, 0, 2);
  e.radius2 = 1;
  Circle* ellipse = create(d.store, e);
  EXPECT_FALSE(element_intersection(*c, *ellipse, {0, 0}));  // circles only
}

// A thousand lines far off and, first to be met last, one with its start at (0.5, 0.5).
void preview_drawing(Drawing& d) {
  for (int i = 0; i < 1000; ++i) create_line(d.store, 0, 1, 0, i, 10, i, 11);
  create_line(d.store, 0, 1, 0, 0.5, 0.5, 3, 3);
}

// Ticks with no time at all until the walk is done; the number of ticks.
int ticks_to_end(const Drawing& d, const SnapQuery& q, SnapPreview& p) {
  int ticks = 0;
  for (; !p.done && ticks < 10000; ++ticks)
    snap_preview_tick(d, q, p, std::chrono::microseconds(0));
  return ticks;
}

TEST(SnapPreview, WalkRestartsOnMoveAndFindsPoints) {
  Drawing d;
  preview_drawing(d);
  SnapPreview p;
  // with no time at all the walk still makes progress in small chunks until it is done
  ticks_to_end(d, query(0.51, 0.5), p);
  EXPECT_TRUE(p.done);
  EXPECT_EQ(p.hit.found, kFoundPoint);
  EXPECT_EQ(p.hit.x, 0.5);
  // a pointer move restarts the walk; far from everything nothing is found
  EXPECT_TRUE(snap_preview_tick(d, query(50, 50), p));
  EXPECT_TRUE(p.done);
  EXPECT_EQ(p.hit.found, kFoundNothing);
  // a changed store restarts it too
  create_line(d.store, 0, 1, 0, 50, 50, 60, 60);
  EXPECT_TRUE(snap_preview_tick(d, query(50, 50), p));
  EXPECT_EQ(p.hit.found, kFoundPoint);
}

// A walk paused on an element that is then purged starts again instead of going on from it.
TEST(SnapPreview, PausedWalkRestartsWhenItsElementIsGone) {
  Drawing d;
  d.index.enabled = false;  // the walk over ticks, as without the index (and in the 3D views)
  preview_drawing(d);
  SnapPreview p;
  const SnapQuery q = query(0.51, 0.5);
  snap_preview_tick(d, q, p, std::chrono::microseconds(0));
  ASSERT_FALSE(p.done);
  ASSERT_NE(p.next, nullptr);
  int i = 0;
  for (Element& e : d.store.list) e.selected = i++ < 200 ? 1 : 0;
  d.store.purge();
  EXPECT_LT(ticks_to_end(d, q, p), 100);  // 801 elements, at least 64 a tick
  EXPECT_EQ(p.hit.found, kFoundPoint);
  EXPECT_EQ(p.hit.x, 0.5);
}

}  // namespace
}  // namespace korav
