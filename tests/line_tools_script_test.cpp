// The line tools end to end: a script drives the program through the script host, the drawing
// is saved, and the saved file is read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "app/script_host.h"
#include "tests/files_test_support.h"
#include "tests/tool_script_support.h"

namespace korav {
namespace {

using files_test::TempDir;
using tool_script::click;
using tool_script::kSnapOff;
using tool_script::twice;
using Seg = std::array<double, 4>;

// Runs a script on `app` in an empty data directory and returns the transcript. The canvas
// shows 1:500, a pixel is 1/6 m: the snap square is +-1.17 m around a click.
std::vector<std::string> run_script(App& app, const std::string& script, const TempDir& dir) {
  std::istringstream in(script + "\np_nop\n");
  ScriptHost host(app, in, "test", nullptr);
  EXPECT_EQ(host.run(CommandLine{}, dir.path()), 0) << script;
  return host.transcript();
}

// A line from its two points and the confirmation; the tool stays on.
std::string line(double x1, double y1, double x2, double y2) {
  return "b_line_line\n" + click(x1, y1) + twice(x2, y2);
}
// Base lines are drawn with snapping off, so that their points are exactly the clicks.
const std::string kTwoCrossing = kSnapOff + line(0, 0, 10, 0) + line(4, -10, 4, 10);
const std::string kCorner = kSnapOff + line(0, 0, 10, 0) + line(0, 0.5, 0, 10);
// Two short lines and an edge at x = 5, the attach tool waiting.
const std::string kAttach = kSnapOff + line(0, 0, 3, 0) + line(0, 2, 3, 2) + line(5, -10, 5, 10) +
                            "b_line_attach\n" + click(5.01, -5);

bool same(const Line& l, const Seg& s) {
  const Seg got{l.start.x, l.start.y, l.end.x, l.end.y};
  for (int i = 0; i < 4; ++i)
    if (std::fabs(got[i] - s[i]) > 1e-9) return false;
  return true;
}

struct Case {
  const char* what;
  std::string script;
  std::size_t count;     // lines in the saved drawing
  std::vector<Seg> has;  // some of them
  std::size_t arcs = 0;
  const char* shown = nullptr;  // a transcript line, and how often it came
  std::size_t times = 0;
  Case(const char* w, std::string sc, std::size_t c, std::vector<Seg> h, std::size_t a = 0,
       const char* sh = nullptr, std::size_t t = 0)
      : what(w), script(std::move(sc)), count(c), has(std::move(h)), arcs(a), shown(sh), times(t) {}
};

TEST(LineToolScripts, EveryToolThroughTheScriptHost) {
  const double k = 2 / std::sqrt(2.0);
  const std::string two = kSnapOff + line(0, 0, 10, 0) + click(0, 5) + twice(10, 5);
  const std::string cut_line = kSnapOff + line(0, 5, 10, 5) + "b_line_dpart\n" + click(5, 5.01);
  const Case cases[] = {
      Case("line", two, 2, {{0, 0, 10, 0}, {0, 5, 10, 5}}, 0, "prompt: Move/Confirm:", 2),
      Case("undo takes the last line", two + "p_undo\n", 1, {{0, 0, 10, 0}}),
      // (0.7, 0.7) is 0.28 from the second line's start and 0.99 from the first's: the snap
      // takes store order, not distance.
      Case("snap order",
           kSnapOff + line(0, 0, -10, 0) + line(0.9, 0.9, 10, 10) + "set Toolbar/Snap on\n" +
               line(0.7, 0.7, 0.7, -20),
           3, {{0, 0, 0.7, -20}}),
      // Direction from two points (45°), then a point projected onto it and a typed length.
      Case("x, y, angle",
           kSnapOff + "b_line_x\n" + click(1, 1) + twice(5, 7) + "b_line_y\n" + click(1, 1) +
               twice(5, 7) + "b_line_a\n" + click(0, 0) + twice(1, 1) + twice(0, 10) +
               twice(8, 14) + twice(20, 0) + "type 2\n",
           4, {{1, 1, 5, 1}, {1, 1, 1, 7}, {0, 10, 6, 16}, {20, 0, 20 + k, k}}),
      // Above the edge: +d; exactly on it the tie goes to -d.
      Case("parallel",
           kSnapOff + line(0, 0, 10, 0) + "b_line_parallel\ntype 2\n" + click(5, 0.1) +
               click(5, 3) + click(5, 0.1) + click(5, 0),
           3, {{0, 2, 10, 2}, {0, -2, 10, -2}}, 0, "prompt: Select side:", 2),
      Case("through point, orthogonal",
           kSnapOff + line(0, 0, 10, 0) + "b_line_pparallel\n" + click(5, 0.1) + twice(3, 4) +
               "b_line_orthogonal\n" + click(5, 0.1) + click(7, -3) + twice(9, 5),
           3, {{0, 4, 10, 4}, {7, 0, 7, 5}}),
      // The polygon's corner on its centre creates nothing.
      Case("frames, polygon",
           kSnapOff + "b_line_frame\n" + click(4, 3) + twice(0, 0) + "b_line_oframe\ntype 1\n" +
               click(20, 20) + twice(22, 21) + "b_line_polygon\ntype 4\n" + click(40, 0) +
               twice(42, 0) + click(50, 0) + twice(50, 0),
           12, {{0, 0, 4, 0}, {4, 3, 0, 3}, {19, 19, 23, 19}, {23, 22, 19, 22}, {42, 0, 40, 2}}),
      Case("polygon of two corners", kSnapOff + "b_line_polygon\ntype 2\n" + click(0, 0), 0, {}, 0,
           "prompt: Center:", 0),
      Case("the frame is one undo step",
           kSnapOff + "b_line_frame\n" + click(4, 3) + twice(0, 0) + "p_undo\n", 0, {}),
      // The second join picks two parallel lines: no change.
      Case("join",
           kSnapOff + line(0, 0, 10, 0) + line(5, 2, 5, 8) + line(0, 20, 10, 20) + "b_line_join\n" +
               click(2, 0) + click(5, 6) + click(3, 0.01) + click(3, 20),
           3, {{5, 0, 0, 0}, {5, 0, 5, 8}, {0, 20, 10, 20}}),
      Case("fillet", kCorner + "b_line_join_arc\ntype 2\n" + click(5, 0.01) + click(0.01, 5), 2,
           {{2, 0, 10, 0}}, 1),
      Case("a chamfer that does not fit changes nothing",
           kCorner + "b_line_join_line\ntype 20\n" + click(5, 0.01) + click(0.01, 5), 2,
           {{0, 0, 10, 0}, {0, 0.5, 0, 10}}),
      // The line at 2.000005 lies within 1e-5 of the end: not a boundary.
      Case("extend",
           kSnapOff + line(0, 0, 2, 0) + line(2.000005, -1, 2.000005, 1) + line(6, -1, 6, 1) +
               line(0, 10, 2, 10) + "b_line_extend\n" + click(1.5, 0.01) + click(1.5, 10.01),
           4, {{0, 0, 6, 0}, {0, 10, 2, 10}}),
      // The second erase lies beyond the line's end: nothing.
      Case("erase, delete part",
           kSnapOff + line(0, 0, 10, 0) + "b_line_erase\n" + click(5, 0.01) + click(4, 0) +
               twice(6, 0) + click(1, 0.01) + click(12, 0) + twice(14, 0) + "p_nop\n" +
               line(0, 5, 10, 5) + line(3, 4, 3, 6) + line(8, 4, 8, 6) + "b_line_dpart\n" +
               click(5, 5.01),
           6, {{0, 0, 4, 0}, {6, 0, 10, 0}, {0, 5, 3, 5}, {8, 5, 10, 5}}),
      Case("delete part of a line nothing crosses", cut_line, 0, {}),
      Case("undo of delete part", cut_line + "p_undo\n", 1, {{0, 5, 10, 5}}),
      Case("attach", kAttach + click(1.5, 0.01) + click(1.5, 2.01) + "s_deffi_ok\n", 3,
           {{0, 0, 5, 0}, {0, 2, 5, 2}}),
      Case("cut, undo, redo",
           kTwoCrossing + "b_line_cut\n" + click(4.01, -5) + click(7, 0.01) +
               "s_deffi_ok\np_undo\np_redo\n",
           3, {{0, 0, 4, 0}, {4, 0, 10, 0}}),
      // A cancelled selection changes nothing and leaves no guide line behind.
      Case("cut cancelled",
           kTwoCrossing + "b_line_cut\n" + click(4.01, -5) + click(7, 0.01) + "s_deffi_cancel\n", 2,
           {{0, 0, 10, 0}}),
      Case("range selection",
           kAttach + "set Selection/Type Range\n" + click(-1, -1) + click(4, 3) + "s_deffi_ok\n", 3,
           {{0, 0, 5, 0}, {0, 2, 5, 2}}),
      // The filter lets only pen 5 through: nothing is selected, nothing changes.
      Case("filter",
           kAttach + "set Selection/Type Range\nset Filter/Filter on\nset Filter/Pen 5\n" +
               click(-1, -1) + click(4, 3) + "s_deffi_ok\n",
           3, {{0, 0, 3, 0}, {0, 2, 3, 2}}),
      // "All" takes every line, the edge itself included, which does not change.
      Case("select all", kAttach + "s_deffi_all\ns_deffi_ok\n", 3, {{0, 0, 5, 0}, {5, -10, 5, 10}}),
      Case("snaps m and d",
           kSnapOff + "b_line_line\nz_snap_m\n" + click(0, 0) + twice(4, 2) + twice(2, 9) +
               "z_snap_d\n" + click(0, 0) + twice(8, 0) + "type 4\ntype 1\n" + twice(2, -9),
           2, {{2, 1, 2, 9}, {2, 0, 2, -9}}, 0, "prompt: Number of divisions:", 1),
      // The crossing of two lines, extended where they do not reach each other.
      Case("snap i",
           kSnapOff + line(0, 0, 3, 0) + line(5, 2, 5, 8) + "b_line_line\nz_snap_i\n" +
               click(1.5, 0.01) + click(5.01, 5) + twice(9, 9),
           3, {{5, 0, 9, 9}}),
      // From (6, 2) to the rounding arc about (2, 2) of radius 2: the tangent point nearer the
      // pick on the arc.
      Case("snap t",
           kCorner + "b_line_join_arc\ntype 2\n" + click(5, 0.01) + click(0.01, 5) +
               "b_line_line\nz_snap_t\n" + twice(6, 2) + click(0.586, 0.586) + twice(9, 9),
           3, {{3, 2 - std::sqrt(3.0), 9, 9}}, 1),
      Case("cancelling a nested snap ends the tool",
           kSnapOff + "b_line_line\nz_snap_m\n" + click(0, 0) + "p_nop\n", 0, {}, 0,
           "prompt: Move/End point:", 0),
      Case("remove duplicates",
           kSnapOff + line(0, 0, 10, 0) + click(10, 0) + twice(0, 0) + click(0, 0) + twice(10, 0) +
               "p_tools_remdup\n",
           1, {{0, 0, 10, 0}}, 0, "message: Number of removed lines: 2|Number of removed arcs: 0|",
           1),
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const tool_script::Result r = tool_script::run(c.script);
    ASSERT_EQ(r.status, 0) << tool_script::shown(r);
    ASSERT_TRUE(r.loaded);
    for (const Element& e : r.saved.store.list) EXPECT_NE(e.pen, kGuidePen);  // none left behind
    const auto lines = r.all<Line>();
    EXPECT_EQ(lines.size(), c.count);
    EXPECT_EQ(r.count(kCircle), c.arcs);
    for (const Seg& s : c.has)
      EXPECT_TRUE(std::ranges::any_of(lines, [&](const Line* l) { return same(*l, s); }))
          << s[0] << " " << s[1] << " " << s[2] << " " << s[3];
    if (c.shown) {
      EXPECT_EQ(r.shown(c.shown), c.times);
    }
  }
}

TEST(LineToolScripts, LeftSelectionOfAttachOrCutKeepsTheDrawingUnmodified) {
  for (const char* tool : {"b_line_attach", "b_line_cut"}) {
    TempDir dir;
    App app;
    run_script(app,
               kTwoCrossing + "p_file_save\nfile " + dir.file("base.krv") + "\n" + tool +
                   "\nclick 4.01 -5\nclick 7 0.01\ns_deffi_cancel\n",
               dir);
    EXPECT_EQ(app.drawing.store.size(), 2u) << tool;  // no guide line left
    EXPECT_FALSE(app.drawing.store.modified) << tool;
  }
}

}  // namespace
}  // namespace korav
