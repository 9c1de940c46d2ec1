// The script host: script lines, the transcript, questions and file choosers answered from the
// script, script errors and exit status, and the program run with --script.
#include "app/script_host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "app/dialog_vars.h"
#include "files/drawing_file.h"
#include "shell_test_support.h"
#include "tests/fake_ui.h"

namespace korav {
namespace {

void files_ui_save(Drawing& d, const std::string& path) {
  FakeUi ui;
  ASSERT_TRUE(save_drawing_to(d, ui, path));
}

using K = ScriptEvent::Kind;
using shell_test::ScriptRun;

TEST(ScriptLines, Parsing) {
  EXPECT_EQ(parse_script_line("", nullptr).kind, K::kNone);
  EXPECT_EQ(parse_script_line("   # comment", nullptr).kind, K::kNone);
  ScriptEvent c = parse_script_line("  b_gauge \r", nullptr);
  EXPECT_EQ(std::tuple(c.kind, c.text), std::tuple(K::kCommand, "b_gauge"));
  ScriptEvent k = parse_script_line("click3 -1.5 2e1", nullptr);
  EXPECT_EQ(std::tuple(k.kind, k.button, k.x, k.y), std::tuple(K::kClick, 3, -1.5, 20.0));
  ScriptEvent t = parse_script_line("  type  two spaces  ", nullptr);
  EXPECT_EQ(t.kind, K::kType);
  EXPECT_EQ(t.text, " two spaces  ");  // exactly as written after "type "
  ScriptEvent key = parse_script_line("key ctrl+shift+F3", nullptr);
  EXPECT_EQ(key.kind, K::kKey);
  EXPECT_TRUE(key.ctrl && key.shift);
  EXPECT_EQ(key.text, "F3");
  EXPECT_EQ(parse_script_line("key shift+x", nullptr).text, "X");
  EXPECT_EQ(parse_script_line("key +", nullptr).text, "+");
  EXPECT_TRUE(parse_script_line("wheel up", nullptr).up);
  EXPECT_TRUE(parse_script_line("file cancel", nullptr).cancel);
  EXPECT_EQ(parse_script_line("answer Save", nullptr).text, "Save");
  // Unknown and partial names, wrong or non-finite numbers, a modifier with no key after it.
  for (const char* bad :
       {"b_gauges", "b_gauge now", "click 1", "click 1 2 3", "move 1,5 2", "click nan 2",
        "click 1e999 2", "type", "key", "key ctrl+", "key ctrl+shift+", "key alt+x", "wheel left"})
    EXPECT_EQ(parse_script_line(bad, nullptr).kind, K::kError) << bad;
}

TEST(ScriptLines, SetNamesWithBlanks) {
  DialogVars vars;
  std::int32_t v = 0;
  DialogVar d;
  d.name = "Snap/Snap size";
  d.ref = &v;
  vars.add(d);
  ScriptEvent s = parse_script_line("set Snap/Snap size 9", &vars);
  EXPECT_EQ(std::tuple(s.kind, s.text, s.value), std::tuple(K::kSet, "Snap/Snap size", "9"));
  ScriptEvent u = parse_script_line("set Wall/Thickness 0.24", &vars);  // not registered
  EXPECT_EQ(std::tuple(u.text, u.value), std::tuple("Wall/Thickness", "0.24"));
  EXPECT_EQ(parse_script_line("set nothing", &vars).kind, K::kError);
  EXPECT_EQ(parse_script_line("set Plain 1", &vars).kind, K::kError);
}

TEST(ScriptTranscript, QuestionsAndTitles) {
  // A drawn line makes the drawing modified, so "New" asks.
  ScriptRun run("p_file_new\nanswer Cancel\np_file_new\nanswer 1\n",
                [](App& app) { create_line(app.drawing.store, 0, 0, 0, 0, 0, 1, 1); });
  EXPECT_EQ(run.status, 0);
  auto q = run.lines("question");
  ASSERT_EQ(q.size(), 2u);
  EXPECT_EQ(q[0], "Drawing is altered and not saved!|Really delete all? [Yes|Cancel] -> Cancel");
  EXPECT_EQ(q[1], "Drawing is altered and not saved!|Really delete all? [Yes|Cancel] -> Yes");
  EXPECT_EQ(run.app->drawing.store.size(), 0u);
  auto titles = run.lines("title");
  ASSERT_EQ(titles.size(), 2u);  // the start, and "New" (the file name is the directory)
  EXPECT_EQ(titles[1],
            "KORAV  File: " + run.data.path() + "dat/draw/  Layer: Layer 0  Scale: 1:100");
}

TEST(ScriptTranscript, QuestionWithoutAnswerEndsTheRunWithAnError) {
  ScriptRun run("p_file_new\nb_gauge\n",
                [](App& app) { create_line(app.drawing.store, 0, 0, 0, 0, 0, 1, 1); });
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.lines("question").back(),
            "Drawing is altered and not saved!|Really delete all? [Yes|Cancel] -> close");
  ASSERT_EQ(run.host->errors().size(), 1u);
  EXPECT_NE(run.host->errors()[0].find("line 2"), std::string::npos);
  EXPECT_EQ(run.app->drawing.store.size(), 1u);  // closed: nothing deleted
}

TEST(ScriptTranscript, AnswerByUnknownLabelIsAnError) {
  ScriptRun run("p_file_quit\nanswer Maybe\n",
                [](App& app) { create_line(app.drawing.store, 0, 0, 0, 0, 0, 1, 1); });
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.lines("question").back().substr(run.lines("question").back().size() - 8),
            "-> close");
}

