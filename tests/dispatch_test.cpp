// Command tables, the dispatchers, button synchronisation, the dialog dispatcher and the keyboard.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

#include "app/app.h"
#include "app/commands.h"
#include "app/dispatch.h"
#include "app/keyboard.h"
#include "shell_test_support.h"
#include "tests/fake_ui.h"

namespace korav {
namespace {

struct Dispatch : ::testing::Test {
  shell_test::CatalogueGuard guard;
  FakeUi ui;
  App app;
  void SetUp() override { app.ui = &ui; }
};

TEST(CommandTables, EveryToolNameOnceAndKnown) {
  std::set<std::string_view> names;
  for (const ToolName& t : tool_names()) {
    EXPECT_TRUE(t.command.starts_with("b_")) << t.command;
    EXPECT_TRUE(names.insert(t.command).second) << t.command;
    EXPECT_TRUE(is_known_command(t.command));
  }
}

TEST(CommandTables, KnownNamesAreWholeNames) {
  EXPECT_TRUE(is_known_command("b_dim_a"));
  EXPECT_TRUE(is_known_command("b_dim_alter_value"));
  EXPECT_FALSE(is_known_command("b_dim_al"));
  EXPECT_FALSE(is_known_command("b_gauge "));
  EXPECT_TRUE(is_known_command("z_d_layer"));
  EXPECT_TRUE(is_known_command("z_c_symbol_paste"));
  EXPECT_TRUE(is_known_command("s_komplett"));
  EXPECT_FALSE(is_known_command("x_nop"));
  EXPECT_FALSE(is_known_command("p_"));
}

TEST(CommandTables, MenuPalettesAndToolBars) {
  int separators = 0;
  std::map<char, std::string_view> keys;
  for (const MenuEntry& m : menu_entries()) {
    if (m.label == "separator") {
      ++separators;
      continue;
    }
    EXPECT_TRUE(is_known_command(m.command)) << m.command;
    if (m.key) {
      EXPECT_TRUE(keys.emplace(m.key, m.command).second) << m.key;
    }
  }
  EXPECT_EQ(std::tuple(separators, keys[','], keys['q'], keys.size()),
            std::tuple(6, "z_d_settings", "p_file_quit", 9u));

  std::vector<int> deletes(kPalettePageCount, 0);
  for (const PaletteEntry& e : palette_entries()) {
    if (e.kind == ButtonKind::kBoundToggle) continue;
    EXPECT_TRUE(is_known_command(e.command)) << e.command;
    // Tools are toggle buttons, dialogs push buttons; a button sits on the page its name says.
    EXPECT_EQ(e.kind, e.command.starts_with("b_") ? ButtonKind::kToggle : ButtonKind::kPush)
        << e.command;
    if (e.command == "b_edit_delete") {
      ++deletes[e.page];
    } else if (e.command.starts_with("s_view_") || e.command == "z_d_hlr") {
      EXPECT_EQ(palette_pages()[e.page].name, "3d") << "the view keys and render dialogs sit on "
                                                       "the 3D page";
    } else {
      EXPECT_NE(e.command.find(palette_pages()[e.page].name), std::string_view::npos) << e.command;
    }
  }
  for (int n : deletes) EXPECT_EQ(n, 1);
  for (const ToolbarEntry& e : toolbar_entries()) {
    if (e.command.empty()) continue;
    EXPECT_TRUE(is_known_command(e.command)) << e.command;
    const bool toggle = e.command[0] == 'b' || e.command[0] == 'f';
    EXPECT_EQ(e.kind == ButtonKind::kToggle, toggle) << e.command;
  }
  EXPECT_EQ(palette_page_for_key('W'), palette_page_index("wall"));
  EXPECT_EQ(palette_page_for_key('h'), palette_page_index("3d"));
  EXPECT_EQ(palette_page_for_key('q'), -1);
}

TEST(CommandTables, DialogPairs) {
  EXPECT_EQ(dialog_for_open("z_d_layer")->key, "layer");
  EXPECT_EQ(dialog_for_close("z_c_layer")->key, "layer");
  EXPECT_EQ(dialog_for_open("z_d_colorsel_povbg")->key, "colorsel");
  EXPECT_EQ(dialog_for_close("z_c_gauge")->key, "gauge");
  EXPECT_EQ(dialog_for_open("z_c_layer"), nullptr);
  EXPECT_EQ(dialog_for_open("z_d_nothing"), nullptr);
}

TEST_F(Dispatch, SameToolButtonTwiceStaysPressed) {
  EXPECT_TRUE(activate(app, "b_gauge"));
  EXPECT_EQ(app.command, "b_gauge");
  EXPECT_TRUE(activate(app, "b_gauge"));
  EXPECT_TRUE(ui.buttons["b_gauge"]);
  EXPECT_EQ(app.pressed.tool, "b_gauge");
  EXPECT_TRUE(activate(app, "b_line_line"));
  EXPECT_FALSE(ui.buttons["b_gauge"]);
  EXPECT_TRUE(ui.buttons["b_line_line"]);
}

TEST_F(Dispatch, ProjectAndViewStepsReleaseButtons) {
  activate(app, "b_gauge");
  activate(app, "f_zoom");
  EXPECT_EQ(app.pressed.view_function, "f_zoom");
  activate(app, "s_alles");
  EXPECT_FALSE(ui.buttons["f_zoom"]);
  EXPECT_EQ(app.pressed.tool, "b_gauge");  // a view step leaves the tool running
  activate(app, "p_undo");
  EXPECT_FALSE(ui.buttons["b_gauge"]);
  EXPECT_TRUE(app.pressed.tool.empty());
  EXPECT_TRUE(activate(app, "z_space"));
  EXPECT_FALSE(activate(app, "nonsense"));
  EXPECT_FALSE(activate(app, "q_thing"));
}

TEST_F(Dispatch, DialogsOpenOnlyWhenBuilt) {
  EXPECT_TRUE(activate(app, "z_d_layer"));
  EXPECT_TRUE(app.dialog_open("layer"));
  EXPECT_EQ(ui.shown, std::vector<std::string>{"layer"});
  activate(app, "z_d_camera");  // not built: nothing opens
  EXPECT_FALSE(app.dialog_open("camera"));
  EXPECT_EQ(ui.shown.size(), 1u);
  activate(app, "z_c_layer");
  EXPECT_FALSE(app.dialog_open("layer"));
  EXPECT_EQ(ui.hidden, std::vector<std::string>{"layer"});
  activate(app, "z_c_layer");  // closing a closed dialog does nothing
  EXPECT_EQ(ui.hidden.size(), 1u);
}

TEST_F(Dispatch, HelpPagesOpenBelowTheDataDirectory) {
  app.program_dir = "/opt/korav/";
  dispatch(app, "z_help_shortcut");
  dispatch(app, "z_help_guide");
  EXPECT_EQ(ui.help,
            (std::vector<std::string>{"/opt/korav/doc/8.html", "/opt/korav/doc/index.html"}));
}

TEST_F(Dispatch, GuideMinusRemovesGuideElementsAsOneUndoStep) {
  create_line(app.drawing.store, 0, kGuidePen, 0, 0, 0, 1, 1);
  create_line(app.drawing.store, 0, 1, 0, 0, 0, 2, 2);
  create_line(app.drawing.store, 3, kGuidePen, 0, 0, 0, 3, 3);
  dispatch(app, "p_glminus");
  ASSERT_EQ(app.drawing.store.size(), 1u);
  EXPECT_EQ(app.drawing.store.head()->pen, 1);
  dispatch(app, "p_undo");
  EXPECT_EQ(app.drawing.store.size(), 3u);
}

// ---- Keyboard ----

KeyEffect key(std::string_view k, bool ctrl = false, bool shift = false, KeyState st = {}) {
  return key_effect(k, ctrl, shift, st);
}

// Keys whose meaning depends on case, on the keypad or on more than the command.
TEST(Keyboard, TableRows) {
  EXPECT_EQ(key("R").command, "s_back");
  EXPECT_EQ(key("r").command, "p_nop");  // lower case r shows the room page
  EXPECT_EQ(key("r").page, palette_page_index("room"));
  EXPECT_EQ(key("X").command, "z_cx");
  EXPECT_TRUE(key("Escape").focus_canvas);
  EXPECT_EQ(key("KP_Divide").command, "b_gauge");
  EXPECT_EQ(key("u").command, "p_undo");
  EXPECT_EQ(key("U").command, "z_help_guide");
  EXPECT_TRUE(key("space").refresh_coordinates);
  // "*" opens the layers without a command, so that the previous command does not run again.
  EXPECT_TRUE(key("asterisk").open_layers);
  EXPECT_TRUE(key("asterisk").command.empty());
  EXPECT_EQ(key("KP_Home").scroll_key, 7);
  EXPECT_EQ(key("5").scroll_key, 5);
  EXPECT_FALSE(key("m").handled());
  EXPECT_FALSE(key("F12").handled());
}

// Snap keys only while a point is asked, Tab ends a selection, the value entry takes every key.
TEST(Keyboard, TheStateDecidesWhatAKeyDoes) {
  KeyState asking, selecting, typing;
  asking.point_asked = true;
  selecting.selection_running = true;
  typing.value_entry_open = true;
  EXPECT_EQ(key("d", false, false, asking).command, "z_snap_d");
  EXPECT_EQ(key("i", false, false, asking).command, "z_snap_i");
  EXPECT_EQ(key("d").page, palette_page_index("dim"));
  EXPECT_EQ(key("D", false, false, asking).page, palette_page_index("dim"));
  EXPECT_FALSE(key("i").handled());
  EXPECT_EQ(key("Tab").command, "z_enter");
  EXPECT_EQ(key("Tab", false, false, selecting).command, "s_deffi_ok");
  EXPECT_FALSE(key("Escape", false, false, typing).handled());
  EXPECT_FALSE(key("F3", true, false, typing).handled());
}

TEST(Keyboard, ControlAndShiftWithFunctionKeys) {
  EXPECT_EQ(key("F3", true).pen, 2);
  EXPECT_EQ(key("F3", true).line_type, -1);
  EXPECT_EQ(key("F8", false, true).line_type, 7);
  EXPECT_TRUE(key("F1", false, true).command.empty());  // Shift+F1 is no help key
  KeyEffect both = key("F2", true, true);
  EXPECT_EQ(both.pen, 1);
  EXPECT_EQ(both.line_type, 1);
  EXPECT_EQ(key("F9", true).pen, -1);
  EXPECT_TRUE(key("a", true).command.empty());  // Control: only function keys and the menus
  EXPECT_EQ(key("x", true).command, "p_symbol_cut");
  EXPECT_EQ(key("s", true).command, "p_file_save");
  EXPECT_EQ(key("comma", true).command, "z_d_settings");
}

TEST_F(Dispatch, PressKeyAppliesTheEffects) {
  EXPECT_TRUE(press_key(app, "w", false, false));
  EXPECT_EQ(app.command, "p_nop");
  EXPECT_EQ(ui.page, palette_page_index("wall"));
  EXPECT_FALSE(press_key(app, "F5", true, false));
  EXPECT_EQ(app.drawing.current_pen, 4);
  EXPECT_FALSE(press_key(app, "KP_Multiply", false, false));
  EXPECT_TRUE(app.dialog_open(kDialogLayers));
}

// Show all in an elevation fits the projected points, not their plan positions.
TEST(ShowAll, ElevationFitsTheProjectedExtent) {
  shell_test::Bench b("");
  App& app = *b.app;
  Line3D l = make_element<Line3D>(0, 0, 0);
  l.start = {0, 50, 0, 0};
  l.end = {10, 50, 3, 0};
  create(app.drawing.store, l);
  app.drawing.settings.view_number = 2;  // from the front: (x, z)
  view_show_all(app);
  const View& v = app.view();
  EXPECT_LE(v.ymin, 0.0);
  EXPECT_GE(v.ymax, 3.0);
  EXPECT_LT(v.ymax - v.ymin, 20.0);  // plan y = 50 would have pulled the box far away
  EXPECT_LT(v.xmin, 0.0);
  EXPECT_GT(v.xmax, 10.0);
}

}  // namespace
}  // namespace korav
