// Cutting the faces of a 3D object into triangles, for the exporters whose formats know only
// triangles: ear clipping in the plane projection where the face has the most area, the
// roundest ear first.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "model/element.h"

namespace korav {

using Triangle = std::array<std::uint32_t, 3>;

// Appends the triangles of one face, given as vertex indices into `vertices`, to `out`; the
// triangles keep the face's vertex order. A face degenerate in all three plane projections,
// or one with an index outside `vertices`, gives none. `scratch` is working space that a
// caller may reuse from face to face.
struct TriangulationScratch {
  std::vector<double> u, v;
  std::vector<std::uint32_t> left;
};
void triangulate_face(std::span<const Point3> vertices, std::span<const std::uint32_t> face,
                      std::vector<Triangle>& out, TriangulationScratch& scratch);

// Every face of the object, in face order.
std::vector<Triangle> triangulate(const Object3D& o);

}  // namespace korav
