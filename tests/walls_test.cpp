// Walls: footprints; outlines of connected walls worked out by hand; connect-all against every
// pair; joining, attaching, extending, erasing and heights, each with its undo step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "arch/openings.h"
#include "arch/walls.h"
#include "model/drawing.h"
#include "model/element_points.h"

namespace korav {
namespace {

// A segment as a set key: ends rounded to 1e-7 m, the lower end first, so that a line and its
// reverse compare equal.
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
Segs all_lines(const Drawing& d) {
  Segs s;
  for (const Element& e : d.store.list)
    if (const Wall* w = as<Wall>(&e)) {
      Segs one = lines_of(*w);
      s.insert(one.begin(), one.end());
    }
  return s;
}
// The same lines with collinear pieces that meet end to end merged into one (the plans here
// are axis-parallel): the outline of a body whatever pieces it is drawn in.
Segs merged(const Segs& in) {
  std::map<std::pair<int, long long>, std::vector<std::pair<long long, long long>>> runs;
  Segs out;
  for (const auto& [x1, y1, x2, y2] : in) {
    if (y1 == y2) runs[{0, y1}].push_back({std::min(x1, x2), std::max(x1, x2)});
    else if (x1 == x2) runs[{1, x1}].push_back({std::min(y1, y2), std::max(y1, y2)});
    else out.insert({x1, y1, x2, y2});
  }
  for (auto& [key, spans] : runs) {
    std::sort(spans.begin(), spans.end());
    std::vector<std::pair<long long, long long>> joined;
    for (const auto& s : spans)
      if (!joined.empty() && s.first <= joined.back().second)
        joined.back().second = std::max(joined.back().second, s.second);
      else joined.push_back(s);
    for (const auto& [lo, hi] : joined)
      out.insert(key.first == 0 ? Seg{lo, key.second, hi, key.second}
                                : Seg{key.second, lo, key.second, hi});
  }
  return out;
}

double total_length(const Segs& s) {
  double sum = 0;
  for (const auto& [x1, y1, x2, y2] : s)
    sum += std::hypot(static_cast<double>(x2 - x1), static_cast<double>(y2 - y1)) / 1e7;
  return sum;
}

Segs rectangle(double x0, double y0, double x1, double y1) {
  return {seg(x0, y0, x1, y0), seg(x1, y0, x1, y1), seg(x1, y1, x0, y1), seg(x0, y1, x0, y0)};
}

std::vector<Wall*> walls(Drawing& d) {
  std::vector<Wall*> out;
  for (Element& e : d.store.list)
    if (Wall* w = as<Wall>(&e)) out.push_back(w);
  return out;
}

WallPreset preset(double thickness = 0.24) {
  WallPreset p;
  p.thickness = thickness;
  p.base = 0;
  p.height = 2.5;
  p.material = "Brick";
  p.pen = 2;
  p.line_type = 1;
  return p;
}

Wall* axis_wall(Drawing& d, PlanVec a, PlanVec b, double thickness = 0.24) {
  return add_wall(d, preset(thickness), axis_footprint(a, b, thickness));
}

TEST(WallFootprints, AxisSideAndRectangle) {
  const Footprint f = axis_footprint({0, 0}, {4, 0}, 0.24);
  const Footprint want = {PlanVec{0, -0.12}, PlanVec{4, -0.12}, PlanVec{4, 0.12}, PlanVec{0, 0.12}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(f[i].x, want[i].x, 1e-12) << i;
    EXPECT_NEAR(f[i].y, want[i].y, 1e-12) << i;
  }
  // The body on the side of the side point, the whole thickness away; corners 0 → 1 → 2 turn
  // the same way as an axis wall's.
  for (double side : {1.0, -1.0}) {
    const Footprint s = side_footprint({0, 0}, {4, 0}, 0.24, {2, side});
    double lo = 1e9, hi = -1e9;
    for (const PlanVec& p : s) lo = std::min(lo, p.y), hi = std::max(hi, p.y);
    EXPECT_NEAR(lo, side > 0 ? 0 : -0.24, 1e-12);
    EXPECT_NEAR(hi, side > 0 ? 0.24 : 0, 1e-12);
    EXPECT_GT(cross(s[1] - s[0], s[2] - s[1]), 0);
  }
  Footprint r;
  ASSERT_TRUE(rectangle_footprint({5, 1}, {0, 0.76}, r));
  EXPECT_EQ(r[0], (PlanVec{0, 0.76}));
  EXPECT_EQ(r[1], (PlanVec{5, 0.76}));  // along the longer side
  ASSERT_TRUE(rectangle_footprint({0, 0}, {0.3, 3}, r));
  EXPECT_EQ(r[0], (PlanVec{0.3, 0}));
  EXPECT_EQ(r[1], (PlanVec{0.3, 3}));
  EXPECT_FALSE(rectangle_footprint({0, 0}, {0, 3}, r));
  EXPECT_FALSE(rectangle_footprint({0, 1}, {3, 1}, r));
}

TEST(WallCreate, PresetFieldsAndOneUndoStep) {
  Drawing d;
  d.current_layer = 3;
  Wall* w = axis_wall(d, {0, 0}, {4, 0});
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->layer, 3);
  EXPECT_EQ(w->pen, 2);
  EXPECT_EQ(w->line_type, 1);
  EXPECT_EQ(w->material.view(), "Brick");
  EXPECT_EQ(w->corner[0].z, 0);
  EXPECT_EQ(w->corner[5].z, 2.5);
  EXPECT_EQ(lines_of(*w), rectangle(0, -0.12, 4, 0.12));
  EXPECT_EQ(d.undo.level_count(), 1);
  d.guide_mode = true;
  EXPECT_EQ(axis_wall(d, {0, 2}, {4, 2})->pen, kGuidePen);
  // A wall without length is not made.
  EXPECT_EQ(axis_wall(d, {1, 1}, {1, 1}), nullptr);
  EXPECT_EQ(d.store.size(), 2u);
  EXPECT_EQ(d.undo.level_count(), 2);
  d.undo.undo(d.store);
  d.undo.undo(d.store);
  EXPECT_EQ(d.store.size(), 0u);
}

struct Joint {
  const char* what;
  PlanVec axes[4];  // the first wall's axis, then the second's
  Segs want;        // the outline lines of both walls after connecting
};

TEST(WallConnect, JointsLeaveTheOutlineOfTheJoinedBody) {
  const Segs l_joined = {seg(0, -0.12, 4, -0.12), seg(4, -0.12, 4, 0.12), seg(0, 0.12, 3.76, 0.12),
                         seg(0, 0.12, 0, -0.12),  seg(4, 0.12, 4, 4),     seg(4, 4, 3.76, 4),
                         seg(3.76, 4, 3.76, 0.12)};
  const Joint joints[] = {
      {"an L, the second wall standing on the first's face",
       {{0, 0}, {4, 0}, {3.88, 0.12}, {3.88, 4}},
       l_joined},
      {"a T",
       {{0, 0}, {8, 0}, {4, 0.12}, {4, 4}},
       {seg(0, -0.12, 8, -0.12), seg(8, -0.12, 8, 0.12), seg(0, 0.12, 3.88, 0.12),
        seg(4.12, 0.12, 8, 0.12), seg(0, 0.12, 0, -0.12), seg(4.12, 0.12, 4.12, 4),
        seg(4.12, 4, 3.88, 4), seg(3.88, 4, 3.88, 0.12)}},
      {"an L whose corner square belongs to both walls",
       {{0, 0}, {4, 0}, {3.88, -0.12}, {3.88, 4}},
       l_joined},
      {"a cross",
       {{0, 0}, {8, 0}, {4, -4}, {4, 4}},
       {seg(0, -0.12, 3.88, -0.12), seg(4.12, -0.12, 8, -0.12), seg(8, -0.12, 8, 0.12),
        seg(0, 0.12, 3.88, 0.12), seg(4.12, 0.12, 8, 0.12), seg(0, 0.12, 0, -0.12),
        seg(4.12, -4, 4.12, -0.12), seg(4.12, 0.12, 4.12, 4), seg(4.12, 4, 3.88, 4),
        seg(3.88, 4, 3.88, 0.12), seg(3.88, -0.12, 3.88, -4), seg(3.88, -4, 4.12, -4)}},
      {"two walls in a line, end to end",
       {{0, 0}, {4, 0}, {4, 0}, {7, 0}},
       {seg(0, -0.12, 4, -0.12), seg(0, 0.12, 4, 0.12), seg(0, 0.12, 0, -0.12),
        seg(4, -0.12, 7, -0.12), seg(4, 0.12, 7, 0.12), seg(7, -0.12, 7, 0.12)}},
  };
  for (const Joint& j : joints) {
    for (bool swapped : {false, true}) {
      SCOPED_TRACE(std::string(j.what) + (swapped ? ", picked the other way round" : ""));
      Drawing d;
      Wall* a = axis_wall(d, j.axes[0], j.axes[1]);
      Wall* b = axis_wall(d, j.axes[2], j.axes[3]);
      const int steps = d.undo.level_count();
      EXPECT_GE(swapped ? connect_walls(d, *b, *a) : connect_walls(d, *a, *b), 1);
      EXPECT_EQ(merged(all_lines(d)), merged(j.want));
      // No piece drawn twice: the pieces add up to the body's outline.
      EXPECT_NEAR(total_length(all_lines(d)), total_length(j.want), 1e-6);
      if (!swapped) {
        EXPECT_EQ(all_lines(d), j.want);
      }
      EXPECT_EQ(d.undo.level_count(), steps + 1);
      ASSERT_EQ(walls(d).size(), 2u);
      // Connecting again changes nothing and records nothing.
      EXPECT_EQ(connect_walls(d, *walls(d)[0], *walls(d)[1]), 0);
      EXPECT_EQ(d.undo.level_count(), steps + 1);
      d.undo.undo(d.store);
      EXPECT_EQ(all_lines(d).size(), 8u) << "undo brings both rectangles back";
    }
  }
}

TEST(WallConnect, WallsApartOrAtOtherHeightsAreNotConnected) {
  struct Case {
    const char* what;
    PlanVec b0, b1;
    double base;
  };
  const Case cases[] = {
      {"more than 0.02 apart", {3.88, 0.145}, {3.88, 4}, 0},
      {"0.015 apart: boxes meet, faces do not", {3.88, 0.135}, {3.88, 4}, 0},
      {"touching in plan, one above the other", {3.88, 0.12}, {3.88, 4}, 2.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Drawing d;
    Wall* a = axis_wall(d, {0, 0}, {4, 0});
    WallPreset p = preset();
    p.base = c.base;
    Wall* b = add_wall(d, p, axis_footprint(c.b0, c.b1, 0.24));
    EXPECT_EQ(connect_walls(d, *a, *b), 0);
    EXPECT_EQ(d.undo.level_count(), 2);
    EXPECT_EQ(all_lines(d).size(), 8u);
  }
}

// A plan of rooms: horizontal walls along every fifth metre, vertical ones standing between
// them, so that every kind of joint occurs many times.
void room_grid(Drawing& d, int rows, int cols) {
  const double s = 5;
  for (int r = 0; r <= rows; ++r)
    for (int c = 0; c < cols; ++c) axis_wall(d, {c * s, r * s}, {(c + 1) * s, r * s});
  for (int c = 0; c <= cols; ++c)
    for (int r = 0; r < rows; ++r) axis_wall(d, {c * s, r * s + 0.12}, {c * s, (r + 1) * s - 0.12});
}

TEST(WallConnectAll, TheGridFindsWhatEveryPairWouldFindAndSeparatingAllUndoes) {
  Drawing d;
  room_grid(d, 6, 7);
  d.undo.clear(d.store);
  // By hand from the definition: each wall cut against every other wall it may meet.
  std::vector<Wall*> ws = walls(d);
  Segs want;
  for (std::size_t i = 0; i < ws.size(); ++i) {
    std::vector<OutlineLine> cur(wall_lines(*ws[i]).begin(), wall_lines(*ws[i]).end()), next;
    for (std::size_t j = 0; j < ws.size(); ++j) {
      if (i == j || !walls_connectable(*ws[i], *ws[j])) continue;
      next.clear();
      cut_at_wall(cur, *ws[i], *ws[j], i < j, next);
      cur.swap(next);
    }
    for (const OutlineLine& l : cur) want.insert(seg(l.start.x, l.start.y, l.end.x, l.end.y));
  }
  const std::size_t count = ws.size();
  const int steps = d.undo.level_count();
  EXPECT_GT(connect_all_walls(d), 0);
  EXPECT_EQ(d.undo.level_count(), steps + 1);
  EXPECT_EQ(walls(d).size(), count);
  EXPECT_EQ(all_lines(d), want);
  // The outer corner of the plan is one clean L: its two faces end at the corner.
  EXPECT_EQ(want.count(seg(0, -0.12, 5, -0.12)), 1u);
  EXPECT_EQ(want.count(seg(-0.12, 0.12, -0.12, 4.88)), 1u);
  EXPECT_EQ(connect_all_walls(d), 0);
  EXPECT_EQ(separate_all_walls(d), static_cast<int>(count));
  EXPECT_EQ(all_lines(d).size(), 4 * count);
  // A plain wall has nothing to separate, and no step is recorded.
  const int separated = d.undo.level_count();
  EXPECT_EQ(separate_wall(d, *walls(d)[0]), nullptr);
  EXPECT_EQ(d.undo.level_count(), separated);
  d.undo.undo(d.store);
  EXPECT_EQ(all_lines(d), want);
}

TEST(WallConnectAll, OnlyTheCurrentLayer) {
  Drawing d;
  axis_wall(d, {0, 0}, {8, 0});
  d.current_layer = 1;
  axis_wall(d, {4, 0.12}, {4, 4});
  EXPECT_EQ(connect_all_walls(d), 0);
  EXPECT_EQ(all_lines(d).size(), 8u);
}

TEST(WallJoin, EachWallEndsOnTheOthersAxisByItsNearerEnd) {
  Drawing d;
  Wall* a = axis_wall(d, {0, 0}, {3, 0});
  Wall* b = axis_wall(d, {4, 1}, {4, 4});
  ASSERT_TRUE(join_walls(d, *a, *b));
  std::vector<Wall*> ws = walls(d);
  ASSERT_EQ(ws.size(), 2u);
  EXPECT_EQ(lines_of(*ws[0]), rectangle(0, -0.12, 4, 0.12));
  EXPECT_EQ(lines_of(*ws[1]), rectangle(3.88, 0, 4.12, 4));
  EXPECT_EQ(ws[0]->corner[5].x, ws[0]->corner[1].x);  // top corners follow
  EXPECT_EQ(d.undo.level_count(), 3);
  // Parallel axes: nothing.
  Wall* c = axis_wall(d, {0, 2}, {3, 2});
  EXPECT_FALSE(join_walls(d, *walls(d)[0], *c));
  EXPECT_FALSE(join_walls(d, *c, *c));
  // A crossing a fifth along a wall moves its start there, not its end.
  Drawing e;
  Wall* f = axis_wall(e, {0, 0}, {5, 0});
  ASSERT_TRUE(join_walls(e, *f, *axis_wall(e, {1, 1}, {1, 4})));
  EXPECT_EQ(lines_of(*walls(e)[0]), rectangle(1, -0.12, 5, 0.12));
}

TEST(WallJoin, KeepsTheOpeningsThatStillFit) {
  Drawing d;
  Wall* a = axis_wall(d, {0, 0}, {5, 0});
  OpeningPreset p;
  p.stop_width = p.stop_depth = 0;
  std::optional<Opening> o = place_opening(*a, {3, 0}, {4, 0}, {3.5, -1}, p, 3);
  ASSERT_TRUE(o);
  a = insert_opening(d, *a, *o);
  ASSERT_NE(a, nullptr);
  Wall* b = axis_wall(d, {6, 1}, {6, 4});
  ASSERT_TRUE(join_walls(d, *a, *b));
  EXPECT_EQ(walls(d)[0]->opening_count, 1u);
  EXPECT_EQ(wall_lines(*walls(d)[0]).size(), 8u);
}

TEST(WallAttach, SelectedWallsExtendedToTheLine) {
  Drawing d;
  Wall* a = axis_wall(d, {0, 0}, {3, 0});
  Wall* b = axis_wall(d, {8, 1}, {8, 3});    // its axis meets x = 5 nowhere
  Wall* c = axis_wall(d, {4, -2}, {6, -2});  // crossed by the line within its axis
  Wall* e = axis_wall(d, {9, 0}, {7, 0});    // reaches the line with its end... backwards
  for (Wall* w : {a, b, c, e}) w->selected = 1;
  EXPECT_EQ(attach_walls(d, {5, -1}, {5, 1}), 2);
  EXPECT_EQ(d.undo.level_count(), 5);
  EXPECT_EQ(lines_of(*a), rectangle(0, -0.12, 5, 0.12));
  EXPECT_EQ(a->corner[6].x, 5);
  EXPECT_EQ(lines_of(*b), rectangle(7.88, 1, 8.12, 3));
  EXPECT_EQ(lines_of(*c), rectangle(4, -2.12, 6, -1.88));
  EXPECT_EQ(lines_of(*e), rectangle(5, -0.12, 9, 0.12));
  for (Wall* w : {a, b, c, e}) EXPECT_EQ(w->selected, 0);
}

TEST(WallExtend, ToTheNearestBoundaryBeyondThePickedEnd) {
  Drawing d;
  Wall* a = axis_wall(d, {0, 0}, {3, 0});
  create_line(d.store, 0, 0, 0, 7, -1, 7, 1);
  create_line(d.store, 0, 0, 0, 5, -1, 5, 1);
  axis_wall(d, {-3, -2}, {-3, 2});
  create_line(d.store, 0, 0, 0, 4, 5, 4, 6);  // on the axis line only when extended: misses
  ASSERT_TRUE(extend_wall(d, *a, {2.9, 0.05}));
  EXPECT_EQ(lines_of(*a), rectangle(0, -0.12, 5, 0.12));
  ASSERT_TRUE(extend_wall(d, *a, {0.2, 0}));
  EXPECT_EQ(lines_of(*a), rectangle(-2.88, -0.12, 5, 0.12));
  // The boundary the end stands on does not count: on to the next line, then nothing.
  ASSERT_TRUE(extend_wall(d, *a, {4.9, 0}));
  EXPECT_EQ(lines_of(*a), rectangle(-2.88, -0.12, 7, 0.12));
  const int steps = d.undo.level_count();
  EXPECT_FALSE(extend_wall(d, *a, {6.9, 0}));
  EXPECT_EQ(d.undo.level_count(), steps);
  // Hidden layers do not count.
  Drawing h;
  Wall* w = axis_wall(h, {0, 0}, {3, 0});
  create_line(h.store, 4, 0, 0, 5, -1, 5, 1);
  EXPECT_FALSE(extend_wall(h, *w, {3, 0}));
}

TEST(WallErase, ThePartBetweenTheCutsGoes) {
  Drawing d;
  Wall* w = axis_wall(d, {0, 0}, {10, 0});
  OpeningPreset p;
  p.stop_width = p.stop_depth = 0;
  w = insert_opening(d, *w, *place_opening(*w, {6, 0}, {7, 0}, {0, -1}, p, 1));
  w = insert_opening(d, *w, *place_opening(*w, {3, 0}, {3.5, 0}, {0, -1}, p, 1));
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(erase_wall_part(d, *w, {4, 1}, {2, -1}));
  std::vector<Wall*> ws = walls(d);
  ASSERT_EQ(ws.size(), 2u);
  EXPECT_EQ(lines_of(*ws[0]), rectangle(0, -0.12, 2, 0.12));
  EXPECT_EQ(ws[0]->opening_count, 0u);
  EXPECT_EQ(ws[1]->opening_count, 1u);  // the opening at 6 to 7; the one at 3 is gone
  EXPECT_EQ(wall_lines(*ws[1]).size(), 8u);
  d.undo.undo(d.store);
  ASSERT_EQ(walls(d).size(), 1u);
  EXPECT_EQ(walls(d)[0]->opening_count, 2u);
  // Points beyond the wall: nothing.
  EXPECT_FALSE(erase_wall_part(d, *walls(d)[0], {11, 0}, {12, 0}));
  EXPECT_FALSE(erase_wall_part(d, *walls(d)[0], {-3, 0}, {0, 0}));
  // A part over a whole end leaves one wall.
  ASSERT_TRUE(erase_wall_part(d, *walls(d)[0], {8, 0}, {12, 0}));
  ASSERT_EQ(walls(d).size(), 1u);
  EXPECT_EQ(lines_of(*walls(d)[0]).count(seg(8, -0.12, 8, 0.12)), 1u);
}

TEST(WallHeights, BaseAndHeightSetFootprintKept) {
  Drawing d;
  Wall* w = axis_wall(d, {0, 0}, {4, 0});
  OpeningPreset p;
  w = insert_opening(d, *w, *place_opening(*w, {1, 0}, {2, 0}, {0, -1}, p, 3));
  const Footprint before = footprint(*w);
  w->selected = 1;
  EXPECT_EQ(set_wall_heights(d, 3.0, 2.8), 1);
  EXPECT_EQ(footprint(*w), before);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(w->corner[i].z, 3.0);
    EXPECT_DOUBLE_EQ(w->corner[i + 4].z, 5.8);
  }
  EXPECT_DOUBLE_EQ(wall_openings(*w)[0].corner[0].z, 3.0 + p.base);
  EXPECT_EQ(w->selected, 0);
  w->selected = 1;
  EXPECT_EQ(set_wall_heights(d, std::nan(""), 1), 0);
  EXPECT_EQ(w->corner[0].z, 3.0);
}

TEST(WallDamage, ADamagedWallIsLeftAlone) {
  Drawing d;
  Wall* a = axis_wall(d, {0, 0}, {8, 0});
  Wall* b = axis_wall(d, {4, 0.12}, {4, 4});
  b->line_count = 1000;  // claims more lines than the record holds
  EXPECT_EQ(connect_walls(d, *a, *b), 0);
  EXPECT_EQ(separate_wall(d, *b), nullptr);
  EXPECT_FALSE(join_walls(d, *a, *b));
  EXPECT_EQ(connect_all_walls(d), 0);
  b->line_count = 4;
  a->corner[2].x = std::nan("");
  EXPECT_EQ(connect_walls(d, *a, *b), 0);
}

}  // namespace
}  // namespace korav
