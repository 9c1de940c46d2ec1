// The demonstration plan doc/house.txt (written by scripts/make_house.py), run through the
// script host as a user's session: every tool in it must do its part without a refusal, and the
// plan is drawn and compared with its reference picture.
#include <gtest/gtest.h>

#include <string>

#include "files/stroke_font.h"
#include "model/element_points.h"
#include "model/font_table.h"
#include "model/room_measure.h"
#include "render/png_export.h"
#include "tests/png_test_support.h"
#include "tests/reference_image.h"
#include "tests/shell_test_support.h"
#include "tests/tool_script_support.h"

namespace korav {
namespace {

TEST(HouseDemo, TheScriptDrawsTheWholeHouse) {
  std::string script = shell_test::read_text(std::string(KORAV_SOURCE_DIR) + "/doc/house.txt");
  ASSERT_FALSE(script.empty());
  // The test saves the drawing itself, into a directory of its own.
  script = script.substr(0, script.find("p_file_save"));
  const tool_script::Result r = tool_script::run(script);
  std::string transcript;
  for (const std::string& l : r.transcript) transcript += l + "\n";
  ASSERT_EQ(r.status, 0) << transcript;
  ASSERT_TRUE(r.loaded);
  // No refusal (the empty data directory's missing settings aside).
  for (const std::string& l : r.transcript)
    EXPECT_TRUE(!l.starts_with("error:") || l == "error: Cannot open local settings!") << l;

  int doors = 0, windows = 0;
  for (const Wall* w : r.all<Wall>())
    for (const Opening& o : wall_openings(*w)) {
      doors += o.kind == 2;
      windows += o.kind == 3;
    }
  EXPECT_EQ(r.count(kWall), 17u);
  EXPECT_EQ(doors, 10);
  EXPECT_EQ(windows, 10);
  const auto rooms = r.all<Room>();
  ASSERT_EQ(rooms.size(), 10u);
  // The living room: 4.70 x 3.70 between its faces.
  EXPECT_EQ(rooms[0]->description.view(), "Wohnen");
  EXPECT_NEAR(room_area(*rooms[0]), 4.70 * 3.70, 1e-9);

  const auto path = std::filesystem::path(KORAV_BINARY).parent_path() / "render_gallery";
  std::filesystem::create_directories(path);
  FontTable fonts;
  install_font_loader(fonts, std::string(KORAV_SOURCE_DIR) + "/dat/fonts/");
  std::string error;
  ASSERT_TRUE(export_png(r.saved, (path / "house.png").string(), 1600, 1000, error, &fonts))
      << error;
  testing::expect_matches_reference(path / "house.png", "render", "house.png");
}

}  // namespace
}  // namespace korav
