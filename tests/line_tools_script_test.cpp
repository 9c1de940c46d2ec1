// The line tools end to end: a script drives the program through the script host, the drawing
// is saved, and the saved file is read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/script_host.h"
#include "files/drawing_file.h"
#include "tests/files_test_support.h"

namespace korav {
namespace {

using files_test::ScriptedUi;
using files_test::TempDir;

using Seg = std::array<double, 4>;

struct Result {
  int status = -1;
  std::vector<std::string> transcript;
  std::vector<Seg> lines;          // the saved drawing's lines, in store order
  std::vector<const Circle*> arcs;
  Drawing saved;
};

// Runs the script, appends the save of the drawing and reads the file back. The canvas shows
// 1:500, a pixel is 1/6 m: the snap square is +-1.17 m around a click.
void run(const std::string& script, Result& out) {
  TempDir dir;
  std::string path = dir.file("out.krv");
  std::string full = script + "\np_nop\np_file_save\nfile " + path + "\n";
  {
    App app;
    std::istringstream in(full);
    ScriptHost host(app, in, "test", nullptr);
    // An empty data directory: no catalogue, so nothing is appended to the real one.
    out.status = host.run(CommandLine{}, dir.path());
    out.transcript = host.transcript();
  }
  ScriptedUi ui;
  ASSERT_EQ(load_drawing(out.saved, ui, path), LoadStatus::kLoaded);
  for (const Element& e : out.saved.store.list) {
    if (const Line* l = as<Line>(&e)) out.lines.push_back({l->start.x, l->start.y, l->end.x, l->end.y});
    if (const Circle* c = as<Circle>(&e)) out.arcs.push_back(c);
  }
}

bool same(const Seg& a, const Seg& b) {
  for (int i = 0; i < 4; ++i)
    if (std::fabs(a[i] - b[i]) > 1e-9) return false;
  return true;
}

bool has_line(const Result& r, Seg s) {
  return std::any_of(r.lines.begin(), r.lines.end(), [&](const Seg& l) { return same(l, s); });
}

int count_prompt(const Result& r, std::string_view prompt) {
  std::string want = "prompt: " + std::string(prompt);
  return static_cast<int>(std::count(r.transcript.begin(), r.transcript.end(), want));
}

// Two base lines drawn with snapping off, so that their points are exactly the clicks.
constexpr const char* kNoSnap = "set Toolbar/Snap off\n";
constexpr const char* kSnap = "set Toolbar/Snap on\n";

TEST(LineToolScripts, LineAndUndo) {
  Result r;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\nclick 0 5\nclick 10 5\nclick 10 5\n",
      r);
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_TRUE(same(r.lines[0], {0, 0, 10, 0}));
  EXPECT_TRUE(same(r.lines[1], {0, 5, 10, 5}));
  EXPECT_EQ(count_prompt(r, "Move/Confirm:"), 2);
  Result u;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\nclick 0 5\nclick 10 5\nclick 10 5\n"
          "p_undo\n",
      u);
  ASSERT_EQ(u.lines.size(), 1u);
  EXPECT_TRUE(same(u.lines[0], {0, 0, 10, 0}));
}

TEST(LineToolScripts, SnapTakesStoreOrderNotDistance) {
  Result r;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick -10 0\nclick -10 0\n"
          "b_line_line\nclick 0.9 0.9\nclick 10 10\nclick 10 10\n" + kSnap +
          // (0.7, 0.7) is 0.28 from the second line's start and 0.99 from the first's
          "b_line_line\nclick 0.7 0.7\nclick 0.7 -20\nclick 0.7 -20\n",
      r);
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_TRUE(same(r.lines[2], {0, 0, 0.7, -20}));
}

TEST(LineToolScripts, HorizontalVerticalAndAngle) {
  Result r;
  run(std::string(kNoSnap) +
          "b_line_x\nclick 1 1\nclick 5 7\nclick 5 7\n"
          "b_line_y\nclick 1 1\nclick 5 7\nclick 5 7\n"
          // direction from two points (45°), then a point projected onto it and a typed length
          "b_line_a\nclick 0 0\nclick 1 1\nclick 1 1\n"
          "click 0 10\nclick 0 10\nclick 8 14\nclick 8 14\n"
          "click 20 0\nclick 20 0\ntype 2\n",
      r);
  ASSERT_EQ(r.lines.size(), 4u);
  EXPECT_TRUE(same(r.lines[0], {1, 1, 5, 1}));
  EXPECT_TRUE(same(r.lines[1], {1, 1, 1, 7}));
  EXPECT_TRUE(same(r.lines[2], {0, 10, 6, 16}));
  double k = 2 / std::sqrt(2.0);
  EXPECT_TRUE(same(r.lines[3], {20, 0, 20 + k, k}));
}

