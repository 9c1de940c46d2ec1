// The 3D content of a drawing as triangles, for the mesh formats that know only triangles
// (GTS, 3D Studio): an object's faces cut by the face triangulation, a wall's body likewise,
// and the few mesh clean-ups the importers and the boolean operations share.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/element.h"
#include "three_d/mesh.h"
#include "three_d/triangulate.h"

namespace korav {

struct TriangleMesh {
  std::vector<Point3> vertices;
  std::vector<Triangle> triangles;  // corner indices into `vertices`
  void clear() {
    vertices.clear();
    triangles.clear();
  }
};

// Appends the object's (or the mesh's) triangles to `out`, its vertices after those already
// there. Faces with a bad index or no area give no triangles.
void append_triangles(const Object3D& o, TriangleMesh& out);
void append_triangles(const Mesh& m, TriangleMesh& out);

// The chosen (selected) 3D objects and walls of the store, walls as their bodies with the
// openings cut. `objects` receives how many elements took part.
TriangleMesh selected_triangles(const Element* head, int* objects = nullptr);

// A polygon mesh of triangle faces.
Mesh to_mesh(const TriangleMesh& t);

// Six times the signed volume (positive when the triangles run counter-clockwise seen from
// outside).
double signed_volume(const TriangleMesh& t);
void reverse_orientation(TriangleMesh& t);

// Merges points with equal coordinates: the triangles use the first of each kind instead, the
// others stay unused (remove_unused_points takes them out). Returns how many were merged. Sorting, so O(n log n), and no allocation per point.
int merge_duplicate_points(TriangleMesh& t);
// Drops triangles with two equal corners; returns how many went.
int drop_degenerate_triangles(TriangleMesh& t);
// Removes points no triangle uses; returns how many went.
int remove_unused_points(TriangleMesh& t);

// Closes cracks along open edges (edges that only one triangle uses): a point of another open
// edge lying inside such an edge, within `tolerance`, splits its triangle there (a T-junction,
// as left where two surfaces were cut along one line). Only open edges and their points are
// looked at, so a closed mesh costs one pass over its edges. Returns how many points were
// inserted into edges.
int repair_open_edges(TriangleMesh& t, double tolerance);

// The number of edges used by exactly one triangle (0 for a closed surface), counting each
// undirected edge once.
std::size_t open_edge_count(const TriangleMesh& t);

}  // namespace korav
