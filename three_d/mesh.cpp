#include "three_d/mesh.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korav {

namespace {

struct Vec {
  double x, y, z;
};
Vec sub(const Point3& a, const Point3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec cross(const Vec& a, const Vec& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec normalised(const Vec& v) {
  const double n = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return n > 0 ? Vec{v.x / n, v.y / n, v.z / n} : v;
}

double signed_area(std::span<const Point2> p) {
  double a = 0;
  for (std::size_t i = 0, n = p.size(); i < n; ++i) {
    const Point2& q = p[i];
    const Point2& r = p[(i + 1) % n];
    a += q.x * r.y - r.x * q.y;
  }
  return a / 2;
}

// Adds the side quads, the bottom and the top of two rings of n vertices (0..n-1 and n..2n-1).
void ring_faces(Mesh& m, std::uint32_t n) {
  for (std::uint32_t k = 0; k < n; ++k) {
    const std::uint32_t k1 = (k + 1) % n;
    m.add_face({k, k1, k1 + n, k + n});
  }
  m.face_sizes.push_back(n);
  for (std::uint32_t k = n; k-- > 0;) m.indices.push_back(k);
  m.face_sizes.push_back(n);
  for (std::uint32_t k = n; k < 2 * n; ++k) m.indices.push_back(k);
}

template <class Face>
double volume_of(std::size_t faces, const Face& face) {
  double v = 0;
  for (std::size_t f = 0; f < faces; ++f) {
    const auto [pts, n] = face(f);
    if (n < 3) continue;
    const Point3& a = *pts[0];
    for (std::uint32_t i = 1; i + 1 < n; ++i) {
      const Point3& b = *pts[i];
      const Point3& c = *pts[i + 1];
      v += a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) +
           a.z * (b.x * c.y - b.y * c.x);
    }
  }
  return v;
}

}  // namespace

Mesh cuboid_mesh(std::span<const Point2, 4> plan, double zb, double zt) {
  Mesh m;
  for (double z : {zb, zt})
    for (const Point2& p : plan) m.add_vertex(p.x, p.y, z);
  m.add_face({0, 1, 2, 3});
  m.add_face({4, 7, 6, 5});
  m.add_face({0, 4, 5, 1});
  m.add_face({1, 5, 6, 2});
  m.add_face({2, 6, 7, 3});
  m.add_face({3, 7, 4, 0});
  return m;
}

Mesh cuboid_mesh(double x1, double y1, double x2, double y2, double z1, double z2) {
  const Point2 plan[4] = {{x1, y1, 0}, {x2, y1, 0}, {x2, y2, 0}, {x1, y2, 0}};
  return cuboid_mesh(std::span<const Point2, 4>(plan), std::min(z1, z2), std::max(z1, z2));
}

Mesh frustum_mesh(const Point3& a, const Point3& b, double ra, double rb, int divisions) {
  const std::uint32_t n = static_cast<std::uint32_t>(clamp_divisions(divisions));
  const Vec d = sub(b, a);
  const Vec aux = (a.y == b.y && a.z == b.z) ? Vec{0, 1, 0} : Vec{1, 0, 0};
  const Vec u = normalised(cross(d, aux));
  const Vec w = normalised(cross(d, u));
  Mesh m;
  auto ring = [&](const Point3& c, double r) {
    for (std::uint32_t k = 0; k < n; ++k) {
      const double t = k * 2 * std::numbers::pi / n;
      const double cu = r * std::cos(t), sw = r * std::sin(t);
      m.add_vertex(c.x + cu * u.x + sw * w.x, c.y + cu * u.y + sw * w.y,
                   c.z + cu * u.z + sw * w.z);
    }
  };
  ring(a, ra);
  if (rb == 0) {
    m.add_vertex(b.x, b.y, b.z);
    for (std::uint32_t k = 0; k < n; ++k) m.add_face({k, (k + 1) % n, n});
    // The base runs n-1..0, the same way round as the sides (0..n-1 would face into the cone).
    m.face_sizes.push_back(n);
    for (std::uint32_t k = n; k-- > 0;) m.indices.push_back(k);
    return m;
  }
  ring(b, rb);
  ring_faces(m, n);
  return m;
}

Mesh sphere_mesh(double cx, double cy, double cz, double r) {
  Mesh m;
  const double step = std::numbers::pi / 12;
  m.add_vertex(cx, cy, cz - r);
  for (int i = 1; i <= 11; ++i) {
    const double p = i * step;
    for (int j = 0; j < 24; ++j) {
      const double t = j * step;
      m.add_vertex(cx + r * std::cos(t) * std::sin(p), cy + r * std::sin(t) * std::sin(p),
                   cz - r * std::cos(p));
    }
  }
  m.add_vertex(cx, cy, cz + r);
  for (std::uint32_t j = 0; j < 24; ++j) m.add_face({j + 1, (j + 1) % 24 + 1, 0});
  for (std::uint32_t b = 0; b < 10; ++b) {
    const std::uint32_t a = 24 * b;
    for (std::uint32_t j = 0; j < 24; ++j) {
      const std::uint32_t j1 = (j + 1) % 24;
      m.add_face({a + j + 1, a + j + 25, a + j1 + 25, a + j1 + 1});
    }
  }
  for (std::uint32_t j = 0; j < 24; ++j) m.add_face({241 + (j + 1) % 24, 241 + j, 265});
  return m;
}

std::vector<Point2> normalise_polygon(std::span<const Point2> points) {
  std::vector<Point2> p(points.begin(), points.end());
  const std::size_t n = p.size();
  if (n < 3) return p;
  if (signed_area(p) < 0) std::reverse(p.begin(), p.end());
  // The first vertex that turns left (a convex corner of a counter-clockwise outline).
  std::size_t start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const Point2& a = p[(i + n - 1) % n];
    const Point2& b = p[i];
    const Point2& c = p[(i + 1) % n];
    if ((b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x) > 0) {
      start = i;
      break;
    }
  }
  std::rotate(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(start), p.end());
  for (Point2& q : p) q.mark = 0;
  return p;
}