TEST(ScriptTranscript, QuitSaveAnswersTheFileChooser) {
  ScriptRun run("p_file_quit\nanswer Save\nfile saved.krv\n",
                [](App& app) { create_line(app.drawing.store, 0, 0, 0, 0, 0, 1, 1); });
  EXPECT_EQ(run.status, 0);
  auto f = run.lines("file");
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0], "Save Drawing... -> " + run.data.path() + "saved.krv");
  EXPECT_TRUE(shell_test::fs::exists(run.data.file("saved.krv")));
  EXPECT_FALSE(run.app->drawing.store.modified);
  EXPECT_EQ(run.lines("title").back().find("saved.krv") != std::string::npos, true);
}

TEST(ScriptTranscript, BadLinesAreScriptErrors) {
  for (const char* script : {"b_gauge\nfrobnicate\n", "type 5\n", "answer Yes\n", "file x.krv\n",
                             "set Toolbar/Snap maybe\n", "set Nowhere/Nothing 1\n"}) {
    ScriptRun run(script);
    EXPECT_EQ(run.status, 1) << script;
    ASSERT_EQ(run.host->errors().size(), 1u) << script;
  }
  ScriptRun ok("  # nothing but a comment\n\nset Toolbar/Snap off\n");
  EXPECT_EQ(ok.status, 0);
  EXPECT_FALSE(ok.app->snap_on);
}

TEST(ScriptTranscript, ScriptEndEndsAWaitingToolAndQuitsWithoutAsking) {
  ScriptRun run("b_gauge\nclick 0 0\n",
                [](App& app) { create_line(app.drawing.store, 0, 0, 0, 0, 0, 1, 1); });
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.lines("question").empty());
  EXPECT_TRUE(run.app->quit);
}

// Boxes whose text carries figures (counts, byte offsets) show it as it is: the catalogue must
// not collect every filled-in variant as a new text to translate.
TEST(ScriptTranscript, FilledInBoxTextsAreNotCollectedInTheCatalogue) {
  shell_test::TempDir work;
  const std::string damaged = work.file("cut.krv");
  {
    Drawing d;
    for (int i = 0; i < 3; ++i) create_line(d.store, 0, 0, 0, i, 0, i, 1);
    files_ui_save(d, damaged);
  }
  std::filesystem::resize_file(damaged, std::filesystem::file_size(damaged) - 5);
  ScriptRun run(
      "b_line_line\nclick 0 0\nclick 1 1\nclick 1 1\np_tools_remdup\n"
      "p_file_load\nanswer Yes\nfile " +
      damaged + "\n");
  const std::string before = shell_test::read_text(std::string(KORAV_SOURCE_DIR) + "/nls/krv.nls");
  EXPECT_EQ(run.lines("message").size(), 1u);
  ASSERT_EQ(run.lines("error").size(), 1u);
  EXPECT_NE(run.lines("error")[0].find("damaged at byte"), std::string::npos);
  EXPECT_TRUE(shell_test::read_text(run.data.file("nls/krv.nls")) == before)
      << "the catalogue collected a filled-in text";
}

