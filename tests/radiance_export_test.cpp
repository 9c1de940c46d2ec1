// The Radiance scene, control file and scripts: the sky only with gensky's output, lights as
// glowing spheres, faces as polygons, materials by kind, the zone, the view line and the
// scripts that change into the render directory whatever its name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "base/process.h"
#include "exchange/radiance_export.h"
#include "tests/files_test_support.h"
#include "tests/render_test_support.h"
#include "tests/shell_test_support.h"

namespace korav {
namespace {

using render_test::add_active_camera;
using render_test::add_light;
using render_test::add_marked;
using render_test::count_of;

// Whether `text` holds `part`; the text is shown when not.
testing::AssertionResult holds(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

std::string scene_of(const Drawing& d, const RadianceSettings& s = {},
                     const SceneMaterials& m = {}, std::string_view sky = "") {
  return radiance_scene(d, s, m, sky);
}

TEST(RadianceScene, WithoutASkyThereIsNoGenskyOutputAndNoGlow) {
  Drawing d;
  add_marked(d, cuboid_mesh(0, 0, 1, 1, 0, 1));
  RadianceSettings s;
  EXPECT_TRUE(gensky_arguments(s).empty());
  const std::string scene = scene_of(d, s, {}, "!gensky output\n");
  EXPECT_EQ(scene.rfind("#Radiance file written by Korav\n\n", 0), 0u);
  EXPECT_EQ(scene.find("gensky"), std::string::npos);
  EXPECT_EQ(scene.find("glow"), std::string::npos);
  EXPECT_EQ(scene.find("skyfunc"), std::string::npos);

  s.sky = 3;
  s.time = 15;
  s.latitude = 52.4;
  EXPECT_EQ(gensky_arguments(s),
            (std::vector<std::string>{"gensky", "7", "1", "15:00", "-a", "52", "+i"}));
  const std::string with_sky = scene_of(d, s, {}, "# gensky 7 1 15:00\nvoid brightfunc skyfunc");
  EXPECT_TRUE(holds(with_sky,
                    "# gensky 7 1 15:00\nvoid brightfunc skyfunc\nskyfunc glow skyglow\n0\n0\n"
                    "4 .986 .986 1.205 0\nskyfunc glow groundglow\n0\n0\n4 .2 .2 .2 0\n"
                    "skyglow source sky\n0\n0\n4 0 0 1 180\ngroundglow source ground\n0\n0\n"
                    "4 0 0 -1 180\n"));
}

TEST(RadianceScene, ALightOfSizeOneInWhiteGlowsThirtyInEachColour) {
  Drawing d;
  add_light(d, {1, 2, 3}, 1, 0, 1);
  Light* half = add_light(d, {4, 5, 6}, 1, 0, 2);
  half->green = 0.5;
  const std::string s = scene_of(d);
  EXPECT_TRUE(holds(s,
                    "void light bright.0\n0\n0\n3 30.000000 30.000000 30.000000\n\n"
                    "bright.0 sphere lamp.0\n0\n0\n4 1.0000 2.0000 3.0000 0.1\n\n"));
  EXPECT_TRUE(holds(s,
                    "void light bright.1\n0\n0\n3 120.000000 60.000000 120.000000\n\n"
                    "bright.1 sphere lamp.1\n"));
}

TEST(RadianceScene, AQuadIsOnePolygonWithTheCountTwelve) {
  Drawing d;
  Mesh m;
  const double corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (const auto& c : corners) m.add_vertex(c[0], c[1], 2);
  m.add_face({0, 1, 2, 3});
  add_marked(d, m, "Floor tiles");
  const std::string s = scene_of(d);
  EXPECT_TRUE(holds(s,
                    "M_Floor_tiles polygon poly.0\n0\n0\n12\n0.00000000 0.00000000 2.00000000\n"
                    "1.00000000 0.00000000 2.00000000\n1.00000000 1.00000000 2.00000000\n"
                    "0.00000000 1.00000000 2.00000000\n\n"));
  // A cuboid: six polygons, numbered on across the objects.
  add_marked(d, cuboid_mesh(0, 0, 1, 1, 0, 1));
  const std::string two = scene_of(d);
  EXPECT_EQ(count_of(two, " polygon poly."), 7u);
  EXPECT_TRUE(holds(two, "Default polygon poly.6\n"));
}

TEST(RadianceScene, WallSolidsOnTheTemporaryLayerTakePartUnmarkedObjectsDoNot) {
  Drawing d;
  store_mesh(d.store, cuboid_mesh(0, 0, 1, 1, 0, 1), kTempLayer, 0, 0, "Brick");
  store_mesh(d.store, cuboid_mesh(5, 0, 6, 1, 0, 1), 0, 0, 0, "Hidden");
  const std::string s = scene_of(d);
  EXPECT_EQ(count_of(s, " polygon poly."), 6u);
  EXPECT_EQ(s.find("Hidden"), std::string::npos);
  EXPECT_TRUE(holds(s, "void plastic Brick\n"));
}

TEST(RadianceScene, MaterialsByKind) {
  Drawing d;
  for (const char* name : {"Plain", "Steel", "Frosted", "Glass", "Photo"})
    add_marked(d, cuboid_mesh(0, 0, 1, 1, 0, 1), name);
  SceneMaterials m(5);
  m[0].name = "Plain";
  m[0].values = Material{};
  m[0].values.reflection = 0.05;
  m[0].values.highlight = 0.5;
  m[1].name = "Steel";
  m[1].values.metallic = 1;
  m[2].name = "Frosted";
  m[2].values.transparency = 0.6;
  m[3].name = "Glass";
  m[3].values.transparency = 0.9;
  m[3].values.refraction = 1;
  m[3].values.red = 0.9;
  m[4].name = "Photo";
  m[4].values.texture = 1;
  m[4].values.size_x = 2;
  m[4].image_path = "/data/dat/tex/photo.hdr";
  const std::string s = scene_of(d, {}, m);
  EXPECT_TRUE(holds(s, "void plastic Plain\n0\n0\n5 0.80 0.80 0.80 0.05 0.10\n\n"));
  EXPECT_TRUE(holds(s, "void metal Steel\n0\n0\n5 0.80 0.80 0.80 0.00 0.14\n\n"));
  EXPECT_TRUE(holds(s, "void trans Frosted\n0\n0\n7 0.80 0.80 0.80 0.00 0.14 0.60 1.00\n\n"));
  EXPECT_TRUE(holds(s, "void glass Glass\n0\n0\n3 0.90 0.80 0.80\n\n"));
  EXPECT_TRUE(
      holds(s,
            "void colorpict Photo_pattern\n7 red green blue /data/dat/tex/photo.hdr "
            "picture.cal pic_u pic_v -s 2.00 -rx 90\n0\n1 1\n\nPhoto_pattern plastic Photo\n"));
  // A picture whose path Radiance would split is left out, and that is said.
  m[4].image_path = "/my data/photo.hdr";
  testing::internal::CaptureStdout();
  const std::string without = scene_of(d, {}, m);
  EXPECT_TRUE(holds(testing::internal::GetCapturedStdout(), "/my data/photo.hdr"));
  EXPECT_EQ(without.find("colorpict"), std::string::npos);
  EXPECT_TRUE(holds(without, "void plastic Photo\n"));
}

TEST(RadianceControl, ViewZoneAndSettingsLines) {
  Drawing d;
  add_active_camera(d, {1, -10, 1.5}, {1, 0, 2.5}, 50);
  Room room = make_element<Room>(0, 0, 0);
  room.base = 0.1;
  room.top = 2.85;
  const Point2 outline[] = {{-1, -2}, {4, -2}, {4, 3}, {-1, 3}, {kSeparator, kSeparator}};
  Room* r = create_room(d.store, room, outline);
  ASSERT_NE(r, nullptr);
  r->selected = 1;
  RadianceSettings s;
  std::tie(s.resolution, s.quality, s.detail, s.variability, s.indirect, s.shadows, s.scene) =
      std::tuple(4, 2, 1, 0, 2, 1, 1);
  EXPECT_EQ(radiance_control(d, s, RadianceView::kPerspective, RadianceBuild::kStandard),
            "OCTREE= korav.oct\n"
            "view= a -vp 1.00 -10.00 1.50 -vd 0.00 10.00 1.00 -vh 50.00 -vv 37.50\n"
            "ZONE= E -1.00 4.00 -2.00 3.00 0.10 2.85\n"
            "AMBFILE=korav.amb\nREPORT= 0.1666\nRESOLUTION= 1024 768 0\nQUALITY= HIGH\n"
            "PENUMBRAS= TRUE\nINDIRECT= 2\nDETAIL= MEDIUM\nVARIABILITY= LOW\n");
  s.shadows = 0;
  s.scene = 0;
  const std::string alt = radiance_control(d, s, RadianceView::kLinear, RadianceBuild::kAlternative);
  EXPECT_TRUE(holds(alt, "view= a -vtl -vp 1.00"));
  EXPECT_TRUE(holds(alt, "ZONE= I "));
  EXPECT_EQ(alt.find("PENUMBRAS"), std::string::npos);
  EXPECT_TRUE(holds(alt, "PICTURE= korav\nrender= -ab 2 -ad 4 -Dc on\npfilt= -1 -b -x /2 -y /2\n"));
}

TEST(RadianceControl, WithoutARoomTheZoneHoldsTheSceneAndTheEye) {
  Drawing d;
  add_marked(d, cuboid_mesh(2, 3, 5, 7, 0, 3));
  add_light(d, {3, 4, 6}, 0, 0);
  add_active_camera(d, {-1, -4, 1.6}, {3, 5, 1});
  const std::string rif = radiance_control(d, {}, RadianceView::kPerspective, RadianceBuild::kStandard);
  EXPECT_TRUE(holds(rif, "ZONE= I -1.00 5.00 -4.00 7.00 0.00 6.00\n"));
  // An empty drawing: a zone of a metre about the eye.
  Drawing empty;
  const std::string e =
      radiance_control(empty, {}, RadianceView::kPerspective, RadianceBuild::kStandard);
  EXPECT_TRUE(holds(e, "ZONE= I -0.50 0.50 -10.50 -9.50 1.10 2.10\n"));
}

TEST(RadianceScripts, EachChangesIntoItsDirectoryQuotedForTheShell) {
  const std::string dir = "/tmp/it's a \"dir\"; rm -rf x/";
  EXPECT_EQ(shell_quoted("a b"), "'a b'");
  EXPECT_EQ(shell_quoted("it's"), "'it'\\''s'");
  EXPECT_EQ(radiance_octree_script(dir, RadianceBuild::kStandard),
            "cd '/tmp/it'\\''s a \"dir\"; rm -rf x/' || exit 1\noconv korav.rad > korav.oct\n");
  EXPECT_TRUE(
      holds(radiance_octree_script(dir, RadianceBuild::kAlternative), "\nrzoconv korav.rad"));
  const std::string render = radiance_render_script(dir, RadianceBuild::kStandard);
  EXPECT_EQ(render.rfind("cd '/tmp/it'\\''s a \"dir\"; rm -rf x/' || exit 1\nrad korav.rif\n", 0),
            0u);
  EXPECT_TRUE(
      holds(radiance_render_script(dir, RadianceBuild::kAlternative), "\nradz korav.rif\n"));
  EXPECT_EQ(radiance_programs(RadianceBuild::kStandard), (std::vector<std::string>{"oconv", "rad"}));
}

// The shell reads the script as written: with stand-ins for the Radiance programs it changes
// into a directory whose name holds quotes, blanks and ';', runs them there, and copies the
// picture to a file named the same way.
TEST(RadianceScripts, TheShellRunsThemInADirectoryWithAnAwkwardName) {
  files_test::TempDir tmp;
  const std::string bin = tmp.file("bin");
  const std::string dir = tmp.file("it's a \"dir\"; x") + "/";
  std::filesystem::create_directories(bin);
  std::filesystem::create_directories(dir);
  auto fake = [&](const std::string& name, const std::string& body) {
    shell_test::write_text(bin + "/" + name, "#!/bin/sh\n" + body);
    std::filesystem::permissions(bin + "/" + name, std::filesystem::perms::owner_all);
  };
  fake("oconv", "pwd > oconv.where\necho octree\n");
  fake("rad", "echo picture > korav_a.hdr\n");
  fake("ra_ppm", "cat \"$1\"\n");
  fake("xdg-open", "echo \"$1\" > shown\n");
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (bin + ":" + path).c_str(), 1);
  const std::string sh = find_program("sh");
  ASSERT_FALSE(sh.empty());

  shell_test::write_text(dir + "radscript.sh", radiance_octree_script(dir, RadianceBuild::kStandard));
  RunResult r = run_to_end({sh, dir + "radscript.sh"}, "/");
  EXPECT_TRUE(r.ran);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(shell_test::read_text(dir + "oconv.where"), dir.substr(0, dir.size() - 1) + "\n");
  EXPECT_EQ(shell_test::read_text(dir + "korav.oct"), "octree\n");

  const std::string picture = tmp.file("my picture; it's \"done\".hdr");
  shell_test::write_text(dir + "radscript.sh", radiance_render_script(dir, RadianceBuild::kStandard));
  r = run_to_end({sh, dir + "radscript.sh", picture}, "/");
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(shell_test::read_text(dir + "korav_a.ppm"), "picture\n");
  EXPECT_EQ(shell_test::read_text(picture), "picture\n");
  EXPECT_EQ(shell_test::read_text(dir + "shown"), "korav_a.ppm\n");
}

}  // namespace
}  // namespace korav
