// The symbol list dialog over the shipped library: walking it (directories first, never above
// the symbol path), choosing a symbol, and its preview.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/dialogs/symbols.h"
#include "files/symbols.h"
#include "render/surface.h"
#include "tests/fake_ui.h"

namespace korav {
namespace {

class SymbolList : public ::testing::Test {
 protected:
  void SetUp() override {
    app.ui = &ui;
    app.program_dir = KORAV_SOURCE_DIR;  // the symbol path "./dat/sym/" lies below it
  }
  std::vector<std::string> items() const { return app.vars.find("Symbol/List")->items; }
  // Pixels of the preview that are not the background.
  int drawn() {
    const Surface& s = app.screen().surface[kSymbolPreview];
    int n = 0;
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x)
        n += pixel_at(s, x, y) != (s.pixel[kColourBackground] & 0xffffff);
    return n;
  }

  FakeUi ui;
  App app;
};

TEST_F(SymbolList, WalksTheLibraryAndNeverLeavesIt) {
  refresh_symbol_list(app);
  const std::vector<std::string> top = items();
  ASSERT_GE(top.size(), 5u);
  EXPECT_EQ(top[0], "furniture/");  // directories first, sorted
  EXPECT_EQ(std::count(top.begin(), top.end(), ".."), 0);
  EXPECT_NE(std::find(top.begin(), top.end(), "north_arrow.sym"), top.end());

  symbol_list_choose(app, "trees/");
  const std::vector<std::string> trees = items();
  ASSERT_FALSE(trees.empty());
  EXPECT_EQ(trees[0], "..");
  EXPECT_NE(std::find(trees.begin(), trees.end(), "conifer.sym"), trees.end());
  symbol_list_choose(app, "conifer.sym");
  EXPECT_EQ(chosen_symbol_path(app), symbol_directory(app) + "trees/conifer.sym");

  // Going up forgets the symbol; above the symbol path is refused and said.
  symbol_list_choose(app, "..");
  EXPECT_EQ(items(), top);
  EXPECT_EQ(chosen_symbol_path(app), "");
  symbol_list_choose(app, "..");
  EXPECT_EQ(items(), top);
  EXPECT_EQ(ui.errors, std::vector<std::string>{std::string(kMsgOutsideSymbolPath)});
}

TEST_F(SymbolList, PreviewShowsTheChosenSymbolOnly) {
  Screen& s = app.screen();
  apply_settings(s, app.drawing.settings);
  ASSERT_TRUE(configure_surface(s, kSymbolPreview, 120, 90, app.drawing.settings).configured);
  set_current_surface(s, kMainSurface);
  refresh_symbol_list(app);
  draw_symbol_preview(app);
  EXPECT_EQ(drawn(), 0);  // nothing chosen
  symbol_list_choose(app, "north_arrow.sym");
  const int arrow = drawn();
  EXPECT_GT(arrow, 100);
  EXPECT_EQ(s.current, kMainSurface);  // the preview leaves the main surface current
  // A directory chosen clears the preview; a symbol that cannot be read draws nothing.
  symbol_list_choose(app, "sanitary/");
  EXPECT_EQ(drawn(), 0);
  app.symbols.symbol = "missing.sym";
  draw_symbol_preview(app);
  EXPECT_EQ(drawn(), 0);
}

}  // namespace
}  // namespace korav
