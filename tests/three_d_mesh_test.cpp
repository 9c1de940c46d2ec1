// The solids the 3D tools generate, and the triangulation of faces.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "three_d/mesh.h"
#include "three_d/triangulate.h"

namespace korav {
namespace {

// How often each directed edge occurs; a closed surface whose faces run one way round has every
// edge once in each direction.
bool closed_and_consistent(const Mesh& m) {
  std::map<std::pair<std::uint32_t, std::uint32_t>, int> edges;
  std::size_t k = 0;
  for (std::uint32_t n : m.face_sizes) {
    for (std::uint32_t i = 0; i < n; ++i) ++edges[{m.indices[k + i], m.indices[k + (i + 1) % n]}];
    k += n;
  }
  for (const auto& [e, count] : edges) {
    if (count != 1) return false;
    auto back = edges.find({e.second, e.first});
    if (back == edges.end() || back->second != 1) return false;
  }
  return true;
}

TEST(Solids, CountsOrientationAndClosure) {
  struct Case {
    const char* name;
    Mesh mesh;
    std::size_t vertices, faces;
    int volume_sign;  // +1 counter-clockwise from outside, -1 the other way
  };
  const Point2 square[4] = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}};
  const Case cases[] = {
      {"cuboid", cuboid_mesh(0, 0, 2, 1, 0, 3), 8, 6, -1},
      {"tube of 3", frustum_mesh({0, 0, 0}, {0, 0, 2}, 1, 1, 3), 6, 5, +1},
      {"tube of 200", frustum_mesh({0, 0, 0}, {0, 0, 2}, 1, 1, 200), 240, 122, +1},
      {"cone of 8", frustum_mesh({0, 0, 0}, {0, 0, 2}, 1, 0, 8), 9, 9, +1},
      {"cut cone", frustum_mesh({1, 1, 0}, {4, 1, 0}, 2, 1, 12), 24, 14, +1},
      {"sphere", sphere_mesh(1, 2, 3, 0.5), 266, 288, -1},
      {"prism", prism_mesh(square, 0, 2), 8, 6, +1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.mesh.vertices.size(), c.vertices);
    EXPECT_EQ(c.mesh.face_sizes.size(), c.faces);
    EXPECT_TRUE(closed_and_consistent(c.mesh));
    const double v = signed_volume(c.mesh);
    EXPECT_EQ(v > 0 ? 1 : -1, c.volume_sign) << v;
  }
  // Six times the volume of the 2 x 1 x 3 box.
  EXPECT_NEAR(std::abs(signed_volume(cases[0].mesh)), 36, 1e-9);
  // The cone's base is one n-gon.
  EXPECT_EQ(cases[3].mesh.face_sizes.back(), 8u);
}

TEST(Solids, CuboidCornersInEitherOrderAndSphereOnItsCentre) {
  const Mesh a = cuboid_mesh(0, 0, 2, 1, 0, 3);
  const Mesh b = cuboid_mesh(2, 1, 0, 0, 3, 0);
  // The same eight points (the rings start at the first corner given).
  std::multiset<std::tuple<double, double, double>> pa, pb;
  for (const Point3& p : a.vertices) pa.insert({p.x, p.y, p.z});
  for (const Point3& p : b.vertices) pb.insert({p.x, p.y, p.z});
  EXPECT_EQ(pa, pb);
  EXPECT_EQ(a.vertices[0].z, 0);
  EXPECT_EQ(b.vertices[0].z, 0);
  EXPECT_EQ(a.vertices[4].z, 3);

  const Mesh s = sphere_mesh(1, 2, 3, 0.5);
  for (const Point3& p : s.vertices)
    EXPECT_NEAR(std::hypot(p.x - 1, p.y - 2, p.z - 3), 0.5, 1e-12);
  EXPECT_DOUBLE_EQ(s.vertices[0].z, 2.5);
  EXPECT_DOUBLE_EQ(s.vertices[265].z, 3.5);
}

