// The edit tools end to end through the script host, the drawing saved and read back: undo and
// redo of each edit, degenerate input that changes nothing.
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

using tool_script::click;
using tool_script::kSnapOff;
using tool_script::Result;
using tool_script::twice;
using Seg = std::array<double, 4>;

constexpr double kPi = std::numbers::pi;

std::string line(double x1, double y1, double x2, double y2) {
  return "b_line_line\n" + click(x1, y1) + twice(x2, y2) + "p_nop\n";
}
std::string circle(double x, double y, double r) {
  return "b_circle_circle\n" + twice(x, y) + "type " + std::to_string(r) + "\np_nop\n";
}

// `tool` on the line (0,0)-(10,0) picked at (5, 0.01), or on the line (1,0)-(2,0) picked at
// (1.5, 0.01).
std::string on_base(const std::string& tool) {
  return kSnapOff + line(0, 0, 10, 0) + tool + "\nclick 5 0.01\ns_deffi_ok\n";
}
std::string on_short(const std::string& tool) {
  return kSnapOff + line(1, 0, 2, 0) + tool + "\nclick 1.5 0.01\ns_deffi_ok\n";
}

struct Case {
  const char* what;
  std::string script;
  std::vector<Seg> lines;  // exactly these (either direction), in any order
  std::function<void(App&)> setup = {};
  int status = 0;
};

bool same(const Line& l, const Seg& s) {
  auto near = [](double a, double b) { return std::fabs(a - b) < 1e-9; };
  auto ends = [&](const Point2& a, const Point2& b) {
    return near(a.x, s[0]) && near(a.y, s[1]) && near(b.x, s[2]) && near(b.y, s[3]);
  };
  return ends(l.start, l.end) || ends(l.end, l.start);
}

void expect_lines(const Result& r, const std::vector<Seg>& want) {
  const auto lines = r.all<Line>();
  EXPECT_EQ(lines.size(), want.size());
  for (const Seg& s : want)
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const Line* l) { return same(*l, s); }))
        << s[0] << " " << s[1] << " " << s[2] << " " << s[3];
}

