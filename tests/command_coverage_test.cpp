// Every command name of the tables either acts or says "Not available yet": walked through the
// common activate handler and the dispatchers like the command loop runs them, idle and while a
// tool waits for a point; and the script host's view of a command without a handler.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "app/app.h"
#include "app/commands.h"
#include "app/dispatch.h"
#include "app/point_input.h"
#include "model/element.h"
#include "model/store.h"
#include "shell_test_support.h"
#include "tests/fake_ui.h"

namespace korav {
namespace {

// Every name the menu, the tool bars, the palette and the dialog tables issue, and every tool
// name, each once, in table order.
std::vector<std::string_view> table_names() {
  std::vector<std::string_view> out;
  std::set<std::string_view> seen;
  auto add = [&](std::string_view n) {
    if (!n.empty() && seen.insert(n).second) out.push_back(n);
  };
  for (const MenuEntry& m : menu_entries()) add(m.command);
  for (const ToolbarEntry& t : toolbar_entries()) add(t.command);
  for (const PaletteEntry& p : palette_entries()) add(p.command);
  for (const DialogNames& d : dialog_names()) {
    for (std::string_view n : d.open) add(n);
    for (std::string_view n : d.close) add(n);
  }
  for (const ToolName& t : tool_names()) add(t.command);
  return out;
}

bool is_toggle(std::string_view name) { return name.starts_with("b_") || name.starts_with("f_"); }

// The fake user interface with prompts and canvas changes counted, handing out queued events;
// when none is left it sends Escape ("p_nop"), which ends any waiting tool.
class CoverageHost : public FakeUi {
 public:
  explicit CoverageHost(App& app) : app_(app) {}

  using Event = std::function<bool(App&)>;  // true: leave the wait with app.command
  std::vector<Event> events_to_send;
  std::vector<std::string> prompts;
  int canvas = 0, scale_texts = 0, waits = 0;

  void clear() {  // all but the buttons' states
    const auto kept = buttons;
    static_cast<FakeUi&>(*this) = FakeUi();
    buttons = kept;
    prompts.clear();
    canvas = scale_texts = waits = 0;
  }
  std::set<std::string> pressed() const {
    std::set<std::string> out;
    for (const auto& [name, on] : buttons)
      if (on) out.insert(name);
    return out;
  }
  // Anything shown or asked for.
  bool showed_something() const {
    return !messages.empty() || !errors.empty() || !prompts.empty() || !shown.empty() ||
           !hidden.empty() || !help.empty() || !questions.empty() || !chooser_titles.empty() ||
           canvas || scale_texts;
  }

  void set_prompt(std::string_view t) override { prompts.emplace_back(t); }
  void set_scale_text(std::string_view) override { ++scale_texts; }
  void canvas_changed() override { ++canvas; }
  std::string wait_command() override {
    if (++waits > 50) {  // a tool that Escape does not end
      ADD_FAILURE() << "the program keeps waiting";
      app_.quit = true;
      return "p_nop";
    }
    while (next_ < events_to_send.size())
      if (events_to_send[next_++](app_)) return app_.command;
    activate(app_, "p_nop");
    return "p_nop";
  }

 private:
  App& app_;
  std::size_t next_ = 0;
};

// One round of the command loop for a name a widget activated: its dispatcher, then every
// command a tool handed back.
void run_command(App& app, std::string_view name) {
  if (!activate(app, name)) return;
  std::string next = app.command;
  for (int i = 0; i < 10 && next != "nop"; ++i) {
    app.input.current = nullptr;
    dispatch(app, next);
    next = std::exchange(app.pending, "nop");
  }
}

// What the commands can change beside the Ui.
struct State {
  std::size_t elements = 0;
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  bool quit = false;
  std::set<std::string, std::less<>> dialogs;
  bool operator==(const State&) const = default;
};

State state_of(App& app) {
  const View& v = app.view();
  return {app.drawing.store.size(), v.xmin, v.ymin, v.xmax, v.ymax, app.quit, app.open_dialogs};
}

class CommandCoverage : public ::testing::Test {
 protected:
  shell_test::CatalogueGuard guard;
  shell_test::DataDir data;
  // The walk starts no external program (renderers, print commands): none is on the PATH.
  std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";

  void SetUp() override {
    load_catalogue(data.path());
    setenv("PATH", data.file("no-programs").c_str(), 1);
  }
  void TearDown() override { setenv("PATH", path.c_str(), 1); }