Mesh polygon_mesh(std::span<const Point2> outline, double z) {
  Mesh m;
  const auto n = static_cast<std::uint32_t>(outline.size());
  for (const Point2& p : outline) m.add_vertex(p.x, p.y, z);
  m.face_sizes.push_back(n);
  for (std::uint32_t k = 0; k < n; ++k) m.indices.push_back(k);
  m.face_sizes.push_back(n);
  for (std::uint32_t k = n; k-- > 0;) m.indices.push_back(k);
  return m;
}

Mesh prism_mesh(std::span<const Point2> outline, double zb, double zt) {
  Mesh m;
  for (double z : {zb, zt})
    for (const Point2& p : outline) m.add_vertex(p.x, p.y, z);
  ring_faces(m, static_cast<std::uint32_t>(outline.size()));
  return m;
}

double signed_volume(const Mesh& m) {
  std::vector<std::size_t> start(m.face_sizes.size());
  std::size_t k = 0;
  for (std::size_t f = 0; f < m.face_sizes.size(); ++f) {
    start[f] = k;
    k += m.face_sizes[f];
  }
  if (k > m.indices.size()) return 0;
  std::vector<const Point3*> pts;
  return volume_of(m.face_sizes.size(), [&](std::size_t f) {
    pts.clear();
    for (std::uint32_t i = 0; i < m.face_sizes[f]; ++i) {
      const std::uint32_t v = m.indices[start[f] + i];
      pts.push_back(v < m.vertices.size() ? &m.vertices[v] : &m.vertices[0]);
    }
    return std::pair{pts.data(), m.face_sizes[f]};
  });
}

double signed_volume(const Object3D& o) {
  if (o.vertex_count == 0) return 0;
  const std::uint32_t* sizes = o.face_sizes();
  const std::uint32_t* idx = o.indices();
  const Point3* v = o.vertices();
  std::vector<const Point3*> pts;
  std::size_t k = 0;
  return volume_of(o.face_count, [&](std::size_t f) {
    pts.clear();
    for (std::uint32_t i = 0; i < sizes[f]; ++i) {
      const std::uint32_t j = idx[k++];
      pts.push_back(j < o.vertex_count ? &v[j] : &v[0]);
    }
    return std::pair{pts.data(), sizes[f]};
  });
}

Object3D* store_mesh(ElementStore& store, const Mesh& m, int layer, int pen, int line_type,
                     std::string_view material) {
  if (m.face_sizes.empty() || m.vertices.empty()) return nullptr;
  Object3D fields = make_element<Object3D>(layer, pen, line_type);
  fields.material.set(material);
  return create_object3d(store, fields, m.face_sizes, m.vertices, m.indices);
}

}  // namespace korav
