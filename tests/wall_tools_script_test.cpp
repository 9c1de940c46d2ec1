// The wall and opening tools end to end through the script host, the drawing saved and read
// back, and the outlines compared with the lines worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "model/element_points.h"
#include "tests/tool_script_support.h"

namespace korav {
namespace {

using tool_script::click;
using tool_script::kSnapOff;
using tool_script::num;
using tool_script::Result;
using tool_script::shown;

// An axis wall from the current preset.
std::string axis(double x1, double y1, double x2, double y2) {
  return "b_wall_axis\n" + click(x1, y1) + click(x2, y2) + click(x2, y2) + "p_nop\n";
}
const std::string kThin = kSnapOff + "set Wall/Thickness 0.24\n";
// An L: the second wall standing on the first one's face at its end.
const std::string kL = kThin + axis(0, 0, 4, 0) + axis(3.88, 0.12, 3.88, 4);
const std::string kT = kThin + axis(0, 0, 8, 0) + axis(4, 0.12, 4, 4);

using Seg = std::tuple<long long, long long, long long, long long>;
Seg seg(double x1, double y1, double x2, double y2) {
  auto r = [](double v) { return std::llround(v * 1e7); };
  Seg a{r(x1), r(y1), r(x2), r(y2)}, b{r(x2), r(y2), r(x1), r(y1)};
  return std::min(a, b);
}
using Segs = std::multiset<Seg>;
Segs outline(const Result& r) {
  Segs s;
  for (const Wall* w : r.all<Wall>())
    for (const OutlineLine& l : wall_lines(*w))
      s.insert(seg(l.start.x, l.start.y, l.end.x, l.end.y));
  return s;
}
Segs rectangles(std::initializer_list<std::array<double, 4>> boxes) {
  Segs s;
  for (const auto& [x0, y0, x1, y1] : boxes)
    for (Seg e :
         {seg(x0, y0, x1, y0), seg(x1, y0, x1, y1), seg(x1, y1, x0, y1), seg(x0, y1, x0, y0)})
      s.insert(e);
  return s;
}

struct Case {
  const char* what;
  std::string script;
  std::function<void(const Result&)> check;
  bool refused = false;  // an error box was shown: the run ends with status 1
};

void run_cases(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result r = tool_script::run(c.script);
    ASSERT_EQ(r.status, c.refused ? 1 : 0) << shown(r);
    ASSERT_TRUE(r.loaded);
    c.check(r);
  }
}

const Segs kLJoined = {seg(0, -0.12, 4, -0.12), seg(4, -0.12, 4, 0.12), seg(0, 0.12, 3.76, 0.12),
                       seg(0, 0.12, 0, -0.12),  seg(4, 0.12, 4, 4),     seg(4, 4, 3.76, 4),
                       seg(3.76, 4, 3.76, 0.12)};
const Segs kTJoined = {seg(0, -0.12, 8, -0.12),  seg(8, -0.12, 8, 0.12),  seg(0, 0.12, 3.88, 0.12),
                       seg(4.12, 0.12, 8, 0.12), seg(0, 0.12, 0, -0.12),  seg(4.12, 0.12, 4.12, 4),
                       seg(4.12, 4, 3.88, 4),    seg(3.88, 4, 3.88, 0.12)};
const Segs kTApart = rectangles({{0, -0.12, 8, 0.12}, {3.88, 0.12, 4.12, 4}});
// A check that the walls' outline is `want`.
std::function<void(const Result&)> outline_is(Segs want) {
  return [want](const Result& r) { EXPECT_EQ(outline(r), want); };
}

TEST(WallToolScripts, CreatingWalls) {
  run_cases({
      {"an axis wall has the preset's thickness, base, height and material",
       kThin + "set Wall/Base 0.5\nset Wall/Height 2\nset Wall/Material Brick\n" + axis(0, 0, 4, 0),
       [](const Result& r) {
         auto ws = r.all<Wall>();
         ASSERT_EQ(ws.size(), 1u);
         EXPECT_EQ(outline(r), rectangles({{0, -0.12, 4, 0.12}}));
         EXPECT_EQ(ws[0]->corner[0].z, 0.5);
         EXPECT_EQ(ws[0]->corner[4].z, 2.5);
         EXPECT_EQ(ws[0]->material.view(), "Brick");
       }},
      {"no thickness: the message, and nothing made",
       kSnapOff + "set Wall/Thickness 0\n" + axis(0, 0, 4, 0),
       [](const Result& r) {
         EXPECT_EQ(r.count(kWall), 0u);
         EXPECT_EQ(r.shown("error: Wallthickness is not defined"), 1u);
       },
       true},
      {"a rectangle without height: the message, then the rectangle asked again",
       kThin + "b_wall_wall\n" + click(0, 0) + click(3, 0) + click(3, 0) + click(0, 0) +
           click(0.3, 3) + click(0.3, 3) + "p_nop\n",
       [](const Result& r) {
         EXPECT_EQ(r.shown("error: Wallthickness is not defined"), 1u);
         EXPECT_EQ(outline(r), rectangles({{0, 0, 0.3, 3}}));
       },
       true},
      {"a side wall lies on the side of the side point",
       kThin + "b_wall_side\n" + click(0, 0) + click(4, 0) + click(4, 0) + click(2, 1) + "p_nop\n",
       outline_is(rectangles({{0, 0, 4, 0.24}}))},
      {"a wall at a typed angle and a typed length",
       kThin + "b_wall_angle\ntype 90\n" + click(1, 1) + click(1, 1) + "type 3\np_nop\n",
       outline_is(rectangles({{0.88, 1, 1.12, 4}}))},
      {"one undo step per wall", kL + "p_undo\n", outline_is(rectangles({{0, -0.12, 4, 0.12}}))},
  });
}

TEST(WallToolScripts, ConnectingAndSeparating) {
  run_cases({
      {"an L connected", kL + "b_wall_connect\n" + click(2, 0) + click(3.88, 2) + "p_nop\n",
       outline_is(kLJoined)},
      {"a T connected", kT + "b_wall_connect\n" + click(2, 0) + click(4, 2) + "p_nop\n",
       outline_is(kTJoined)},
      {"the same wall twice is not taken",
       kT + "b_wall_connect\n" + click(2, 0) + click(2, 0) + "p_nop\n", outline_is(kTApart)},
      {"connect all, then undo", kT + "b_wall_connect_all\np_undo\n", outline_is(kTApart)},
      {"connect all, then separate all restores both rectangles",
       kT + "b_wall_connect_all\nb_wall_separate_all\n", outline_is(kTApart)},
      {"separate one wall", kT + "b_wall_connect_all\nb_wall_separate\n" + click(4, 2) + "p_nop\n",
       [](const Result& r) {
         Segs want = rectangles({{3.88, 0.12, 4.12, 4}});
         for (Seg s : {seg(0, -0.12, 8, -0.12), seg(8, -0.12, 8, 0.12), seg(0, 0.12, 3.88, 0.12),
                       seg(4.12, 0.12, 8, 0.12), seg(0, 0.12, 0, -0.12)})
           want.insert(s);
         EXPECT_EQ(outline(r), want);
       }},
  });
}

TEST(WallToolScripts, ChangingWalls) {
  run_cases({
      {"joined at a corner",
       kThin + axis(0, 0, 3, 0) + axis(4, 1, 4, 4) + "b_wall_join\n" + click(1, 0) + click(4, 2) +
           "p_nop\n",
       outline_is(rectangles({{0, -0.12, 4, 0.12}, {3.88, 0, 4.12, 4}}))},
      {"attached to a line",
       kThin + axis(0, 0, 3, 0) + "b_line_line\n" + click(5, -1) + click(5, 1) + click(5, 1) +
           "p_nop\nb_wall_attach\n" + click(5, 0.5) + click(1, 0) + "s_deffi_ok\n",
       [](const Result& r) {
         EXPECT_EQ(outline(r), rectangles({{0, -0.12, 5, 0.12}}));
         EXPECT_EQ(r.count(kLine), 1u);  // the guide line is gone again
       }},
      {"extended to a line",
       kThin + axis(0, 0, 3, 0) + "b_line_line\n" + click(5, -1) + click(5, 1) + click(5, 1) +
           "p_nop\nb_wall_extend\n" + click(2.9, 0) + "p_nop\n",
       outline_is(rectangles({{0, -0.12, 5, 0.12}}))},
      {"a part erased",
       kThin + axis(0, 0, 10, 0) + "b_wall_erase\n" + click(5, 0) + click(2, 1) + click(4, -1) +
           click(4, -1),
       outline_is(rectangles({{0, -0.12, 2, 0.12}, {4, -0.12, 10, 0.12}}))},
      {"heights altered, footprint kept",
       kThin + axis(0, 0, 4, 0) + "b_wall_alter_height\n" + click(2, 0) +
           "s_deffi_ok\ntype 1\ntype 3\n",
       [](const Result& r) {
         auto ws = r.all<Wall>();
         ASSERT_EQ(ws.size(), 1u);
         EXPECT_EQ(ws[0]->corner[0].z, 1);
         EXPECT_EQ(ws[0]->corner[7].z, 4);
         EXPECT_EQ(outline(r), rectangles({{0, -0.12, 4, 0.12}}));
       }},
  });
}

// A door 0.885 wide in a 0.365 wall, from the door preset (stop 0.0625 by 0.115).
const std::string kThick = kSnapOff + "set Wall/Thickness 0.365\n" + axis(0, 0, 5, 0);
std::string door(double from, double to, double outer_y, double leaf_x, double leaf_y) {
  return "b_opening_door\n" + click(2.5, 0.1) + click(from, 0) + click(to, 0) + click(to, 0) +
         click((from + to) / 2, outer_y) + click(leaf_x, leaf_y) + "p_nop\n";
}

TEST(OpeningToolScripts, DoorsWindowsAndTheirRefusals) {
  const double h = 0.1825, r = h - 0.115;
  run_cases({
      {"a door cuts both faces and adds the reveals", kThick + door(1, 1.885, -1, 1.1, 0.5),
       [=](const Result& res) {
         auto ws = res.all<Wall>();
         ASSERT_EQ(ws.size(), 1u);
         ASSERT_EQ(ws[0]->opening_count, 1u);
         const Opening& o = wall_openings(*ws[0])[0];
         EXPECT_EQ(o.kind, 2);
         EXPECT_EQ(o.leaf_side, 0);  // hinge at the start, opening to the inner side
         // Every line is worked out in the openings test; here the clicks' side of the stop.
         const Segs s = outline(res);
         EXPECT_EQ(s.size(), 12u);
         EXPECT_EQ(s.count(seg(1, -h, 1, -r)), 1u);
         EXPECT_EQ(s.count(seg(0, h, 0.9375, h)), 1u);
       }},
      {"a door from the other side keeps its rebate inside the wall",
       kThick + door(1, 1.885, 1, 1.8, 1),
       [=](const Result& res) {
         auto ws = res.all<Wall>();
         ASSERT_EQ(ws.size(), 1u);
         EXPECT_EQ(wall_openings(*ws[0])[0].leaf_side, 3);
         const Segs s = outline(res);
         EXPECT_EQ(s.count(seg(1, h, 1, r)), 1u);
         EXPECT_EQ(s.count(seg(0, -h, 0.9375, -h)), 1u);
         for (const OutlineLine& l : wall_lines(*ws[0]))
           EXPECT_LE(std::max(std::fabs(l.start.y), std::fabs(l.end.y)), h + 1e-9);
       }},
      {"a door past the wall's end is refused and changes nothing",
       kThick + door(4.5, 5.385, -1, 4.6, 0.5),
       [](const Result& res) {
         EXPECT_EQ(res.shown("error: The opening does not fit into the wall!"), 1u);
         EXPECT_EQ(outline(res), rectangles({{0, -0.1825, 5, 0.1825}}));
       },
       true},
      {"a window over the door is refused and changes nothing",
       kThick + door(1, 1.885, -1, 1.1, 0.5) + "b_opening_window\n" + click(2.5, 0.1) +
           click(1.5, 0) + click(2.5, 0) + click(2.5, 0) + click(2, -1) + "p_nop\n",
       [](const Result& res) {
         EXPECT_EQ(res.shown("error: The opening overlaps another opening!"), 1u);
         auto ws = res.all<Wall>();
         ASSERT_EQ(ws.size(), 1u);
         EXPECT_EQ(ws[0]->opening_count, 1u);
         EXPECT_EQ(wall_lines(*ws[0]).size(), 12u);
       },
       true},
      {"a window beside the door, then the door removed",
       kThick + door(1, 1.885, -1, 1.1, 0.5) + "b_opening_window\n" + click(2.5, 0.1) +
           click(3, 0) + click(4, 0) + click(4, 0) + click(3.5, -1) + "p_nop\n" +
           "b_opening_remove\n" + click(1.4, 0) + "p_nop\n",
       [](const Result& res) {
         auto ws = res.all<Wall>();
         ASSERT_EQ(ws.size(), 1u);
         ASSERT_EQ(ws[0]->opening_count, 1u);
         EXPECT_EQ(wall_openings(*ws[0])[0].kind, 3);
         EXPECT_EQ(wall_lines(*ws[0]).size(), 12u);
       }},
      {"the opening's height altered",
       kThick + door(1, 1.885, -1, 1.1, 0.5) + "b_opening_alter_height\n" + click(1.4, 0) +
           "type 0.1\ntype 2.2\np_nop\n",
       [](const Result& res) {
         const Opening& o = wall_openings(*res.all<Wall>()[0])[0];
         EXPECT_DOUBLE_EQ(o.base, 0.1);
         EXPECT_DOUBLE_EQ(o.corner[5].z, 2.3);
       }},
      {"a door altered into a window",
       kThick + door(1, 1.885, -1, 1.1, 0.5) + "b_opening_alter_window\n" + click(1.4, 0) +
           "p_nop\n",
       [](const Result& res) { EXPECT_EQ(wall_openings(*res.all<Wall>()[0])[0].kind, 3); }},
      {"a door's symbol dissolved into a leaf line and a swing",
       kThick + "set Door/Stop width 0\nset Door/Stop depth 0\n" + door(1, 1.885, -1, 1.1, 0.5) +
           "b_opening_dissolve\n" + click(1.4, 0) + "answer Yes\np_nop\n",
       [](const Result& res) {
         EXPECT_EQ(res.count(kLine), 1u);
         EXPECT_EQ(res.count(kCircle), 1u);
         EXPECT_EQ(wall_openings(*res.all<Wall>()[0])[0].subtype, 0);
         EXPECT_EQ(wall_lines(*res.all<Wall>()[0]).size(), 8u);  // the gap stays
       }},
  });
}

// Every text the wall and opening tools show has its German line in the catalogue.
TEST(WallToolTexts, EveryTextHasItsGermanLine) {
  tool_script::expect_in_catalogue({"Wallthickness is not defined",
                                    "1st Wall:",
                                    "2nd Wall:",
                                    "Select Wall:",
                                    "Select end of Wall:",
                                    "Select side:",
                                    "Select Line:",
                                    "Start point:",
                                    "Move/End point:",
                                    "Move/Confirm:",
                                    "Angle/1st Direction point:",
                                    "Move/2nd Direction point:",
                                    "Length/End point:",
                                    "1st Corner point:",
                                    "Move/2nd Corner point:",
                                    "Base:",
                                    "Height:",
                                    "Outer side:",
                                    "Doorleaf:",
                                    "Select Opening:",
                                    "To many openings in this wall!",
                                    "Really dissolve the symbol into single objects?",
                                    "The opening does not fit into the wall!",
                                    "The opening overlaps another opening!",
                                    "The height must be greater than 0!"});
}

}  // namespace
}  // namespace korav
