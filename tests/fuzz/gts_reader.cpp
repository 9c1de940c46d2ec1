// Fuzz target for the GTS import: any bytes must give a message or a mesh whose every corner
// names one of its points, with no repeated point, no degenerate triangle and no unused point.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "exchange/gts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool reversed = data[0] & 1;
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const korav::GtsImport r = korav::read_gts(text, reversed);
  if (!r.ok) {
    if (r.error.empty()) std::abort();
    return 0;
  }
  const korav::TriangleMesh& m = r.mesh;
  std::vector<bool> used(m.vertices.size(), false);
  for (const korav::Triangle& t : m.triangles) {
    for (std::uint32_t c : t) {
      if (c >= m.vertices.size()) std::abort();
      used[c] = true;
    }
    if (t[0] == t[1] || t[1] == t[2] || t[0] == t[2]) std::abort();
  }
  if (std::find(used.begin(), used.end(), false) != used.end()) std::abort();
  return 0;
}
