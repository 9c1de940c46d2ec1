#include "exchange/terrain.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/regular_file.h"

namespace korav {

namespace {

bool number(std::string_view& s, double& v) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == ',')) s.remove_prefix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || !std::isfinite(v)) return false;
  s.remove_prefix(static_cast<std::size_t>(r.ptr - s.data()));
  return true;
}

TerrainImport failed(std::string_view why) {
  TerrainImport r;
  r.error = why;
  return r;
}

}  // namespace

TerrainImport read_terrain(std::string_view text) {
  TerrainImport r;
  std::vector<Point3>& pts = r.mesh.vertices;
  int columns = 0;
  while (!text.empty()) {
    const std::size_t n = text.find('\n');
    std::string_view line = text.substr(0, n);
    text.remove_prefix(n == std::string_view::npos ? text.size() : n + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() < 6) break;
    Point3 p;
    if (!number(line, p.x) || !number(line, p.y) || !number(line, p.z))
      return failed(kMsgTerrainFailed);
    if (pts.empty() || p.x != pts.back().x) ++columns;
    pts.push_back(p);
  }
  r.num = static_cast<int>(std::min<std::size_t>(pts.size(), 0x7fffffff));
  r.xnum = columns;
  r.ynum = columns > 0 ? r.num / columns : 0;
  if (pts.empty()) return failed(kMsgTerrainFailed);
  if (columns < 2 || r.ynum < 2 || static_cast<std::size_t>(r.xnum) * r.ynum != pts.size() ||
      pts.size() > 0x3fffffff)
    return failed(kMsgTerrainNotAGrid);
  auto [xa, xb] = std::minmax_element(pts.begin(), pts.end(),
                                      [](const Point3& a, const Point3& b) { return a.x < b.x; });
  auto [ya, yb] = std::minmax_element(pts.begin(), pts.end(),
                                      [](const Point3& a, const Point3& b) { return a.y < b.y; });
  auto [za, zb] = std::minmax_element(pts.begin(), pts.end(),
                                      [](const Point3& a, const Point3& b) { return a.z < b.z; });
  r.xmin = xa->x, r.xmax = xb->x, r.ymin = ya->y, r.ymax = yb->y, r.zmin = za->z, r.zmax = zb->z;
  r.grid_x = (r.xmax - r.xmin) / (r.xnum - 1);
  r.grid_y = (r.ymax - r.ymin) / (r.ynum - 1);
  // Each column must hold exactly ynum points of one x.
  const std::uint32_t nx = static_cast<std::uint32_t>(r.xnum), ny = static_cast<std::uint32_t>(r.ynum);
  for (std::uint32_t i = 0; i < nx; ++i)
    for (std::uint32_t j = 1; j < ny; ++j)
      if (pts[i * ny + j].x != pts[i * ny].x) return failed(kMsgTerrainNotAGrid);
  // Two triangles per cell, turned so that they face up.
  const Point3 &a = pts[0], &b = pts[ny], &c = pts[ny + 1];
  const bool up = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) >= 0;
  Mesh& m = r.mesh;
  m.face_sizes.assign(std::size_t{nx - 1} * (ny - 1) * 2, 3);
  m.indices.reserve(m.face_sizes.size() * 3);
  for (std::uint32_t i = 0; i + 1 < nx; ++i)
    for (std::uint32_t j = 0; j + 1 < ny; ++j) {
      const std::uint32_t p = i * ny + j, q = (i + 1) * ny + j, s = q + 1, t = p + 1;
      if (up) m.indices.insert(m.indices.end(), {p, q, s, p, s, t});
      else m.indices.insert(m.indices.end(), {p, s, q, p, t, s});
    }
  char line[160];
  r.report = "\nDGM import:\n";
  std::snprintf(line, sizeof line, "num:  %d\nxnum: %d\nynum: %d\n", r.num, r.xnum, r.ynum);
  r.report += line;
  std::snprintf(line, sizeof line, "divx: %.8f -> %.8f\ndivy: %.8f -> %.8f\n", r.xmin, r.xmax,
                r.ymin, r.ymax);
  r.report += line;
  std::snprintf(line, sizeof line, "divz: %.8f -> %.8f\ngrid: %.8f -> %.8f\n", r.zmin, r.zmax,
                r.grid_x, r.grid_y);
  r.report += line;
  r.ok = true;
  return r;
}

TerrainImport read_terrain_file(const std::string& path) {
  std::string text;
  if (!read_regular_file(path, text)) return failed(kMsgTerrainFailed);
  return read_terrain(text);
}

}  // namespace korav
