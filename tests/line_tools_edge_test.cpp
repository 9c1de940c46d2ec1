// Edge cases of the line tools, picking and snapping that the other suites do not reach: the
// state a tool leaves behind when the user leaves it half way.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/app.h"
#include "app/selection.h"
#include "app/script_host.h"
#include "tests/files_test_support.h"

namespace korav {
namespace {

using files_test::TempDir;

// Runs a script on a fresh application and hands it back for inspection.
void run_script(App& app, const std::string& script, const TempDir& dir) {
  std::istringstream in(script + "\np_nop\n");
  ScriptHost host(app, in, "test", nullptr);
  host.run(CommandLine{}, dir.path());
}

TEST(LineToolEdges, LeftSelectionOfAttachOrCutKeepsTheDrawingUnmodified) {
  for (const char* tool : {"b_line_attach", "b_line_cut"}) {
    TempDir dir;
    App app;
    const std::string path = dir.file("base.krv");
    run_script(app,
               "set Toolbar/Snap off\n"
               "b_line_line\nclick 0 0\nclick 10 0\nclick 10 0\n"
               "b_line_line\nclick 4 -10\nclick 4 10\nclick 4 10\n"
               "p_file_save\nfile " + path + "\n" +
                   tool + "\nclick 4.01 -5\nclick 7 0.01\ns_deffi_cancel\n",
               dir);
    EXPECT_EQ(app.drawing.store.size(), 2u) << tool;  // no guide line left
    EXPECT_FALSE(app.drawing.store.modified) << tool;
  }
}

// In the front view (x across, z up) a rectangle must not mark a plan line whose x and y happen
// to fall inside it, while a 3D line's projected points are marked as usual.
TEST(LineToolEdges, PointSelectionInA3DViewLeavesPlanElements) {
  Drawing d;
  Line* plan = create_line(d.store, 0, 1, 0, 1, 1, 2, 1);
  Line3D l3 = make_element<Line3D>(0, 1, 0);
  l3.start = {1, 50, 1, 0};
  l3.end = {2, 50, 9, 0};
  Line3D* solid = create(d.store, l3);
  SelectionSettings s;
  EXPECT_EQ(select_points(d, s, Filter{}, 2, 0, 0, 3, 3), 1);
  EXPECT_EQ(plan->start.mark, 0);
  EXPECT_EQ(plan->end.mark, 0);
  EXPECT_EQ(solid->start.mark, 1);
  EXPECT_EQ(solid->end.mark, 0);
  // the plan view still marks it
  EXPECT_EQ(select_points(d, s, Filter{}, 0, 0, 0, 3, 3), 1);
  EXPECT_EQ(plan->start.mark, 1);
}

}  // namespace
}  // namespace korav
