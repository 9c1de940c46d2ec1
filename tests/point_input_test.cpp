// Point input: step kinds, result codes, nesting, view commands inside requests, typed
// coordinates, coordinate keys and the value entry, driven through the script host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/point_input.h"
#include "draft/units.h"
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

std::vector<std::string> prompts_of(const ScriptHost& h) {
  std::vector<std::string> out;
  for (const std::string& l : h.transcript())
    if (l.rfind("prompt: ", 0) == 0) out.push_back(l.substr(8));
  return out;
}

TEST(PointInputSteps, TypedAbsoluteCoordinatesMakeTheNextPoint) {
  Bench b("key a\ntype 1;2\n");
  PointRequest r = request({kStepFirstPoint});
  EXPECT_EQ(point_input(*b.app, r), kInputDone);
  EXPECT_EQ(r.point_count, 1);
  EXPECT_DOUBLE_EQ(r.x[0], 1);
  EXPECT_DOUBLE_EQ(r.y[0], 2);
  EXPECT_DOUBLE_EQ(r.z[0], 0);
  auto p = prompts_of(*b.host);
  EXPECT_NE(std::find(p.begin(), p.end(), "Abs. X/Y/Z:"), p.end());
  EXPECT_EQ(b.app->pending, "nop");
  EXPECT_EQ(b.app->input.nesting, 0);
  EXPECT_EQ(b.app->input.current, nullptr);
}

TEST(PointInputSteps, UnreadableTypedCoordinatesAreRefusedAndTheStepStays) {
  Bench b("key a\ntype here\nkey a\ntype 4;5;6\n");
  PointRequest r = request({kStepFirstPoint});
  EXPECT_EQ(point_input(*b.app, r), kInputDone);
  EXPECT_DOUBLE_EQ(r.x[0], 4);
  EXPECT_DOUBLE_EQ(r.z[0], 6);
  const auto& t = b.host->transcript();
  EXPECT_NE(std::find(t.begin(), t.end(), "error: Not a number"), t.end());
}

TEST(PointInputSteps, KeysGoToTheOpenValueEntry) {
  // Escape does nothing while the entry of "Abs. X/Y/Z:" is open.
  Bench b("key a\nkey Escape\ntype 1;1\n");
  PointRequest r = request({kStepFirstPoint});
  EXPECT_EQ(point_input(*b.app, r), kInputDone);
  EXPECT_DOUBLE_EQ(r.x[0], 1);
}

TEST(PointInputSteps, CoordinateKeyMovesThePreviousPointInThePlan) {
  Bench b("click 0 0\nkey x\ntype 1\nclick 5 0\n");
  PointRequest r = request({kStepFirstPoint, kStepNextPoint});
  EXPECT_EQ(point_input(*b.app, r), kInputDone);
  EXPECT_DOUBLE_EQ(r.x[0], 1);  // the start point moved along X
  EXPECT_DOUBLE_EQ(r.y[0], 0);
  EXPECT_DOUBLE_EQ(r.x[1], 5);
  auto p = prompts_of(*b.host);
  EXPECT_NE(std::find(p.begin(), p.end(), "Move to X+ :"), p.end());
}

TEST(PointInputSteps, CoordinateKeyRefusesAMoveBeyondTheNumberRange) {
  // Twice 1e308 along X would be infinite: refused, the point stays where it was.
  Bench b("click 0 0\nkey x\ntype 1e308\nkey x\ntype 1e308\nclick 5 0\n");
  PointRequest r = request({kStepFirstPoint, kStepNextPoint});
  EXPECT_EQ(point_input(*b.app, r), kInputDone);
  EXPECT_DOUBLE_EQ(r.x[0], 1e308);
  EXPECT_TRUE(std::isfinite(r.x[0]));
  const auto& t = b.host->transcript();
  EXPECT_NE(std::find(t.begin(), t.end(), "error: Number out of range"), t.end());
}

TEST(PointInputSteps, ArrowKeyAtConfirmFollowsTheView) {
  {
    Bench b("click 0 0\nclick 3 0\nkey Right\ntype 2\nclick 9 9\n");
    PointRequest r = request({kStepFirstPoint, kStepNextPoint, kStepConfirm});
    EXPECT_EQ(point_input(*b.app, r), kInputDone);
    EXPECT_DOUBLE_EQ(r.x[1], 5);  // 2 to the right
  }
  {
    Bench b("click 0 0\nclick 3 0\nkey Right\ntype 2\nkey Up\ntype 1\nclick 9 9\n");
    b.app->drawing.settings.view_number = 8;  // seen from behind: u = -x
    PointRequest r = request({kStepFirstPoint, kStepNextPoint, kStepConfirm});
    EXPECT_EQ(point_input(*b.app, r), kInputDone);
    EXPECT_DOUBLE_EQ(r.x[1], -5);  // clicked at x = -3, then 2 along "X-"
    EXPECT_DOUBLE_EQ(r.z[1], 1);   // "Z+"
    auto p = prompts_of(*b.host);
    EXPECT_NE(std::find(p.begin(), p.end(), "Move to X- :"), p.end());
  }
}

