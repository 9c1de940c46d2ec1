// The edit tools end to end: a selection, the tool's points and values through the script host,
// the drawing saved and read back; undo and redo of each edit; degenerate input that changes
// nothing.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "model/projection.h"
#include "tests/tool_script_support.h"

namespace korav {
namespace {

using tool_script::kSnapOff;
using tool_script::Result;
using Seg = std::array<double, 4>;

constexpr double kPi = std::numbers::pi;

std::string line(double x1, double y1, double x2, double y2) {
  auto n = [](double v) { return std::to_string(v); };
  return "b_line_line\nclick " + n(x1) + " " + n(y1) + "\nclick " + n(x2) + " " + n(y2) +
         "\nclick " + n(x2) + " " + n(y2) + "\np_nop\n";
}

std::string circle(double x, double y, double r) {
  return "b_circle_circle\nclick " + std::to_string(x) + " " + std::to_string(y) + "\nclick " +
         std::to_string(x) + " " + std::to_string(y) + "\ntype " + std::to_string(r) + "\np_nop\n";
}

// The line (0,0)-(10,0), picked at (5, 0.01).
const std::string kBase = kSnapOff + line(0, 0, 10, 0);
const std::string kPickBase = "click 5 0.01\ns_deffi_ok\n";
// The line (1,0)-(2,0), picked at (1.5, 0.01).
const std::string kShort = kSnapOff + line(1, 0, 2, 0);
const std::string kPickShort = "click 1.5 0.01\ns_deffi_ok\n";

struct Case {
  const char* what;
  std::string script;
  std::vector<Seg> lines;  // exactly these (either direction), in any order
  std::function<void(App&)> setup = {};
  int status = 0;
};

bool same(const Line& l, const Seg& s) {
  auto near = [](double a, double b) { return std::fabs(a - b) < 1e-9; };
  return (near(l.start.x, s[0]) && near(l.start.y, s[1]) && near(l.end.x, s[2]) &&
          near(l.end.y, s[3])) ||
         (near(l.start.x, s[2]) && near(l.start.y, s[3]) && near(l.end.x, s[0]) &&
          near(l.end.y, s[1]));
}

void expect_lines(const Result& r, const std::vector<Seg>& want) {
  const auto lines = r.all<Line>();
  EXPECT_EQ(lines.size(), want.size());
  for (const Seg& s : want) {
    bool found = false;
    for (const Line* l : lines) found = found || same(*l, s);
    EXPECT_TRUE(found) << s[0] << " " << s[1] << " " << s[2] << " " << s[3];
  }
}

void copies_on(App& app, bool rotate, bool mirror) {
  app.rotate_copy = rotate;
  app.mirror_copy = mirror;
}

TEST(EditToolScripts, EveryToolWithUndoAndRedo) {
  const std::string move =
      kBase + "b_edit_move\n" + kPickBase + "click 0 0\nclick 3 4\nclick 3 4\n";
  const std::string copy = kBase + "b_edit_copy\n" + kPickBase +
                           "click 0 0\nclick 0 1\nclick 0 1\nclick 0 0\nclick 0 1\nclick 0 1\n";
  const std::string rotate =
      kShort + "b_edit_rotate\n" + kPickShort + "click 0 0\nclick 0 0\ntype 90\n";
  const Case cases[] = {
      {"move", move, {{3, 4, 13, 4}}},
      {"move, further vectors move on",
       move + "click 0 0\nclick 1 0\nclick 1 0\n",
       {{4, 4, 14, 4}}},
      {"move undone", move + "p_nop\np_undo\n", {{0, 0, 10, 0}}},
      {"move undone and redone", move + "p_nop\np_undo\np_redo\n", {{3, 4, 13, 4}}},
      // A zero vector ends the tool and changes nothing.
      {"move by nothing",
       kBase + "b_edit_move\n" + kPickBase + "click 2 2\nclick 2 2\nclick 2 2\n",
       {{0, 0, 10, 0}}},
      {"move with nothing selected",
       kBase + "b_edit_move\nclick 50 50\ns_deffi_ok\n",
       {{0, 0, 10, 0}}},
      {"copy, and the copy moved on", copy, {{0, 0, 10, 0}, {0, 2, 10, 2}}},
      {"copy, the second vector undone", copy + "p_nop\np_undo\n", {{0, 0, 10, 0}, {0, 1, 10, 1}}},
      {"copy undone", copy + "p_nop\np_undo\np_undo\n", {{0, 0, 10, 0}}},
      {"multi-copy, each target from the last",
       kBase + "b_edit_mcopy\n" + kPickBase + "click 0 0\nclick 0 0\nclick 0 1\nclick 0 1\n" +
           "click 0 3\nclick 0 3\n",
       {{0, 0, 10, 0}, {0, 1, 10, 1}, {0, 3, 10, 3}}},
      {"multi-copy, the last copy undone",
       kBase + "b_edit_mcopy\n" + kPickBase + "click 0 0\nclick 0 0\nclick 0 1\nclick 0 1\n" +
           "click 0 3\nclick 0 3\np_nop\np_undo\n",
       {{0, 0, 10, 0}, {0, 1, 10, 1}}},
      {"series",
       kBase + "b_edit_series\n" + kPickBase + "type 3\nclick 0 0\nclick 0 1\nclick 0 1\n",
       {{0, 0, 10, 0}, {0, 1, 10, 1}, {0, 2, 10, 2}}},
      {"series undone in one step",
       kBase + "b_edit_series\n" + kPickBase + "type 3\nclick 0 0\nclick 0 1\nclick 0 1\np_undo\n",
       {{0, 0, 10, 0}}},
      {"series with one copy does nothing",
       kBase + "b_edit_series\n" + kPickBase + "type 1\n",
       {{0, 0, 10, 0}}},
      // A full turn in 4 copies: the copies at a quarter, a half and three quarters.
      {"polar series, a full turn",
       kShort + "b_edit_pseries\n" + kPickShort + "type 4\nclick 0 0\nclick 0 0\ntype 360\n",
       {{1, 0, 2, 0}, {0, 1, 0, 2}, {-1, 0, -2, 0}, {0, -1, 0, -2}}},
      {"polar series by two directions",
       kShort + "b_edit_pseries\n" + kPickShort +
           "type 3\nclick 0 0\nclick 0 0\nclick 5 0\nclick 0 5\nclick 0 5\n",
       {{1, 0, 2, 0}, {0, 1, 0, 2}, {-1, 0, -2, 0}}},
      {"polar series undone",
       kShort + "b_edit_pseries\n" + kPickShort +
           "type 4\nclick 0 0\nclick 0 0\ntype 360\np_undo\n",
       {{1, 0, 2, 0}}},
      {"polar series of one copy",
       kShort + "b_edit_pseries\n" + kPickShort + "type 1\n",
       {{1, 0, 2, 0}}},
      {"rotate by a typed angle", rotate, {{0, 1, 0, 2}}},
      {"rotate twice, then a zero angle ends it", rotate + "type 90\ntype 0\n", {{-1, 0, -2, 0}}},
      {"rotate by two direction points",
       kShort + "b_edit_rotate\n" + kPickShort + "click 0 0\nclick 0 0\nclick 0 -3\nclick 3 0\n" +
           "click 3 0\n",
       {{0, 1, 0, 2}}},
      {"rotate undone", rotate + "p_nop\np_undo\n", {{1, 0, 2, 0}}},
      {"rotate with copy",
       rotate + "type 90\n",
       {{1, 0, 2, 0}, {-1, 0, -2, 0}},
       [](App& a) { copies_on(a, true, false); }},
      {"rotate with copy, the second turn undone",
       rotate + "type 90\np_nop\np_undo\n",
       {{1, 0, 2, 0}, {0, 1, 0, 2}},
       [](App& a) { copies_on(a, true, false); }},
      // Identical axis points: the horizontal through them.
      {"mirror on identical axis points",
       kBase + "b_edit_mirror\n" + kPickBase + "click 0 3\nclick 0 3\nclick 0 3\n",
       {{0, 6, 10, 6}}},
      {"mirror with copy",
       kBase + "b_edit_mirror\n" + kPickBase + "click 0 1\nclick 1 2\nclick 1 2\n",
       {{0, 0, 10, 0}, {-1, 1, -1, 11}},
       [](App& a) { copies_on(a, false, true); }},
      {"mirror undone",
       kBase + "b_edit_mirror\n" + kPickBase + "click 0 3\nclick 0 3\nclick 0 3\np_undo\n",
       {{0, 0, 10, 0}}},
      {"stretch by typed factors",
       kSnapOff + line(1, 1, 2, 2) +
           "b_edit_stretch\nclick 1.5 1.51\ns_deffi_ok\nclick 0 0\nclick 0 0\ntype 2\ntype 3\n",
       {{2, 3, 4, 6}}},
      {"stretch by points",
       kSnapOff + line(1, 1, 2, 2) +
           "b_edit_stretch\nclick 1.5 1.51\ns_deffi_ok\nclick 0 0\nclick 0 0\nclick 1 1\n"
           "click 3 2\nclick 3 2\n",
       {{3, 2, 6, 4}}},
      {"stretch undone and redone",
       kSnapOff + line(1, 1, 2, 2) +
           "b_edit_stretch\nclick 1.5 1.51\ns_deffi_ok\nclick 0 0\nclick 0 0\ntype 2\ntype 3\n"
           "p_undo\np_redo\n",
       {{2, 3, 4, 6}}},
      {"stretch by a typed factor of 0 changes nothing",
       kSnapOff + line(1, 1, 2, 2) +
           "b_edit_stretch\nclick 1.5 1.51\ns_deffi_ok\nclick 0 0\nclick 0 0\ntype 0\ntype 3\n",
       {{1, 1, 2, 2}}},
      // "nan" is refused by the value entry with an error box; the line stays.
      {"stretch by NaN",
       kSnapOff + line(1, 1, 2, 2) +
           "b_edit_stretch\nclick 1.5 1.51\ns_deffi_ok\nclick 0 0\nclick 0 0\ntype nan\n",
       {{1, 1, 2, 2}},
       {},
       1},
      {"delete",
       kBase + kSnapOff + line(0, 5, 10, 5) + "b_edit_delete\n" + kPickBase,
       {{0, 5, 10, 5}}},
      {"delete undone", kBase + "b_edit_delete\n" + kPickBase + "p_undo\n", {{0, 0, 10, 0}}},
      {"delete undone and redone", kBase + "b_edit_delete\n" + kPickBase + "p_undo\np_redo\n", {}},
      {"a cancelled selection changes nothing",
       kBase + "b_edit_delete\nclick 5 0.01\np_nop\n",
       {{0, 0, 10, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Result r = tool_script::run(c.script, c.setup);
    EXPECT_EQ(r.status, c.status);
    ASSERT_TRUE(r.loaded);
    expect_lines(r, c.lines);
    for (const Element& e : r.saved.store.list) EXPECT_EQ(e.selected, 0);
  }
}

// Half of a drawing moved by its points: the lines crossing the range border stretch, what lies
// inside moves whole, circles whose centre lies outside stay.
TEST(EditToolScripts, RangeOfPointsStretchesTheCrossingLines) {
  const std::string drawing = kSnapOff + line(0, 0, 10, 0) + line(0, 5, 10, 5) + line(6, 2, 9, 2) +
                              circle(2, 2, 1) + circle(8, 8, 1) + circle(4.5, 3, 1);
  const std::string stretch = drawing +
                              "b_edit_move\nset Selection/Type Point\nclick 5 -1\nclick 12 12\n"
                              "s_deffi_ok\nclick 0 0\nclick 2 0\nclick 2 0\n";
  struct {
    const char* what;
    std::string script;
    std::vector<Seg> lines;
    std::vector<std::array<double, 3>> circles;  // centre and radius
  } cases[] = {
      {"stretched",
       stretch,
       {{0, 0, 12, 0}, {0, 5, 12, 5}, {8, 2, 11, 2}},
       {{2, 2, 1}, {10, 8, 1}, {4.5, 3, 1}}},
      {"undone",
       stretch + "p_nop\np_undo\n",
       {{0, 0, 10, 0}, {0, 5, 10, 5}, {6, 2, 9, 2}},
       {{2, 2, 1}, {8, 8, 1}, {4.5, 3, 1}}},
      {"redone",
       stretch + "p_nop\np_undo\np_redo\n",
       {{0, 0, 12, 0}, {0, 5, 12, 5}, {8, 2, 11, 2}},
       {{2, 2, 1}, {10, 8, 1}, {4.5, 3, 1}}},
      // A range selects whole elements only: the crossing lines stay.
      {"range of elements",
       drawing + "b_edit_move\nset Selection/Type Range\nclick 5 -1\nclick 12 12\n"
                 "s_deffi_ok\nclick 0 0\nclick 2 0\nclick 2 0\n",
       {{0, 0, 10, 0}, {0, 5, 10, 5}, {8, 2, 11, 2}},
       {{2, 2, 1}, {10, 8, 1}, {4.5, 3, 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Result r = tool_script::run(c.script);
    ASSERT_TRUE(r.loaded);
    expect_lines(r, c.lines);
    const auto circles = r.all<Circle>();
    ASSERT_EQ(circles.size(), c.circles.size());
    for (const auto& w : c.circles) {
      bool found = false;
      for (const Circle* got : circles)
        found = found || (got->centre.x == w[0] && got->centre.y == w[1] && got->radius1 == w[2] &&
                          got->radius2 == w[2]);
      EXPECT_TRUE(found) << w[0] << " " << w[1];
    }
    for (const Element& e : r.saved.store.list) EXPECT_FALSE(has_marked_point(e));
  }
}

// Mirroring keeps an arc on its side: the quarter above the axis becomes the quarter below.
TEST(EditToolScripts, MirroredArcsStayOnTheirSide) {
  Result r =
      tool_script::run(kSnapOff +
                       "b_circle_arc\nclick 0 0\nclick 2 0\nclick 0 2\nclick 0 2\nclick 1 1\n"
                       "p_nop\nb_edit_mirror\nclick 1.41 1.42\ns_deffi_ok\n"
                       "click -5 0\nclick 5 0\nclick 5 0\n");
  ASSERT_TRUE(r.loaded);
  const auto arcs = r.all<Circle>();
  ASSERT_EQ(arcs.size(), 1u);
  EXPECT_NEAR(arcs[0]->start_angle, 1.5 * kPi, 1e-9);
  EXPECT_NEAR(arcs[0]->sweep, kPi / 2, 1e-9);
  EXPECT_NEAR(arcs[0]->radius1, 2, 1e-12);
}

// Texts keep their height with b_edit_stretch_text and scale it with b_edit_stretch; both
// move them. Alter sets the current pen and line type.
TEST(EditToolScripts, TextHeightsAndAlter) {
  auto with_text = [](App& app) {
    Text t = make_element<Text>(0, 1, 1);
    t.pos = {1, 1, 0};
    t.height = 2.5;
    create_text(app.drawing.store, t, "Plan");
    app.drawing.current_pen = 6;
    app.drawing.current_line_type = 3;
  };
  const std::string stretch = "\ns_deffi_all\ns_deffi_ok\nclick 0 0\nclick 0 0\ntype 2\ntype 2\n";
  struct {
    const char* tool;
    double height;
    int pen, line_type;
    double x;
  } cases[] = {
      {"b_edit_stretch", 5, 1, 1, 2},      {"b_edit_stretch_text", 2.5, 1, 1, 2},
      {"b_edit_alter_all", 2.5, 6, 3, 1},  {"b_edit_alter_pen", 2.5, 6, 1, 1},
      {"b_edit_alter_line", 2.5, 1, 3, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tool);
    const bool alter = std::string(c.tool).find("alter") != std::string::npos;
    Result r = tool_script::run(
        kSnapOff + c.tool + (alter ? std::string("\ns_deffi_all\ns_deffi_ok\n") : stretch),
        with_text);
    ASSERT_TRUE(r.loaded);
    const auto texts = r.all<Text>();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->height, c.height);
    EXPECT_EQ(texts[0]->pos.x, c.x);
    EXPECT_EQ(std::tuple(int{texts[0]->pen}, int{texts[0]->line_type}),
              std::tuple(c.pen, c.line_type));
  }
}

// In a 3D view: the polar series asks for a z offset, the mirror for a plane of three points.
TEST(EditToolScripts, InAFrontView) {
  auto front_with_line = [](App& app) {
    app.drawing.settings.view_number = kFrontView;
    Line3D l = make_element<Line3D>(0, 1, 0);
    l.start = {1, 1, 0, 0};
    l.end = {2, 1, 0, 0};
    create(app.drawing.store, l);
  };
  Result series =
      tool_script::run(kSnapOff +
                           "b_edit_pseries\ns_deffi_all\ns_deffi_ok\ntype 2\nclick 0 0\nclick 0 0\n"
                           "type 180\ntype 1\n",
                       front_with_line);
  Result mirror = tool_script::run(kSnapOff +
                                       "b_edit_mirror\ns_deffi_all\ns_deffi_ok\nclick 0 0\n"
                                       "click 1 0\nclick 0 1\nclick 0 1\n",
                                   front_with_line);
  ASSERT_TRUE(series.loaded && mirror.loaded);
  EXPECT_EQ(series.shown("prompt: Z-Offset:"), 1u);
  EXPECT_EQ(mirror.shown("prompt: Mirror plane 1st point:"), 1u);
  const auto copies = series.all<Line3D>();
  ASSERT_EQ(copies.size(), 2u);
  // The copy turned by a quarter about the vertical through the centre, one up.
  EXPECT_NEAR(copies[1]->start.x, -1, 1e-9);
  EXPECT_NEAR(copies[1]->start.y, 1, 1e-9);
  EXPECT_NEAR(copies[1]->start.z, 1, 1e-9);
  EXPECT_NEAR(copies[1]->end.y, 2, 1e-9);
  // The plane of the clicks is the view's plane y = 0: the line goes to the other side.
  const auto mirrored = mirror.all<Line3D>();
  ASSERT_EQ(mirrored.size(), 1u);
  EXPECT_NEAR(mirrored[0]->start.y, -1, 1e-9);
  EXPECT_NEAR(mirrored[0]->end.x, 2, 1e-9);
}

}  // namespace
}  // namespace korav
