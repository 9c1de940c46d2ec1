// The building unit tools end to end through the script host: sizes asked once, placements
// repeated until the user leaves, the drawing saved and read back.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "tests/tool_script_support.h"

namespace korav {
namespace {

using tool_script::click;
using tool_script::kSnapOff;
using tool_script::Result;

using tool_script::twice;

using tool_script::zmax;

struct Case {
  const char* what;
  std::string script;
  std::function<void(const Result&)> check;
};

TEST(BuildingUnitScripts, EveryUnitThroughTheScriptHost) {
  const Case cases[] = {
      {"two beams of one size",
       kSnapOff + "b_unit_beam\ntype 0.2\ntype 2.5\ntype 0.3\n" + click(0, 0) + twice(4, 0) +
           click(0, 3) + twice(4, 3),
       [](const Result& r) {
         auto o = r.all<Object3D>();
         ASSERT_EQ(o.size(), 2u);
         EXPECT_DOUBLE_EQ(zmax(*o[1]), 2.8);
         EXPECT_NEAR(mesh_vertices(*o[1])[0].y, 2.9, 1e-9);
       }},
      {"a pillar and a round pillar",
       kSnapOff + "b_unit_pillar\ntype 0.3\ntype 0.2\ntype 0\ntype 3\n" + twice(1, 1) +
           "key Escape\nb_unit_rpillar\ntype 0.4\ntype 0\ntype 3\n" + twice(5, 5),
       [](const Result& r) {
         auto o = r.all<Object3D>();
         ASSERT_EQ(o.size(), 2u);
         EXPECT_NEAR(mesh_vertices(*o[0])[0].x, 0.85, 1e-9);
         EXPECT_NEAR(mesh_vertices(*o[0])[0].y, 0.9, 1e-9);
         EXPECT_EQ(o[1]->vertex_count, 24u);
         EXPECT_NEAR(mesh_vertices(*o[1])[0].x, 5.2, 1e-9);
       }},
      {"a stairway of ten steps",
       kSnapOff + "b_unit_stairway\ntype 1\ntype 0.04\ntype 0.03\ntype 10\ntype 0\ntype 3\n" +
           click(0, 0) + twice(2.5, 0),
       [](const Result& r) {
         auto o = r.all<Object3D>();
         ASSERT_EQ(o.size(), 10u);
         for (std::size_t i = 0; i < o.size(); ++i) EXPECT_NEAR(zmax(*o[i]), 0.3 * (i + 1), 1e-9);
         EXPECT_EQ(r.count(kLine), 4u);
         EXPECT_EQ(r.count(kCircle), 1u);
       }},
      {"a gable wall",
       kSnapOff + "b_unit_gablewall\ntype 0\ntype 2.5\ntype 4.5\n" + click(0, 0) + twice(6, 0),
       [](const Result& r) {
         auto w = r.all<Wall>();
         ASSERT_EQ(w.size(), 1u);
         EXPECT_EQ(w[0]->gable, 1);
         EXPECT_NEAR(w[0]->gable_point[0].z, 4.5, 1e-9);
         EXPECT_NEAR(w[0]->corner[5].z, 2.5, 1e-9);
       }},
      {"a ceiling over a polygon",
       kSnapOff + "b_unit_ceiling\ntype 2.75\ntype 0.2\n" + twice(0, 0) + twice(6, 0) +
           twice(6, 5) + twice(0, 5) + twice(0, 0),
       [](const Result& r) {
         auto o = r.all<Object3D>();
         ASSERT_EQ(o.size(), 1u);
         EXPECT_EQ(o[0]->vertex_count, 8u);
         EXPECT_NEAR(zmax(*o[0]), 2.95, 1e-9);
       }},
      {"a window profile on a line",
       kSnapOff + "b_line_line\n" + click(0, 0) + twice(1.5, 0) +
           "key Escape\nb_unit_profile\ntype 1\ntype 0\n" + click(0.75, 0),
       [](const Result& r) {
         auto o = r.all<Object3D>();
         // Jambs, sill, head and one mullion; two panes of glass.
         ASSERT_EQ(o.size(), 7u);
         int panes = 0;
         for (const Object3D* x : o) panes += x->material.view() == "Glass";
         EXPECT_EQ(panes, 2);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result r = tool_script::run(c.script);
    ASSERT_TRUE(r.loaded) << tool_script::shown(r);
    c.check(r);
  }
}

TEST(BuildingUnitScripts, GableWallWithoutThicknessIsRefused) {
  const Result r = tool_script::run("b_unit_gablewall\n", [](App& a) {
    a.presets.wall.thickness = 0;
  });
  ASSERT_TRUE(r.loaded);
  EXPECT_EQ(r.count(kWall), 0u);
  bool told = false;
  for (const std::string& l : r.transcript) told = told || l.find("Wallthickness is not defined") != std::string::npos;
  EXPECT_TRUE(told) << tool_script::shown(r);
}

}  // namespace
}  // namespace korav
