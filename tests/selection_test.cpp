#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "app/filter.h"
#include "app/selection.h"

namespace korav {
namespace {

Line* line(Drawing& d, double x1, double y1, double x2, double y2, int layer = 0, int pen = 1) {
  return create_line(d.store, layer, pen, 0, x1, y1, x2, y2);
}

int selected_count(const Drawing& d) {
  int n = 0;
  for (const Element& e : d.store.list) n += e.selected;
  return n;
}

TEST(SelectionModes, ActivePassiveSwitch) {
  std::uint8_t f = 0;
  const std::pair<SelectMode, int> steps[] = {{kSelectActive, 1},
                                              {kSelectActive, 1},
                                              {kSelectSwitch, 0},
                                              {kSelectSwitch, 1},
                                              {kSelectPassive, 0}};
  for (auto [mode, want] : steps) {
    apply_mode(mode, f);
    EXPECT_EQ(f, want) << mode;
  }
}

TEST(SelectionRange, AllDefiningPointsInsideBordersIncluded) {
  Drawing d;
  Line* inside = line(d, 0, 0, 2, 2);
  Line* half = line(d, 1, 1, 5, 1);  // one end outside
  Circle c = make_element<Circle>(0, 1, 0);
  c.centre = {1, 1, 0};
  c.radius1 = c.radius2 = 10;  // the curve leaves the rectangle; only the centre counts
  Element* circle = create(d.store, c);
  Line* other_layer = line(d, 0, 0, 1, 1, 3);
  SelectionSettings s;
  int changed = 0;
  EXPECT_EQ(select_range(d, s, Filter{}, 0, 2, 2, 0, 0, [&](Element&) { ++changed; }), 2);
  EXPECT_EQ(changed, 2);
  EXPECT_EQ(std::tuple(inside->selected, half->selected, circle->selected, other_layer->selected),
            std::tuple(1, 0, 1, 0));
  // switch mode twice leaves the element as before
  s.mode = kSelectSwitch;
  select_range(d, s, Filter{}, 0, 0, 0, 2, 2);
  select_range(d, s, Filter{}, 0, 0, 0, 2, 2);
  EXPECT_EQ(inside->selected, 1);
  // visible layers widen the range to shown layers
  std::tie(d.layers.layer[3].state, s.mode, s.layers) = std::tuple(1, kSelectActive, 1);
  select_range(d, s, Filter{}, 0, 0, 0, 2, 2);
  EXPECT_EQ(other_layer->selected, 1);
}

TEST(SelectionRange, OutlinesAndThreeDViews) {
  Drawing d;
  Pattern p = make_element<Pattern>(0, 1, 0);
  std::vector<Point2> outline = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {999, 999, 0}};
  Element* pat = create_pattern(d.store, p, outline);
  Line3D l3 = make_element<Line3D>(0, 1, 0);
  l3.start = {0, 0, 0, 0};
  l3.end = {1, 0, 5, 0};
  Element* line3d = create(d.store, l3);
  Line* plain = line(d, 0, 0, 1, 0);
  SelectionSettings s;
  // the separator counts as inside
  select_range(d, s, Filter{}, 0, -1, -1, 2, 2);
  EXPECT_EQ(std::tuple(pat->selected, line3d->selected), std::tuple(1, 1));
  d.deselect_all();
  // front view: the 3D line reaches z = 5, the plain line is not tested at all
  select_range(d, s, Filter{}, 2, -1, -1, 2, 2);
  EXPECT_EQ(std::tuple(line3d->selected, plain->selected), std::tuple(0, 0));
  select_range(d, s, Filter{}, 2, -1, -1, 2, 6);
  EXPECT_EQ(std::tuple(line3d->selected, plain->selected), std::tuple(1, 0));
}

TEST(SelectionFilter, PenLineAndObjectType) {
  Drawing d;
  Line* pen2 = line(d, 0, 0, 1, 1, 0, 2);
  Line* pen3 = line(d, 0, 0, 1, 1, 0, 3);
  Line* pen2_other = line(d, 0, 0, 1, 1, 5, 2);  // a hidden layer
  Room r = make_element<Room>(0, 2, 0);
  Element* room = create(d.store, r);
  Filter f;
  std::tie(f.active, f.by, f.pen) = std::tuple(true, kFilterPen, 2);
  SelectionSettings s;
  EXPECT_EQ(select_all(d, s, f), 2);
  EXPECT_EQ(std::tuple(pen2->selected, pen3->selected, pen2_other->selected, room->selected),
            std::tuple(1, 0, 0, 1));
  // object type: the menu's "Room" is type code 11, "Camera" 10
  EXPECT_EQ(std::tuple(filter_object_type(9), filter_object_type(10), filter_object_type(11),
                       filter_object_type(12)),
            std::tuple(kRoom, kLight, kCamera, 0));
  f.by = kFilterObjectType;
  f.object_entry = 9;
  EXPECT_TRUE(passes_filter(f, *room));
  EXPECT_FALSE(passes_filter(f, *pen2));
  f.by = kFilterPenLine;
  f.line_type = 1;
  EXPECT_FALSE(passes_filter(f, *pen2));
  f.active = false;
  EXPECT_TRUE(passes_filter(f, *pen3));
  // the settings chunk keeps line type, pen and filter by; bad values fall back
  std::array<std::uint32_t, 3> chunk{};
  Filter g;
  std::tie(g.by, g.pen, g.line_type) = std::tuple(kFilterLine, 4, 6);
  filter_to_settings(g, chunk);
  EXPECT_EQ(chunk, (std::array<std::uint32_t, 3>{6, 4, 1}));
  Filter back;
  filter_from_settings(back, {7, 300, 99});
  EXPECT_EQ(std::tuple(back.line_type, back.pen, back.by), std::tuple(7, 0, kFilterPen));
}

TEST(SelectionPoints, MarksOnlyPointsInsideAndNeverSeparators) {
  Drawing d;
  Line* l = line(d, 0, 0, 5, 0);
  Pattern p = make_element<Pattern>(0, 1, 0);
  p.offset = {0.5, 0.7, 0};  // the second family's origin, outside the range
  std::vector<Point2> outline = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {999, 999, 0}};
  Pattern* pat = create_pattern(d.store, p, outline);
  SelectionSettings s;
  EXPECT_EQ(select_points(d, s, Filter{}, 0, -1, -1, 1000, 0.5), 2);
  EXPECT_TRUE(s.points_marked);
  // Neither the separator nor the second family's origin is marked, nor the line selected.
  EXPECT_EQ(std::tuple(l->start.mark, l->end.mark, pat->points()[0].mark, pat->points()[2].mark,
                       pat->points()[3].mark, pat->offset.mark, l->selected),
            std::tuple(1, 1, 1, 0, 0, 0, 0));
}