TEST(EditToolScripts, EveryToolWithUndoAndRedo) {
  const std::string move = on_base("b_edit_move") + "click 0 0\nclick 3 4\nclick 3 4\n";
  const std::string copy =
      on_base("b_edit_copy") + "click 0 0\nclick 0 1\nclick 0 1\nclick 0 0\nclick 0 1\nclick 0 1\n";
  const std::string mcopy = on_base("b_edit_mcopy") +
                            "click 0 0\nclick 0 0\nclick 0 1\nclick 0 1\n" +
                            "click 0 3\nclick 0 3\n";
  const std::string series = on_base("b_edit_series") + "type 3\nclick 0 0\nclick 0 1\nclick 0 1\n";
  const std::string pseries =
      on_short("b_edit_pseries") + "type 4\nclick 0 0\nclick 0 0\ntype 360\n";
  const std::string rotate = on_short("b_edit_rotate") + "click 0 0\nclick 0 0\ntype 90\n";
  const std::string mirror = on_base("b_edit_mirror") + "click 0 3\nclick 0 3\nclick 0 3\n";
  const std::string stretch = kSnapOff + line(1, 1, 2, 2) +
                              "b_edit_stretch\nclick 1.5 1.51\ns_deffi_ok\nclick 0 0\nclick 0 0\n";
  const std::string del = on_base("b_edit_delete");
  const auto rotate_copy = [](App& a) { a.rotate_copy = 1, a.mirror_copy = 0; };
  const auto mirror_copy = [](App& a) { a.rotate_copy = 0, a.mirror_copy = 1; };
  const Case cases[] = {
      {"move", move, {{3, 4, 13, 4}}},
      {"move, further vectors move on",
       move + "click 0 0\nclick 1 0\nclick 1 0\n",
       {{4, 4, 14, 4}}},
      {"move undone", move + "p_nop\np_undo\n", {{0, 0, 10, 0}}},
      {"move undone and redone", move + "p_nop\np_undo\np_redo\n", {{3, 4, 13, 4}}},
      {"move by a zero vector ends the tool",
       on_base("b_edit_move") + "click 2 2\nclick 2 2\nclick 2 2\n",
       {{0, 0, 10, 0}}},
      {"move with nothing selected",
       kSnapOff + line(0, 0, 10, 0) + "b_edit_move\nclick 50 50\ns_deffi_ok\n",
       {{0, 0, 10, 0}}},
      {"copy, and the copy moved on", copy, {{0, 0, 10, 0}, {0, 2, 10, 2}}},
      {"copy, the second vector undone", copy + "p_nop\np_undo\n", {{0, 0, 10, 0}, {0, 1, 10, 1}}},
      {"copy undone", copy + "p_nop\np_undo\np_undo\n", {{0, 0, 10, 0}}},
      {"multi-copy, each target from the last",
       mcopy,
       {{0, 0, 10, 0}, {0, 1, 10, 1}, {0, 3, 10, 3}}},
      {"multi-copy, the last copy undone",
       mcopy + "p_nop\np_undo\n",
       {{0, 0, 10, 0}, {0, 1, 10, 1}}},
      {"series", series, {{0, 0, 10, 0}, {0, 1, 10, 1}, {0, 2, 10, 2}}},
      {"series undone in one step", series + "p_undo\n", {{0, 0, 10, 0}}},
      {"series with one copy does nothing", on_base("b_edit_series") + "type 1\n", {{0, 0, 10, 0}}},
      {"polar series, a full turn in 4 copies",
       pseries,
       {{1, 0, 2, 0}, {0, 1, 0, 2}, {-1, 0, -2, 0}, {0, -1, 0, -2}}},
      {"polar series by two directions",
       on_short("b_edit_pseries") +
           "type 3\nclick 0 0\nclick 0 0\nclick 5 0\nclick 0 5\nclick 0 5\n",
       {{1, 0, 2, 0}, {0, 1, 0, 2}, {-1, 0, -2, 0}}},
      {"polar series undone", pseries + "p_undo\n", {{1, 0, 2, 0}}},
      {"polar series of one copy", on_short("b_edit_pseries") + "type 1\n", {{1, 0, 2, 0}}},
      {"rotate by a typed angle", rotate, {{0, 1, 0, 2}}},
      {"rotate twice, then a zero angle ends it", rotate + "type 90\ntype 0\n", {{-1, 0, -2, 0}}},
      {"rotate by two direction points",
       on_short("b_edit_rotate") + "click 0 0\nclick 0 0\nclick 0 -3\nclick 3 0\nclick 3 0\n",
       {{0, 1, 0, 2}}},
      {"rotate undone", rotate + "p_nop\np_undo\n", {{1, 0, 2, 0}}},
      {"rotate with copy", rotate + "type 90\n", {{1, 0, 2, 0}, {-1, 0, -2, 0}}, rotate_copy},
      {"rotate with copy, the second turn undone",
       rotate + "type 90\np_nop\np_undo\n",
       {{1, 0, 2, 0}, {0, 1, 0, 2}},
       rotate_copy},
      {"mirror on identical axis points: the horizontal through them", mirror, {{0, 6, 10, 6}}},
      {"mirror with copy",
       on_base("b_edit_mirror") + "click 0 1\nclick 1 2\nclick 1 2\n",
       {{0, 0, 10, 0}, {-1, 1, -1, 11}},
       mirror_copy},
      {"mirror undone", mirror + "p_undo\n", {{0, 0, 10, 0}}},
      {"stretch by typed factors", stretch + "type 2\ntype 3\n", {{2, 3, 4, 6}}},
      {"stretch by points", stretch + "click 1 1\nclick 3 2\nclick 3 2\n", {{3, 2, 6, 4}}},
      {"stretch undone and redone", stretch + "type 2\ntype 3\np_undo\np_redo\n", {{2, 3, 4, 6}}},
      {"stretch by a typed factor of 0 changes nothing",
       stretch + "type 0\ntype 3\n",
       {{1, 1, 2, 2}}},
      // The value entry refuses "nan" with an error box.
      {"stretch by NaN", stretch + "type nan\n", {{1, 1, 2, 2}}, {}, 1},
      {"delete", kSnapOff + line(0, 5, 10, 5) + del, {{0, 5, 10, 5}}},
      {"delete undone", del + "p_undo\n", {{0, 0, 10, 0}}},
      {"delete undone and redone", del + "p_undo\np_redo\n", {}},
      {"a cancelled selection changes nothing",
       kSnapOff + line(0, 0, 10, 0) + "b_edit_delete\nclick 5 0.01\np_nop\n",
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
  const std::string range =
      "\nclick 5 -1\nclick 12 12\ns_deffi_ok\nclick 0 0\nclick 2 0\nclick 2 0\n";
  const std::string stretch = drawing + "b_edit_move\nset Selection/Type Point" + range;
  const std::vector<Seg> stretched = {{0, 0, 12, 0}, {0, 5, 12, 5}, {8, 2, 11, 2}};
  const std::vector<std::array<double, 3>> moved = {{2, 2, 1}, {10, 8, 1}, {4.5, 3, 1}};
  struct {
    const char* what;
    std::string script;
    std::vector<Seg> lines;
    std::vector<std::array<double, 3>> circles;  // centre and radius
  } cases[] = {
      {"stretched", stretch, stretched, moved},
      {"undone",
       stretch + "p_nop\np_undo\n",
       {{0, 0, 10, 0}, {0, 5, 10, 5}, {6, 2, 9, 2}},
       {{2, 2, 1}, {8, 8, 1}, {4.5, 3, 1}}},
      {"redone", stretch + "p_nop\np_undo\np_redo\n", stretched, moved},
      // A range selects whole elements only: the crossing lines stay.
      {"range of elements",
       drawing + "b_edit_move\nset Selection/Type Range" + range,
       {{0, 0, 10, 0}, {0, 5, 10, 5}, {8, 2, 11, 2}},
       moved},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Result r = tool_script::run(c.script);
    ASSERT_TRUE(r.loaded);
    expect_lines(r, c.lines);
    const auto circles = r.all<Circle>();
    ASSERT_EQ(circles.size(), c.circles.size());
    for (const auto& w : c.circles)
      EXPECT_TRUE(std::any_of(circles.begin(), circles.end(),
                              [&](const Circle* got) {
                                return got->centre.x == w[0] && got->centre.y == w[1] &&
                                       got->radius1 == w[2] && got->radius2 == w[2];
                              }))
          << w[0] << " " << w[1];
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