TEST(LineToolScripts, ParallelTieGoesToMinusSide) {
  Result r;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
          "b_line_parallel\ntype 2\nclick 5 0.1\nclick 5 3\n"   // above: +d
          "click 5 0.1\nclick 5 0\n",                          // exactly between: -d
      r);
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_TRUE(same(r.lines[1], {0, 2, 10, 2}));
  EXPECT_TRUE(same(r.lines[2], {0, -2, 10, -2}));
  EXPECT_EQ(count_prompt(r, "Select side:"), 2);
}

TEST(LineToolScripts, ThroughPointAndOrthogonal) {
  Result r;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
          "b_line_pparallel\nclick 5 0.1\nclick 3 4\nclick 3 4\n"
          "b_line_orthogonal\nclick 5 0.1\nclick 7 -3\nclick 9 5\nclick 9 5\n",
      r);
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_TRUE(same(r.lines[1], {0, 4, 10, 4}));
  EXPECT_TRUE(same(r.lines[2], {7, 0, 7, 5}));
}

TEST(LineToolScripts, FramesAndPolygon) {
  Result r;
  run(std::string(kNoSnap) +
          "b_line_frame\nclick 4 3\nclick 0 0\nclick 0 0\n"
          "b_line_oframe\ntype 1\nclick 20 20\nclick 22 21\nclick 22 21\n"
          "b_line_polygon\ntype 4\nclick 40 0\nclick 42 0\nclick 42 0\n"
          "click 50 0\nclick 50 0\nclick 50 0\n",  // corner on the centre: nothing
      r);
  ASSERT_EQ(r.lines.size(), 12u);
  EXPECT_TRUE(has_line(r, {0, 0, 4, 0}));
  EXPECT_TRUE(has_line(r, {4, 3, 0, 3}));
  EXPECT_TRUE(has_line(r, {19, 19, 23, 19}));
  EXPECT_TRUE(has_line(r, {23, 22, 19, 22}));
  EXPECT_NEAR(r.lines[8][2], 40, 1e-9);  // the first side runs from (42, 0) to (40, 2)
  EXPECT_NEAR(r.lines[8][3], 2, 1e-9);
  Result few;
  run("b_line_polygon\ntype 2\nclick 0 0\n", few);
  EXPECT_EQ(count_prompt(few, "Center:"), 0);
  EXPECT_TRUE(few.lines.empty());
  // the frame is one undo step
  Result undone;
  run("b_line_frame\nclick 4 3\nclick 0 0\nclick 0 0\np_undo\n", undone);
  EXPECT_TRUE(undone.lines.empty());
}

TEST(LineToolScripts, JoinTrimsAndParallelJoinChangesNothing) {
  Result r;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
          "b_line_line\nclick 5 2\nclick 5 8\nclick 5 8\n"
          "b_line_line\nclick 0 20\nclick 10 20\nclick 10 20\n"
          "b_line_join\nclick 2 0\nclick 5 6\n"
          "click 3 0.01\nclick 3 20\n",  // parallel lines: no change
      r);
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_TRUE(has_line(r, {5, 0, 0, 0}));
  EXPECT_TRUE(has_line(r, {5, 0, 5, 8}));
  EXPECT_TRUE(has_line(r, {0, 20, 10, 20}));
  EXPECT_EQ(r.saved.undo.level_count(), 0);  // loading clears the history
}

TEST(LineToolScripts, FilletAndChamfer) {
  Result r;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
          "b_line_line\nclick 0 0.5\nclick 0 10\nclick 0 10\n"
          "b_line_join_arc\ntype 2\nclick 5 0.01\nclick 0.01 5\n",
      r);
  ASSERT_EQ(r.lines.size(), 2u);
  ASSERT_EQ(r.arcs.size(), 1u);
  EXPECT_NEAR(r.arcs[0]->centre.x, 2, 1e-9);
  EXPECT_NEAR(r.arcs[0]->centre.y, 2, 1e-9);
  EXPECT_NEAR(r.arcs[0]->sweep, std::numbers::pi / 2, 1e-9);
  EXPECT_TRUE(has_line(r, {2, 0, 10, 0}));
  Result c;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
          "b_line_line\nclick 0 0.5\nclick 0 10\nclick 0 10\n"
          "b_line_join_line\ntype 20\nclick 5 0.01\nclick 0.01 5\n",  // too long to fit
      c);
  ASSERT_EQ(c.lines.size(), 2u);
  EXPECT_TRUE(same(c.lines[0], {0, 0, 10, 0}));
  EXPECT_TRUE(same(c.lines[1], {0, 0.5, 0, 10}));
}

