#include "three_d/triangulate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korav {

namespace {

constexpr double kDegenerateArea = 0.0001;
constexpr double kCrossLow = 0.0001;
constexpr double kCrossHigh = 0.9999;

double area_of(const std::vector<double>& u, const std::vector<double>& v) {
  double a = 0;
  for (std::size_t i = 0, n = u.size(); i < n; ++i) {
    const std::size_t j = (i + 1) % n;
    a += u[i] * v[j] - u[j] * v[i];
  }
  return a / 2;
}

// Even-odd crossing count along the horizontal through (x, y), over a closed polygon given by
// the positions of `left` (indices into u and v).
template <class Pos>
bool inside(const Pos& at, std::size_t n, double x, double y) {
  bool in = false;
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    const auto [xi, yi] = at(i);
    const auto [xj, yj] = at(j);
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
  }
  return in;
}

// Both parameters strictly inside (kCrossLow, kCrossHigh).
bool chords_cross(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                  double dy) {
  const double rx = bx - ax, ry = by - ay, sx = dx - cx, sy = dy - cy;
  const double det = rx * sy - ry * sx;
  if (det == 0) return false;
  const double t = ((cx - ax) * sy - (cy - ay) * sx) / det;
  const double s = ((cx - ax) * ry - (cy - ay) * rx) / det;
  return t > kCrossLow && t < kCrossHigh && s > kCrossLow && s < kCrossHigh;
}

double angle_at(double ax, double ay, double bx, double by, double cx, double cy) {
  // The interior angle at b of the triangle a, b, c by the law of cosines, in degrees.
  const double ab = std::hypot(ax - bx, ay - by), cb = std::hypot(cx - bx, cy - by);
  const double ac = std::hypot(ax - cx, ay - cy);
  if (ab == 0 || cb == 0) return 0;
  double c = (ab * ab + cb * cb - ac * ac) / (2 * ab * cb);
  c = c < -1 ? -1 : c > 1 ? 1 : c;
  return std::acos(c) * 180 / std::numbers::pi;
}

}  // namespace

void triangulate_face(std::span<const Point3> vertices, std::span<const std::uint32_t> face,
                      std::vector<Triangle>& out, TriangulationScratch& s) {
  const std::size_t n = face.size();
  if (n < 3) return;
  for (std::uint32_t i : face)
    if (i >= vertices.size()) return;
  // The plane projection: x-y, else x-z, else y-z.
  s.u.resize(n);
  s.v.resize(n);
  bool found = false;
  for (int plane = 0; plane < 3 && !found; ++plane) {
    for (std::size_t i = 0; i < n; ++i) {
      const Point3& p = vertices[face[i]];
      s.u[i] = plane == 2 ? p.y : p.x;
      s.v[i] = plane == 0 ? p.y : p.z;
    }
    found = std::abs(area_of(s.u, s.v)) >= kDegenerateArea;
  }
  if (!found) return;
  s.left.resize(n);
  for (std::size_t i = 0; i < n; ++i) s.left[i] = static_cast<std::uint32_t>(i);
  const auto& u = s.u;
  const auto& v = s.v;
  auto& left = s.left;
  while (left.size() > 3) {
    const std::size_t m = left.size();
    auto pos = [&](std::size_t i) { return std::pair{u[left[i]], v[left[i]]}; };
    std::size_t best = m;
    double best_score = -1;
    std::size_t fallback = 0;
    double fallback_score = -1;
    for (std::size_t k = 0; k < m; ++k) {
      const std::size_t kp = (k + m - 1) % m, kn = (k + 1) % m;
      const double px = u[left[kp]], py = v[left[kp]];
      const double vx = u[left[k]], vy = v[left[k]];
      const double nx = u[left[kn]], ny = v[left[kn]];
      const double score = std::min({angle_at(nx, ny, px, py, vx, vy),
                                     angle_at(px, py, vx, vy, nx, ny),
                                     angle_at(vx, vy, nx, ny, px, py)});
      if (score > fallback_score) {
        fallback_score = score;
        fallback = k;
      }
      if (score <= best_score) continue;
      if (!inside(pos, m, (px + nx) / 2, (py + ny) / 2)) continue;
      bool clear = true;
      for (std::size_t j = 0; j < m && clear; ++j) {
        if (j == k || j == kp || j == kn) continue;
        const double tri_u[3] = {px, vx, nx}, tri_v[3] = {py, vy, ny};
        auto tri = [&](std::size_t i) { return std::pair{tri_u[i], tri_v[i]}; };
        if (inside(tri, 3, u[left[j]], v[left[j]])) clear = false;
      }
      if (clear && m > 4) {
        for (std::size_t j = 0; j < m && clear; ++j) {
          const std::size_t j1 = (j + 1) % m;
          if (chords_cross(px, py, nx, ny, u[left[j]], v[left[j]], u[left[j1]], v[left[j1]]))
            clear = false;
        }
      }
      if (!clear) continue;
      best = k;
      best_score = score;
    }
    // A face with no valid ear (a self-crossing outline) is still cut to the end, at its
    // roundest corner, rather than left half done.
    if (best == m) best = fallback;
    const std::size_t bp = (best + m - 1) % m, bn = (best + 1) % m;
    out.push_back({face[left[bp]], face[left[best]], face[left[bn]]});
    left.erase(left.begin() + static_cast<std::ptrdiff_t>(best));
  }
  out.push_back({face[left[0]], face[left[1]], face[left[2]]});
}

std::vector<Triangle> triangulate(const Object3D& o) {
  std::vector<Triangle> out;
  TriangulationScratch scratch;
  const std::span<const Point3> verts(o.vertices(), o.vertex_count);
  const std::uint32_t* idx = o.indices();
  std::size_t k = 0;
  for (std::uint32_t f = 0; f < o.face_count; ++f) {
    const std::uint32_t n = o.face_sizes()[f];
    if (k + n > o.index_count) break;
    triangulate_face(verts, std::span(idx + k, n), out, scratch);
    k += n;
  }
  return out;
}

}  // namespace korav
