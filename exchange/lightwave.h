// LightWave object files (the IFF form "LWOB"): the chosen 3D objects and walls as polygons,
// their points relative to a picked origin, one surface per material with its colour,
// transparency, highlight and diffuse level.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "exchange/mesh_materials.h"
#include "files/safe_write.h"
#include "three_d/mesh.h"

namespace korav {

// An LWOB polygon names its points with 16 bits.
inline constexpr std::size_t kLwobMaxPoints = 65535;
inline constexpr std::size_t kLwobMaxPolygonSize = 1023;
inline constexpr std::string_view kMsgLwobTooManyPoints =
    "Too many points for a LightWave object (at most 65535)";

struct LwobObject {
  Mesh mesh;
  std::string material;  // the surface name
  MaterialValues values;
};

// The file's bytes: FORM/LWOB with PNTS, SRFS, POLS and one SURF per surface (COLR, TRAN, SPEC,
// DIFF), big-endian, every chunk padded to an even length. LightWave's y axis is the height:
// a drawing point (x, y, z) is written as (x - ox, z - oz, y - oy). Faces with more points than
// a polygon may hold are cut into triangles. Empty when the objects hold more than 65535 points
// together.
std::vector<std::uint8_t> lwob_bytes(const std::vector<LwobObject>& objects, const Point3& origin);

// kCannotWrite without touching the file when lwob_bytes is empty for that reason.
WriteStatus write_lwob(const std::vector<LwobObject>& objects, const Point3& origin,
                       const std::string& path);

}  // namespace korav
