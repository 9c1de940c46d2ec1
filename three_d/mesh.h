// Building 3D objects: a polygon mesh held in plain vectors while it is made, the generators
// of the solids the 3D tools create, and the step that stores a mesh as a 3D object element.
//
// The vertex order of each generated face is the one stored drawings rely on: cuboids and
// spheres list their faces clockwise seen from outside, prisms, tubes and cones
// counter-clockwise. Code that needs to know which side is outside asks `signed_volume`.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "model/element.h"
#include "model/store.h"

namespace korav {

struct Mesh {
  std::vector<Point3> vertices;
  std::vector<std::uint32_t> face_sizes;
  std::vector<std::uint32_t> indices;  // the faces' vertex indices, face after face

  std::uint32_t add_vertex(double x, double y, double z) {
    vertices.push_back(Point3{x, y, z, 0});
    return static_cast<std::uint32_t>(vertices.size() - 1);
  }
  void add_face(std::initializer_list<std::uint32_t> face) { add_face(std::span(face)); }
  void add_face(std::span<const std::uint32_t> face) {
    face_sizes.push_back(static_cast<std::uint32_t>(face.size()));
    indices.insert(indices.end(), face.begin(), face.end());
  }
  void clear() {
    vertices.clear();
    face_sizes.clear();
    indices.clear();
  }
};

inline constexpr int kMinDivisions = 3;
inline constexpr int kMaxDivisions = 120;
inline int clamp_divisions(long n) {
  return n < kMinDivisions ? kMinDivisions : n > kMaxDivisions ? kMaxDivisions : int(n);
}

// The cuboid on a plan quadrilateral q0..q3 from zb to zt: vertices 0-3 the lower ring, 4-7 the
// upper ring, faces (0,1,2,3), (4,7,6,5), (0,4,5,1), (1,5,6,2), (2,6,7,3), (3,7,4,0).
Mesh cuboid_mesh(std::span<const Point2, 4> plan, double zb, double zt);
// The axis-parallel cuboid between plan corners (x1, y1) and (x2, y2), from the lower to the
// upper of z1 and z2.
Mesh cuboid_mesh(double x1, double y1, double x2, double y2, double z1, double z2);

// The frustum between axis points a and b with radius ra at a and rb at b, n divisions
// (clamped to 3..120). rb = 0 gives a cone of n triangles and an n-gon base (n-1..0).
Mesh frustum_mesh(const Point3& a, const Point3& b, double ra, double rb, int n);

// The sphere of 266 vertices and 288 faces around (cx, cy, cz).
Mesh sphere_mesh(double cx, double cy, double cz, double r);

// A plan polygon made counter-clockwise and rotated to start at a convex vertex. Fewer than 3
// points are returned as they are.
std::vector<Point2> normalise_polygon(std::span<const Point2> points);
// The flat polygon at height z with its two faces (0..n-1 and n-1..0), from a normalised outline.
Mesh polygon_mesh(std::span<const Point2> outline, double z);
// The prism on a normalised outline from zb to zt: sides, bottom and top.
Mesh prism_mesh(std::span<const Point2> outline, double zb, double zt);

// Six times the signed volume enclosed by the faces (fans from each face's first vertex):
// positive when the faces run counter-clockwise seen from outside.
double signed_volume(const Mesh& m);
double signed_volume(const Object3D& o);

// Stores the mesh as a 3D object on the given layer, pen and line type, named after the
// material. nullptr when the mesh does not fit a record (no faces, or a bad index).
Object3D* store_mesh(ElementStore& store, const Mesh& m, int layer, int pen, int line_type,
                     std::string_view material);

}  // namespace korav