// In the front view a rectangle marks a 3D line's projected points but never a plan line.
TEST(SelectionPoints, InA3DViewPlanElementsStayUnmarked) {
  Drawing d;
  Line* plan = line(d, 1, 1, 2, 1);
  Line3D l3 = make_element<Line3D>(0, 1, 0);
  l3.start = {1, 50, 1, 0};
  l3.end = {2, 50, 9, 0};
  Line3D* solid = create(d.store, l3);
  SelectionSettings s;
  EXPECT_EQ(select_points(d, s, Filter{}, 2, 0, 0, 3, 3), 1);
  EXPECT_EQ(std::tuple(plan->start.mark + plan->end.mark, solid->start.mark, solid->end.mark),
            std::tuple(0, 1, 0));
  EXPECT_EQ(select_points(d, s, Filter{}, 0, 0, 0, 3, 3), 1);  // the plan view still marks it
  EXPECT_EQ(plan->start.mark, 1);
}

TEST(SelectionOpening, MarksTheWallPointsOfTheNearestOpening) {
  Drawing d;
  Wall w = make_element<Wall>(0, 1, 0);
  double xs[4] = {0, 10, 10, 0}, ys[4] = {0, 0, 0.3, 0.3};
  for (int i = 0; i < 8; ++i) w.corner[i] = {xs[i % 4], ys[i % 4], i < 4 ? 0.0 : 2.5, 0};
  Opening o{};
  double ox[4] = {2, 3, 3, 2}, oy[4] = {0, 0, 0.3, 0.3};
  for (int i = 0; i < 8; ++i) o.corner[i] = {ox[i % 4], oy[i % 4], i < 4 ? 0.0 : 2.0, 0};
  std::vector<OutlineLine> lines = {{{0, 0, 0}, {2, 0, 0}}, {{3, 0, 0}, {10, 0, 0}}};
  Wall* wall = create_wall(d.store, w, lines, std::span<const Opening>(&o, 1));
  SelectionSettings s;
  EXPECT_EQ(select_opening(d, s, 3.5, 0.2), nullptr);  // not between the opening's ends
  EXPECT_EQ(select_opening(d, s, 2.5, 1.5), nullptr);  // 1.5 m away
  EXPECT_FALSE(s.points_marked);
  EXPECT_EQ(select_opening(d, s, 2.5, 0.5), wall);
  EXPECT_TRUE(s.points_marked);
  EXPECT_EQ(std::tuple(wall->lines()[0].end.mark, wall->lines()[1].start.mark,
                       wall->lines()[0].start.mark),
            std::tuple(1, 1, 0));
  for (const Point3& c : wall->openings()[0].corner) EXPECT_EQ(c.mark, 1);
  EXPECT_EQ(wall->corner[0].mark, 0);
}

