// Openings: the outlines of plain, stopped and door openings worked out by hand, refusals that
// change nothing, re-insertion on separating, the leaf side; altering, removing, dissolving.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>
#include <vector>

#include "arch/openings.h"
#include "arch/walls.h"
#include "model/drawing.h"
#include "model/element_points.h"

namespace korav {
namespace {

using Seg = std::tuple<long long, long long, long long, long long>;
long long r7(double v) { return std::llround(v * 1e7); }
Seg seg(double x1, double y1, double x2, double y2) {
  Seg a{r7(x1), r7(y1), r7(x2), r7(y2)}, b{r7(x2), r7(y2), r7(x1), r7(y1)};
  return std::min(a, b);
}
using Segs = std::multiset<Seg>;
Segs lines_of(const Wall& w) {
  Segs s;
  for (const OutlineLine& l : wall_lines(w)) s.insert(seg(l.start.x, l.start.y, l.end.x, l.end.y));
  return s;
}

Wall* wall(Drawing& d, PlanVec a, PlanVec b, double thickness) {
  WallPreset p;
  p.thickness = thickness;
  return add_wall(d, p, axis_footprint(a, b, thickness));
}

Wall* only_wall(Drawing& d) {
  Wall* found = nullptr;
  for (Element& e : d.store.list)
    if (Wall* w = as<Wall>(&e)) {
      if (found) return nullptr;
      found = w;
    }
  return found;
}

OpeningPreset stops(double w, double d) {
  OpeningPreset p;
  p.stop_width = w;
  p.stop_depth = d;
  return p;
}

// A wall 5 long on the x axis; faces at ±t/2.
Segs ends(double h) { return {seg(5, -h, 5, h), seg(0, h, 0, -h)}; }

TEST(OpeningInsert, PlainAndStoppedOpeningsCutBothFaces) {
  struct Case {
    const char* what;
    double stop_width, stop_depth;
    Segs want;  // besides the two end lines of the 0.24 wall
  };
  const Case cases[] = {
      {"a plain opening 1.0 wide: two gaps of 1.0, two reveals of 0.24",
       0,
       0,
       {seg(0, -0.12, 1, -0.12), seg(2, -0.12, 5, -0.12), seg(0, 0.12, 1, 0.12),
        seg(2, 0.12, 5, 0.12), seg(1, -0.12, 1, 0.12), seg(2, -0.12, 2, 0.12)}},
      {"stop 0.05 by 0.06: the inner gap 1.10, three lines each side",
       0.05,
       0.06,
       {seg(0, -0.12, 1, -0.12), seg(2, -0.12, 5, -0.12), seg(0, 0.12, 0.95, 0.12),
        seg(2.05, 0.12, 5, 0.12), seg(1, -0.12, 1, -0.06), seg(1, -0.06, 0.95, -0.06),
        seg(0.95, -0.06, 0.95, 0.12), seg(2, -0.12, 2, -0.06), seg(2, -0.06, 2.05, -0.06),
        seg(2.05, -0.06, 2.05, 0.12)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Drawing d;
    Wall* w = wall(d, {0, 0}, {5, 0}, 0.24);
    std::optional<Opening> o =
        place_opening(*w, {1, 0.3}, {2, -0.3}, {1.5, -2}, stops(c.stop_width, c.stop_depth), 1);
    ASSERT_TRUE(o);
    OpeningFit why = OpeningFit::kTooMany;
    Wall* n = insert_opening(d, *w, *o, &why);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(why, OpeningFit::kFits);
    Segs want = c.want;
    want.merge(ends(0.12));
    EXPECT_EQ(lines_of(*n), want);
    EXPECT_EQ(n->opening_count, 1u);
    EXPECT_EQ(d.store.size(), 1u);
    EXPECT_EQ(d.undo.level_count(), 2);
    d.undo.undo(d.store);
    ASSERT_NE(only_wall(d), nullptr);
    EXPECT_EQ(only_wall(d)->opening_count, 0u);
  }
}

TEST(OpeningInsert, ADoorFromEitherFaceOfAWallDrawnEitherWay) {
  // A door 0.885 wide in a 0.365 wall with the door preset's stop (0.0625 wide, 0.115 deep);
  // faces at y = ±0.1825, the rebate 0.115 inside the outer face.
  const double h = 0.1825, r = h - 0.115;
  const Segs from_below = {
      seg(0, -h, 1, -h),          seg(1.885, -h, 5, -h),     seg(0, h, 0.9375, h),
      seg(1.9475, h, 5, h),       seg(1, -h, 1, -r),         seg(1, -r, 0.9375, -r),
      seg(0.9375, -r, 0.9375, h), seg(1.885, -h, 1.885, -r), seg(1.885, -r, 1.9475, -r),
      seg(1.9475, -r, 1.9475, h), seg(5, -h, 5, h),          seg(0, h, 0, -h)};
  Segs from_above;  // the same mirrored in the axis
  for (const auto& [x1, y1, x2, y2] : from_below)
    from_above.insert(seg(x1 * 1e-7, -y1 * 1e-7, x2 * 1e-7, -y2 * 1e-7));
  for (bool reversed : {false, true})
    for (bool above : {false, true}) {
      SCOPED_TRACE(std::string(reversed ? "wall drawn right to left" : "wall drawn left to right") +
                   (above ? ", outer side above" : ", outer side below"));
      Drawing d;
      Wall* w = reversed ? wall(d, {5, 0}, {0, 0}, 0.365) : wall(d, {0, 0}, {5, 0}, 0.365);
      std::optional<Opening> o =
          place_opening(*w, {1.885, 0}, {1, 0}, {1.5, above ? 3.0 : -3.0}, kDoorDefaults, 2);
      ASSERT_TRUE(o);
      // p0 and p1 on the outer face, p3 and p2 opposite them.
      EXPECT_NEAR(o->corner[0].y, above ? h : -h, 1e-12);
      EXPECT_NEAR(o->corner[3].y, above ? -h : h, 1e-12);
      EXPECT_NEAR(o->corner[0].x, o->corner[3].x, 1e-12);
      EXPECT_NEAR(std::fabs(o->corner[1].x - o->corner[0].x), 0.885, 1e-12);
      EXPECT_EQ(o->corner[0].z, 0);
      EXPECT_DOUBLE_EQ(o->corner[4].z, 2.51);
      Wall* n = insert_opening(d, *w, *o);
      ASSERT_NE(n, nullptr);
      EXPECT_EQ(lines_of(*n), above ? from_above : from_below);
      // Every line of the rebate lies inside the wall.
      for (const OutlineLine& l : wall_lines(*n))
        for (const Point2& p : {l.start, l.end}) EXPECT_LE(std::fabs(p.y), h + 1e-9);
    }
}

TEST(OpeningInsert, RefusalsChangeNothing) {
  struct Case {
    const char* what;
    double from, to;
    OpeningFit want;
  };
  const Case cases[] = {
      {"beyond the wall's end", 7.5, 8.5, OpeningFit::kDoesNotFit},
      {"across the joint of the wall standing on it", 3.5, 4.5, OpeningFit::kDoesNotFit},
      {"over the door already there", 1.5, 2.5, OpeningFit::kOverlaps},
      {"touching the door's stop", 2.0, 3.0, OpeningFit::kOverlaps},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Drawing d;
    Wall* w = wall(d, {0, 0}, {8, 0}, 0.24);
    w = insert_opening(d, *w, *place_opening(*w, {1, 0}, {1.95, 0}, {0, -1}, kDoorDefaults, 2));
    ASSERT_NE(w, nullptr);
    wall(d, {4, 0.12}, {4, 3}, 0.24);
    Element* first = d.store.head();
    ASSERT_EQ(connect_walls(d, *static_cast<Wall*>(first), *static_cast<Wall*>(first->next)), 2);
    Wall* a = nullptr;
    for (Element& e : d.store.list)
      if (Wall* x = as<Wall>(&e); x && x->opening_count == 1) a = x;
    ASSERT_NE(a, nullptr);
    const Segs before = lines_of(*a);
    const std::size_t size = d.store.size();
    const int steps = d.undo.level_count();
    std::optional<Opening> o = place_opening(*a, {c.from, 0}, {c.to, 0}, {0, -1}, stops(0, 0), 3);
    ASSERT_TRUE(o);
    OpeningFit why = OpeningFit::kFits;
    EXPECT_EQ(insert_opening(d, *a, *o, &why), nullptr);
    EXPECT_EQ(why, c.want);
    EXPECT_FALSE(opening_fit_message(why).empty());
    EXPECT_EQ(lines_of(*a), before);
    EXPECT_EQ(a->opening_count, 1u);
    EXPECT_EQ(d.store.size(), size);
    EXPECT_EQ(d.undo.level_count(), steps);
  }
}

TEST(OpeningInsert, TheSixteenthIsRefused) {
  Drawing d;
  Wall* w = wall(d, {0, 0}, {10, 0}, 0.24);
  for (int i = 0; i < kMaxOpenings; ++i) {
    std::optional<Opening> o =
        place_opening(*w, {0.2 + 0.6 * i, 0}, {0.5 + 0.6 * i, 0}, {0, -1}, stops(0, 0), 1);
    ASSERT_TRUE(o);
    w = insert_opening(d, *w, *o);
    ASSERT_NE(w, nullptr) << i;
  }
  OpeningFit why = OpeningFit::kFits;
  EXPECT_EQ(
      insert_opening(d, *w, *place_opening(*w, {9.3, 0}, {9.6, 0}, {0, -1}, stops(0, 0), 1), &why),
      nullptr);
  EXPECT_EQ(why, OpeningFit::kTooMany);
  EXPECT_EQ(opening_fit_message(why), "To many openings in this wall!");
  EXPECT_EQ(w->opening_count, 15u);
}

TEST(OpeningInsert, NoOpeningWithoutWidth) {
  Drawing d;
  Wall* w = wall(d, {0, 0}, {5, 0}, 0.24);
  EXPECT_FALSE(place_opening(*w, {1, -1}, {1, 1}, {0, -1}, stops(0, 0), 1));
  EXPECT_FALSE(place_opening(*w, {1, 0}, {std::nan(""), 0}, {0, -1}, stops(0, 0), 1));
  // A stop deeper than the wall would put the rebate outside it.
  std::optional<Opening> o = place_opening(*w, {1, 0}, {2, 0}, {0, -1}, stops(0.05, 0.3), 1);
  ASSERT_TRUE(o);
  EXPECT_EQ(opening_fits(*w, *o), OpeningFit::kDoesNotFit);
}

TEST(OpeningSeparate, ReinsertsEveryOpening) {
  Drawing d;
  Wall* a = wall(d, {0, 0}, {8, 0}, 0.24);
  a = insert_opening(d, *a, *place_opening(*a, {1, 0}, {2, 0}, {0, -1}, kDoorDefaults, 2));
  a = insert_opening(d, *a, *place_opening(*a, {5, 0}, {6.5, 0}, {0, 1}, stops(0.05, 0.06), 3));
  const Segs alone = lines_of(*a);
  Wall* b = wall(d, {4, 0.12}, {4, 3}, 0.24);
  ASSERT_EQ(connect_walls(d, *a, *b), 2);
  Wall* cut = nullptr;
  for (Element& e : d.store.list)
    if (Wall* x = as<Wall>(&e); x && x->opening_count == 2) cut = x;
  ASSERT_NE(cut, nullptr);
  EXPECT_NE(lines_of(*cut), alone);
  Wall* s = separate_wall(d, *cut);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->opening_count, 2u);
  EXPECT_EQ(lines_of(*s), alone);
}

TEST(OpeningEdit, LeafSideFindAlterRemove) {
  Drawing d;
  Wall* w = wall(d, {0, 0}, {5, 0}, 0.365);
  const Opening door = *place_opening(*w, {1, 0}, {1.885, 0}, {0, -1}, kDoorDefaults, 2);
  EXPECT_EQ(leaf_side_at(door, {1.1, -0.5}), 2);  // hinge at the start, outer side
  EXPECT_EQ(leaf_side_at(door, {1.1, 0.5}), 0);
  EXPECT_EQ(leaf_side_at(door, {1.8, -0.5}), 3);
  EXPECT_EQ(leaf_side_at(door, {1.8, 0.5}), 1);

  w = insert_opening(d, *w, door);
  w = insert_opening(d, *w, *place_opening(*w, {3, 0}, {4, 0}, {0, -1}, OpeningPreset{}, 3));
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(find_opening(d, {2.5, 0}, 0.1));
  OpeningRef r = find_opening(d, {1.4, 0.05}, 0.1);
  ASSERT_TRUE(r);
  EXPECT_EQ(r.index, 0);
  EXPECT_EQ(find_opening(d, {4.05, 0}, 0.1).index, 1);

  int steps = d.undo.level_count();
  alter_opening(d, r, 3, 4, 0);
  EXPECT_EQ(r.opening().kind, 3);
  EXPECT_EQ(r.opening().subtype, 4);
  EXPECT_EQ(d.undo.level_count(), steps + 1);

  EXPECT_FALSE(alter_opening_height(d, r, 0.5, 0));
  ASSERT_TRUE(alter_opening_height(d, r, 0.5, 1.25));
  EXPECT_EQ(r.opening().corner[2].z, 0.5);
  EXPECT_EQ(r.opening().corner[6].z, 1.75);

  const Segs with_both = lines_of(*w);
  Wall* n = remove_opening(d, r);
  ASSERT_NE(n, nullptr);
  ASSERT_EQ(n->opening_count, 1u);
  EXPECT_EQ(wall_openings(*n)[0].kind, 3);
  EXPECT_EQ(wall_openings(*n)[0].corner[0].x, 3);
  EXPECT_EQ(wall_lines(*n).size(), 4u + 2 + 6);  // the window's stop: three lines each side
  d.undo.undo(d.store);
  ASSERT_NE(only_wall(d), nullptr);
  EXPECT_EQ(lines_of(*only_wall(d)), with_both);
}

TEST(OpeningEdit, DissolveMakesElementsAndKeepsTheGap) {
  Drawing d;
  d.current_layer = 2;
  Wall* w = wall(d, {0, 0}, {5, 0}, 0.24);
  w = insert_opening(d, *w, *place_opening(*w, {1, 0}, {2, 0}, {0, -1}, kDoorDefaults, 2));
  const Segs gap = lines_of(*w);
  const OpeningRef r{w, 0};
  const SymbolStroke strokes[] = {{.pen = 1, .x1 = 1, .x2 = 1, .y2 = 1},
                                  {.arc = true, .cx = 1, .a = 1, .b = 1, .sweep = 1.5707963}};
  const int steps = d.undo.level_count();
  EXPECT_EQ(dissolve_opening(d, r, strokes), 2);
  EXPECT_EQ(d.undo.level_count(), steps + 1);
  EXPECT_EQ(wall_openings(*w)[0].subtype, 0);
  EXPECT_EQ(wall_openings(*w)[0].kind, 2);
  EXPECT_EQ(lines_of(*w), gap);
  ASSERT_EQ(d.store.size(), 3u);
  const Line* l = as<Line>(w->next);
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->layer, 2);
  EXPECT_EQ(l->pen, 1);
  const Circle* c = as<Circle>(l->next);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->radius1, 1);
  d.undo.undo(d.store);
  EXPECT_EQ(d.store.size(), 1u);
  EXPECT_EQ(wall_openings(*only_wall(d))[0].subtype, 1);
}

}  // namespace
}  // namespace korav