  // A started program with a drawing that every command can act on: two equal lines (one
  // duplicate) and a guide line, saved (so that New and Quit ask nothing).
  struct Program {
    App app;
    CoverageHost host{app};
  };
  std::unique_ptr<Program> start() {
    auto p = std::make_unique<Program>();
    p->app.ui = &p->host;
    CommandLine cl;
    cl.start_dir = data.path();
    start_up_in(p->app, cl, data.path());
    canvas_resized(p->app, 1000, 700);
    ElementStore& s = p->app.drawing.store;
    create_line(s, 0, 1, 0, -40, -30, 20, 10);
    create_line(s, 0, 1, 0, -40, -30, 20, 10);
    create_line(s, 0, kGuidePen, 0, 0, 30, 30, 30);
    s.modified = false;
    p->host.clear();
    return p;
  }
};

TEST_F(CommandCoverage, EveryNameActsOrSaysItIsNotAvailableWhenNoToolRuns) {
  int missing = 0;
  for (std::string_view name : table_names()) {
    SCOPED_TRACE(std::string(name));
    auto p = start();
    App& app = p->app;
    CoverageHost& host = p->host;
    // A close name is tried on its open dialog.
    const DialogNames* closes = dialog_for_close(name);
    if (closes && dialog_available(closes->key)) show_dialog(app, closes->key);
    host.clear();
    const State before = state_of(app);
    const PressedButtons memory = app.pressed;
    const std::set<std::string> pressed_before = host.pressed();
    // A toggle button is pressed by the click itself, before its handler runs.
    if (is_toggle(name)) host.buttons[std::string(name)] = true;

    run_command(app, name);

    const bool said = std::count(host.messages.begin(), host.messages.end(), "Not available yet");
    if (!command_available(name)) {
      ++missing;
      EXPECT_EQ(host.messages, std::vector<std::string>{"Not available yet"});
      EXPECT_EQ(host.pressed(), pressed_before);
      EXPECT_EQ(app.pressed.tool, memory.tool);
      EXPECT_EQ(app.pressed.view_function, memory.view_function);
      EXPECT_TRUE(host.prompts.empty() && host.shown.empty() && host.errors.empty());
      EXPECT_TRUE(state_of(app) == before);
      continue;
    }
    EXPECT_FALSE(said);
    if (point_input_takes(name)) continue;  // acts in a waiting step: see the next test
    EXPECT_TRUE(host.showed_something() || !(state_of(app) == before)) << "does nothing";
    if (is_toggle(name)) {
      // A tool or view function started, asked or said why it cannot, and ended: its button is
      // up again. The whole-layer tools and the hidden lines of no solids only redraw.
      const bool asks_nothing =
          name == "b_wall_connect_all" || name == "b_wall_separate_all" || name == "b_3d_hlr";
      EXPECT_TRUE(!host.prompts.empty() || !host.chooser_titles.empty() || !host.errors.empty() ||
                  !host.questions.empty() || asks_nothing);
      EXPECT_TRUE(host.pressed().empty());
    }
    if (const DialogNames* d = dialog_for_open(name)) {
      EXPECT_TRUE(app.dialog_open(d->key));
    }
    if (closes) {
      EXPECT_FALSE(app.dialog_open(closes->key));
    }
  }
  // The tables name commands that are not built yet; the walk must have met them.
  EXPECT_GT(missing, 0);
}

TEST_F(CommandCoverage, WhileAToolWaitsANameWithoutHandlerLeavesItWaiting) {
  for (std::string_view name : table_names()) {
    SCOPED_TRACE(std::string(name));
    auto p = start();
    App& app = p->app;
    CoverageHost& host = p->host;
    // What the line tool looks like after the name: still at its first step, its button down?
    bool looked = false, waiting = false, tool_pressed = false, name_pressed = false;
    std::size_t prompts_after_name = 0;
    host.events_to_send = {
        [&](App& a) {
          if (is_toggle(name)) host.buttons[std::string(name)] = true;
          const bool leave = activate(a, name);
          prompts_after_name = host.prompts.size();
          return leave;
        },
        [&](App& a) {
          looked = true;
          waiting = a.input.current && a.input.current->step == 0 && !host.prompts.empty() &&
                    host.prompts.back() == "Start point:";
          tool_pressed = a.pressed.tool == "b_line_line" && host.buttons["b_line_line"];
          name_pressed = name != "b_line_line" && host.buttons[std::string(name)];
          return false;
        },
        [](App& a) { return canvas_button_world(a, 1, 70, -60); },
    };
    run_command(app, "b_line_line");

    const auto said = std::count(host.messages.begin(), host.messages.end(), "Not available yet");
    if (!command_available(name)) {
      EXPECT_EQ(said, 1);
      EXPECT_TRUE(looked && waiting && tool_pressed);
      EXPECT_FALSE(name_pressed);
      // The click after it is the tool's start point.
      EXPECT_NE(std::find(host.prompts.begin(), host.prompts.end(), "Move/End point:"),
                host.prompts.end());
      continue;
    }
    EXPECT_EQ(said, 0);
    if (point_input_takes(name)) {
      // A snap key runs its own request inside the step.
      ASSERT_GT(host.prompts.size(), prompts_after_name);
      EXPECT_NE(host.prompts[prompts_after_name], "Start point:");
    } else if (name.starts_with("z_") || name.starts_with("s_")) {
      // Dialogs, help, redraw and view steps leave the tool as it was.
      EXPECT_TRUE(looked && waiting && tool_pressed);
    }
  }
}

using shell_test::ScriptRun;

TEST(CommandCoverageScript, AMissingCommandSaysSoInTheLanguageAndTheRunGoesOn) {
  ScriptRun run("b_3d_gl\nb_3d_gl\nb_gauge\nkey Escape\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.host->errors().empty());
  EXPECT_EQ(run.lines("message"), std::vector<std::string>(2, "Not available yet"));
  const auto p = run.lines("prompt");
  EXPECT_NE(std::find(p.begin(), p.end(), "1st Point:"), p.end());
  ScriptRun german("b_3d_gl\n", {}, "german");
  EXPECT_EQ(german.lines("message"), std::vector<std::string>{"Noch nicht verf\xc3\xbcgbar"});
}

TEST(CommandCoverageScript, AToolKeepsItsPointsAcrossAMissingCommand) {
  ScriptRun run("b_line_line\nclick 0 0\nb_wall_attach_3D\nb_3d_gl\nclick 3 4\nclick 3 4\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.lines("message").size(), 2u);
  ASSERT_EQ(run.app->drawing.store.size(), 1u);
  const Line* l = as<Line>(run.app->drawing.store.head());
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(std::tuple(l->start.x, l->start.y, l->end.x, l->end.y), std::tuple(0.0, 0.0, 3.0, 4.0));
}

}  // namespace
}  // namespace korav
