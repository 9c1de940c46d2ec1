// The circle tools end to end: scripts drive the program through the script host, the drawing
// is saved and read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "base/catalogue.h"
#include "tests/shell_test_support.h"
#include "tests/tool_script_support.h"

namespace korav {
namespace {

using tool_script::kSnapOff;
using tool_script::Result;

constexpr double kPi = std::numbers::pi;

double angle_gap(double a, double b) {
  double d = std::fmod(std::fabs(a - b), 2 * kPi);
  return std::min(d, 2 * kPi - d);
}

// A circle of the saved drawing: centre, radii, start and sweep.
struct Want {
  double x, y, a, b, start, sweep;
};

bool matches(const Circle& c, const Want& w) {
  return std::fabs(c.centre.x - w.x) < 1e-9 && std::fabs(c.centre.y - w.y) < 1e-9 &&
         std::fabs(c.radius1 - w.a) < 1e-9 && std::fabs(c.radius2 - w.b) < 1e-9 &&
         std::fabs(c.sweep - w.sweep) < 1e-9 && angle_gap(c.start_angle, w.start) < 1e-9;
}

struct Case {
  const char* what;
  std::string script;
  std::vector<Want> circles;  // exactly these, in any order
  std::size_t lines = 0;
  std::size_t splines = 0;
};

const std::string kCircle2 = kSnapOff + "b_circle_circle\nclick 0 0\nclick 0 0\ntype 2\n";
const std::string kSplineScript =
    kSnapOff + "b_circle_spline\nclick 0 0\nclick 10 0\nclick 3 5\nclick 7 -5\nclick 7 -5\n";

TEST(CircleToolScripts, EveryToolThroughTheScriptHost) {
  const double full = 2 * kPi;
  const std::string erase =
      kCircle2 + "b_circle_erase\nclick 0 2.01\nclick 2 0\nclick 0 2\nclick 0 2\n";
  const Case cases[] = {
      {"circle by a typed radius and by a point",
       kSnapOff + "b_circle_circle\nclick 0 0\nclick 0 0\ntype 2\nclick 10 0\nclick 10 0\n"
                  "click 13 4\nclick 13 4\n",
       {{0, 0, 2, 2, 0, full}, {10, 0, 5, 5, 0, full}}},
      {"a typed radius of 0 creates nothing",
       kSnapOff + "b_circle_circle\nclick 0 0\nclick 0 0\ntype 0\nclick 1 1\nclick 1 1\ntype -2\n",
       {}},
      {"circle through three points, and three collinear points",
       kSnapOff + "b_circle_3point\nclick 5 3\nclick 3 5\nclick 1 3\nclick 1 3\n"
                  "click 0 0\nclick 1 1\nclick 2 2\nclick 2 2\n"
                  "click 0 0\nclick 0 0\nclick 2 2\nclick 2 2\n",
       {{3, 3, 2, 2, 0, full}}},
      // The middle point on the short side gives the quarter, on the long side the rest.
      {"three-point arcs on the short and the long side",
       kSnapOff + "b_circle_arc3point\nclick 10 0\nclick 6 8\nclick 0 10\nclick 0 10\n"
                  "click 20 0\nclick -12 -16\nclick 0 20\nclick 0 20\n",
       {{0, 0, 10, 10, 0, kPi / 2}, {0, 0, 20, 20, kPi / 2, 1.5 * kPi}}},
      {"arc about a centre, both directions",
       kSnapOff + "b_circle_arc\nclick 0 0\nclick 2 0\nclick 0 2\nclick 0 2\nclick 1 1\n"
                  "click 0 0\nclick 3 0\nclick 0 3\nclick 0 3\nclick -1 -1\n",
       {{0, 0, 2, 2, 0, kPi / 2}, {0, 0, 3, 3, kPi / 2, 1.5 * kPi}}},
      {"ellipses about a centre and in a frame",
       kSnapOff + "b_circle_ellipse\nclick 0 0\nclick 3 -2\nclick 3 -2\n"
                  "b_circle_ellipsefame\nclick 10 0\nclick 14 2\nclick 14 2\n",
       {{0, 0, 3, 2, 0, full}, {12, 1, 2, 1, 0, full}}},
      {"parallels at a distance, outside and inside",
       kCircle2 + "b_circle_parallel\ntype 0.5\nclick 0 2.01\nclick 4 0\nclick 0 2.01\nclick 1 0\n",
       {{0, 0, 2, 2, 0, full}, {0, 0, 2.5, 2.5, 0, full}, {0, 0, 1.5, 1.5, 0, full}}},
      {"parallel through a point",
       kCircle2 + "b_circle_pparallel\nclick 0 2.01\nclick 0 5\nclick 0 5\n",
       {{0, 0, 2, 2, 0, full}, {0, 0, 5, 5, 0, full}}},
      // Erasing on a closed circle leaves one arc from the end point round to the start point.
      {"erase on a closed circle", erase, {{0, 0, 2, 2, kPi / 2, 1.5 * kPi}}},
      {"erase, undo, redo", erase + "p_undo\np_redo\n", {{0, 0, 2, 2, kPi / 2, 1.5 * kPi}}},
      {"erase undone", erase + "p_undo\n", {{0, 0, 2, 2, 0, full}}},
      // The lines at x = ±1 cross at 60°, 120°, 240° and 300°.
      {"delete part",
       kCircle2 + "b_line_line\nclick 1 -5\nclick 1 5\nclick 1 5\n"
                  "b_line_line\nclick -1 -5\nclick -1 5\nclick -1 5\n"
                  "b_circle_dpart\nclick -2.01 0\n",
       {{0, 0, 2, 2, 4 * kPi / 3, 4 * kPi / 3}},
       2},
      // The end of the quarter arc moves on to the line at x = -1 (120°); b_line_extend on an arc
      // is the same tool.
      {"extend an arc",
       kSnapOff + "b_circle_arc\nclick 0 0\nclick 2 0\nclick 0 2\nclick 0 2\nclick 1 1\n"
                  "b_line_line\nclick -1 -5\nclick -1 5\nclick -1 5\n"
                  "b_circle_extend\nclick 0.3 1.99\np_nop\n"
                  "b_line_extend\nclick 1.99 0.1\n",
       {{0, 0, 2, 2, 4 * kPi / 3, 4 * kPi / 3}},
       1},
      {"spline", kSplineScript, {}, 0, 1},
      {"a spline of one point creates nothing",
       kSnapOff + "b_circle_spline\nclick 1 1\nclick 1 1\nclick 1 1\nclick 1 1\nclick 1 1\n",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Result r = tool_script::run(c.script);
    EXPECT_EQ(r.status, 0);
    ASSERT_TRUE(r.loaded);
    const auto circles = r.all<Circle>();
    EXPECT_EQ(circles.size(), c.circles.size());
    for (const Want& w : c.circles)
      EXPECT_TRUE(std::any_of(circles.begin(), circles.end(),
                              [&](const Circle* got) { return matches(*got, w); }))
          << w.x << " " << w.y << " " << w.a << " " << w.start << " " << w.sweep;
    EXPECT_EQ(r.count(kLine), c.lines);
    EXPECT_EQ(r.count(kSpline), c.splines);
  }
}

TEST(CircleToolScripts, PromptsInOrderAndACancelledDissolveKeepsTheSpline) {
  Result r = tool_script::run(kSplineScript +
                              "b_circle_splinedissolve\nclick 5 0.01\nanswer Cancel\np_nop\n"
                              "b_circle_arc\nclick 0 0\nclick 2 0\nclick 0 2\nclick 0 2\n");
  std::vector<std::string> prompts;
  for (const std::string& l : r.transcript)
    if (l.rfind("prompt: ", 0) == 0) prompts.push_back(l.substr(8));
  const std::vector<std::string> want = {
      "Start point:",  "Move/End point:",   "Move/1st control point:", "Move/2nd control point:",
      "Move/Confirm:", "Start point:",      "Select Spline:",          "Select function:",
      "Center:",       "Move/Start point:", "Move/End point:",         "Move/Confirm:",
      "Direction:",    "Select function:"};
  ASSERT_GE(prompts.size(), want.size() + 1);
  EXPECT_EQ(std::vector<std::string>(prompts.begin() + 1, prompts.begin() + 1 + want.size()), want);
  EXPECT_EQ(
      r.shown("question: Really dissolve the spline into single lines? [Yes|Cancel] -> Cancel"),
      1u);
  ASSERT_TRUE(r.loaded);
  EXPECT_EQ(r.count(kSpline), 1u);
  EXPECT_EQ(r.count(kLine), 0u);
}

// The spline becomes as many lines as the screen draws it with: more zoomed in, within 12..120.
TEST(CircleToolScripts, DissolvingFollowsTheZoom) {
  const std::string& spline = kSplineScript;
  const std::string dissolve = "b_circle_splinedissolve\nclick 5 0.01\nanswer Yes\np_nop\n";
  Result out = tool_script::run(spline + "s_maplus\ns_maplus\ns_maplus\n" + dissolve);
  Result mid = tool_script::run(spline + dissolve);
  Result in = tool_script::run(spline + "f_zoom\nclick -1 -3\nclick 11 3\n" + dissolve);
  Result undone = tool_script::run(spline + dissolve + "p_undo\n");
  for (const Result* r : {&out, &mid, &in}) {
    EXPECT_EQ(r->count(kSpline), 0u);
    EXPECT_GE(r->count(kLine), 12u);
    EXPECT_LE(r->count(kLine), 120u);
    // The lines run from the spline's start to its end, one after the other.
    const auto lines = r->all<Line>();
    ASSERT_FALSE(lines.empty());
    EXPECT_NEAR(distance(lines.front()->start, {0, 0}), 0, 1e-9);
    EXPECT_NEAR(distance(lines.back()->end, {10, 0}), 0, 1e-9);
    for (std::size_t i = 1; i < lines.size(); ++i)
      EXPECT_NEAR(distance(lines[i]->start, lines[i - 1]->end), 0, 1e-9);
  }
  EXPECT_LT(out.count(kLine), in.count(kLine));
  EXPECT_LE(out.count(kLine), mid.count(kLine));
  EXPECT_LE(mid.count(kLine), in.count(kLine));
  EXPECT_EQ(undone.count(kSpline), 1u);
  EXPECT_EQ(undone.count(kLine), 0u);
}

// Every prompt and question of the circle and edit tools has its English and German text in
// the project's catalogue.
TEST(CircleToolScripts, TextsAreInTheCatalogue) {
  tool_script::expect_in_catalogue({"Radius/Circle point:",
                                    "1st Circle point:",
                                    "Move/2nd Circle point:",
                                    "Move/3rd Circle point:",
                                    "Move/Start point:",
                                    "Direction:",
                                    "Initial Circle/Arc:",
                                    "Select Circle/Arc:",
                                    "Select segment:",
                                    "Move/1st control point:",
                                    "Move/2nd control point:",
                                    "Select Spline:",
                                    "Really dissolve the spline into single lines?",
                                    "Move XYZ/Start point:",
                                    "Move XYZ/End point:",
                                    "Move XYZ/Confirm:",
                                    "Target point:",
                                    "Number of copies:",
                                    "Rotation axis 1st point:",
                                    "Move/2nd point:",
                                    "Mirror axis 1st point:",
                                    "Mirror plane 1st point:",
                                    "Move XYZ/2nd point:",
                                    "Move XYZ/3rd point:",
                                    "Fixed point:",
                                    "X-Factor/Start point:",
                                    "Y-Factor:",
                                    "Z-Factor:",
                                    "Z-Offset:"});
}

}  // namespace
}  // namespace korav