TEST(PointInputSteps, EnterRepeatsThePreviousPoint) {
  Bench b("key a\ntype 1;2;3\nkey Return\n");
  PointRequest r = request({kStepFirstPoint, kStepNextPoint});
  EXPECT_EQ(point_input(*b.app, r), kInputDone);
  EXPECT_EQ(r.point_count, 2);
  EXPECT_DOUBLE_EQ(r.x[1], 1);
  EXPECT_DOUBLE_EQ(r.y[1], 2);
  EXPECT_DOUBLE_EQ(r.z[1], 3);
}

TEST(PointInputSteps, PlaneLockTakesHeightFromThePreviousPoint) {
  Bench b("key a\ntype 0;0;2.5\nclick 4 4\n");
  PointRequest r = request({kStepFirstPoint, kStepNextPoint});
  EXPECT_EQ(point_input(*b.app, r), kInputDone);
  EXPECT_DOUBLE_EQ(r.z[1], 2.5);
}

TEST(PointInputSteps, ClicksInElevationsAndAxonometricViews) {
  {
    Bench b("click 3 4\n");
    b.app->drawing.settings.view_number = 2;
    PointRequest r = request({kStepFirstPoint});
    EXPECT_EQ(point_input(*b.app, r), kInputDone);
    EXPECT_DOUBLE_EQ(r.x[0], 3);
    EXPECT_DOUBLE_EQ(r.y[0], 0);
    EXPECT_DOUBLE_EQ(r.z[0], 4);
  }
  {
    Bench b("click 3 4\nkey Escape\n");
    b.app->drawing.settings.view_number = 1;  // nothing to snap to: the click is not taken
    PointRequest r = request({kStepFirstPoint});
    EXPECT_EQ(point_input(*b.app, r), kInputCancel);
    EXPECT_EQ(r.point_count, 0);
  }
}

TEST(PointInputResults, EscapeCancelsAndLeavesPNopPending) {
  Bench b("click 0 0\nkey Escape\n");
  PointRequest r = request({kStepFirstPoint, kStepNextPoint});
  EXPECT_EQ(point_input(*b.app, r), kInputCancel);
  EXPECT_EQ(b.app->pending, "p_nop");
  EXPECT_EQ(b.app->input.current, nullptr);
  EXPECT_EQ(b.app->input.nesting, 0);
  EXPECT_FALSE(b.app->input.snap_buttons);
}

TEST(PointInputResults, AnotherToolEndsTheRequestAndRunsNext) {
  Bench b("b_gauge\n");
  PointRequest r = request({kStepFirstPoint});
  EXPECT_EQ(point_input(*b.app, r), kInputCancel);
  EXPECT_EQ(b.app->pending, "b_gauge");
  EXPECT_EQ(b.app->pressed.tool, "b_gauge");
}

TEST(PointInputResults, DialogsOpenWithoutEndingTheRequest) {
  Bench b("z_d_layer\nclick 1 1\n");
  PointRequest r = request({kStepFirstPoint});
  EXPECT_EQ(point_input(*b.app, r), kInputDone);
  EXPECT_TRUE(b.app->dialog_open(kDialogLayers));
}

