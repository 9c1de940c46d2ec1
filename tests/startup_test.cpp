// Start-up, the title, "New" and "Quit", the autobackup tick, the data directory and the
// formats of shown texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

#include "base/text_format.h"
#include "files/drawing_file.h"
#include "shell_test_support.h"

namespace korav {
namespace {

using shell_test::Bench;
using shell_test::ScriptRun;
using shell_test::TempDir;
namespace fs = shell_test::fs;

TEST(TextFormat, FillsOnlyKnownConversions) {
  EXPECT_EQ(fill_format("Move to %s :", {"X+"}), "Move to X+ :");
  EXPECT_EQ(fill_format("%s and %d, %.0f%%", {"a", "2", "3"}), "a and 2, 3%");
  // A catalogue text with more conversions than arguments, or odd ones, is shown as written.
  EXPECT_EQ(fill_format("%s %s %n %x %", {"one"}), "one %s %n %x %");
  EXPECT_EQ(format_fixed(99.5, 0), "100");
  EXPECT_EQ(format_fixed(1.0 / 3, 3), "0.333");
}

TEST(StartUp, TitleAndFileName) {
  Bench b("");
  App& app = *b.app;
  EXPECT_EQ(app.drawing.file_name, b.data.path() + "dat/draw/Unnamed.krv");
  app.drawing.settings.drawing_scale = 50;
  app.drawing.current_layer = 12;
  app.drawing.layers.layer[12].name.set("Roof");
  EXPECT_EQ(title_text(app),
            "KORAV  File: " + app.drawing.file_name + "  Layer: Roof  Scale: 1:50");
  EXPECT_FALSE(app.temp_dir.empty());
  EXPECT_EQ(app.temp_dir.back(), '/');
}

TEST(StartUp, DrawingNamedOnTheCommandLine) {
  TempDir work;
  const std::string path = work.file("plan.krv");
  {
    Bench b("");
    create_line(b.app->drawing.store, 2, 1, 0, 0, 0, 5, 5);
    ASSERT_TRUE(save_drawing_to(b.app->drawing, *b.app->ui, path));
  }
  shell_test::CatalogueGuard guard;
  shell_test::DataDir data;
  std::istringstream in("");
  App app;
  ScriptHost host(app, in, "t", nullptr);
  CommandLine cl;
  cl.drawing = path;
  EXPECT_EQ(host.run(cl, data.path()), 0);
  EXPECT_EQ(app.drawing.store.size(), 1u);
  EXPECT_EQ(app.drawing.file_name, path);
  EXPECT_NE(host.transcript()[0].find("File: " + path), std::string::npos);

  std::istringstream in2("");
  App app2;
  ScriptHost host2(app2, in2, "t", nullptr);
  cl.drawing = work.file("missing.krv");
  EXPECT_EQ(host2.run(cl, data.path()), 1);  // the program goes on, but the work failed
  EXPECT_EQ(app2.drawing.file_name, data.path() + "dat/draw/Unnamed.krv");
}

TEST(StartUp, QuitAsksOnlyForAnAlteredDrawing) {
  // script, whether the drawing is altered, questions, prompts (1: quit at once, the gauge
  // never ran; 3: still running after "Cancel")
  const std::tuple<const char*, bool, std::size_t, std::size_t> rows[] = {
      {"p_file_quit\nb_gauge\n", false, 0, 1},
      {"p_file_quit\nanswer Cancel\nb_gauge\nkey Escape\n", true, 1, 3},
      {"p_file_quit\nanswer Quit\nb_gauge\n", true, 1, 1}};
  for (const auto& [script, altered, questions, prompts] : rows) {
    ScriptRun run(script, [altered = altered](App& a) {
      if (altered) create_line(a.drawing.store, 0, 0, 0, 0, 0, 1, 1);
    });
    EXPECT_EQ(run.lines("question").size(), questions) << script;
    EXPECT_EQ(run.lines("prompt").size(), prompts) << script;
  }
}

TEST(StartUp, NewEmptiesTheDrawingAndItsHistory) {
  ScriptRun run("p_file_new\nanswer Yes\n", [](App& a) {
    create_line(a.drawing.store, 0, 0, 0, 0, 0, 1, 1);
    a.drawing.undo.record(a.drawing.store, kUndoMarkLast, 1);
    a.drawing.layers.layer[4].name.set("Kept?");
  });
  EXPECT_EQ(run.app->drawing.store.size(), 0u);
  EXPECT_FALSE(run.app->drawing.undo.undo_enabled());
  EXPECT_FALSE(run.app->drawing.store.modified);
  EXPECT_EQ(run.app->drawing.layers.layer[4].name.view(), "Layer 4");
  EXPECT_EQ(run.app->drawing.file_name, run.data.path() + "dat/draw/");
}

TEST(StartUp, BackupOnlyForAnAlteredDrawing) {
  Bench b("");
  App& app = *b.app;
  TempDir work;
  app.drawing.file_name = work.file("house.krv");
  backup_tick(app);
  EXPECT_FALSE(fs::exists(work.file("house.krv.bak")));
  create_line(app.drawing.store, 0, 0, 0, 0, 0, 1, 1);
  app.drawing.settings.backup_on = 0;
  backup_tick(app);
  EXPECT_FALSE(fs::exists(work.file("house.krv.bak")));
  app.drawing.settings.backup_on = 1;
  backup_tick(app);
  EXPECT_TRUE(fs::exists(work.file("house.krv.bak")));
  EXPECT_TRUE(app.drawing.store.modified);  // a backup is no save
  EXPECT_EQ(app.drawing.file_name, work.file("house.krv"));
  app.drawing.file_name = work.file("no/such/dir/house.krv");
  backup_tick(app);
  EXPECT_EQ(b.host->transcript().back(), "error: Cannot open Backup File");
  app.drawing.settings.backup_minutes = 0;  // never a timer that fires continuously
  EXPECT_EQ(backup_interval_ms(app), 60000);
  app.drawing.settings.backup_minutes = 5;
  EXPECT_EQ(backup_interval_ms(app), 300000);
}

TEST(StartUp, DataDirectoryBesideTheProgram) {
  TempDir dir;
  fs::create_directories(dir.file("bin"));
  fs::create_directories(dir.file("share/korav/nls"));
  shell_test::write_text(dir.file("share/korav/nls/krv.nls"), "1\nC\nenglish\n0\n");
  const char* saved = std::getenv("KORAV_DATA_DIR");
  std::string keep = saved ? saved : "";
  unsetenv("KORAV_DATA_DIR");
  const std::string exe = dir.file("bin/korav");
  shell_test::write_text(exe, "");
  std::string found = find_data_dir(exe);
  EXPECT_EQ(fs::path(found), fs::canonical(dir.file("share/korav")) / "");
  fs::create_directories(dir.file("bin/graphics"));
  EXPECT_EQ(fs::path(find_data_dir(exe)), fs::canonical(dir.file("bin")) / "");
  setenv("KORAV_DATA_DIR", dir.path().c_str(), 1);
  EXPECT_EQ(find_data_dir(exe), dir.path() + "/");
  if (saved) setenv("KORAV_DATA_DIR", keep.c_str(), 1);
  else unsetenv("KORAV_DATA_DIR");
}

TEST(StartUp, TemporaryDirectoryFromTheEnvironment) {
  TempDir dir;
  const char* saved = std::getenv("TMPDIR");
  std::string keep = saved ? saved : "";
  setenv("TMPDIR", dir.path().c_str(), 1);
  EXPECT_EQ(system_temp_dir(), dir.path() + "/");
  setenv("TMPDIR", dir.file("missing").c_str(), 1);
  EXPECT_NE(system_temp_dir(), dir.file("missing") + "/");
  if (saved) setenv("TMPDIR", keep.c_str(), 1);
  else unsetenv("TMPDIR");
}

TEST(StartUp, LanguageChangeIsWrittenAtExit) {
  ScriptRun run("", [](App&) { catalogue().set_current_language(1); });
  EXPECT_EQ(shell_test::read_text(run.data.file("language")), "german\n");
}

}  // namespace
}  // namespace korav