TEST(LineToolScripts, ExtendToleranceAndNothingInTheWay) {
  Result r;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 2 0\nclick 2 0\n"
          "b_line_line\nclick 2.000005 -1\nclick 2.000005 1\nclick 2.000005 1\n"  // within 1e-5
          "b_line_line\nclick 6 -1\nclick 6 1\nclick 6 1\n"
          "b_line_line\nclick 0 10\nclick 2 10\nclick 2 10\n"
          "b_line_extend\nclick 1.5 0.01\nclick 1.5 10.01\n",
      r);
  ASSERT_EQ(r.lines.size(), 4u);
  EXPECT_TRUE(has_line(r, {0, 0, 6, 0}));
  EXPECT_TRUE(has_line(r, {0, 10, 2, 10}));
}

TEST(LineToolScripts, EraseAndDeletePart) {
  Result r;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
          "b_line_erase\nclick 5 0.01\nclick 4 0\nclick 6 0\nclick 6 0\n"
          "click 1 0.01\nclick 12 0\nclick 14 0\nclick 14 0\n"  // beyond the end: nothing
          "p_nop\n"
          "b_line_line\nclick 0 5\nclick 10 5\nclick 10 5\n"
          "b_line_line\nclick 3 4\nclick 3 6\nclick 3 6\n"
          "b_line_line\nclick 8 4\nclick 8 6\nclick 8 6\n"
          "b_line_dpart\nclick 5 5.01\n",
      r);
  EXPECT_TRUE(has_line(r, {0, 0, 4, 0}));
  EXPECT_TRUE(has_line(r, {6, 0, 10, 0}));
  EXPECT_TRUE(has_line(r, {0, 5, 3, 5}));
  EXPECT_TRUE(has_line(r, {8, 5, 10, 5}));
  EXPECT_EQ(r.lines.size(), 6u);
  Result u;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 5\nclick 10 5\nclick 10 5\n"
          "b_line_dpart\nclick 5 5.01\n"   // nothing crosses it: deleted
          "p_nop\n", u);
  EXPECT_TRUE(u.lines.empty());
  Result back;
  run(std::string(kNoSnap) +
      "b_line_line\nclick 0 5\nclick 10 5\nclick 10 5\nb_line_dpart\nclick 5 5.01\np_undo\n", back);
  ASSERT_EQ(back.lines.size(), 1u);
  EXPECT_TRUE(same(back.lines[0], {0, 5, 10, 5}));
}

TEST(LineToolScripts, AttachAndCutThroughTheSelection) {
  Result r;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 3 0\nclick 3 0\n"
          "b_line_line\nclick 0 2\nclick 3 2\nclick 3 2\n"
          "b_line_line\nclick 5 -10\nclick 5 10\nclick 5 10\n"
          "b_line_attach\nclick 5.01 -5\nclick 1.5 0.01\nclick 1.5 2.01\ns_deffi_ok\n",
      r);
  ASSERT_EQ(r.lines.size(), 3u);  // the guide line is gone
  EXPECT_TRUE(has_line(r, {0, 0, 5, 0}));
  EXPECT_TRUE(has_line(r, {0, 2, 5, 2}));
  Result c;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
          "b_line_line\nclick 4 -10\nclick 4 10\nclick 4 10\n"
          "b_line_cut\nclick 4.01 -5\nclick 7 0.01\ns_deffi_ok\n"
          "p_undo\np_redo\n",
      c);
  ASSERT_EQ(c.lines.size(), 3u);
  EXPECT_TRUE(has_line(c, {0, 0, 4, 0}));
  EXPECT_TRUE(has_line(c, {4, 0, 10, 0}));
  for (const Element& e : c.saved.store.list) EXPECT_NE(e.pen, kGuidePen);
  // a cancelled selection changes nothing and leaves no guide line behind
  Result cancel;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
          "b_line_line\nclick 4 -10\nclick 4 10\nclick 4 10\n"
          "b_line_cut\nclick 4.01 -5\nclick 7 0.01\ns_deffi_cancel\n",
      cancel);
  ASSERT_EQ(cancel.lines.size(), 2u);
  EXPECT_TRUE(has_line(cancel, {0, 0, 10, 0}));
}

