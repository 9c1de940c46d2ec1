// Terrain grids (digital ground models): text files of one "x y z" triple per line on a regular
// grid, read column by column (x stays while y runs, then the next x), made into one surface of
// triangles seen from above.
#pragma once

#include <string>
#include <string_view>

#include "three_d/mesh.h"

namespace korav {

inline constexpr std::string_view kMsgTerrainFailed = "Loading terrain file failed";
inline constexpr std::string_view kMsgTerrainNotAGrid = "The points do not form a regular grid";

struct TerrainImport {
  bool ok = false;
  std::string_view error;  // one of the messages above when not ok
  Mesh mesh;               // triangles, counter-clockwise seen from above
  int num = 0, xnum = 0, ynum = 0;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0, zmin = 0, zmax = 0;
  double grid_x = 0, grid_y = 0;  // the spacing of the columns and of the rows
  std::string report;             // the "DGM import:" lines for standard output
};

// Reads lines of three numbers until a line shorter than 6 characters (or the end). A line
// that does not hold three numbers, fewer than 2 x 2 points, or a count that is not a whole
// number of columns is refused.
TerrainImport read_terrain(std::string_view text);
TerrainImport read_terrain_file(const std::string& path);

}  // namespace korav
