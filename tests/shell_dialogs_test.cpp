// Dialog variables, the Layers dialog model and the gauge.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "app/dialog_vars.h"
#include "app/dialogs/gauge.h"
#include "app/dialogs/layers.h"
#include "model/units.h"
#include "shell_test_support.h"

namespace korav {
namespace {

using shell_test::Bench;
using shell_test::ScriptRun;
using R = DialogVars::Result;

DialogVar var(const char* name, VarKind kind, VarRef ref, std::vector<std::string> items = {}) {
  DialogVar v;
  std::tie(v.name, v.kind, v.ref, v.items) = std::tuple(name, kind, ref, items);
  return v;
}

struct Vars : ::testing::Test {
  Bench b{""};
  App& app = *b.app;
  std::string error;
  R set(std::string_view name, std::string_view value) {
    error.clear();
    return app.vars.set(app, name, value, error);
  }
};

TEST_F(Vars, TogglesTakeOnAndOff) {
  EXPECT_EQ(set("Toolbar/Show exact line thickness", "on"), R::kDone);
  EXPECT_EQ(app.drawing.settings.view.exact_thickness, 1u);
  EXPECT_EQ(app.vars.value_text(app, "Toolbar/Show exact line thickness"), "on");
  EXPECT_EQ(set("Toolbar/Activate guide color", "ON"), R::kDone);
  EXPECT_TRUE(app.drawing.guide_mode);
  EXPECT_EQ(app.drawing.new_pen(), kGuidePen);
  EXPECT_EQ(set("Toolbar/Snap", "yes"), R::kError);
  EXPECT_NE(error.find("on or off"), std::string::npos);
  EXPECT_EQ(set("Toolbar/Nothing", "on"), R::kError);
}

TEST_F(Vars, UnitEntriesParseAndNormalise) {
  double length = 0;
  app.vars.add(var("Test/Length", VarKind::kLength, &length));
  EXPECT_EQ(set("Test/Length", "2,5"), R::kDone);  // a comma is a decimal point
  EXPECT_DOUBLE_EQ(length, 2.5);
  EXPECT_EQ(app.vars.value_text(app, "Test/Length"), format_length(2.5, app.drawing.settings));
  EXPECT_EQ(set("Test/Length", "wide"), R::kError);
  EXPECT_DOUBLE_EQ(length, 2.5);  // a refused text changes nothing
}

TEST_F(Vars, OptionsRadiosAndSpins) {
  std::int32_t option = 0, radio = 0, spin = 0;
  FixedName<8> text;
  int changes = 0;
  DialogVar o = var("Test/Unit", VarKind::kOption, &option, {"m", "cm", "mm"});
  o.changed = [&](App&) { ++changes; };
  app.vars.add(o);
  DialogVar r = o;
  std::tie(r.name, r.kind, r.ref) = std::tuple("Test/Type", VarKind::kRadio, &radio);
  app.vars.add(r);
  DialogVar s = var("Test/Size", VarKind::kSpinInt, &spin);
  std::tie(s.lower, s.upper) = std::tuple(2, 12);
  app.vars.add(s);
  app.vars.add(var("Test/Name", VarKind::kEntry, char_field(text)));

  EXPECT_EQ(set("Test/Unit", "mm"), R::kDone);
  EXPECT_EQ(option, 2);
  EXPECT_EQ(set("Test/Unit", "1"), R::kDone);
  EXPECT_EQ(option, 1);
  EXPECT_EQ(set("Test/Unit", "3"), R::kError);
  EXPECT_EQ(set("Test/Unit", "km"), R::kError);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(app.vars.value_text(app, "Test/Unit"), "cm");

  // A radio group restarts a waiting step with "z_toggle", unless suppressed.
  EXPECT_EQ(set("Test/Type", "cm"), R::kLeave);
  EXPECT_EQ(app.command, "z_toggle");
  app.vars.suppress_toggle = true;
  EXPECT_EQ(set("Test/Type", "m"), R::kDone);

  EXPECT_EQ(set("Test/Size", "40"), R::kDone);  // the spin button keeps to its range
  EXPECT_EQ(spin, 12);
  EXPECT_EQ(set("Test/Size", "5.6"), R::kDone);
  EXPECT_EQ(spin, 6);
  EXPECT_EQ(set("Test/Size", "many"), R::kError);

  EXPECT_EQ(set("Test/Name", "a much longer name"), R::kDone);  // cut to the field
  EXPECT_EQ(text.view(), "a much ");
}

TEST_F(Vars, RadioChangeRestartsAWaitingStep) {
  std::int32_t type = 0;
  app.vars.add(var("Selection/Type", VarKind::kRadio, &type, {"Range", "Element"}));
  std::istringstream in("set Selection/Type Element\n");
  ScriptHost host(app, in, "t", nullptr);
  app.ui = &host;
  PointRequest q;
  q.add_step(kStepPick, "1st Corner point:");
  EXPECT_EQ(point_input(app, q), kInputToggle);
  EXPECT_EQ(type, 1);
  app.ui = b.host.get();
}

// ---- Layers dialog ----

struct LayersDialog : ::testing::Test {
  Bench b{""};
  App& app = *b.app;
  void add(int layer, int n) {
    for (int i = 0; i < n; ++i) create_line(app.drawing.store, layer, 0, 0, 0, 0, 1, 1);
    count_per_layer(app.drawing.store, app.drawing.layers);
  }
};

TEST_F(LayersDialog, RowsAndMarkers) {
  add(105, 2);
  app.drawing.current_layer = 103;
  app.drawing.layers.layer[107].state = 1;
  open_layer_dialog(app);
  EXPECT_EQ(app.drawing.layers.displayed_list, 1);  // the list of the current layer
  LayerDialogView v = layer_dialog_view(app);
  EXPECT_EQ(v.rows[3].number, 103);
  EXPECT_TRUE(v.rows[3].current);
  EXPECT_FALSE(v.rows[4].current);
  EXPECT_TRUE(v.rows[7].shown);
  EXPECT_TRUE(v.rows[5].used);
  EXPECT_FALSE(v.rows[6].used);
  EXPECT_EQ(v.rows[5].name, "Layer 105");
  EXPECT_TRUE(v.lists[1].holds_current);
  EXPECT_TRUE(v.lists[1].used);
  EXPECT_TRUE(v.lists[1].displayed);
  EXPECT_FALSE(v.lists[0].used);
  EXPECT_EQ(v.sets, std::vector<std::string>{"Default"});
}

TEST_F(LayersDialog, ClicksAndTitle) {
  layer_show_list(app, 2);
  layer_make_current(app, 14);
  EXPECT_EQ(app.drawing.current_layer, 214);
  EXPECT_NE(b.host->transcript().back().find("Layer: Layer 214"), std::string::npos);
  layer_toggle_state(app, 15);
  EXPECT_EQ(app.drawing.layers.layer[215].state, 1);
  layer_toggle_state(app, 15);
  EXPECT_EQ(app.drawing.layers.layer[215].state, 0);
  layer_make_current(app, 100);  // no such row
  EXPECT_EQ(app.drawing.current_layer, 214);
  layer_show_list(app, 10);
  EXPECT_EQ(app.drawing.layers.displayed_list, 2);
}

TEST_F(LayersDialog, RenameThroughTheNameEntry) {
  ScriptRun run(
      "set Layers/Name 7\nset Name:/Name: Walls\nz_c_layerentry\n"
      "set Layers/List name 3\nset Name:/Name: Upper floor\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.app->drawing.layers.layer[7].name.view(), "Walls");
  EXPECT_EQ(run.app->drawing.layers.list_names[3].view(), "Upper floor");
  EXPECT_EQ(run.app->layer_dialog.rename_layer, -1);  // closed, then opened for the list
  EXPECT_EQ(run.app->layer_dialog.rename_list, 3);
  EXPECT_TRUE(run.app->drawing.store.modified);
}

TEST_F(LayersDialog, ScriptedClicksAndSets) {
  ScriptRun run(
      "set Layers/Bk. 305\nset Layers/Ac. 42\nset Layers/Set Plan A\np_layerstate_save\n"
      "set Layers/Bk. 305\nset Layers/Ac. 7\nset Layers/Set Plan A\n");
  EXPECT_EQ(run.status, 0);
  const Drawing& d = run.app->drawing;
  EXPECT_EQ(d.layers.layer[305].state, 1);  // hidden again, then recalled with the set
  EXPECT_EQ(d.current_layer, 42);
  ASSERT_EQ(d.layers.sets.size(), 2u);
  EXPECT_EQ(d.layers.sets[1].name.view(), "Plan A");
  EXPECT_NE(run.lines("title").back().find("Layer: Layer 42"), std::string::npos);
}

TEST_F(LayersDialog, MoveUpAndDown) {
  add(5, 3);
  add(4, 2);
  app.drawing.current_layer = 5;
  layer_up(app);
  EXPECT_EQ(app.drawing.current_layer, 4);
  EXPECT_EQ(app.drawing.layers.layer[4].count, 3u);
  EXPECT_EQ(app.drawing.layers.layer[5].count, 2u);  // counted again
  app.drawing.current_layer = 199;
  layer_down(app);
  EXPECT_EQ(app.drawing.current_layer, 200);
  EXPECT_EQ(app.drawing.layers.displayed_list, 2);  // the list follows the layer
}

TEST_F(LayersDialog, DeleteAsksOnlyWhenTheLayerHoldsElements) {
  {
    ScriptRun run("p_layerfunc_delete\n", [](App& a) {
      a.drawing.current_layer = 3;
      a.drawing.layers.layer[3].name.set("Empty");
    });
    EXPECT_TRUE(run.lines("question").empty());
    EXPECT_EQ(run.app->drawing.layers.layer[3].name.view(), "");
  }
  {
    ScriptRun run("p_layerfunc_delete\nanswer Cancel\np_layerfunc_delete\nanswer Delete\np_undo\n",
                  [](App& a) {
                    a.drawing.current_layer = 3;
                    create_line(a.drawing.store, 3, 0, 0, 0, 0, 1, 1);
                    create_line(a.drawing.store, 4, 0, 0, 0, 0, 1, 1);
                  });
    auto q = run.lines("question");
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0], "This layer is containing drawing elements. [Delete|Cancel] -> Cancel");
    EXPECT_EQ(run.app->drawing.store.size(), 2u);  // deleted, then brought back by undo
  }
}

TEST_F(LayersDialog, StateSetsThroughTheEntry) {
  app.layer_dialog.set_entry = "Plans";
  layer_set_save(app);
  app.drawing.layers.layer[9].state = 1;
  app.layer_dialog.set_entry = "Other";
  layer_set_save(app);
  EXPECT_EQ(layer_dialog_view(app).sets, (std::vector<std::string>{"Default", "Plans", "Other"}));
  app.drawing.layers.layer[9].state = 0;
  layer_set_choose(app, "Other");
  EXPECT_EQ(app.drawing.layers.layer[9].state, 1);
  layer_set_delete(app);  // "Other", the last: the entry shows the set before it
  EXPECT_EQ(app.layer_dialog.set_entry, "Plans");
  EXPECT_EQ(layer_dialog_view(app).sets.size(), 2u);
  app.layer_dialog.set_entry.clear();
  layer_set_save(app);  // refused with a message
  EXPECT_EQ(layer_dialog_view(app).sets.size(), 2u);
  EXPECT_EQ(b.host->transcript().back(), "error: Please enter a name for the layer set.");
}

// ---- Gauge ----

TEST(Gauge, Measure) {
  GaugeReading g = measure(0, 0, 0, 3, 4, 0);
  EXPECT_DOUBLE_EQ(g.length, 5);
  EXPECT_DOUBLE_EQ(g.angle, std::atan2(4.0, 3.0));
  GaugeReading down = measure(1, 1, 2, 1, 0, 0);
  EXPECT_DOUBLE_EQ(down.dz, -2);
  EXPECT_DOUBLE_EQ(down.length, std::sqrt(5.0));
  EXPECT_DOUBLE_EQ(down.angle, 1.5 * M_PI);  // straight down the plan, as a positive angle
}

TEST(Gauge, ToolShowsTheDialogWithFormattedValues) {
  ScriptRun run(
      "b_gauge\nclick 0 0\nclick 3 4\nclick 3 4\nclick 1 1\nclick 1 -1\nclick 0 0\n"
      "key Escape\n");
  EXPECT_TRUE(run.app->dialog_open(kDialogGauge));
  const Settings& s = run.app->drawing.settings;
  EXPECT_EQ(run.app->gauge.values[0], format_length(0, s));
  EXPECT_EQ(run.app->gauge.values[1], format_length(-2, s));
  EXPECT_EQ(run.app->gauge.values[3], format_length(2, s));
  EXPECT_EQ(run.app->gauge.values[4], format_angle(1.5 * M_PI, s));
}

}  // namespace
}  // namespace korav