TEST(Solids, PolygonsAreMadeCounterClockwiseFromAConvexCorner) {
  // An L entered clockwise, starting at its reflex corner.
  const Point2 l[6] = {{1, 1, 0}, {1, 2, 0}, {2, 2, 0}, {2, 0, 0}, {0, 0, 0}, {0, 1, 0}};
  const auto p = normalise_polygon(l);
  ASSERT_EQ(p.size(), 6u);
  double area = 0;
  for (std::size_t i = 0; i < p.size(); ++i)
    area += p[i].x * p[(i + 1) % 6].y - p[(i + 1) % 6].x * p[i].y;
  EXPECT_NEAR(area / 2, 3, 1e-12);
  const Point2 &a = p[5], &b = p[0], &c = p[1];
  EXPECT_GT((b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x), 0);
  const Mesh flat = polygon_mesh(p, 0.5);
  EXPECT_EQ(flat.vertices.size(), 6u);
  ASSERT_EQ(flat.face_sizes.size(), 2u);
  EXPECT_EQ(flat.indices[6], 5u);  // the second side runs backwards
  EXPECT_TRUE(closed_and_consistent(flat));
}

double triangle_area(const Mesh& m, const Triangle& t, int plane) {
  auto uv = [&](std::uint32_t i) {
    const Point3& p = m.vertices[i];
    return std::pair{plane == 2 ? p.y : p.x, plane == 0 ? p.y : p.z};
  };
  const auto [ax, ay] = uv(t[0]);
  const auto [bx, by] = uv(t[1]);
  const auto [cx, cy] = uv(t[2]);
  return ((bx - ax) * (cy - ay) - (by - ay) * (cx - ax)) / 2;
}

TEST(Triangulation, CutsConcaveAndUprightFacesIntoTrianglesOfTheSameArea) {
  struct Case {
    const char* name;
    std::vector<Point3> points;
    int plane;
    double area;  // signed, in the plane the face is cut in
  };
  const Case cases[] = {
      {"square", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, 0, 1},
      {"L", {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {1, 2, 0}, {1, 1, 0}, {0, 1, 0}}, 0, 3},
      {"comb",
       {{0, 0, 0}, {5, 0, 0}, {5, 3, 0}, {4, 3, 0}, {4, 1, 0}, {3, 1, 0}, {3, 3, 0}, {2, 3, 0},
        {2, 1, 0}, {1, 1, 0}, {1, 3, 0}, {0, 3, 0}},
       0, 11},
      {"wall face (x-z)", {{0, 0, 0}, {3, 0, 0}, {3, 0, 2}, {0, 0, 2}}, 1, 6},
      {"end face (y-z), clockwise", {{0, 0, 0}, {0, 0, 2}, {0, 1, 2}, {0, 1, 0}}, 2, -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Mesh m;
    for (const Point3& p : c.points) m.add_vertex(p.x, p.y, p.z);
    std::vector<std::uint32_t> face;
    for (std::uint32_t i = 0; i < c.points.size(); ++i) face.push_back(i);
    std::vector<Triangle> tris;
    TriangulationScratch scratch;
    triangulate_face(m.vertices, face, tris, scratch);
    ASSERT_EQ(tris.size(), c.points.size() - 2);
    double sum = 0;
    for (const Triangle& t : tris) {
      const double a = triangle_area(m, t, c.plane);
      EXPECT_GT(a * c.area, 0) << "every triangle keeps the face's turn";
      sum += a;
    }
    EXPECT_NEAR(sum, c.area, 1e-12);
  }
}

TEST(Triangulation, DegenerateAndDamagedFacesGiveNothing) {
  Mesh m;
  for (double x : {0.0, 1.0, 2.0}) m.add_vertex(x, x, x);  // on one line
  std::vector<Triangle> tris;
  TriangulationScratch scratch;
  const std::uint32_t line[] = {0, 1, 2};
  triangulate_face(m.vertices, line, tris, scratch);
  const std::uint32_t bad[] = {0, 1, 7};
  triangulate_face(m.vertices, bad, tris, scratch);
  EXPECT_TRUE(tris.empty());
}

}  // namespace
}  // namespace korav
