// "p_file_plot" end to end through the script host: to a file or to the plotter command, with
// the plot setup's values; cancelling at any step writes nothing and leaves nothing marked.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/export_test_support.h"
#include "tests/files_test_support.h"
#include "tests/shell_test_support.h"

namespace korav {
namespace {

namespace fs = std::filesystem;
using shell_test::ScriptRun;

// A line on the current layer, one on a hidden layer.
void plan(App& app) {
  Drawing& d = app.drawing;
  create_line(d.store, 0, 0, 0, 0, 0, 4, 0);
  create_line(d.store, 1, 1, 0, 0, 2, 4, 2);
}

bool none_selected(const App& app) {
  for (const Element& e : app.drawing.store.list)
    if (e.selected) return false;
  return true;
}

bool appears(const std::string& path) {
  for (int i = 0; i < 100; ++i) {
    if (fs::exists(path) && fs::file_size(path) > 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

const std::string kScope =
    "Plot HPGL: [All objects|All visible objects|Select objects|Cancel] -> ";
const std::string kOutput = "Output method: [To Plotter|To File|Cancel] -> ";

TEST(PlotCommandScripts, ThePlotGoesToAFileWithTheFramePlacedByItsCentre) {
  files_test::TempDir out;
  const std::string path = out.file("plan.hpgl");
  // The frame centred on (10, 14), the origin there: (0, 0) is at (-10, -14) m, 400 units a metre.
  ScriptRun run("set Toolbar/Snap off\nset Plot Setup/Origin Center\np_file_plot\n"
                "answer All objects\nclick 10 14\nclick 10 14\nanswer To File\nfile " +
                    path + "\n",
                plan);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.lines("question"), (std::vector<std::string>{kScope + "All objects",
                                                             kOutput + "To File"}));
  const auto prompts = run.lines("prompt");
  EXPECT_NE(std::find(prompts.begin(), prompts.end(), "Set frame:"), prompts.end());
  EXPECT_NE(std::find(prompts.begin(), prompts.end(), "Move/Confirm:"), prompts.end());
  EXPECT_EQ(run.lines("file"), std::vector<std::string>{"Plot to file... -> " + path});
  const std::string doc = export_test::read_file(path);
  EXPECT_TRUE(doc.starts_with("IN;IP-4200,-5940,4200,5940;\n")) << doc.substr(0, 80);
  EXPECT_NE(doc.find("PU; PA -4000,-5600; PD -2400,-5600;\n"), std::string::npos) << doc;
  // "All objects": the line on the hidden layer is chosen, but a hidden layer draws nothing.
  EXPECT_EQ(doc.find("PA -4000,-4800"), std::string::npos);
  EXPECT_TRUE(none_selected(*run.app));
}

TEST(PlotCommandScripts, ThePlotSetupChoosesTheLanguagePaperAndScale) {
  files_test::TempDir out;
  const std::string path = out.file("plan.hpgl");
  ScriptRun run("set Toolbar/Snap off\n"
                "z_d_plotsetup\n"
                "set Plot Setup/Plotter type HPGL/2 color\n"
                "set Plot Setup/Width: 42\n"
                "set Plot Setup/Height: 29.7\n"
                "set Plot Setup/Resolution [cm] 0.01\n"
                "set Plot Setup/Plot scale 50\n"
                "set Plot Setup/Start: START;\n"
                "set Plot Setup/End: END;\n"
                "z_c_plotsetup\n"
                "p_file_plot\nanswer All visible objects\nclick 2 0\nclick 2 0\n"
                "answer To File\nfile " +
                    path + "\n",
                plan);
  EXPECT_EQ(run.status, 0);
  const std::string doc = export_test::read_file(path);
  // 42 x 29.7 cm at 0.01 cm a unit; at 1:50 a metre is 200 units, half the paper (10.5 m x
  // 7.425 m at 1:50) is added for the origin at the bottom left.
  EXPECT_TRUE(doc.starts_with("\x1b" "E\x1b%0BIN;WU0;NP256;IP0,0,4200,2970;\n")) << doc.substr(0, 80);
  EXPECT_NE(doc.find("\nSTART;\n"), std::string::npos);
  EXPECT_NE(doc.find("PU; PA 1700,1485; PD 2500,1485;\n"), std::string::npos) << doc;
  EXPECT_NE(doc.find("\nEND;\nSP0;PU0,0;PG;"), std::string::npos);
  // The steps of the plot scale.
  ScriptRun steps("z_plscale_inc\n");
  EXPECT_GT(steps.app->drawing.settings.plot.scale, 100);
  ScriptRun down("z_plscale_dec\n");
  EXPECT_LT(down.app->drawing.settings.plot.scale, 100);
}

TEST(PlotCommandScripts, ThePlotGoesToThePlotterCommandFromAPrivateDirectory) {
  files_test::TempDir spool;
  ScriptRun run("set Toolbar/Snap off\nset Plot Setup/Plotter command cp -t " + spool.path() +
                    "\np_file_plot\nanswer All objects\nclick 0 0\nclick 0 0\nanswer To Plotter\n",
                plan);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.lines("error").empty());
  // Typing the command made the plotter "Custom".
  EXPECT_EQ(run.app->drawing.settings.plot.printer.view(), "Custom");
  ASSERT_TRUE(appears(spool.file("plot.hpgl")));
  EXPECT_TRUE(export_test::read_file(spool.file("plot.hpgl")).starts_with("IN;IP0,0,8400,11880;"));
  // The file went from the program's private directory below the temporary one.
  const std::string dir = run.app->private_dir.path();
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(dir.starts_with(run.app->temp_dir + "korav-")) << dir;
  struct stat st {};
  ASSERT_EQ(stat(dir.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(fs::exists(dir + "plot.hpgl"));
  // The plotter command may still be reading it: it stays when the program ends.
  EXPECT_TRUE(run.app->private_dir.kept());
  run.app.reset();
  EXPECT_TRUE(fs::exists(dir + "plot.hpgl"));
  fs::remove_all(dir);
}

TEST(PlotCommandScripts, CancellingAtAnyStepPlotsNothing) {
  files_test::TempDir out;
  for (const std::string& s :
       {std::string("p_file_plot\nanswer Cancel\n"),
        std::string("p_file_plot\nanswer All objects\nkey Escape\n"),
        std::string("p_file_plot\nanswer All objects\nclick 0 0\nclick 0 0\nanswer Cancel\n"),
        std::string("p_file_plot\nanswer All objects\nclick 0 0\nclick 0 0\nanswer To File\n"
                    "file cancel\n")}) {
    SCOPED_TRACE(s);
    ScriptRun run(s, plan);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.lines("error").empty());
    EXPECT_TRUE(none_selected(*run.app));
    EXPECT_TRUE(run.app->private_dir.path().empty());
  }
  ScriptRun bad("p_file_plot\nanswer All objects\nclick 0 0\nclick 0 0\nanswer To File\nfile " +
                    out.file("no/dir/p.hpgl") + "\n",
                plan);
  EXPECT_EQ(bad.lines("error"), std::vector<std::string>{"Cannot open file"});
  EXPECT_TRUE(none_selected(*bad.app));
}

}  // namespace
}  // namespace korav
