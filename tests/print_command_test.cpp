// Printing: the print command as an argument vector with the file last (no shell), started in the
// background; and "p_file_print" through the script host, to a file and to a print command.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "base/process.h"
#include "exchange/print_command.h"
#include "tests/export_test_support.h"
#include "tests/files_test_support.h"
#include "tests/shell_test_support.h"

namespace korav {
namespace {

namespace fs = std::filesystem;
using shell_test::ScriptRun;

TEST(PrintCommand, TheCommandsWordsAndTheFileAreTheArguments) {
  using V = std::vector<std::string>;
  EXPECT_EQ(print_arguments("lp", "/tmp/print.ps"), (V{"lp", "/tmp/print.ps"}));
  EXPECT_EQ(print_arguments("  lpr\t-Pdesk  ", "/tmp/a b;rm x.ps"),
            (V{"lpr", "-Pdesk", "/tmp/a b;rm x.ps"}));
  EXPECT_EQ(print_arguments("lp -d office", "f"), (V{"lp", "-d", "office", "f"}));
  EXPECT_TRUE(print_arguments(" \t ", "f").empty());
  const std::string def = default_print_command();
  EXPECT_TRUE(def == "lp" || def == "lpr");
}

// Waits up to five seconds for a file a background program writes.
bool appears(const std::string& path) {
  for (int i = 0; i < 100; ++i) {
    if (fs::exists(path) && fs::file_size(path) > 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

TEST(PrintCommand, TheProgramRunsInTheBackgroundWithTheFile) {
  files_test::TempDir dir;
  const std::string odd = dir.file("a file; with $(blanks).ps");
  export_test::write_file(odd, "%!PS\n");
  fs::create_directory(dir.file("out"));
  ASSERT_TRUE(start_detached(print_arguments("cp -t " + dir.file("out"), odd), "").started);
  EXPECT_TRUE(appears(dir.file("out/a file; with $(blanks).ps")));
  // A program that does not exist is reported.
  EXPECT_FALSE(start_detached({"no-such-print-program-here", odd}, "").started);
}

void plan(App& app) {
  Drawing& d = app.drawing;
  create_line(d.store, 0, 0, 0, 1, 1, 5, 1);
  create_line(d.store, 0, 1, 0, 100, 100, 105, 100);  // far outside the sheet
}

TEST(PrintCommandScripts, ThePageGoesToAFile) {
  files_test::TempDir out;
  const std::string path = out.file("page.ps");
  ScriptRun run("set Toolbar/Snap off\np_file_print\nclick 0 0\nclick 0 0\nanswer To File\nfile " +
                    path + "\n",
                plan);
  EXPECT_EQ(run.status, 0);
  const auto prompts = run.lines("prompt");
  EXPECT_NE(std::find(prompts.begin(), prompts.end(), "Set frame:"), prompts.end());
  EXPECT_EQ(run.lines("question"),
            std::vector<std::string>{"Output method: [To Printer|To File|Cancel] -> To File"});
  EXPECT_EQ(run.lines("file"), std::vector<std::string>{"Print to file... -> " + path});
  const std::string doc = export_test::read_file(path);
  EXPECT_TRUE(doc.starts_with("%!PS-Adobe-3.0\n"));
  EXPECT_NE(doc.find("sp1 lt1 28.35 28.35 m 141.73 28.35 l s\n"), std::string::npos);
  EXPECT_EQ(doc.find("sp2 lt1"), std::string::npos);
  for (const Element& e : run.app->drawing.store.list) EXPECT_EQ(e.selected, 0);
}

TEST(PrintCommandScripts, ThePageGoesToThePrintCommand) {
  files_test::TempDir spool;
  ScriptRun run("set Toolbar/Snap off\np_file_print\nclick 0 0\nclick 0 0\nanswer To Printer\n",
                [&](App& app) {
                  plan(app);
                  app.drawing.settings.print.printer.set("Custom");
                  app.drawing.settings.print.command.set("cp -t " + spool.path());
                });
  EXPECT_EQ(run.status, 0);
  ASSERT_TRUE(appears(spool.file("print.ps")));
  EXPECT_TRUE(export_test::read_file(spool.file("print.ps")).ends_with("%%EOF\n"));
}

TEST(PrintCommandScripts, APrintCommandThatCannotStartSaysSo) {
  ScriptRun run("set Toolbar/Snap off\nset Print Setup/Printer command no-such-print-program -x\n"
                "p_file_print\nclick 0 0\nclick 0 0\nanswer To Printer\n",
                plan);
  EXPECT_EQ(run.lines("error"), std::vector<std::string>{
                                    "Could not start the command:|no-such-print-program -x"});
  // The page was written; no program reads it, so nothing keeps the directory.
  EXPECT_FALSE(run.app->private_dir.kept());
}

TEST(PrintCommandScripts, CancellingWritesNothing) {
  files_test::TempDir out;
  for (const std::string& s : {std::string("p_file_print\nkey Escape\n"),
                               std::string("p_file_print\nclick 0 0\nclick 0 0\nanswer Cancel\n"),
                               std::string("p_file_print\nclick 0 0\nclick 0 0\nanswer To File\n"
                                           "file cancel\n")}) {
    SCOPED_TRACE(s);
    ScriptRun run(s, plan);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.lines("error").empty());
  }
  ScriptRun bad("p_file_print\nclick 0 0\nclick 0 0\nanswer To File\nfile " +
                    out.file("no/dir/p.ps") + "\n",
                plan);
  EXPECT_EQ(bad.lines("error"), std::vector<std::string>{"Cannot open file"});
}

}  // namespace
}  // namespace korav
