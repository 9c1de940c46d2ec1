// Point input through the script host: step kinds, result codes, nesting, view commands inside
// requests, typed coordinates, coordinate keys and the value entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <tuple>
#include <utility>

#include "app/point_input.h"
#include "model/units.h"
#include "shell_test_support.h"

namespace korav {
namespace {

using shell_test::Bench;
using shell_test::ScriptRun;

PointRequest request(std::initializer_list<int> kinds, bool view_commands = true) {
  PointRequest r;
  r.view_commands = view_commands;
  for (int k : kinds) EXPECT_TRUE(r.add_step(k, "Step:"));
  return r;
}

constexpr double kAny = NAN;  // not checked

struct Case {
  const char* what;
  const char* script;
  std::vector<int> steps;
  int result;
  std::vector<std::array<double, 4>> points = {};  // point number, x, y, z
  const char* shown = nullptr;                     // a transcript line that must be there
  int count = -1;                                  // points counted at the end
  const char* pending = nullptr;
  int view = 0;
  bool view_commands = true;
  Case(const char* w, const char* sc, std::vector<int> st, int r,
       std::vector<std::array<double, 4>> p = {}, const char* sh = nullptr, int c = -1,
       const char* pe = nullptr, int v = 0, bool vc = true)
      : what(w), script(sc), steps(std::move(st)), result(r), points(std::move(p)), shown(sh),
        count(c), pending(pe), view(v), view_commands(vc) {}
};

TEST(PointInput, StepsResultsAndTypedValues) {
  const Case cases[] = {
      Case("typed absolute coordinates", "key a\ntype 1;2\n", {kStepFirstPoint}, kInputDone,
           {{0, 1, 2, 0}}, "prompt: Abs. X/Y/Z:", 1, "nop"),
      // Typed values that cannot be read show an error and the step stays.
      Case("unreadable coordinates", "key a\ntype here\nkey a\ntype 4;5;6\n", {kStepFirstPoint},
           kInputDone, {{0, 4, 5, 6}}, "error: Not a number"),
      // Escape does nothing while the entry of "Abs. X/Y/Z:" is open.
      Case("keys go to the value entry", "key a\nkey Escape\ntype 1;1\n", {kStepFirstPoint},
           kInputDone, {{0, 1, 1, kAny}}),
      Case("a coordinate key moves the previous point", "click 0 0\nkey x\ntype 1\nclick 5 0\n",
           {kStepFirstPoint, kStepNextPoint}, kInputDone, {{0, 1, 0, kAny}, {1, 5, kAny, kAny}},
           "prompt: Move to X+ :"),
      // Twice 1e308 along X would be infinite: refused, the point stays where it was.
      Case("a coordinate key beyond the number range",
           "click 0 0\nkey x\ntype 1e308\nkey x\ntype 1e308\nclick 5 0\n",
           {kStepFirstPoint, kStepNextPoint}, kInputDone, {{0, 1e308, kAny, kAny}},
           "error: Number out of range"),
      Case("an arrow key at confirm", "click 0 0\nclick 3 0\nkey Right\ntype 2\nclick 9 9\n",
           {kStepFirstPoint, kStepNextPoint, kStepConfirm}, kInputDone, {{1, 5, kAny, kAny}}),
      // Seen from behind u = -x: clicked at x = -3, then 2 along "X-" and 1 along "Z+".
      Case("arrow keys follow the view",
           "click 0 0\nclick 3 0\nkey Right\ntype 2\nkey Up\ntype 1\nclick 9 9\n",
           {kStepFirstPoint, kStepNextPoint, kStepConfirm}, kInputDone, {{1, -5, kAny, 1}},
           "prompt: Move to X- :", -1, nullptr, 8),
      // Enter also repeats the previous point's height.
      Case("enter repeats the previous point", "key a\ntype 1;2;3\nkey Return\n",
           {kStepFirstPoint, kStepNextPoint}, kInputDone, {{1, 1, 2, 3}}, nullptr, 2),
      Case("the plane lock keeps the height", "key a\ntype 0;0;2.5\nclick 4 4\n",
           {kStepFirstPoint, kStepNextPoint}, kInputDone, {{1, kAny, kAny, 2.5}}),
      Case("a click in an elevation", "click 3 4\n", {kStepFirstPoint}, kInputDone, {{0, 3, 0, 4}},
           nullptr, -1, nullptr, 2),
      // Nothing to snap to in an axonometric view: the click is not taken.
      Case("a click in an axonometric view", "click 3 4\nkey Escape\n", {kStepFirstPoint},
           kInputCancel, {}, nullptr, 0, nullptr, 1),
      Case("escape cancels", "click 0 0\nkey Escape\n", {kStepFirstPoint, kStepNextPoint},
           kInputCancel, {}, nullptr, -1, "p_nop"),
      Case("another tool ends the request and runs next", "b_gauge\n", {kStepFirstPoint},
           kInputCancel, {}, nullptr, -1, "b_gauge"),
      // A click closes the entry of a point-or-value step and takes the point.
      Case("a click in a point-or-value step", "click 1 1\nclick 4 5\n",
           {kStepFirstPoint, kStepPointOrLength}, kInputDone, {{1, 4, kAny, kAny}}),
      Case("the script ends before the second step", "click 1 1\n",
           {kStepFirstPoint, kStepPointOrLength}, kInputCancel),
      Case("a displacement along Y", "key y\ntype 2\n", {kStepDisplacement}, kInputValue,
           {{0, 0, kAny, kAny}, {1, kAny, 2, kAny}}),
      Case("a displacement to the left", "key Left\ntype 3\n", {kStepDisplacement}, kInputValue,
           {{1, -3, kAny, kAny}}),
      Case("z_toggle in a pick step", "z_toggle\n", {kStepPickSmall}, kInputToggle),
      Case("ok in a pick step", "s_deffi_ok\n", {kStepPickSmall}, kInputOk),
      Case("all in a pick step", "s_deffi_all\n", {kStepPick}, kInputAll),
      // Pick positions are not counted.
      Case("two picks", "click 2 3\nclick 5 7\n", {kStepPick, kStepPick2}, kInputDone,
           {{0, 2, kAny, kAny}, {1, kAny, 7, kAny}}, nullptr, 0),
      Case("a scale step without view commands", "s_maplus\n", {kStepPick}, kInputCancel, {},
           nullptr, -1, "nop", 0, false),
      // The fifth point has nowhere to go.
      Case("many point steps never write past four points",
           "click 0 0\nclick 1 1\nclick 2 2\nclick 3 3\nclick 4 4\nclick 5 5\nkey Escape\n",
           {kStepFirstPoint, kStepPoint, kStepPoint, kStepPoint, kStepPoint}, kInputCancel, {},
           nullptr, kMaxPoints),
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b(c.script);
    b.app->drawing.settings.view_number = c.view;
    PointRequest r;
    r.view_commands = c.view_commands;
    for (int k : c.steps) ASSERT_TRUE(r.add_step(k, "Step:"));
    EXPECT_EQ(point_input(*b.app, r), c.result);
    for (const auto& [i, x, y, z] : c.points) {
      const int n = static_cast<int>(i);
      const double got[] = {r.x[n], r.y[n], r.z[n]}, want[] = {x, y, z};
      for (int k = 0; k < 3; ++k)
        if (!std::isnan(want[k])) {
          EXPECT_DOUBLE_EQ(got[k], want[k]) << n << " axis " << k;
        }
    }
    const auto& t = b.host->transcript();
    EXPECT_TRUE(!c.shown || std::find(t.begin(), t.end(), c.shown) != t.end()) << c.shown;
    EXPECT_TRUE(c.count < 0 || r.point_count == c.count) << r.point_count;
    EXPECT_TRUE(!c.pending || b.app->pending == c.pending) << b.app->pending;
    // Whatever the end, the request is gone and its entry and buttons are closed.
    EXPECT_EQ(b.app->input.nesting, 0);
    EXPECT_EQ(b.app->input.current, nullptr);
    EXPECT_FALSE(b.app->input.value_entry_open);
    EXPECT_FALSE(b.app->input.snap_buttons);
  }
}

TEST(PointInput, TypedValueInAPointOrValueStep) {
  Bench b("type 2,5\n");
  PointRequest r = request({kStepPointOrLength});
  EXPECT_EQ(point_input(*b.app, r), kInputValue);
  EXPECT_DOUBLE_EQ(r.number, 2.5);
  EXPECT_FALSE(b.app->input.value_entry_open);
}

TEST(PointInput, ADialogOpensWithoutEndingTheRequest) {
  Bench b("z_d_layer\nclick 1 1\n");
  PointRequest r = request({kStepFirstPoint});
  EXPECT_EQ(point_input(*b.app, r), kInputDone);
  EXPECT_TRUE(b.app->dialog_open(kDialogLayers));
}

TEST(PointInputResults, ValueStepsStoreTheirValues) {
  Bench b("type 12\ntype 45\ntype hello world \ntype 0.5\ntype abc\ntype 3\n");
  b.app->drawing.settings.angle_input = kAngleDegree;
  PointRequest r = request({kStepInteger, kStepAngle, kStepText, kStepLength, kStepNumber});
  EXPECT_EQ(point_input(*b.app, r), kInputDone);
  EXPECT_EQ(r.integer, 12);
  EXPECT_NEAR(r.angle, M_PI / 4, 1e-12);
  EXPECT_EQ(r.text, "hello world ");
  EXPECT_DOUBLE_EQ(r.number, 3);  // "abc" was refused with a message, then 3 was taken
  const auto& t = b.host->transcript();
  EXPECT_NE(std::find(t.begin(), t.end(), "error: Not a number"), t.end());
}

TEST(PointInputResults, ReturnInADisplacementStepIsNoMove) {
  Bench b("key Return\n");
  PointRequest r = request({kStepDisplacement});
  r.x[1] = 7;
  EXPECT_EQ(point_input(*b.app, r), kInputValue);
  EXPECT_DOUBLE_EQ(r.x[1], 0);
}

TEST(PointInputViews, WheelZoomKeepsTheRequestAndItsPoints) {
  Bench b("click 1 1\nz_scrollup\nwheel down\nclick 4 5\n");
  PointRequest r = request({kStepFirstPoint, kStepNextPoint}, true);
  const double before = b.app->view().scale;
  EXPECT_EQ(point_input(*b.app, r), kInputDone);
  EXPECT_DOUBLE_EQ(r.x[0], 1);
  EXPECT_DOUBLE_EQ(r.x[1], 4);
  EXPECT_DOUBLE_EQ(b.app->view().scale, before);  // one step in, one step out
}

// The wheel buttons work in every step, also without view commands.
TEST(PointInputViews, WheelInARequestWithoutViewCommands) {
  Bench b("z_scrollup\nclick 1 1\n");
  PointRequest r = request({kStepPick}, false);
  const double before = b.app->view().scale;
  EXPECT_EQ(point_input(*b.app, r), kInputDone);
  EXPECT_LT(b.app->view().scale, before);
}

TEST(PointInputViews, ZoomWindowNestsInsideATool) {
  ScriptRun run("b_gauge\nclick 0 0\nf_zoom\nclick -2 -2\nclick 2 1\nclick 3 4\nclick 3 4\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.app->gauge.values[3], "5.0000m");
  EXPECT_LT(run.app->view().scale, 500);  // zoomed in on a 4 m wide window
  auto p = run.lines("prompt");
  std::vector<std::string> expected = {
      "Select function:",  "1st Point:", "2nd Point:",    "1st Corner point:",
      "2nd Corner point:", "2nd Point:", "Move/Confirm:", "1st Point:"};
  EXPECT_EQ(p, expected);  // the script ends while the gauge waits
}

TEST(PointInputViews, ForeignToolEndsAWaitingToolAndRunsNext) {
  ScriptRun run("b_gauge\nclick 0 0\nb_gauge\nclick 1 1\nkey Escape\n");
  auto p = run.lines("prompt");
  // No "Select function:" between the two gauges: the new command runs at once.
  std::vector<std::string> expected = {"Select function:", "1st Point:", "2nd Point:",
                                       "1st Point:",       "2nd Point:", "Select function:"};
  EXPECT_EQ(p, expected);
}

TEST(PointInputOverlays, MarkersAndCursorLeaveNoTraceOnTheCanvas) {
  Bench b("move 1 1\nclick 1 1\nmove 3 2\nkey x\ntype 0.5\nclick 6 3\nmove 2 2\n");
  const Surface& sf = b.app->screen().surface[kMainSurface];
  ASSERT_TRUE(sf.image);
  cairo_surface_flush(sf.image.get());
  const int stride = cairo_image_surface_get_stride(sf.image.get());
  std::vector<unsigned char> before(
      cairo_image_surface_get_data(sf.image.get()),
      cairo_image_surface_get_data(sf.image.get()) + stride * sf.height);
  PointRequest r = request({kStepFirstPoint, kStepNextPoint, kStepConfirm});
  r.drawers[1] = [](App& app, const PointRequest& q, double x, double y) {
    xor_line_world(app.screen(), q.x[0], q.y[0], x, y);
  };
  EXPECT_EQ(point_input(*b.app, r), kInputCancel);  // the script ends at "Move/Confirm:"
  erase_cursor(*b.app);
  cairo_surface_flush(sf.image.get());
  const unsigned char* after = cairo_image_surface_get_data(sf.image.get());
  EXPECT_EQ(0, std::memcmp(before.data(), after, before.size()));
}

TEST(PointInputDisplay, CoordinatesShowPositionOffsetAndDifference) {
  Bench b("");
  App& app = *b.app;
  const Settings& s = app.drawing.settings;
  pointer_motion_world(app, 2, 3);
  EXPECT_EQ(app.input.coordinate_first, "X: " + format_length(2, s));
  EXPECT_EQ(app.input.coordinate_second, "Y: " + format_length(3, s));
  PointRequest r = request({kStepFirstPoint, kStepNextPoint, kStepConfirm});
  std::tie(r.point_count, r.x[0], r.y[0]) = std::tuple(1, 0.5, 1);
  app.input.current = &r;
  refresh_coordinates(app);
  EXPECT_EQ(app.input.coordinate_first, "X: " + format_length(1.5, s));
  std::tie(r.point_count, r.x[1], r.y[1]) = std::tuple(2, 4.5, -1);
  refresh_coordinates(app);
  EXPECT_EQ(app.input.coordinate_first, "X: " + format_length(4, s));
  EXPECT_EQ(app.input.coordinate_second, "Y: " + format_length(-2, s));
  app.input.current = nullptr;
  app.drawing.settings.view_number = 6;
  pointer_motion_world(app, 2, 3);
  EXPECT_EQ(app.input.coordinate_first, "Y: " + format_length(2, s));
  EXPECT_EQ(app.input.coordinate_second, "Z: " + format_length(3, s));
}

TEST(PointInputTables, AxisLabelsPerView) {
  const std::tuple<int, const char*, const char*> rows[] = {
      {0, "z_cup", "Y+"},    {0, "z_cleft", "X-"}, {3, "z_cdown", "Z-"},
      {8, "z_cright", "X-"}, {8, "z_cleft", "X+"}, {6, "z_cright", "Y+"},
      {4, "z_cright", "Y-"}, {4, "z_cz", "Z+"},    {0, "z_mb1", ""}};
  for (const auto& [view, key, label] : rows) EXPECT_EQ(axis_label(view, key), label) << key;
}

TEST(PointInputTables, RequestsHoldAtMostNineSteps) {
  PointRequest r;
  for (int i = 0; i < kMaxSteps; ++i) EXPECT_TRUE(r.add_step(kStepPoint, "P:"));
  EXPECT_FALSE(r.add_step(kStepPoint, "P:"));
  EXPECT_FALSE(PointRequest().add_step(19, "P:"));
  EXPECT_FALSE(PointRequest().add_step(0, "P:"));
  PointRequest empty;
  Bench b("");
  EXPECT_EQ(point_input(*b.app, empty), kInputCancel);
  EXPECT_EQ(b.app->input.nesting, 0);
}

}  // namespace
}  // namespace korav
