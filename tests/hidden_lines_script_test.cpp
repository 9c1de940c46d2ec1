// The hidden-line tool end to end: solids drawn with the 3D tools, the options set in the
// dialog "HLR options:", "Render", and each answer to "Store result on:".
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "arch/walls.h"
#include "model/projection.h"
#include "tests/shell_test_support.h"
#include "tests/tool_script_support.h"

namespace korav {
namespace {

using shell_test::ScriptRun;
using tool_script::click;
using tool_script::kSnapOff;

// A cuboid 2 x 1 x 1 on the ground, then the front left view.
const std::string kCuboid = kSnapOff + "b_3d_cuboid\n" + click(0, 0) + click(2, 1) +
                            click(2, 1) + "type 1\ntype 0\np_nop\ns_view_1\n";

std::vector<const Line*> lines_of(const App& app) {
  std::vector<const Line*> out;
  for (const Element& e : app.drawing.store.list)
    if (const Line* l = as<Line>(&e)) out.push_back(l);
  return out;
}

std::size_t objects_of(const App& app) {
  std::size_t n = 0;
  for (const Element& e : app.drawing.store.list) n += e.type == kObject3D;
  return n;
}

// The stdout line of the run.
struct Timed {
  std::string out;
  std::unique_ptr<ScriptRun> run;
};
Timed timed_run(const std::string& script, std::function<void(App&)> setup = {}) {
  Timed t;
  testing::internal::CaptureStdout();
  t.run = std::make_unique<ScriptRun>(script, std::move(setup));
  t.out = testing::internal::GetCapturedStdout();
  return t;
}

TEST(HiddenLineScripts, RenderFromTheDialogAndKeepTheResult) {
  Timed t = timed_run(kCuboid + "z_d_hlr\nset HLR options:/Silhouettes On\n"
                                "set HLR options:/Smoothing angle 30\nb_3d_hlr\n"
                                "answer Current layer\n");
  const ScriptRun& r = *t.run;
  ASSERT_EQ(r.status, 0);
  EXPECT_TRUE(r.app->dialog_open("hlr"));
  EXPECT_EQ(r.app->hlr.silhouettes, 1);
  EXPECT_NEAR(r.app->hlr.smoothing_angle, 30 * std::acos(-1.0) / 180, 1e-12);
  EXPECT_EQ(r.lines("question"),
            std::vector<std::string>{
                "Store result on: [Current layer|Other layer|Cancel] -> Current layer"});
  const auto lines = lines_of(*r.app);
  ASSERT_EQ(lines.size(), 9u);
  std::set<int> groups, pens;
  for (const Line* l : lines) {
    EXPECT_EQ(l->layer, 0);
    groups.insert(l->group);
    pens.insert(l->pen);
  }
  EXPECT_EQ(groups.size(), 1u);
  EXPECT_NE(*groups.begin(), 0);
  EXPECT_EQ(pens, (std::set<int>{0, 1}));
  // The cuboid is still there, the walls' solids are gone, and the plan view shows all.
  EXPECT_EQ(objects_of(*r.app), 1u);
  EXPECT_EQ(r.app->view_number(), kPlanView);
  EXPECT_NE(t.out.find("hlr render time: "), std::string::npos) << t.out;
  EXPECT_NE(t.out.find(" sec  lines:9 joins:0\n"), std::string::npos) << t.out;
  // The result lies where the view showed the cuboid, ten times as large, and in the view.
  const View& v = r.app->view();
  for (const Line* l : lines) {
    for (const Point2& p : {l->start, l->end}) {
      EXPECT_GE(p.x, 10 * project_point(kFrontLeftView, 0, 1, 0).u - 1e-9);
      EXPECT_LE(p.x, 10 * project_point(kFrontLeftView, 2, 0, 0).u + 1e-9);
    }
    EXPECT_TRUE(l->start.x >= v.xmin && l->start.x <= v.xmax);
    EXPECT_TRUE(l->start.y >= v.ymin && l->start.y <= v.ymax);
  }
}

TEST(HiddenLineScripts, TheResultIsOneUndoStep) {
  ScriptRun r(kCuboid + "b_3d_hlr\nanswer Current layer\np_undo\n");
  ASSERT_EQ(r.status, 0);
  EXPECT_TRUE(lines_of(*r.app).empty());
  EXPECT_EQ(objects_of(*r.app), 1u);
  ScriptRun again(kCuboid + "b_3d_hlr\nanswer Current layer\np_undo\np_redo\n");
  EXPECT_EQ(lines_of(*again.app).size(), 9u);
}

TEST(HiddenLineScripts, OtherLayerAsksUntilTheNumberIsALayerAndLeavingItKeepsTheCurrent) {
  ScriptRun r(kCuboid + "b_3d_hlr\nanswer Other layer\ntype 1200\ntype -3\ntype 7\n");
  // Each refused number asks again: otherwise the next "type" would find no value entry open
  // and fail the script.
  ASSERT_EQ(r.status, 0);
  const auto prompts = r.lines("prompt");
  EXPECT_NE(std::find(prompts.begin(), prompts.end(), "Layer:"), prompts.end());
  const auto lines = lines_of(*r.app);
  ASSERT_EQ(lines.size(), 9u);
  for (const Line* l : lines) EXPECT_EQ(l->layer, 7);
  // Only the result moved.
  for (const Element& e : r.app->drawing.store.list)
    if (e.type == kObject3D) {
      EXPECT_EQ(e.layer, 0);
    }
  EXPECT_EQ(r.app->drawing.layers.layer[7].count, 9u);
  ScriptRun left(kCuboid + "b_3d_hlr\nanswer Other layer\np_nop\n");
  ASSERT_EQ(left.status, 0);
  ASSERT_EQ(lines_of(*left.app).size(), 9u);
  for (const Line* l : lines_of(*left.app)) EXPECT_EQ(l->layer, 0);
}

TEST(HiddenLineScripts, CancelDiscardsTheResult) {
  ScriptRun r(kCuboid + "p_file_save\nfile out.krv\nb_3d_hlr\nanswer Cancel\n");
  ASSERT_EQ(r.status, 0);
  EXPECT_TRUE(lines_of(*r.app).empty());
  EXPECT_EQ(objects_of(*r.app), 1u);
  EXPECT_FALSE(r.app->drawing.store.modified);  // nothing to save
  EXPECT_EQ(r.app->view_number(), kPlanView);
}

TEST(HiddenLineScripts, WallsTakePartAsSolidsForTheRun) {
  auto wall = [](App& app) {
    add_wall(app.drawing, app.presets.wall, axis_footprint({0, 0}, {4, 0}, 0.3));
    add_wall(app.drawing, app.presets.wall, axis_footprint({0, 3}, {4, 3}, 0.3));
    app.drawing.store.tail()->layer = 4;  // on a hidden layer: left out
  };
  ScriptRun r("s_view_2\nb_3d_hlr\nanswer Current layer\n", wall);
  ASSERT_EQ(r.status, 0);
  // From the front the shown wall is one rectangle.
  const auto lines = lines_of(*r.app);
  EXPECT_EQ(lines.size(), 4u);
  for (const Element& e : r.app->drawing.store.list) {
    EXPECT_NE(e.layer, kTempLayer);
    EXPECT_NE(e.type, kObject3D);
    if (e.type == kWall) {
      EXPECT_EQ(e.selected, 0);
    }
  }
  double top = -1e9;
  for (const Line* l : lines) top = std::max({top, l->start.y, l->end.y});
  EXPECT_NEAR(top, 10 * WallPreset{}.height, 1e-9);
}

TEST(HiddenLineScripts, TextsAreInTheCatalogue) {
  tool_script::expect_in_catalogue({"HLR options:", "Colors", "Object colors", "Single color",
                                    "Silhouettes", "Hidden edges", "Smoothing",
                                    "Smoothing angle", "Render", "Hidden line rendering:",
                                    "Store result on:", "Current layer", "Other layer", "Layer:",
                                    "Hidden lines", "Hidden line rendering"});
}

}  // namespace
}  // namespace korav
