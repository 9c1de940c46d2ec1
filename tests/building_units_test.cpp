// Building units worked out without a host: band, beam, pillars, stairway, window profile,
// ceiling and gable wall.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>
#include <utility>

#include "arch/walls.h"
#include "model/drawing.h"
#include "model/element_points.h"
#include "three_d/building_units.h"
#include "three_d/wall_solid.h"

namespace korav {
namespace {

bool closed(const Mesh& m) {
  std::map<std::pair<std::uint32_t, std::uint32_t>, int> edges;
  std::size_t at = 0;
  for (std::uint32_t n : m.face_sizes) {
    for (std::uint32_t i = 0; i < n; ++i) ++edges[{m.indices[at + i], m.indices[at + (i + 1) % n]}];
    at += n;
  }
  for (const auto& [e, count] : edges)
    if (count != 1 || edges.count({e.second, e.first}) != 1) return false;
  return true;
}

double zmin(const Mesh& m) {
  double z = 1e300;
  for (const Point3& p : m.vertices) z = std::min(z, p.z);
  return z;
}
double zmax(const Mesh& m) {
  double z = -1e300;
  for (const Point3& p : m.vertices) z = std::max(z, p.z);
  return z;
}

TEST(BuildingUnits, BandRectangleIsCentredOnItsAxis) {
  const auto q = band_rectangle({0, 0, 0}, {4, 0, 0}, 0.5);
  const double want[4][2] = {{0, -0.5}, {4, -0.5}, {4, 0.5}, {0, 0.5}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(q[i].x, want[i][0], 1e-12) << i;
    EXPECT_NEAR(q[i].y, want[i][1], 1e-12) << i;
  }
}

TEST(BuildingUnits, DiagonalBeamKeepsItsWidthAcrossItsAxis) {
  const Mesh m = beam_mesh({1, 1, 0}, {4, 5, 0}, 0.12, 2.5, 0.3);
  ASSERT_EQ(m.vertices.size(), 8u);
  // Corners 0 and 3 lie across the start, the full width apart, square to the axis.
  const Point3& a = m.vertices[0];
  const Point3& d = m.vertices[3];
  EXPECT_NEAR(std::hypot(a.x - d.x, a.y - d.y), 0.24, 1e-12);
  EXPECT_NEAR((a.x - d.x) * 3 + (a.y - d.y) * 4, 0, 1e-12);
  EXPECT_NEAR(zmin(m), 2.5, 1e-12);
  EXPECT_NEAR(zmax(m), 2.8, 1e-12);
  EXPECT_TRUE(closed(m));
}

TEST(BuildingUnits, RoundPillarHasTwelveSides) {
  const Mesh m = round_pillar_mesh({2, 3, 0}, 0.2, 0, 3);
  EXPECT_EQ(m.vertices.size(), 24u);
  EXPECT_EQ(m.face_sizes.size(), 14u);
  EXPECT_TRUE(closed(m));
  for (int k = 0; k < 12; ++k) {
    EXPECT_NEAR(m.vertices[k].x, 2 + 0.2 * std::cos(k * M_PI / 6), 1e-12);
    EXPECT_NEAR(m.vertices[k + 12].z, 3, 1e-12);
  }
  // Clockwise seen from outside, as the cuboid.
  EXPECT_LT(signed_volume(m), 0);
  EXPECT_LT(signed_volume(pillar_mesh({0, 0, 0}, 0.1, 0.2, 0, 1)), 0);
}

TEST(BuildingUnits, StairwayOfTenStepsIsOneUndoStep) {
  Drawing d;
  StairSize s;
  std::tie(s.half_width, s.step_thickness, s.nosing, s.steps, s.base, s.height) =
      std::tuple(0.5, 0.04, 0.03, 10, 0.5, 3);
  // Ten steps, and the plan symbol's four lines and arc (counted by the script test).
  EXPECT_EQ(add_stairway(d, {0, 0, 0}, {2.5, 0, 0}, s, "Wood"), 15);
  std::vector<double> tops;
  for (const Element& e : d.store.list) {
    if (const Object3D* o = as<Object3D>(&e)) {
      double top = -1e300, bottom = 1e300, xmin = 1e300, xmax = -1e300;
      for (const Point3& p : mesh_vertices(*o)) {
        top = std::max(top, p.z);
        bottom = std::min(bottom, p.z);
        xmin = std::min(xmin, p.x);
        xmax = std::max(xmax, p.x);
      }
      tops.push_back(top);
      EXPECT_NEAR(top - bottom, 0.04, 1e-12);
      // Each tread runs 0.25 plus the nosing over the step below.
      EXPECT_NEAR(xmax - xmin, 0.28, 1e-12);
      EXPECT_EQ(o->material.view(), "Wood");
    }
  }
  ASSERT_EQ(tops.size(), 10u);
  for (std::size_t i = 0; i < tops.size(); ++i) EXPECT_NEAR(tops[i], 0.5 + 0.3 * (i + 1), 1e-12);
  d.undo.undo(d.store);
  EXPECT_EQ(d.store.head(), nullptr);
}

TEST(BuildingUnits, StairwayWithoutRunMakesNothing) {
  Drawing d;
  EXPECT_EQ(add_stairway(d, {1, 1, 0}, {1, 1, 0}, StairSize{}, "Default"), 0);
  StairSize none;
  none.half_width = 0;
  EXPECT_EQ(add_stairway(d, {0, 0, 0}, {3, 0, 0}, none, "Default"), 0);
  EXPECT_EQ(d.store.head(), nullptr);
}

TEST(BuildingUnits, ProfileFramesEveryPaneInItsOpening) {
  ProfileSize p;
  p.mullions = 2;
  p.transoms = 1;
  const ProfileParts parts = profile_parts({0, 0, 0}, {0, 1.6, 0}, 1.0, 2.5, p);
  EXPECT_EQ(parts.panes.size(), 6u);
  EXPECT_EQ(parts.members.size(), 4u + 2u + 3u);
  double pane_area = 0;
  for (const Mesh& m : parts.panes) {
    EXPECT_TRUE(closed(m));
    EXPECT_GE(zmin(m), 1.0 + 0.08 - 1e-12);
    EXPECT_LE(zmax(m), 2.5 - 0.08 + 1e-12);
    double ymin = 1e300, ymax = -1e300;
    for (const Point3& v : m.vertices) {
      ymin = std::min(ymin, v.y);
      ymax = std::max(ymax, v.y);
      EXPECT_NEAR(std::abs(v.x), 0.01, 1e-12);  // the glass sits in the frame's middle
    }
    pane_area += (ymax - ymin) * (zmax(m) - zmin(m));
  }
  // The panes fill what the members leave.
  EXPECT_NEAR(pane_area, (1.6 - 4 * 0.08) * (1.5 - 3 * 0.08), 1e-9);
  // Too narrow for its bars: nothing.
  EXPECT_TRUE(profile_parts({0, 0, 0}, {0.2, 0, 0}, 1, 2, p).members.empty());
}

TEST(BuildingUnits, CeilingIsAPrismOfTheOutline) {
  Drawing d;
  const Point2 pts[] = {{0, 0, 0}, {5, 0, 0}, {5, 4, 0}, {2, 6, 0}, {0, 4, 0}};
  const Object3D* o = add_ceiling(d, pts, 2.75, 0.2, "Concrete");
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->vertex_count, 10u);
  EXPECT_EQ(o->face_count, 7u);
  EXPECT_NEAR(std::abs(signed_volume(*o)) / 6, 25 * 0.2, 1e-9);
  EXPECT_EQ(add_ceiling(d, pts, 2.75, 0, "Concrete"), nullptr);
}

TEST(BuildingUnits, GableWallRisesToItsRidgeAndCloses) {
  Drawing d;
  WallPreset p;
  p.thickness = 0.3;
  const Wall* w = add_gable_wall(d, p, {0, 0}, {8, 0}, 0.2, 2.5, 5.0);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->gable, 1);
  EXPECT_NEAR(w->gable_point[0].x, 4, 1e-12);
  EXPECT_NEAR(w->gable_point[0].z, 5.2, 1e-12);
  EXPECT_NEAR(w->corner[4].z, 2.7, 1e-12);
  const Mesh m = wall_mesh(*w);
  EXPECT_TRUE(closed(m));
  EXPECT_NEAR(signed_volume(m) / 6, 8 * 0.3 * 2.5 + 0.5 * 8 * 2.5 * 0.3, 1e-9);
  // A ridge not above the top makes a plain wall.
  const Wall* flat = add_gable_wall(d, p, {0, 2}, {8, 2}, 0, 2.5, 2.0);
  ASSERT_NE(flat, nullptr);
  EXPECT_EQ(flat->gable, 0);
}

}  // namespace
}  // namespace korav
