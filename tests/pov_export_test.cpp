// The POV-Ray scene: its parts in order, solids as triangle meshes, walls with their openings
// cut out, lights with the shadow split, declared materials, the options file; and POV-Ray
// itself parsing and rendering the scenes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "arch/openings.h"
#include "arch/walls.h"
#include "exchange/pov_export.h"
#include "model/element_points.h"
#include "tests/files_test_support.h"
#include "tests/render_test_support.h"
#include "tests/shell_test_support.h"
#include "tests/tool_script_support.h"

namespace korav {
namespace {

using files_test::TempDir;
using render_test::add_active_camera;
using render_test::add_light;
using render_test::add_marked;
using render_test::count_of;
using render_test::lines_starting;

Mesh quad() {
  Mesh m;
  m.add_vertex(0, 0, 0);
  m.add_vertex(2, 0, 0);
  m.add_vertex(2, 1, 0.5);
  m.add_vertex(0, 1, 0.5);
  m.add_face({0, 1, 2, 3});
  return m;
}

std::string scene_of(const Drawing& d, const PovSettings& s = {},
                     const SceneMaterials& materials = {}) {
  return pov_scene(d, s, PovCamera::kPerspective, materials);
}

// The colour of a light source's line.
std::array<double, 3> colour_of(const std::string& light) {
  std::array<double, 3> rgb{-1, -1, -1};
  const std::size_t c = light.find("> color rgb <");
  if (c != std::string::npos)
    std::sscanf(light.c_str() + c + 13, "%lf, %lf, %lf>", &rgb[0], &rgb[1], &rgb[2]);
  return rgb;
}

TEST(PovScene, AQuadBecomesTwoTrianglesSharingItsFirstAndThirdPoint) {
  Drawing d;
  add_marked(d, quad());
  const std::string s = scene_of(d);
  EXPECT_NE(s.find(" face_indices\n {\n  2  ,\n< 0 , 1 , 2 >  ,\n< 2 , 3 , 0 > }\n"),
            std::string::npos)
      << s;
  // Points are written <x, z, y>: POV-Ray's height axis is y.
  EXPECT_NE(s.find(" vertex_vectors\n {\n  4  ,\n<0.000000000000,0.000000000000,0.000000000000>"
                   "  ,\n<2.000000000000,0.000000000000,0.000000000000>  ,\n"
                   "<2.000000000000,0.500000000000,1.000000000000>"),
            std::string::npos)
      << s;
}

TEST(PovScene, FacesWithMorePointsAreTriangulatedAndUnmarkedObjectsLeftOut) {
  Drawing d;
  const std::vector<Point2> hexagon = {{0, 0}, {2, 0}, {3, 1}, {2, 2}, {0, 2}, {-1, 1}};
  add_marked(d, prism_mesh(normalise_polygon(hexagon), 0, 1));
  Object3D* hidden = store_mesh(d.store, cuboid_mesh(5, 5, 6, 6, 0, 1), 0, 0, 0, "Default");
  ASSERT_NE(hidden, nullptr);
  const std::string s = scene_of(d);
  EXPECT_EQ(count_of(s, "mesh2"), 1u);
  // 6 side quads as 12 triangles, the two hexagons as 4 each.
  EXPECT_NE(s.find(" face_indices\n {\n  20  ,"), std::string::npos) << s;
}

TEST(PovScene, CoincidingPointsLeaveTheirTriangleOutAndSaySo) {
  Drawing d;
  Mesh m = quad();
  m.add_vertex(0, 0, 0);  // a copy of point 0
  m.add_face({0, 1, 4});
  add_marked(d, m);
  testing::internal::CaptureStdout();
  const std::string s = scene_of(d);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "identical points in polygon... polygon ignored\n");
  EXPECT_NE(s.find(" face_indices\n {\n  2  ,"), std::string::npos);
}

TEST(PovScene, WithoutLightsTheSceneStillHasCameraBackgroundAndObjectsInOrder) {
  Drawing d;
  add_marked(d, cuboid_mesh(0, 0, 1, 1, 0, 1));
  add_active_camera(d, {5, -5, 2}, {0.5, 0.5, 0.5}, 45);
  PovSettings st;
  st.bg_red = 0.25;
  const std::string s = scene_of(d, st);
  EXPECT_EQ(s.find("light_source"), std::string::npos);
  const std::size_t globals = s.find("global_settings {\n max_trace_level 12\n ambient_light 1\n}");
  const std::size_t camera = s.find(
      "\ncamera\n{\n perspective\n location <5.000000,2.000000,-5.000000>\n"
      " look_at <0.500000,0.500000,0.500000>\n angle 45.000000\n}\n");
  const std::size_t background = s.find("\nbackground { color rgb <0.250000,0.700000,0.950000> }");
  const std::size_t texture = s.find("\n#declare Default =\ntexture {\n");
  const std::size_t mesh = s.find("mesh2\n{\n");
  ASSERT_NE(globals, std::string::npos) << s;
  ASSERT_NE(camera, std::string::npos) << s;
  ASSERT_NE(background, std::string::npos) << s;
  ASSERT_NE(texture, std::string::npos) << s;
  ASSERT_NE(mesh, std::string::npos) << s;
  EXPECT_TRUE(globals < camera && camera < background && background < texture && texture < mesh);
  EXPECT_EQ(s.find("sky_sphere"), std::string::npos);
  // Without any camera, the camera view's own eye.
  EXPECT_NE(pov_scene(Drawing{}, {}, PovCamera::kOrthographic, {})
                .find(" orthographic\n location <0.000000,1.600000,-10.000000>\n"
                      " look_at <0.000000,1.600000,0.000000>\n angle 60.000000\n"),
            std::string::npos);
}

TEST(PovScene, ShadowIntensitySplitsALightIntoTwoThatAddUpToItsColour) {
  Drawing d;
  add_light(d, {1, 2, 3}, 1, 0.3, 4);
  const std::string s = scene_of(d);
  const auto lights = lines_starting(s, "light_source");
  ASSERT_EQ(lights.size(), 2u) << s;
  for (int c = 0; c < 3; ++c) {
    EXPECT_NEAR(colour_of(lights[0])[c], 0.3, 1e-12);
    EXPECT_NEAR(colour_of(lights[0])[c] + colour_of(lights[1])[c], 1.0, 1e-12);
  }
  // The part that casts shadows, then the shadowless rest, both at the light's place.
  EXPECT_EQ(lights[0].find("shadowless"), std::string::npos);
  EXPECT_NE(lights[1].find(" shadowless }"), std::string::npos);
  EXPECT_NE(lights[0].find("<1.000000000000,3.000000000000,2.000000000000>"), std::string::npos);
  EXPECT_NE(lights[0].find(" fade_distance 4.000000000000 fade_power 1"), std::string::npos);
}

TEST(PovScene, LightsWithoutSplitAndSpotLights) {
  Drawing d;
  add_light(d, {0, 0, 3}, 0, 0.3);  // shadow off: one shadowless light
  add_light(d, {1, 0, 3}, 1, 1.0);  // full shadow: one light
  Light* spot = add_light(d, {2, 0, 3}, 1, 1.0);
  spot->spot = 1;
  spot->spot_angle = 20;
  spot->target = {2, 0, 0};
  const auto lights = lines_starting(scene_of(d), "light_source");
  ASSERT_EQ(lights.size(), 3u);
  EXPECT_NE(lights[0].find(" shadowless }"), std::string::npos);
  EXPECT_EQ(lights[1].find("shadowless"), std::string::npos);
  EXPECT_EQ(lights[1].find("fade_distance"), std::string::npos);  // size 0
  EXPECT_NE(lights[2].find(" spotlight radius 20.000000000000 falloff 30.000000000000 tightness 10"
                           " point_at <2.000000000000,0.000000000000,0.000000000000>"),
            std::string::npos)
      << lights[2];
}

TEST(PovScene, GlobalsWithRadiosityAndTheSkyWithClouds) {
  Drawing d;
  PovSettings st;
  st.quality = 3;
  st.ambient = 2;
  st.clouds = 1;
  const std::string s = scene_of(d, st);
  EXPECT_NE(
      s.find(" radiosity { count 200 brightness 1.25 gray_threshold 0.65 }\n ambient_light 2\n"),
      std::string::npos);
  st.quality = 2;
  EXPECT_NE(scene_of(d, st).find("count 50 "), std::string::npos);
  st.quality = 5;
  EXPECT_NE(scene_of(d, st).find("count 100 "), std::string::npos);
  EXPECT_NE(
      s.find("\nsky_sphere { pigment { gradient y\ncolor_map { [0 color rgb <1,1,1>] [1 color "
             "rgb <0.550000,0.700000,0.950000>] }\nscale 2 translate -1 }\npigment { bozo"),
      std::string::npos)
      << s;
  EXPECT_NE(s.find("[1 color rgbt <0,0,.2,1>] }\nscale 2 translate -1 }\n}\n"), std::string::npos);
}

TEST(PovScene, EachMaterialIsDeclaredOnceUnderANameTheSceneLanguageTakes) {
  Drawing d;
  add_marked(d, cuboid_mesh(0, 0, 1, 1, 0, 1), "Brick");
  add_marked(d, cuboid_mesh(2, 0, 3, 1, 0, 1), "Brick");
  add_marked(d, cuboid_mesh(4, 0, 5, 1, 0, 1), "red tile");
  add_marked(d, cuboid_mesh(6, 0, 7, 1, 0, 1), "box");  // a word of the scene language
  Material brick;
  brick.red = 0.5;
  brick.metallic = brick.refraction = 1;
  brick.special = "phong 0.4";
  const std::string s = scene_of(d, {}, {{"Brick", brick, ""}});
  EXPECT_EQ(count_of(s, "#declare"), 3u);
  EXPECT_NE(
      s.find("#declare Brick =\ntexture {\npigment { color rgbt <0.500000,0.800000,0.800000,"
             "0.000000> }\nfinish {\ndiffuse 1.000000\nspecular 0.300000\nreflection 0.000000\n"
             "ambient 0.100000\nrefraction 1 ior 1.40\nbrilliance 4\nmetallic\nphong 0.4\n}\n}\n"),
      std::string::npos)
      << s;
  EXPECT_NE(s.find("#declare M_red_tile =\n"), std::string::npos);
  EXPECT_NE(s.find("#declare M_box =\n"), std::string::npos);
  EXPECT_EQ(count_of(s, "texture {Brick\n"), 2u);
  EXPECT_EQ(count_of(s, "texture {M_red_tile\n"), 1u);
}

TEST(PovScene, ATexturePictureIsMappedAndMovedToItsObject) {
  Drawing d;
  add_marked(d, cuboid_mesh(3, 4, 5, 6, 1, 2), "Tiles");
  Material tiles;
  tiles.texture = 1;
  tiles.repeat = 0;
  tiles.mapping = kMapGround;
  tiles.size_x = 0.5;
  tiles.size_y = 0.25;
  SceneMaterials materials{{"Tiles", tiles, "/data/dat/tex/my \"tiles\".JPG"}};
  std::string s = scene_of(d, {}, materials);
  EXPECT_NE(s.find("pigment { image_map { jpeg \"/data/dat/tex/my \\\"tiles\\\".JPG\" map_type 0 "
                   "once interpolate 2} scale <0.50, 0.25> translate <0.00, 0.00> rotate 90*x}\n"),
            std::string::npos)
      << s;
  EXPECT_NE(s.find("texture {Tiles\n"), std::string::npos);
  EXPECT_NE(s.find("translate <3.000000000000,0.0,4.000000000000>\n}\n}\n"), std::string::npos);

  materials[0].values.mapping = kMapCylinderAtObject;
  materials[0].values.repeat = 1;
  s = scene_of(d, {}, materials);
  EXPECT_NE(s.find("map_type 2  interpolate 2}"), std::string::npos) << s;
  EXPECT_NE(s.find("translate <4.000000000000,1.500000000000,5.000000000000>\n"),
            std::string::npos);
  // Without a picture the material is its colour.
  materials[0].image_path.clear();
  EXPECT_EQ(scene_of(d, {}, materials).find("image_map"), std::string::npos);
}

// A wall 4 m long, 0.3 thick, 2.5 high, with a window (with a stop) and a plain opening.
void wall_with_openings(Drawing& d) {
  WallPreset p;
  p.thickness = 0.3;
  p.height = 2.5;
  p.material = "Brick";
  Wall* w = add_wall(d, p, axis_footprint({0, 0}, {4, 0}, 0.3));
  OpeningPreset window;  // stop 0.0625 x 0.115
  w = insert_opening(d, *w, *place_opening(*w, {0.5, 0}, {1.5, 0}, {0, -1}, window, 3));
  OpeningPreset plain{1, 0.5, 1.0, 0, 0};
  w = insert_opening(d, *w, *place_opening(*w, {2.5, 0}, {3.5, 0}, {0, -1}, plain, 1));
  w->selected = 1;
}

TEST(PovScene, AWallIsItsPrismWithOneCutterPerOpening) {
  Drawing d;
  wall_with_openings(d);
  const std::string s = scene_of(d);
  EXPECT_NE(s.find("\ndifference {\n\nprism { linear_sweep linear_spline 0.000000000000, "
                   "2.500000000000, 5,\n"),
            std::string::npos)
      << s;
  // The footprint, closed.
  EXPECT_NE(s.find("<0.000000000000,-0.150000000000>,<4.000000000000,-0.150000000000>,"
                   "<4.000000000000,0.150000000000>,<0.000000000000,0.150000000000>,"
                   "<0.000000000000,-0.150000000000>\n}\n"),
            std::string::npos)
      << s;
  // The window with its stop: the opening and the wider part behind the rebate; the plain one.
  EXPECT_EQ(count_of(s, "\nintersection {\n"), 3u);
  EXPECT_EQ(count_of(s, "plane {<"), 18u);
  // Sill and head of the window (1.0 and 2.51 above the base): below -y, above +y.
  EXPECT_NE(s.find("plane {<0.000000000000,-1.000000000000,0.000000000000>,-1.000000000000}"),
            std::string::npos);
  EXPECT_NE(s.find("plane {<0.000000000000,1.000000000000,0.000000000000>,2.510000000000}"),
            std::string::npos);
  EXPECT_NE(s.find("texture {Brick}\n}\n"), std::string::npos);
}

// Whether the point (drawing coordinates) lies inside every half-space of a cutter.
bool inside_cutter(const std::string& cutter, double x, double y, double z) {
  int planes = 0;
  for (std::size_t at = cutter.find("plane {<"); at != std::string::npos;
       at = cutter.find("plane {<", at + 1)) {
    // POV-Ray's <x, z, y>.
    double nx = 0, nz = 0, ny = 0, d = 0;
    if (std::sscanf(cutter.c_str() + at + 8, "%lf,%lf,%lf>,%lf}", &nx, &nz, &ny, &d) != 4) continue;
    ++planes;
    if (nx * x + ny * y + nz * z > d) return false;
  }
  return planes == 6;
}

TEST(PovScene, TheCuttersHoldTheOpeningAndPassBothFacesButNotTheWallBesideIt) {
  Drawing d;
  wall_with_openings(d);
  const std::string s = scene_of(d);
  std::vector<std::string> cutters;
  for (std::size_t at = s.find("\nintersection {\n"); at != std::string::npos;) {
    const std::size_t next = s.find("\nintersection {\n", at + 1);
    const std::size_t end = next == std::string::npos ? s.find("texture {", at) : next;
    cutters.push_back(s.substr(at, end - at));
    at = next;
  }
  ASSERT_EQ(cutters.size(), 3u);
  // The plain opening from x 2.5 to 3.5, 0.5 to 1.5 high: through the whole thickness.
  const std::string& plain = cutters[2];
  EXPECT_TRUE(inside_cutter(plain, 3, 0, 1));
  EXPECT_TRUE(inside_cutter(plain, 3, 0.155, 1));   // just beyond a face
  EXPECT_TRUE(inside_cutter(plain, 3, -0.155, 1));  // and the other
  EXPECT_FALSE(inside_cutter(plain, 2.4, 0, 1));
  EXPECT_FALSE(inside_cutter(plain, 3, 0, 1.6));
  EXPECT_FALSE(inside_cutter(plain, 3, 0, 0.4));
  // The window's rebate: wider by the stop width, only behind the stop depth.
  const std::string& rebate = cutters[1];
  EXPECT_TRUE(inside_cutter(cutters[0], 1.0, 0, 2));
  EXPECT_FALSE(inside_cutter(cutters[0], 0.46, 0, 2));
  const double outer = wall_openings(static_cast<const Wall&>(*d.store.tail()))[0].corner[0].y;
  const double inward = outer < 0 ? 1 : -1;
  EXPECT_TRUE(inside_cutter(rebate, 0.46, outer + inward * 0.2, 2));
  EXPECT_FALSE(inside_cutter(rebate, 0.46, outer + inward * 0.05, 2));
}

TEST(PovScene, AWallWithASlopingTopIsAClosedMeshInsteadOfAPrism) {
  Drawing d;
  wall_with_openings(d);
  Wall& w = static_cast<Wall&>(*d.store.tail());
  w.corner[5].z = 3.5;
  w.corner[6].z = 3.5;
  const std::string s = scene_of(d);
  EXPECT_EQ(s.find("prism {"), std::string::npos);
  EXPECT_NE(s.find("\ndifference {\n\nmesh2\n{\n vertex_vectors\n {\n  8"), std::string::npos);
  EXPECT_NE(s.find(" inside_vector <0, 1, 0>\n}\n"), std::string::npos);
  EXPECT_EQ(count_of(s, "\nintersection {\n"), 3u);
}

TEST(PovOptions, TheOptionsLineHasResolutionOutputQualityAndAntialias) {
  PovSettings s;
  s.resolution = 4;
  s.quality = 0;
  s.antialias = 1;
  EXPECT_EQ(pov_options(s), "+P +D0 +X100 -V +SP32 +EP4 +W1024 +H768 -F +Q2 +R1 +AM2 +A0.3 -J\n");
  s.resolution = 7;
  s.quality = 3;
  s.antialias = 0;
  s.save_image = 1;
  s.format = 4;
  s.output = "/tmp/out.png";
  std::string line;
  EXPECT_EQ(pov_options(s, &line),
            "+P +D0 +X100 -V +SP32 +EP4 +W8192 +H6144 +FN8 +O/tmp/out.png +Q9 \n");
  EXPECT_EQ(line, "+P +D0 +X100 -V +SP32 +EP4 +W8192 +H6144 +FN8 +O/tmp/out.png +Q9 ");
  EXPECT_EQ(pov_resolution_option(0), "+W160 +H120");
  EXPECT_EQ(pov_resolution_option(99), "+W8192 +H6144");
  EXPECT_EQ(pov_antialias_option(3), "+R4 +AM2 +A0.1");
}

TEST(PovOptions, APictureNameWithBlanksOrQuotesGoesOnALineOfItsOwn) {
  PovSettings s;
  s.save_image = 1;
  s.format = 0;
  s.output = "/home/a b/it's; here.tga";
  EXPECT_EQ(pov_options(s),
            "+P +D0 +X100 -V +SP32 +EP4 +W640 +H480 +FC +Q9 \n"
            "Output_File_Name=\"/home/a b/it's; here.tga\"\n");
  s.output = "/home/a b/say \"x\".tga";
  EXPECT_NE(pov_options(s).find("\nOutput_File_Name=/home/a b/say \"x\".tga\n"), std::string::npos);
  EXPECT_FALSE(pov_output_name_usable("/a/\"x\";y.png"));
  EXPECT_FALSE(pov_output_name_usable("/a/line\nbreak.png"));
  EXPECT_FALSE(pov_output_name_usable(""));
  EXPECT_TRUE(pov_output_name_usable("/a/b c;d'e.png"));
  // An unusable name renders without writing a picture.
  s.output = "/a/\"x\";y.png";
  EXPECT_EQ(pov_options(s), "+P +D0 +X100 -V +SP32 +EP4 +W640 +H480 -F +Q9 \n");
}

// ---- POV-Ray reads what is written ----

class PovrayConsumer : public ::testing::Test {
 protected:
  TempDir dir;
  void SetUp() override {
    if (find_program("povray").empty()) GTEST_SKIP() << "povray is not installed";
  }
  void expect_renders(const std::string& scene, const std::string& name) {
    shell_test::write_text(dir.file(name + ".pov"), scene);
    const int status = render_test::render_with_povray(dir.path(), name + ".pov", name + ".png");
    EXPECT_EQ(status, 0) << scene;
    const std::string png = shell_test::read_text(dir.file(name + ".png"));
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
  }
};

TEST_F(PovrayConsumer, RendersAHouseWithItsWallsOpeningsSolidsAndLights) {
  std::string script = shell_test::read_text(std::string(KORAV_SOURCE_DIR) + "/doc/house.txt");
  ASSERT_FALSE(script.empty());
  script = script.substr(0, script.find("p_file_save"));
  tool_script::Result r = tool_script::run(script);
  ASSERT_TRUE(r.loaded);
  Drawing& d = r.saved;
  add_marked(d, cuboid_mesh(2, 2, 3, 3, 0, 1), "Brick");
  add_marked(d, sphere_mesh(6, 4, 1, 0.8), "Glass");
  add_marked(d, frustum_mesh({9, 3, 0}, {9, 3, 2}, 0.5, 0, 12), "Wood");
  add_light(d, {7, 5, 8}, 1, 0.3, 20);
  add_active_camera(d, {-8, -12, 9}, {7, 5, 1}, 60);
  for (Element& e : d.store.list) e.selected = 1;
  PovSettings s;
  s.sky = 1;
  s.clouds = 1;
  Material glass, wood;
  glass.transparency = 0.7;
  glass.refraction = wood.metallic = 1;
  const std::string scene =
      pov_scene(d, s, PovCamera::kPerspective, {{"Glass", glass, ""}, {"Wood", wood, ""}});
  EXPECT_EQ(count_of(scene, "\ndifference {\n"), r.count(kWall));
  expect_renders(scene, "house");
}

TEST_F(PovrayConsumer, RendersASceneWithoutLightsAndTheMaterialPreview) {
  Drawing d;
  add_marked(d, quad());
  expect_renders(scene_of(d), "unlit");
  SceneMaterial m{"Shiny", Material{}, ""};
  m.values.metallic = 1;
  m.values.reflection = 0.5;
  expect_renders(pov_material_preview(m), "preview");
}

}  // namespace
}  // namespace korav