TEST(LineToolScripts, SpecialSnapsGiveTheNextPoint) {
  Result r;
  run(std::string(kNoSnap) +
          "b_line_line\nz_snap_m\nclick 0 0\nclick 4 2\nclick 4 2\nclick 2 9\nclick 2 9\n"
          "z_snap_d\nclick 0 0\nclick 8 0\nclick 8 0\ntype 4\ntype 1\nclick 2 -9\nclick 2 -9\n",
      r);
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_TRUE(same(r.lines[0], {2, 1, 2, 9}));
  EXPECT_TRUE(same(r.lines[1], {2, 0, 2, -9}));
  EXPECT_EQ(count_prompt(r, "Number of divisions:"), 1);
  // "i": the crossing of two lines, extended where they do not reach each other
  Result i;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 3 0\nclick 3 0\n"
          "b_line_line\nclick 5 2\nclick 5 8\nclick 5 8\n"
          "b_line_line\nz_snap_i\nclick 1.5 0.01\nclick 5.01 5\nclick 9 9\nclick 9 9\n",
      i);
  ASSERT_EQ(i.lines.size(), 3u);
  EXPECT_TRUE(same(i.lines[2], {5, 0, 9, 9}));
  // "t": from (6, 2) to the rounding arc about (2, 2) of radius 2, the tangent point nearer
  // the pick on the arc
  Result t;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
          "b_line_line\nclick 0 0.5\nclick 0 10\nclick 0 10\n"
          "b_line_join_arc\ntype 2\nclick 5 0.01\nclick 0.01 5\n"
          "b_line_line\nz_snap_t\nclick 6 2\nclick 6 2\nclick 0.586 0.586\nclick 9 9\nclick 9 9\n",
      t);
  ASSERT_EQ(t.lines.size(), 3u);
  EXPECT_TRUE(same(t.lines[2], {3, 2 - std::sqrt(3.0), 9, 9}));
  // cancelling the nested request ends the tool
  Result c;
  run("b_line_line\nz_snap_m\nclick 0 0\np_nop\n", c);
  EXPECT_TRUE(c.lines.empty());
  EXPECT_EQ(count_prompt(c, "Move/End point:"), 0);
}

TEST(LineToolScripts, RangeSelectionAndFilter) {
  const std::string base = std::string(kNoSnap) +
                           "b_line_line\nclick 0 0\nclick 3 0\nclick 3 0\n"
                           "b_line_line\nclick 0 2\nclick 3 2\nclick 3 2\n"
                           "b_line_line\nclick 5 -10\nclick 5 10\nclick 5 10\n"
                           "b_line_attach\nclick 5.01 -5\n"
                           "set Selection/Type Range\n";  // restarts the waiting step
  Result r;
  run(base + "click -1 -1\nclick 4 3\ns_deffi_ok\n", r);
  EXPECT_TRUE(has_line(r, {0, 0, 5, 0}));
  EXPECT_TRUE(has_line(r, {0, 2, 5, 2}));
  // the filter lets only pen 5 through: nothing is selected, nothing changes
  Result f;
  run(base + "set Filter/Filter on\nset Filter/Pen 5\nclick -1 -1\nclick 4 3\ns_deffi_ok\n", f);
  EXPECT_TRUE(has_line(f, {0, 0, 3, 0}));
  EXPECT_TRUE(has_line(f, {0, 2, 3, 2}));
  // "all" takes every line, the edge itself included, which does not change
  Result all;
  run(base + "s_deffi_all\ns_deffi_ok\n", all);
  EXPECT_TRUE(has_line(all, {0, 0, 5, 0}));
  EXPECT_TRUE(has_line(all, {5, -10, 5, 10}));
  EXPECT_EQ(all.lines.size(), 3u);
}

TEST(LineToolScripts, RemoveDuplicatesShowsCounts) {
  Result r;
  run(std::string(kNoSnap) +
          "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
          "click 10 0\nclick 0 0\nclick 0 0\n"
          "click 0 0\nclick 10 0\nclick 10 0\n"
          "p_tools_remdup\n",
      r);
  EXPECT_EQ(r.lines.size(), 1u);
  EXPECT_NE(std::find(r.transcript.begin(), r.transcript.end(),
                      "message: Number of removed lines: 2|Number of removed arcs: 0|"),
            r.transcript.end());
}

}  // namespace
}  // namespace korav
