// Walls as solids: the body with its openings cut through must close (every edge shared by
// exactly two faces, running opposite ways), enclose the wall's volume less the openings',
// keep every face flat, and be made only of the wall's own corners and openings' corners.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

#include "arch/openings.h"
#include "arch/walls.h"
#include "model/drawing.h"
#include "model/element_points.h"
#include "three_d/wall_solid.h"

namespace korav {
namespace {

Wall* wall(Drawing& d, PlanVec a, PlanVec b, double thickness = 0.3, double height = 2.5) {
  WallPreset p;
  p.thickness = thickness;
  p.height = height;
  return add_wall(d, p, axis_footprint(a, b, thickness));
}

Wall* with_opening(Drawing& d, Wall* w, PlanVec s, PlanVec e, double base, double height,
                   int kind = 3) {
  OpeningPreset p;
  p.base = base;
  p.height = height;
  p.stop_width = 0;
  p.stop_depth = 0;
  const auto o = place_opening(*w, s, e, {s.x, s.y - 5}, p, kind);
  EXPECT_TRUE(o.has_value());
  Wall* out = insert_opening(d, *w, *o);
  EXPECT_NE(out, nullptr);
  return out;
}

// Every directed edge once, and its reverse once: the surface is closed and runs one way.
::testing::AssertionResult closed(const Mesh& m) {
  std::map<std::pair<std::uint32_t, std::uint32_t>, int> edges;
  std::size_t at = 0;
  for (std::uint32_t n : m.face_sizes) {
    if (n < 3) return ::testing::AssertionFailure() << "a face of " << n << " vertices";
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::uint32_t a = m.indices[at + i], b = m.indices[at + (i + 1) % n];
      if (a == b) return ::testing::AssertionFailure() << "a degenerate edge at " << a;
      ++edges[{a, b}];
    }
    at += n;
  }
  for (const auto& [e, count] : edges) {
    const auto back = edges.find({e.second, e.first});
    if (count != 1 || back == edges.end() || back->second != 1)
      return ::testing::AssertionFailure()
             << "edge " << e.first << "->" << e.second << " used " << count << " times, its reverse "
             << (back == edges.end() ? 0 : back->second);
  }
  return ::testing::AssertionSuccess();
}

// The largest distance of a face's vertex from the plane of its first three that span one.
double flatness(const Mesh& m) {
  double worst = 0;
  std::size_t at = 0;
  for (std::uint32_t n : m.face_sizes) {
    const Point3* v[64];
    for (std::uint32_t i = 0; i < n && i < 64; ++i) v[i] = &m.vertices[m.indices[at + i]];
    // Newell's normal.
    double nx = 0, ny = 0, nz = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
      const Point3& a = *v[i];
      const Point3& b = *v[(i + 1) % n];
      nx += (a.y - b.y) * (a.z + b.z);
      ny += (a.z - b.z) * (a.x + b.x);
      nz += (a.x - b.x) * (a.y + b.y);
    }
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    for (std::uint32_t i = 0; i < n; ++i)
      worst = std::max(worst, std::abs((v[i]->x - v[0]->x) * nx + (v[i]->y - v[0]->y) * ny +
                                       (v[i]->z - v[0]->z) * nz) /
                                  len);
    at += n;
  }
  return worst;
}

double volume(const Mesh& m) { return signed_volume(m) / 6; }

