#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>
#include <vector>

#include "draft/crossings.h"
#include "draft/line_tools.h"

namespace korav {
namespace {

// A point's x and y, within `tolerance`.
template <class P>
void expect_at(const P& p, double x, double y, double tolerance) {
  EXPECT_NEAR(p.x, x, tolerance);
  EXPECT_NEAR(p.y, y, tolerance);
}

std::vector<Line*> lines_of(Drawing& d) {
  std::vector<Line*> out;
  for (Element& e : d.store.list)
    if (Line* l = as<Line>(&e)) out.push_back(l);
  return out;
}

void expect_line(const Line& l, double x1, double y1, double x2, double y2) {
  expect_at(l.start, x1, y1, 1e-9);
  expect_at(l.end, x2, y2, 1e-9);
}

Line* line(Drawing& d, double x1, double y1, double x2, double y2, int layer = 0) {
  return create_line(d.store, layer, 1, 0, x1, y1, x2, y2);
}

// The script cases (line_tools_script_test.cpp) draw x, y and angle lines, parallels with the
// tie to -d, through-point, orthogonal, frames and polygons; these are the cases they miss.
TEST(LineGeometry, CasesTheScriptsMiss) {
  // A vertical edge drawn downwards: normal angle 3π/2 + π/2 wraps to 0 (towards +x); the tie
  // still goes to -d.
  LineSegment tie_v = parallel_at_distance({{0, 10}, {0, 0}}, 1, {0, 5});
  EXPECT_NEAR(tie_v.start.x, -1, 1e-12);
  // Zero-size frames create nothing; a frame may shrink as long as something is left.
  EXPECT_EQ(frame_sides({1, 1}, {3, 1}, 0).size(), 0u);
  EXPECT_EQ(frame_sides({0, 0}, {1, 1}, -0.5).size(), 0u);
  EXPECT_EQ(frame_sides({0, 0}, {4, 4}, -1).size(), 4u);
  EXPECT_TRUE(polygon_corners({0, 0}, {1, 0}, 2).empty());
  EXPECT_TRUE(polygon_corners({0, 0}, {0.000001, 0}, 5).empty());
}

TEST(LineTools, CreatingToolsRecordOneUndoStepEach) {
  Drawing d;
  std::tie(d.current_layer, d.current_pen, d.current_line_type) = std::tuple(3, 2, 4);
  add_line(d, {0, 0}, {1, 1});
  d.guide_mode = true;
  EXPECT_EQ(add_frame(d, {0, 0}, {2, 1}, 0), 4);
  EXPECT_EQ(add_polygon(d, {0, 0}, {1, 0}, 6), 6);
  EXPECT_EQ(add_polygon(d, {0, 0}, {0, 0}, 6), 0);
  EXPECT_EQ(d.store.size(), 11u);
  EXPECT_EQ(d.undo.level_count(), 3);
  Line* first = lines_of(d)[0];
  EXPECT_EQ(std::tuple(first->layer, first->pen, first->line_type), std::tuple(3, 2, 4));
  EXPECT_EQ(lines_of(d)[1]->pen, kGuidePen);
  // the polygon closes back to its first corner
  auto all = lines_of(d);
  expect_line(*all.back(), all.back()->start.x, all.back()->start.y, 1, 0);
  d.undo.undo(d.store);
  EXPECT_EQ(d.store.size(), 5u);
  d.undo.undo(d.store);
  EXPECT_EQ(d.store.size(), 1u);
}

TEST(LineJoin, OneUndoStepBringsBothLinesBack) {
  Drawing d;
  Line* a = line(d, 0, 0, 10, 0);
  Line* b = line(d, 5, 2, 5, 8);
  ASSERT_TRUE(join_lines(d, *a, {2, 0}, *b, {5, 6}, JoinKind::kJoin, 0));
  EXPECT_EQ(d.undo.level_count(), 1);
  d.undo.undo(d.store);
  auto ls = lines_of(d);
  ASSERT_EQ(ls.size(), 2u);
  expect_line(*ls[0], 0, 0, 10, 0);
  expect_line(*ls[1], 5, 2, 5, 8);
}

TEST(LineJoin, ParallelOrFarOrSameLineChangesNothing) {
  Drawing d;
  Line* a = line(d, 0, 0, 10, 0);
  Line* b = line(d, 0, 1, 10, 1);
  EXPECT_FALSE(join_lines(d, *a, {1, 0}, *b, {1, 1}, JoinKind::kJoin, 0));
  EXPECT_FALSE(join_lines(d, *a, {1, 0}, *a, {2, 0}, JoinKind::kJoin, 0));
  Line* c = line(d, 20000, -1, 20000, 1);
  EXPECT_FALSE(join_lines(d, *a, {1, 0}, *c, {20000, 0.5}, JoinKind::kJoin, 0));
  EXPECT_EQ(d.undo.level_count(), 0);
  expect_line(*a, 0, 0, 10, 0);
  expect_line(*b, 0, 1, 10, 1);
}

TEST(LineJoin, ChamferCutsCornerAndAddsLine) {
  Drawing d;
  d.current_layer = 2;
  Line* a = create_line(d.store, 2, 5, 3, 0, 0, 10, 0);
  Line* b = create_line(d.store, 2, 1, 1, 0, 0, 0, 10);
  double len = std::sqrt(2.0);  // right angle: cut 1 along each line
  ASSERT_TRUE(join_lines(d, *a, {5, 0}, *b, {0, 5}, JoinKind::kChamfer, len));
  expect_line(*a, 1, 0, 10, 0);
  expect_line(*b, 0, 1, 0, 10);
  auto ls = lines_of(d);
  ASSERT_EQ(ls.size(), 3u);
  expect_line(*ls[2], 1, 0, 0, 1);
  EXPECT_EQ(ls[2]->pen, 5);
  EXPECT_EQ(ls[2]->line_type, 3);
  d.undo.undo(d.store);
  EXPECT_EQ(d.store.size(), 2u);
}

TEST(LineJoin, FilletAddsTangentArc) {
  Drawing d;
  Line* a = line(d, 0, 0, 10, 0);
  Line* b = line(d, 0, 0, 0, 10);
  ASSERT_TRUE(join_lines(d, *a, {5, 0}, *b, {0, 5}, JoinKind::kFillet, 2));
  expect_line(*a, 2, 0, 10, 0);
  expect_line(*b, 0, 2, 0, 10);
  Circle* c = as<Circle>(d.store.tail());
  ASSERT_NE(c, nullptr);
  expect_at(c->centre, 2, 2, 1e-9);
  EXPECT_NEAR(c->radius1, 2, 1e-12);
  EXPECT_NEAR(c->start_angle, std::numbers::pi, 1e-9);
  EXPECT_NEAR(c->sweep, std::numbers::pi / 2, 1e-9);
  EXPECT_EQ(d.undo.level_count(), 1);
}

TEST(LineJoin, FilletThatDoesNotFitChangesNothing) {
  Drawing d;
  Line* a = line(d, 1, 0, 3, 0);  // extended to the corner it would run 0..3
  Line* b = line(d, 0, 1, 0, 3);
  EXPECT_FALSE(join_lines(d, *a, {2, 0}, *b, {0, 2}, JoinKind::kFillet, 5));
  expect_line(*a, 1, 0, 3, 0);
  expect_line(*b, 0, 1, 0, 3);
  EXPECT_EQ(d.undo.level_count(), 0);
}

TEST(LineJoin, LinesMeetingAtAnEndStay) {
  Drawing d;
  Line* a = line(d, 0, 0, 4, 0);
  Line* b = line(d, 0, 0, 0, 4);
  ASSERT_TRUE(join_lines(d, *a, {2, 0}, *b, {0, 2}, JoinKind::kJoin, 0));
  expect_line(*a, 0, 0, 4, 0);
  expect_line(*b, 0, 0, 0, 4);
}

TEST(LineAttachCut, AttachExtendsOnlyLinesThatMissTheEdge) {
  Drawing d;
  Line* short_line = line(d, 0, 0, 3, 0);
  Line* crossing = line(d, 0, 1, 8, 1);
  Line* parallel = line(d, 5, -5, 5, 5);
  for (Line* l : {short_line, crossing, parallel}) l->selected = 1;
  EXPECT_EQ(attach_selected(d, {{5, -10}, {5, 10}}), 1);
  expect_line(*short_line, 0, 0, 5, 0);
  expect_line(*crossing, 0, 1, 8, 1);
  for (Element& e : d.store.list) EXPECT_EQ(e.selected, 0);
  d.undo.undo(d.store);  // the saved copies come back in store order
  expect_line(*lines_of(d)[0], 0, 0, 3, 0);
}

TEST(LineAttachCut, CutSplitsStrictlyCrossedLines) {
  Drawing d;
  d.current_layer = 0;
  Line* a = line(d, 0, 0, 10, 0);
  Line* touching = line(d, 5, 0, 5, -3);  // touches the cut line at its start only
  a->selected = touching->selected = 1;
  EXPECT_EQ(cut_selected(d, {{4, -1}, {4, 1}}), 1);
  auto ls = lines_of(d);
  ASSERT_EQ(ls.size(), 3u);
  expect_line(*a, 0, 0, 4, 0);
  expect_line(*ls[2], 4, 0, 10, 0);
  d.undo.undo(d.store);
  ls = lines_of(d);
  ASSERT_EQ(ls.size(), 2u);
  expect_line(*ls[0], 0, 0, 10, 0);
}

TEST(LineExtend, ExtendsPickedEndToNearestBoundary) {
  Drawing d;
  Line* l = line(d, 0, 0, 2, 0);
  line(d, 8, -1, 8, 1);
  line(d, 5, -1, 5, 1);
  line(d, -3, -1, -3, 1);  // behind the other end
  ASSERT_TRUE(extend_line(d, *l, {1.8, 0}));
  expect_line(*l, 0, 0, 5, 0);
  // picking near the start extends the start, which becomes the line's end
  ASSERT_TRUE(extend_line(d, *l, {0.2, 0}));
  expect_line(*l, 5, 0, -3, 0);
}

TEST(LineExtend, NothingInTheWayAndTolerances) {
  Drawing d;
  Line* l = line(d, 0, 0, 2, 0);
  line(d, 5, 1, 5, 3);  // misses the extension
  EXPECT_FALSE(extend_line(d, *l, {1.9, 0}));
  EXPECT_EQ(d.undo.level_count(), 0);
  // a crossing just outside the other line (within its 1e-5 tolerance) still counts
  Drawing d2;
  Line* m = line(d2, 0, 0, 2, 0);
  line(d2, 6, 0.000005, 6, 4);  // the crossing (6, 0) lies 0.000005/4 before its start
  EXPECT_TRUE(extend_line(d2, *m, {1.9, 0}));
  expect_line(*m, 0, 0, 6, 0);
}

TEST(LineExtend, ToArcAndWallOutline) {
  Drawing d;
  Line* l = line(d, 0, 0, 1, 0);
  Circle c = make_element<Circle>(0, 1, 0);
  c.centre = {10, 0, 0};
  c.radius1 = c.radius2 = 2;
  c.start_angle = std::numbers::pi / 2;  // left half: crossing at x = 8 only
  c.sweep = std::numbers::pi;
  create(d.store, c);
  ASSERT_TRUE(extend_line(d, *l, {0.9, 0}));
  expect_line(*l, 0, 0, 8, 0);
  Drawing d2;
  Line* m = line(d2, 0, 0, 1, 0);
  Wall w = make_element<Wall>(0, 1, 0);
  OutlineLine o{{4, -1, 0}, {4, 1, 0}};
  create_wall(d2.store, w, std::span<const OutlineLine>(&o, 1), {});
  ASSERT_TRUE(extend_line(d2, *m, {0.9, 0}));
  expect_line(*m, 0, 0, 4, 0);
}

TEST(LineErase, CasesAndBeyondOneEnd) {
  Drawing d;
  Line* l = line(d, 0, 0, 10, 0);
  EXPECT_FALSE(erase_line_part(d, *l, {11, 1}, {14, 0}));
  EXPECT_FALSE(erase_line_part(d, *l, {-3, 0}, {-1, 0}));
  EXPECT_EQ(d.undo.level_count(), 0);
  ASSERT_TRUE(erase_line_part(d, *l, {6, 1}, {4, -1}));  // middle: split
  auto ls = lines_of(d);
  ASSERT_EQ(ls.size(), 2u);
  expect_line(*ls[0], 0, 0, 4, 0);
  expect_line(*ls[1], 6, 0, 10, 0);
  ASSERT_TRUE(erase_line_part(d, *ls[0], {-1, 0}, {1, 0}));  // over the start
  expect_line(*ls[0], 1, 0, 4, 0);
  ASSERT_TRUE(erase_line_part(d, *ls[1], {8, 0}, {12, 0}));  // over the end
  expect_line(*ls[1], 6, 0, 8, 0);
  ASSERT_TRUE(erase_line_part(d, *ls[1], {0, 0}, {12, 0}));  // all of it
  EXPECT_EQ(d.store.size(), 1u);
  for (int i = 0; i < 4; ++i) d.undo.undo(d.store);
  ls = lines_of(d);
  ASSERT_EQ(ls.size(), 1u);
  expect_line(*ls[0], 0, 0, 10, 0);
}

TEST(LineDeletePart, CrossingsNearAnEndDoNotCount) {
  // Between the nearest crossings is a script case. A crossing within 1e-5 of an end does not
  // count: the end piece is deleted up to x = 4.
  Drawing d2;
  Line* m = line(d2, 0, 0, 10, 0);
  line(d2, 0.00005, -1, 0.00005, 1);
  line(d2, 4, -1, 4, 1);
  ASSERT_TRUE(delete_line_part(d2, *m, {1, 0}));
  expect_line(*m, 4, 0, 10, 0);
  Drawing d3;
  Line* n = line(d3, 0, 0, 10, 0);
  line(d3, 0.000001, -1, 0.000001, 1);  // 1e-7 along: too near the start to count
  ASSERT_TRUE(delete_line_part(d3, *n, {1, 0}));
  EXPECT_EQ(d3.store.size(), 1u);
  EXPECT_NEAR(as<Line>(d3.store.head())->start.x, 0.000001,
              1e-15);  // only the crossing line is left
}

TEST(RemoveDuplicates, ExactLinesReversedAndArcsOnCurrentLayer) {
  Drawing d;
  d.current_layer = 1;
  line(d, 0, 0, 1, 1, 1);
  line(d, 1, 1, 0, 0, 1);          // reversed duplicate
  line(d, 0, 0, 1, 1 + 1e-12, 1);  // not exactly equal
  line(d, 0, 0, 1, 1, 2);          // other layer
  line(d, -0.0, 0, 1, 1, 1);       // -0 equals 0
  Circle c = make_element<Circle>(1, 1, 0);
  c.radius1 = c.radius2 = 1;
  c.sweep = 1;
  create(d.store, c);
  create(d.store, c);
  c.axis_angle = 0.5;
  create(d.store, c);
  auto counts = remove_duplicates(d);
  EXPECT_EQ(std::tuple(counts.first, counts.second, d.store.size()), std::tuple(2, 1, 5u));
  EXPECT_EQ(remove_duplicates_message(counts),
            "Number of removed lines: 2\nNumber of removed arcs: 1\n");
  d.undo.undo(d.store);
  EXPECT_EQ(d.store.size(), 8u);
}

TEST(RemoveDuplicates, PreviouslySelectedElementsAreNotRemoved) {
  Drawing d;
  line(d, 0, 0, 1, 0)->selected = 1;
  line(d, 0, 0, 2, 0);
  EXPECT_EQ(remove_duplicates(d).first, 0);
  EXPECT_EQ(d.store.size(), 2u);
}

TEST(Crossings, LineWithEllipseAndArcMembership) {
  Circle e = make_element<Circle>(0, 0, 0);
  e.radius1 = 4;
  e.radius2 = 2;
  e.axis_angle = std::numbers::pi / 2;  // long axis along y
  e.sweep = 2 * std::numbers::pi;
  CurveCrossings x = line_curve_crossings({0, -10}, {0, 10}, e);
  ASSERT_EQ(x.count, 2);
  EXPECT_NEAR(x.point[0].y, -4, 1e-9);
  EXPECT_NEAR(x.point[1].y, 4, 1e-9);
  EXPECT_LT(x.t[0], x.t[1]);
  CurveCrossings y = line_curve_crossings({-10, 0}, {10, 0}, e);
  ASSERT_EQ(y.count, 2);
  EXPECT_NEAR(y.point[1].x, 2, 1e-9);
  EXPECT_EQ(line_curve_crossings({-10, 5}, {10, 5}, e).count, 0);
  Circle arc = make_element<Circle>(0, 0, 0);
  arc.radius1 = arc.radius2 = 1;
  arc.start_angle = 3 * std::numbers::pi / 2;  // from -90° over 180°: the right half
  arc.sweep = std::numbers::pi;
  EXPECT_TRUE(on_arc(arc, {1, 0}));
  EXPECT_TRUE(on_arc(arc, {0, 1}));
  EXPECT_FALSE(on_arc(arc, {-1, 0}));
  Circle other = arc;
  other.centre = {1, 0, 0};
  CurveCrossings cc = circle_crossings(arc, other);
  ASSERT_EQ(cc.count, 2);
  EXPECT_NEAR(cc.point[0].x, 0.5, 1e-12);
  EXPECT_NEAR(std::fabs(cc.point[0].y), std::sqrt(0.75), 1e-12);
  EXPECT_EQ(circle_crossings(arc, arc).count, 0);  // concentric
}

}  // namespace
}  // namespace korav
