// Fuzz target for the terrain grid import: any bytes must give a message or a grid of
// triangles whose corners name its points.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "exchange/terrain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const korav::TerrainImport r = korav::read_terrain(text);
  if (!r.ok) {
    if (r.error.empty()) std::abort();
    return 0;
  }
  const std::size_t cells = std::size_t(r.xnum - 1) * std::size_t(r.ynum - 1);
  if (r.mesh.face_sizes.size() != cells * 2 || r.mesh.indices.size() != cells * 6) std::abort();
  for (std::uint32_t i : r.mesh.indices)
    if (i >= r.mesh.vertices.size()) std::abort();
  return 0;
}