TEST(WallSolid, OpeningsOfEveryKindAreCutThroughAndTheBodyStillCloses) {
  struct Case {
    const char* name;
    double from, to, base, height;  // along the wall; from == to: no opening
    int kind;
  };
  const Case cases[] = {
      {"plain wall", 0, 0, 0, 0, 0},
      {"window", 1, 2.5, 1.0, 1.2, 3},
      {"door from the floor", 1, 2, 0.0, 2.0, 2},
      {"opening up to the top", 1, 2, 1.0, 1.5, 2},
      {"floor to ceiling", 1, 2, 0.0, 2.5, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Drawing d;
    Wall* w = wall(d, {0, 0}, {4, 0});
    if (c.to > c.from) w = with_opening(d, w, {c.from, 0}, {c.to, 0}, c.base, c.height, c.kind);
    ASSERT_NE(w, nullptr);
    const Mesh m = wall_mesh(*w);
    EXPECT_TRUE(closed(m));
    EXPECT_LT(flatness(m), 1e-9);
    const double cut = (c.to - c.from) * 0.3 * std::min(c.height, 2.5 - c.base);
    EXPECT_NEAR(volume(m), 4 * 0.3 * 2.5 - cut, 1e-9);
    if (c.to == c.from) {
      EXPECT_EQ(m.face_sizes.size(), 6u);
      EXPECT_EQ(m.vertices.size(), 8u);
    }
    // The opening's eight corners are vertices of the body.
    for (const Opening& o : wall_openings(*w))
      for (const Point3& p : o.corner) {
        bool found = false;
        for (const Point3& v : m.vertices)
          found = found || (std::abs(v.x - p.x) < 1e-9 && std::abs(v.y - p.y) < 1e-9 &&
                            std::abs(v.z - p.z) < 1e-9);
        EXPECT_TRUE(found) << p.x << " " << p.y << " " << p.z;
      }
  }
}

TEST(WallSolid, SeveralOpeningsInADiagonalJoinedWall) {
  Drawing d;
  Wall* a = wall(d, {0, 0}, {6, 3}, 0.24, 2.75);
  Wall* b = wall(d, {6, 3}, {6, -4}, 0.24, 2.75);
  ASSERT_TRUE(join_walls(d, *a, *b));
  Wall* w = nullptr;
  for (Element& e : d.store.list)
    if (Wall* x = as<Wall>(&e); x && std::abs(x->corner[0].x) < 0.5) w = x;
  ASSERT_NE(w, nullptr);
  w = with_opening(d, w, {1, 0.5}, {2, 1}, 0.9, 1.3);
  w = with_opening(d, w, {3, 1.5}, {4, 2}, 0.0, 2.1, 2);
  ASSERT_EQ(w->opening_count, 2u);
  const Mesh m = wall_mesh(*w);
  EXPECT_TRUE(closed(m));
  EXPECT_LT(flatness(m), 1e-9);
  EXPECT_GT(volume(m), 0);
  Wall bare = *w;
  bare.opening_count = 0;
  EXPECT_LT(volume(m), volume(wall_mesh(bare)));
}

TEST(WallSolid, GableWallClosesUnderItsRidge) {
  Drawing d;
  Wall* w = wall(d, {0, 0}, {6, 0}, 0.3, 2.5);
  w->gable = 1;
  w->gable_point[0] = {3, -0.15, 4.5, 0};
  w->gable_point[1] = {3, 0.15, 4.5, 0};
  const Mesh plain = wall_mesh(*w);
  EXPECT_TRUE(closed(plain));
  EXPECT_LT(flatness(plain), 1e-9);
  EXPECT_NEAR(volume(plain), 6 * 0.3 * 2.5 + 0.5 * 6 * 2 * 0.3, 1e-9);
  // A window reaching into the gable triangle.
  w = with_opening(d, w, {2.5, 0}, {3.5, 0}, 2.0, 1.5);
  const Mesh m = wall_mesh(*w);
  EXPECT_TRUE(closed(m));
  EXPECT_LT(flatness(m), 1e-9);
  EXPECT_NEAR(volume(m), volume(plain) - 1 * 0.3 * 1.5, 1e-9);
}

TEST(WallSolid, ConversionMarksNothingAlteredAndIsRemovedAgain) {
  Drawing d;
  Wall* w = wall(d, {0, 0}, {4, 0});
  w = with_opening(d, w, {1, 0}, {2.5, 0}, 1.0, 1.2);
  w->selected = 1;
  d.store.modified = false;
  EXPECT_EQ(walls_to_solids(d.store), 1);
  EXPECT_FALSE(d.store.modified);
  int solids = 0;
  for (const Element& e : d.store.list)
    if (const Object3D* o = as<Object3D>(&e)) {
      ++solids;
      EXPECT_EQ(o->layer, kTempLayer);
      EXPECT_GT(signed_volume(*o), 0);
    }
  EXPECT_EQ(solids, 1);
  remove_temp_solids(d.store);
  for (const Element& e : d.store.list) EXPECT_NE(e.layer, kTempLayer);
}

}  // namespace
}  // namespace korav