TEST(PointInputResults, TypedValueInPointOrValueStep) {
  {
    Bench b("type 2,5\n");
    PointRequest r = request({kStepPointOrLength});
    EXPECT_EQ(point_input(*b.app, r), kInputValue);
    EXPECT_DOUBLE_EQ(r.number, 2.5);
    EXPECT_FALSE(b.app->input.value_entry_open);
  }
  {
    Bench b("click 1 1\n");  // a click closes the entry and takes the point
    PointRequest r = request({kStepFirstPoint, kStepPointOrLength});
    b.host->set_canvas_size(1000, 700);
    EXPECT_EQ(point_input(*b.app, r), kInputCancel);  // the script ended before the second step
  }
  {
    Bench b("click 1 1\nclick 4 5\n");
    PointRequest r = request({kStepFirstPoint, kStepPointOrLength});
    EXPECT_EQ(point_input(*b.app, r), kInputDone);
    EXPECT_DOUBLE_EQ(r.x[1], 4);
    EXPECT_FALSE(b.app->input.value_entry_open);
  }
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

TEST(PointInputResults, DisplacementStep) {
  {
    Bench b("key y\ntype 2\n");
    PointRequest r = request({kStepDisplacement});
    EXPECT_EQ(point_input(*b.app, r), kInputValue);
    EXPECT_DOUBLE_EQ(r.x[0], 0);
    EXPECT_DOUBLE_EQ(r.y[1], 2);
  }
  {
    Bench b("key Left\ntype 3\n");
    PointRequest r = request({kStepDisplacement});
    EXPECT_EQ(point_input(*b.app, r), kInputValue);
    EXPECT_DOUBLE_EQ(r.x[1], -3);
  }
  {
    Bench b("key Return\n");
    PointRequest r = request({kStepDisplacement});
    r.x[1] = 7;
    EXPECT_EQ(point_input(*b.app, r), kInputValue);
    EXPECT_DOUBLE_EQ(r.x[1], 0);
  }
}

TEST(PointInputResults, PickStepsAndSelectionKeys) {
  {
    Bench b("z_toggle\n");
    PointRequest r = request({kStepPickSmall});
    EXPECT_EQ(point_input(*b.app, r), kInputToggle);
  }
  {
    Bench b("s_deffi_ok\n");
    PointRequest r = request({kStepPickSmall});
    EXPECT_EQ(point_input(*b.app, r), kInputOk);
  }
  {
    Bench b("s_deffi_all\n");
    PointRequest r = request({kStepPick});
    EXPECT_EQ(point_input(*b.app, r), kInputAll);
  }
  {
    Bench b("click 2 3\nclick 5 7\n");
    PointRequest r = request({kStepPick, kStepPick2});
    EXPECT_EQ(point_input(*b.app, r), kInputDone);
    EXPECT_DOUBLE_EQ(r.x[0], 2);
    EXPECT_DOUBLE_EQ(r.y[1], 7);
    EXPECT_EQ(r.point_count, 0);  // pick positions are not counted
  }
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

TEST(PointInputViews, ScaleStepsInARequestWithoutViewCommands) {
  {
    Bench b("z_scrollup\nclick 1 1\n");  // the wheel buttons work in every step
    PointRequest r = request({kStepPick}, false);
    const double before = b.app->view().scale;
    EXPECT_EQ(point_input(*b.app, r), kInputDone);
    EXPECT_LT(b.app->view().scale, before);
  }
  {
    Bench b("s_maplus\n");
    PointRequest r = request({kStepPick}, false);
    EXPECT_EQ(point_input(*b.app, r), kInputCancel);
    EXPECT_EQ(b.app->pending, "nop");
    EXPECT_EQ(b.app->input.current, nullptr);
  }
}

TEST(PointInputViews, ZoomWindowNestsInsideATool) {
  ScriptRun run("b_gauge\nclick 0 0\nf_zoom\nclick -2 -2\nclick 2 1\nclick 3 4\nclick 3 4\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.app->gauge.values[3], "5.0000m");
  EXPECT_LT(run.app->view().scale, 500);  // zoomed in on a 4 m wide window
  auto p = run.lines("prompt");
  std::vector<std::string> expected = {"Select function:", "1st Point:", "2nd Point:",
                                       "1st Corner point:", "2nd Corner point:", "2nd Point:",
                                       "Move/Confirm:", "1st Point:"};
  EXPECT_EQ(p, expected);  // the script ends while the gauge waits
}

TEST(PointInputViews, ForeignToolEndsAWaitingToolAndRunsNext) {
  ScriptRun run("b_gauge\nclick 0 0\nb_gauge\nclick 1 1\nkey Escape\n");
  auto p = run.lines("prompt");
  // No "Select function:" between the two gauges: the new command runs at once.
  std::vector<std::string> expected = {"Select function:", "1st Point:", "2nd Point:",
                                       "1st Point:", "2nd Point:", "Select function:"};
  EXPECT_EQ(p, expected);
}

TEST(PointInputOverlays, MarkersAndCursorLeaveNoTraceOnTheCanvas) {
  Bench b("move 1 1\nclick 1 1\nmove 3 2\nkey x\ntype 0.5\nclick 6 3\nmove 2 2\n");
  const Surface& sf = b.app->screen().surface[kMainSurface];
  ASSERT_TRUE(sf.image);
  cairo_surface_flush(sf.image.get());
  const int stride = cairo_image_surface_get_stride(sf.image.get());
  std::vector<unsigned char> before(cairo_image_surface_get_data(sf.image.get()),
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
  r.point_count = 1;
  r.x[0] = 0.5;
  r.y[0] = 1;
  app.input.current = &r;
  refresh_coordinates(app);
  EXPECT_EQ(app.input.coordinate_first, "X: " + format_length(1.5, s));
  r.point_count = 2;
  r.x[1] = 4.5;
  r.y[1] = -1;
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
  EXPECT_EQ(axis_label(0, "z_cup"), "Y+");
  EXPECT_EQ(axis_label(0, "z_cleft"), "X-");
  EXPECT_EQ(axis_label(3, "z_cdown"), "Z-");
  EXPECT_EQ(axis_label(8, "z_cright"), "X-");
  EXPECT_EQ(axis_label(8, "z_cleft"), "X+");
  EXPECT_EQ(axis_label(6, "z_cright"), "Y+");
  EXPECT_EQ(axis_label(4, "z_cright"), "Y-");
  EXPECT_EQ(axis_label(4, "z_cz"), "Z+");
  EXPECT_EQ(axis_label(0, "z_mb1"), "");
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

TEST(PointInputTables, ManyPointStepsNeverWritePastFourPoints) {
  Bench b("click 0 0\nclick 1 1\nclick 2 2\nclick 3 3\nclick 4 4\nclick 5 5\nkey Escape\n");
  PointRequest r = request({kStepFirstPoint, kStepPoint, kStepPoint, kStepPoint, kStepPoint});
  EXPECT_EQ(point_input(*b.app, r), kInputCancel);  // the fifth point has nowhere to go
  EXPECT_EQ(r.point_count, kMaxPoints);
}

}  // namespace
}  // namespace korav