TEST(ScriptTranscript, ErrorBoxesDuringTheScriptFailTheRun) {
  ScriptRun run("p_file_load\nfile no-such-drawing.krv\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.lines("error").size(), 1u);
}

// ---- The program ----

using shell_test::run_korav;

TEST(ScriptProgram, RunsAScriptAndPrintsTheTranscript) {
  shell_test::DataDir data;
  shell_test::TempDir work;
  shell_test::write_text(work.file("s.txt"),
                         "b_gauge\nkey a\ntype 1;2\nclick 4 6\nclick 4 6\nkey Escape\n"
                         "p_file_save\nfile out.krv\n");
  shell_test::KoravRun r = run_korav(data.path(), "--script s.txt", work.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("prompt: Select function:\nprompt: 1st Point:\nprompt: Abs. X/Y/Z:\n"
                       "prompt: 2nd Point:\nprompt: Move/Confirm:\nprompt: 1st Point:\n"
                       "prompt: Select function:\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("file: Save Drawing... -> "), std::string::npos);
  // Paths in script lines are relative to where korav was started.
  EXPECT_TRUE(shell_test::fs::exists(work.file("out.krv")));
  EXPECT_EQ(shell_test::read_text(data.path() + "nls/krv.nls"),
            shell_test::read_text(std::string(KORAV_SOURCE_DIR) + "/nls/krv.nls"))
      << "a text was missing from the catalogue";
  // From standard input.
  r = run_korav(data.path(), "--script - <<'EOF'\nb_gauge\nkey Escape\nEOF\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("prompt: 1st Point:"), std::string::npos) << r.out;
}

TEST(ScriptProgram, ExitStatusForUsageAndScriptErrors) {
  shell_test::DataDir data;
  shell_test::TempDir work;
  auto run = [&](const std::string& args, const std::string& cwd = ".") {
    shell_test::KoravRun r = run_korav(data.path(), args, cwd);
    r.out += r.err;
    return r;
  };
  EXPECT_EQ(run("--script '" + work.file("none.txt") + "'").status, 1);
  EXPECT_EQ(run("--script").status, 2);
  // A directory is no script: it cannot be read, so the run fails instead of doing nothing.
  shell_test::KoravRun dir = run("--script '" + work.path() + "'");
  EXPECT_EQ(dir.status, 1) << dir.out;
  EXPECT_NE(dir.out.find("cannot read script"), std::string::npos) << dir.out;
  shell_test::write_text(work.file("bad.txt"), "b_gauge\nclick here\n");
  shell_test::KoravRun bad = run("--script '" + work.file("bad.txt") + "'");
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.out.find("line 2"), std::string::npos) << bad.out;
  // A drawing on the command line that cannot be read.
  shell_test::write_text(work.file("empty.txt"), "");
  const std::string empty = "--script '" + work.file("empty.txt") + "' '";
  shell_test::KoravRun missing = run(empty + work.file("missing.krv") + "'");
  EXPECT_EQ(missing.status, 1) << missing.out;
  EXPECT_NE(missing.out.find("error: Cannot open file"), std::string::npos) << missing.out;
  // A drawing on the command line that is damaged: what was read is kept, but the run failed.
  shell_test::write_text(work.file("save.txt"),
                         "b_line_line\nclick 0 0\nclick 1 1\nclick 1 1\nclick 2 2\n"
                         "click 3 3\nclick 3 3\np_file_save\nfile two.krv\n");
  ASSERT_EQ(run("--script save.txt", work.path()).status, 0);
  const std::string whole = shell_test::read_text(work.file("two.krv"));
  ASSERT_GT(whole.size(), 600u);
  shell_test::write_text(work.file("damaged.krv"), whole.substr(0, whole.size() - 500));
  shell_test::KoravRun damaged = run(empty + work.file("damaged.krv") + "'");
  EXPECT_EQ(damaged.status, 1) << damaged.out;
  EXPECT_NE(damaged.out.find("error: File is damaged"), std::string::npos) << damaged.out;
  EXPECT_NE(damaged.out.find("damaged.krv"), std::string::npos) << damaged.out;  // the title
}

}  // namespace
}  // namespace korav
