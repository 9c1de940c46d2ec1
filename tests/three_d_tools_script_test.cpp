// The 3D tools and the view keys end to end: scripts drive the program through the script
// host, the drawing is saved and read back.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "model/projection.h"
#include "tests/tool_script_support.h"
#include "three_d/mesh.h"

namespace korav {
namespace {

using tool_script::click;
using tool_script::kSnapOff;
using tool_script::Result;
using tool_script::twice;
using tool_script::zmax;
using tool_script::zmin;

struct Case {
  const char* what;
  std::string script;
  std::function<void(const Result&)> check;
};

TEST(ThreeDToolScripts, EveryCreatingToolThroughTheScriptHost) {
  const Case cases[] = {
      {"a cuboid on two corners with a typed height and base, made twice",
       kSnapOff + "b_3d_cuboid\n" + click(0, 0) + twice(2, 1) + "type 3\ntype 0.5\n" + click(5, 5) +
           twice(6, 7) + "type 1\ntype 0\n",
       [](const Result& r) {
         auto objects = r.all<Object3D>();
         ASSERT_EQ(objects.size(), 2u);
         EXPECT_EQ(std::pair(objects[0]->vertex_count, objects[0]->face_count), std::pair(8u, 6u));
         EXPECT_DOUBLE_EQ(zmin(*objects[0]), 0.5);
         EXPECT_DOUBLE_EQ(zmax(*objects[0]), 3.5);
         EXPECT_EQ(objects[0]->material.view(), "Default");
         EXPECT_DOUBLE_EQ(zmax(*objects[1]), 1);
       }},
      {"a tube of 200 divisions is one of 120",
       kSnapOff + "b_3d_tube\n" + twice(0, 0) + "type 1\ntype 2\ntype 200\ntype 0\n",
       [](const Result& r) {
         auto objects = r.all<Object3D>();
         ASSERT_EQ(objects.size(), 1u);
         EXPECT_EQ(std::pair(objects[0]->vertex_count, objects[0]->face_count),
                   std::pair(240u, 122u));
         EXPECT_DOUBLE_EQ(zmax(*objects[0]), 2);
         const Point3 v = mesh_vertices(*objects[0])[0];
         EXPECT_NEAR(std::hypot(v.x, v.y), 1, 1e-12);
       }},
      {"a cone, a cut cone, and a radius of 0 that starts again",
       kSnapOff + "b_3d_cone\n" + twice(0, 0) + "type 0\n" + twice(0, 0) +
           "type 1\ntype 2\ntype 8\ntype 0\nb_3d_cutcone\n" + twice(4, 0) +
           "type 1\ntype 0.5\ntype 3\ntype 6\ntype 0\n",
       [](const Result& r) {
         auto objects = r.all<Object3D>();
         ASSERT_EQ(objects.size(), 2u);
         EXPECT_EQ(std::pair(objects[0]->vertex_count, objects[0]->face_count), std::pair(9u, 9u));
         EXPECT_EQ(std::pair(objects[1]->vertex_count, objects[1]->face_count), std::pair(12u, 8u));
         EXPECT_DOUBLE_EQ(zmax(*objects[1]), 3);
       }},
      {"a sphere standing on its base",
       kSnapOff + "b_3d_sphere\n" + twice(5, 5) + "type 1\ntype 0\n",
       [](const Result& r) {
         auto objects = r.all<Object3D>();
         ASSERT_EQ(objects.size(), 1u);
         EXPECT_EQ(std::pair(objects[0]->vertex_count, objects[0]->face_count),
                   std::pair(266u, 288u));
         EXPECT_NEAR(zmin(*objects[0]), 0, 1e-12);
         EXPECT_NEAR(zmax(*objects[0]), 2, 1e-12);
       }},
      {"a flat polygon entered clockwise, and a prism",
       kSnapOff + "b_3d_polygon\n" + twice(0, 0) + twice(0, 5) + twice(4, 5) + twice(4, 0) +
           twice(0, 0) + "type 0.25\np_nop\nb_3d_prism\n" + twice(10, 0) + twice(14, 0) +
           twice(12, 4) + twice(10, 0) + "type 2\ntype 1\n",
       [](const Result& r) {
         auto objects = r.all<Object3D>();
         ASSERT_EQ(objects.size(), 2u);
         const auto v = mesh_vertices(*objects[0]);
         ASSERT_EQ(v.size(), 4u);
         double area = 0;
         for (std::size_t i = 0; i < 4; ++i)
           area += v[i].x * v[(i + 1) % 4].y - v[(i + 1) % 4].x * v[i].y;
         EXPECT_GT(area, 0) << "stored counter-clockwise";
         EXPECT_DOUBLE_EQ(v[0].z, 0.25);
         EXPECT_EQ(objects[0]->face_count, 2u);
         EXPECT_EQ(std::pair(objects[1]->vertex_count, objects[1]->face_count), std::pair(6u, 5u));
         EXPECT_DOUBLE_EQ(zmin(*objects[1]), 1);
         EXPECT_DOUBLE_EQ(zmax(*objects[1]), 3);
       }},
      {"a 3D line with its two heights typed",
       kSnapOff + "b_3d_line\n" + click(0, 0) + twice(3, 0) + "type 1\ntype 2\n",
       [](const Result& r) {
         auto lines = r.all<Line3D>();
         ASSERT_EQ(lines.size(), 1u);
         EXPECT_EQ(std::tuple(lines[0]->start.z, lines[0]->end.z, lines[0]->end.x),
                   std::tuple(1.0, 2.0, 3.0));
       }},
      {"a point light at a typed height takes the light preset",
       kSnapOff + "b_3d_light\n" + twice(1, 1) + "type 2.5\n",
       [](const Result& r) {
         auto lights = r.all<Light>();
         ASSERT_EQ(lights.size(), 1u);
         EXPECT_EQ(lights[0]->pos.z, 2.5);
         EXPECT_EQ(lights[0]->spot, 0);
         EXPECT_EQ(lights[0]->target.x, 1);
         EXPECT_EQ(lights[0]->target.z, 2.5);
         EXPECT_EQ(lights[0]->size, LightPreset{}.size);
       }},
      {"the newest camera is the active one",
       kSnapOff + "b_3d_camera\n" + twice(0, -10) + twice(0, 0) + "type 1.6\n" + twice(10, 0) +
           twice(0, 0) + "type 1.7\n",
       [](const Result& r) {
         auto cams = r.all<Camera>();
         ASSERT_EQ(cams.size(), 2u);
         EXPECT_EQ(cams[0]->active, 0u);
         EXPECT_EQ(cams[1]->active, 1u);
         EXPECT_EQ(cams[0]->eye.z, 1.6);
         EXPECT_EQ(cams[1]->lens_angle, 60);
         // The loaded drawing's camera view is the active camera's.
         EXPECT_DOUBLE_EQ(r.saved.camera.eye_x, 10);
         EXPECT_DOUBLE_EQ(r.saved.camera.eye_z, 1.7);
       }},
      {"cancelled at the height: nothing",
       kSnapOff + "b_3d_cuboid\n" + click(0, 0) + twice(2, 1) + "p_nop\n",
       [](const Result& r) { EXPECT_EQ(r.count(kObject3D), 0u); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result r = tool_script::run(c.script);
    ASSERT_TRUE(r.loaded) << tool_script::shown(r);
    EXPECT_EQ(r.status, 0) << tool_script::shown(r);
    c.check(r);
  }
}

TEST(ThreeDToolScripts, ViewKeysAndToolsInAnElevation) {
  // Ctrl + keypad 2 is the front view, where a click is (x, 0, z) and the tube's axis is picked.
  const Result r = tool_script::run(kSnapOff + "key ctrl+KP_2\nb_3d_line\n" + click(0, 1) +
                                    twice(2, 3) + "p_nop\nb_3d_tube\ntype 0.5\ntype 3\n" +
                                    click(0, 0) + twice(0, 2) + "p_nop\ns_view_1\ns_view_8\n");
  ASSERT_TRUE(r.loaded) << tool_script::shown(r);
  EXPECT_EQ(r.status, 0) << tool_script::shown(r);
  auto lines = r.all<Line3D>();
  ASSERT_EQ(lines.size(), 1u);
  const Line3D& l = *lines[0];
  EXPECT_EQ(std::tuple(l.start.x, l.start.y, l.start.z, l.end.x, l.end.y, l.end.z),
            std::tuple(0.0, 0.0, 1.0, 2.0, 0.0, 3.0));
  auto objects = r.all<Object3D>();
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0]->vertex_count, 6u);
  EXPECT_NEAR(zmax(*objects[0]), 2, 1e-12);
  // The view the drawing was left in is kept with it.
  EXPECT_EQ(r.saved.settings.view_number, 8u);
}

TEST(ThreeDToolScripts, TextsAreInTheCatalogue) {
  tool_script::expect_in_catalogue(
      {"Move XYZ/Confirm:", "Move XYZ/End point:", "Move XYZ/2nd Corner point:", "Z - Start point:",
       "Z - End point:", "Number of divisions:", "Top Radius:", "Base Radius:", "Light point:",
       "Target point:", "Eye point:", "Select Camera:", "Select Light:", "Plan view"});
}

}  // namespace
}  // namespace korav
