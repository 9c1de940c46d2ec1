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
#include "app/selection.h"
#include "files/drawing_file.h"
#include "tests/files_test_support.h"

namespace korav {
namespace {

using files_test::TempDir;
using Seg = std::array<double, 4>;

// Runs a script on `app` in an empty data directory (no catalogue, so nothing is appended to the
// real one) and returns the transcript. The canvas shows 1:500, a pixel is 1/6 m: the snap
// square is +-1.17 m around a click.
std::vector<std::string> run_script(App& app, const std::string& script, const TempDir& dir) {
  std::istringstream in(script + "\np_nop\n");
  ScriptHost host(app, in, "test", nullptr);
  EXPECT_EQ(host.run(CommandLine{}, dir.path()), 0) << script;
  return host.transcript();
}

// Base lines are drawn with snapping off, so that their points are exactly the clicks.
const std::string kOff = "set Toolbar/Snap off\n";
const std::string kTwoCrossing =  // (0,0)-(10,0) and (4,-10)-(4,10)
    kOff +
    "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
    "b_line_line\nclick 4 -10\nclick 4 10\nclick 4 10\n";
const std::string kCorner =  // (0,0)-(10,0) and (0,0.5)-(0,10)
    kOff +
    "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
    "b_line_line\nclick 0 0.5\nclick 0 10\nclick 0 10\n";
const std::string kAttach =  // two short lines and an edge at x = 5, the attach tool waiting
    kOff +
    "b_line_line\nclick 0 0\nclick 3 0\nclick 3 0\n"
    "b_line_line\nclick 0 2\nclick 3 2\nclick 3 2\n"
    "b_line_line\nclick 5 -10\nclick 5 10\nclick 5 10\n"
    "b_line_attach\nclick 5.01 -5\n";

struct Case {
  const char* what;
  std::string script;
  std::size_t count;     // lines in the saved drawing
  std::vector<Seg> has;  // some of them
  std::size_t arcs = 0;
  const char* shown = nullptr;  // a transcript line, and how often it came
  int times = 0;
  Case(const char* w, std::string sc, std::size_t c, std::vector<Seg> h, std::size_t a = 0,
       const char* sh = nullptr, int t = 0)
      : what(w), script(std::move(sc)), count(c), has(std::move(h)), arcs(a), shown(sh), times(t) {}
};

TEST(LineToolScripts, EveryToolThroughTheScriptHost) {
  const double k = 2 / std::sqrt(2.0);
  const Case cases[] = {
      Case(
          "line",
          kOff +
              "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\nclick 0 5\nclick 10 5\nclick 10 5\n",
          2, {{0, 0, 10, 0}, {0, 5, 10, 5}}, 0, "prompt: Move/Confirm:", 2),
      Case("undo takes the last line",
           kOff + "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\nclick 0 5\nclick 10 5\nclick 10 "
                  "5\np_undo\n",
           1, {{0, 0, 10, 0}}),
      // (0.7, 0.7) is 0.28 from the second line's start and 0.99 from the first's: the snap
      // takes store order, not distance.
      Case("snap order",
           kOff + "b_line_line\nclick 0 0\nclick -10 0\nclick -10 0\n"
                  "b_line_line\nclick 0.9 0.9\nclick 10 10\nclick 10 10\n"
                  "set Toolbar/Snap on\nb_line_line\nclick 0.7 0.7\nclick 0.7 -20\nclick 0.7 -20\n",
           3, {{0, 0, 0.7, -20}}),
      // Direction from two points (45°), then a point projected onto it and a typed length.
      Case("x, y, angle",
           kOff + "b_line_x\nclick 1 1\nclick 5 7\nclick 5 7\n"
                  "b_line_y\nclick 1 1\nclick 5 7\nclick 5 7\n"
                  "b_line_a\nclick 0 0\nclick 1 1\nclick 1 1\n"
                  "click 0 10\nclick 0 10\nclick 8 14\nclick 8 14\n"
                  "click 20 0\nclick 20 0\ntype 2\n",
           4, {{1, 1, 5, 1}, {1, 1, 1, 7}, {0, 10, 6, 16}, {20, 0, 20 + k, k}}),
      // Above the edge: +d; exactly on it the tie goes to -d.
      Case("parallel",
           kOff + "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
                  "b_line_parallel\ntype 2\nclick 5 0.1\nclick 5 3\nclick 5 0.1\nclick 5 0\n",
           3, {{0, 2, 10, 2}, {0, -2, 10, -2}}, 0, "prompt: Select side:", 2),
      Case("through point, orthogonal",
           kOff + "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
                  "b_line_pparallel\nclick 5 0.1\nclick 3 4\nclick 3 4\n"
                  "b_line_orthogonal\nclick 5 0.1\nclick 7 -3\nclick 9 5\nclick 9 5\n",
           3, {{0, 4, 10, 4}, {7, 0, 7, 5}}),
      // The polygon's corner on its centre creates nothing.
      Case("frames, polygon",
           kOff + "b_line_frame\nclick 4 3\nclick 0 0\nclick 0 0\n"
                  "b_line_oframe\ntype 1\nclick 20 20\nclick 22 21\nclick 22 21\n"
                  "b_line_polygon\ntype 4\nclick 40 0\nclick 42 0\nclick 42 0\n"
                  "click 50 0\nclick 50 0\nclick 50 0\n",
           12, {{0, 0, 4, 0}, {4, 3, 0, 3}, {19, 19, 23, 19}, {23, 22, 19, 22}, {42, 0, 40, 2}}),
      Case("polygon of two corners", kOff + "b_line_polygon\ntype 2\nclick 0 0\n", 0, {}, 0,
           "prompt: Center:", 0),
      Case("the frame is one undo step",
           kOff + "b_line_frame\nclick 4 3\nclick 0 0\nclick 0 0\np_undo\n", 0, {}),
      // The second join picks two parallel lines: no change.
      Case("join",
           kOff + "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
                  "b_line_line\nclick 5 2\nclick 5 8\nclick 5 8\n"
                  "b_line_line\nclick 0 20\nclick 10 20\nclick 10 20\n"
                  "b_line_join\nclick 2 0\nclick 5 6\nclick 3 0.01\nclick 3 20\n",
           3, {{5, 0, 0, 0}, {5, 0, 5, 8}, {0, 20, 10, 20}}),
      Case("fillet", kCorner + "b_line_join_arc\ntype 2\nclick 5 0.01\nclick 0.01 5\n", 2,
           {{2, 0, 10, 0}}, 1),
      Case("a chamfer that does not fit changes nothing",
           kCorner + "b_line_join_line\ntype 20\nclick 5 0.01\nclick 0.01 5\n", 2,
           {{0, 0, 10, 0}, {0, 0.5, 0, 10}}),
      // The line at 2.000005 lies within 1e-5 of the end: not a boundary.
      Case("extend",
           kOff + "b_line_line\nclick 0 0\nclick 2 0\nclick 2 0\n"
                  "b_line_line\nclick 2.000005 -1\nclick 2.000005 1\nclick 2.000005 1\n"
                  "b_line_line\nclick 6 -1\nclick 6 1\nclick 6 1\n"
                  "b_line_line\nclick 0 10\nclick 2 10\nclick 2 10\n"
                  "b_line_extend\nclick 1.5 0.01\nclick 1.5 10.01\n",
           4, {{0, 0, 6, 0}, {0, 10, 2, 10}}),
      // The second erase lies beyond the line's end: nothing.
      Case("erase, delete part",
           kOff + "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
                  "b_line_erase\nclick 5 0.01\nclick 4 0\nclick 6 0\nclick 6 0\n"
                  "click 1 0.01\nclick 12 0\nclick 14 0\nclick 14 0\np_nop\n"
                  "b_line_line\nclick 0 5\nclick 10 5\nclick 10 5\n"
                  "b_line_line\nclick 3 4\nclick 3 6\nclick 3 6\n"
                  "b_line_line\nclick 8 4\nclick 8 6\nclick 8 6\n"
                  "b_line_dpart\nclick 5 5.01\n",
           6, {{0, 0, 4, 0}, {6, 0, 10, 0}, {0, 5, 3, 5}, {8, 5, 10, 5}}),
      Case("delete part of a line nothing crosses",
           kOff + "b_line_line\nclick 0 5\nclick 10 5\nclick 10 5\nb_line_dpart\nclick 5 5.01\n", 0,
           {}),
      Case("undo of delete part",
           kOff + "b_line_line\nclick 0 5\nclick 10 5\nclick 10 5\nb_line_dpart\nclick 5 "
                  "5.01\np_undo\n",
           1, {{0, 5, 10, 5}}),
      Case("attach", kAttach + "click 1.5 0.01\nclick 1.5 2.01\ns_deffi_ok\n", 3,
           {{0, 0, 5, 0}, {0, 2, 5, 2}}),
      Case("cut, undo, redo",
           kTwoCrossing + "b_line_cut\nclick 4.01 -5\nclick 7 0.01\ns_deffi_ok\np_undo\np_redo\n",
           3, {{0, 0, 4, 0}, {4, 0, 10, 0}}),
      // A cancelled selection changes nothing and leaves no guide line behind.
      Case("cut cancelled",
           kTwoCrossing + "b_line_cut\nclick 4.01 -5\nclick 7 0.01\ns_deffi_cancel\n", 2,
           {{0, 0, 10, 0}}),
      Case("range selection",
           kAttach + "set Selection/Type Range\nclick -1 -1\nclick 4 3\ns_deffi_ok\n", 3,
           {{0, 0, 5, 0}, {0, 2, 5, 2}}),
      // The filter lets only pen 5 through: nothing is selected, nothing changes.
      Case("filter",
           kAttach + "set Selection/Type Range\nset Filter/Filter on\nset Filter/Pen 5\n"
                     "click -1 -1\nclick 4 3\ns_deffi_ok\n",
           3, {{0, 0, 3, 0}, {0, 2, 3, 2}}),
      // "All" takes every line, the edge itself included, which does not change.
      Case("select all", kAttach + "s_deffi_all\ns_deffi_ok\n", 3, {{0, 0, 5, 0}, {5, -10, 5, 10}}),
      Case(
          "snaps m and d",
          kOff +
              "b_line_line\nz_snap_m\nclick 0 0\nclick 4 2\nclick 4 2\nclick 2 9\nclick 2 9\n"
              "z_snap_d\nclick 0 0\nclick 8 0\nclick 8 0\ntype 4\ntype 1\nclick 2 -9\nclick 2 -9\n",
          2, {{2, 1, 2, 9}, {2, 0, 2, -9}}, 0, "prompt: Number of divisions:", 1),
      // The crossing of two lines, extended where they do not reach each other.
      Case("snap i",
           kOff + "b_line_line\nclick 0 0\nclick 3 0\nclick 3 0\n"
                  "b_line_line\nclick 5 2\nclick 5 8\nclick 5 8\n"
                  "b_line_line\nz_snap_i\nclick 1.5 0.01\nclick 5.01 5\nclick 9 9\nclick 9 9\n",
           3, {{5, 0, 9, 9}}),
      // From (6, 2) to the rounding arc about (2, 2) of radius 2: the tangent point nearer the
      // pick on the arc.
      Case("snap t",
           kCorner + "b_line_join_arc\ntype 2\nclick 5 0.01\nclick 0.01 5\n"
                     "b_line_line\nz_snap_t\nclick 6 2\nclick 6 2\nclick 0.586 0.586\nclick 9 "
                     "9\nclick 9 9\n",
           3, {{3, 2 - std::sqrt(3.0), 9, 9}}, 1),
      Case("cancelling a nested snap ends the tool",
           kOff + "b_line_line\nz_snap_m\nclick 0 0\np_nop\n", 0, {}, 0,
           "prompt: Move/End point:", 0),
      Case("remove duplicates",
           kOff + "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\nclick 10 0\nclick 0 0\n"
                  "click 0 0\nclick 0 0\nclick 10 0\nclick 10 0\np_tools_remdup\n",
           1, {{0, 0, 10, 0}}, 0, "message: Number of removed lines: 2|Number of removed arcs: 0|",
           1),
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string path = dir.file("out.krv");
    std::vector<std::string> transcript;
    {
      App app;
      transcript = run_script(app, c.script + "\np_nop\np_file_save\nfile " + path + "\n", dir);
    }
    Drawing saved;
    FakeUi ui;
    ASSERT_EQ(load_drawing(saved, ui, path), LoadStatus::kLoaded);
    std::vector<Seg> lines;
    std::size_t arcs = 0;
    for (const Element& e : saved.store.list) {
      EXPECT_NE(e.pen, kGuidePen);  // no guide line is left behind
      if (const Line* l = as<Line>(&e))
        lines.push_back({l->start.x, l->start.y, l->end.x, l->end.y});
      arcs += e.type == kCircle;
    }
    EXPECT_EQ(lines.size(), c.count);
    EXPECT_EQ(arcs, c.arcs);
    for (const Seg& s : c.has)
      EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                              [&](const Seg& l) {
                                for (int i = 0; i < 4; ++i)
                                  if (std::fabs(l[i] - s[i]) > 1e-9) return false;
                                return true;
                              }))
          << s[0] << " " << s[1] << " " << s[2] << " " << s[3];
    if (c.shown) {
      EXPECT_EQ(std::count(transcript.begin(), transcript.end(), c.shown), c.times);
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