TEST(SelectionGroupElementLast, PicksAndUndoStep) {
  Drawing d;
  PickContext c;
  c.units_per_pixel = 0.01;
  Line* a = line(d, 0, 0, 10, 0);
  Line* b = line(d, 0, 5, 10, 5);
  Line* other = line(d, 0, 9, 10, 9);
  a->group = b->group = 4;
  SelectionSettings s;
  EXPECT_EQ(select_group(d, s, Filter{}, c, 5, 0.1), 2);
  EXPECT_EQ(std::tuple(b->selected, other->selected), std::tuple(1, 0));
  EXPECT_EQ(select_group(d, s, Filter{}, c, 5, 9.1), 0);  // no group
  d.deselect_all();
  Filter f;
  std::tie(f.active, f.pen) = std::tuple(true, 7);
  EXPECT_EQ(select_element(d, s, f, c, 5, 9.1), nullptr);  // filtered out
  EXPECT_EQ(select_element(d, s, Filter{}, c, 5, 9.1), other);
  EXPECT_EQ(other->selected, 1);
  d.deselect_all();
  EXPECT_EQ(select_last(d, s, Filter{}), 0);  // no step recorded yet
  line(d, 1, 1, 2, 2);
  line(d, 1, 1, 2, 3);
  d.undo.record(d.store, kUndoMarkLast, 2);
  EXPECT_EQ(select_last(d, s, Filter{}), 2);
  EXPECT_EQ(selected_count(d), 2);
}

TEST(SelectionCancel, ClearsFlagsAndPointsByScope) {
  Drawing d;
  Line* l = line(d, 0, 0, 1, 0);
  Wall w = make_element<Wall>(0, 1, 0);
  Wall* wall = create_wall(d.store, w, {}, {});
  SelectionSettings s;
  select_all(d, s, Filter{});
  select_points(d, s, Filter{}, 0, -1, -1, 2, 2);
  int redrawn = 0;
  EXPECT_TRUE(clear_after_cancel(d, s, 1, [&](Element&) { ++redrawn; }));
  EXPECT_EQ(redrawn, 0);  // everything is redrawn instead
  EXPECT_EQ(selected_count(d), 0);
  EXPECT_EQ(wall->corner[0].mark, 0);
  EXPECT_EQ(l->start.mark, 1);  // scope 1 clears walls only
  EXPECT_TRUE(clear_after_cancel(d, s, 2));
  EXPECT_EQ(l->start.mark, 0);
  SelectionSettings plain;
  select_all(d, plain, Filter{});
  EXPECT_FALSE(clear_after_cancel(d, plain, 0, [&](Element&) { ++redrawn; }));
  EXPECT_EQ(redrawn, 2);
  EXPECT_EQ(selected_count(d), 0);
}

}  // namespace
}  // namespace korav
