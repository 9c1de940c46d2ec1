#include "three_d/building_units.h"

#include <cmath>
#include <numbers>

namespace korav {

namespace {

bool finite_all(std::initializer_list<double> v) {
  for (double x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

// Appends a 2D element with the new element pen and current line type.
template <class T>
T fields(const Drawing& d) {
  return make_element<T>(d.current_layer, d.new_pen(), d.current_line_type);
}

}  // namespace

std::array<Point2, 4> band_rectangle(Point2 s, Point2 e, double w) {
  const double a = std::atan2(e.y - s.y, e.x - s.x);
  const double mx = w * std::sin(a), my = -w * std::cos(a);
  return {Point2{s.x + mx, s.y + my, 0}, Point2{e.x + mx, e.y + my, 0},
          Point2{e.x - mx, e.y - my, 0}, Point2{s.x - mx, s.y - my, 0}};
}

Mesh beam_mesh(Point2 s, Point2 e, double half_width, double base, double height) {
  const auto q = band_rectangle(s, e, half_width);
  return cuboid_mesh(std::span<const Point2, 4>(q), base, base + height);
}

Mesh pillar_mesh(Point2 p, double hw, double ht, double base, double height) {
  return cuboid_mesh(p.x - hw, p.y - ht, p.x + hw, p.y + ht, base, base + height);
}

Mesh round_pillar_mesh(Point2 p, double r, double base, double height) {
  Mesh m;
  constexpr int n = 12;
  for (double z : {base, base + height})
    for (int k = 0; k < n; ++k) {
      const double a = k * std::numbers::pi / 6;
      m.add_vertex(p.x + r * std::cos(a), p.y + r * std::sin(a), z);
    }
  // Faces run as the cuboid's do: clockwise seen from outside.
  for (std::uint32_t k = 0; k < n; ++k) {
    const std::uint32_t k1 = (k + 1) % n;
    m.add_face({k, k + n, k1 + n, k1});
  }
  std::vector<std::uint32_t> ring(n);
  for (std::uint32_t k = 0; k < n; ++k) ring[k] = k;
  m.add_face(ring);
  for (std::uint32_t k = 0; k < n; ++k) ring[k] = 2 * n - 1 - k;
  m.add_face(ring);
  return m;
}

std::vector<Mesh> stair_meshes(Point2 s, Point2 e, const StairSize& z) {
  std::vector<Mesh> out;
  if (z.steps < 1) return out;
  const double dx = (e.x - s.x) / z.steps, dy = (e.y - s.y) / z.steps;
  const double run = std::hypot(dx, dy);
  if (!(run > 0)) return out;
  const double ux = dx / run, uy = dy / run;
  const double h = z.height / z.steps;
  for (int i = 0; i < z.steps; ++i) {
    const Point2 a{s.x + i * dx - z.nosing * ux, s.y + i * dy - z.nosing * uy, 0};
    const Point2 b{s.x + (i + 1) * dx, s.y + (i + 1) * dy, 0};
    const double top = z.base + (i + 1) * h;
    const auto q = band_rectangle(a, b, z.half_width);
    out.push_back(cuboid_mesh(std::span<const Point2, 4>(q), top - z.step_thickness, top));
  }
  return out;
}

ProfileParts profile_parts(Point2 s, Point2 e, double zb, double zt, const ProfileSize& p) {
  ProfileParts out;
  const double len = std::hypot(e.x - s.x, e.y - s.y);
  const int cols = p.mullions + 1, rows = p.transoms + 1;
  const double f = p.member;
  if (p.mullions < 0 || p.transoms < 0 || !(f > 0) || zt < zb) return out;
  // The clear width and height left for the panes.
  const double cw = (len - (cols + 1) * f) / cols, ch = (zt - zb - (rows + 1) * f) / rows;
  if (!(cw > 0) || !(ch > 0)) return out;
  const double ux = (e.x - s.x) / len, uy = (e.y - s.y) / len;
  auto at = [&](double u) { return Point2{s.x + u * ux, s.y + u * uy, 0}; };
  auto box = [&](double u0, double u1, double z0, double z1, double half_depth) {
    const auto q = band_rectangle(at(u0), at(u1), half_depth);
    return cuboid_mesh(std::span<const Point2, 4>(q), z0, z1);
  };
  const double hd = p.depth / 2;
  out.members.push_back(box(0, f, zb, zt, hd));               // the jambs
  out.members.push_back(box(len - f, len, zb, zt, hd));
  out.members.push_back(box(f, len - f, zb, zb + f, hd));     // sill and head
  out.members.push_back(box(f, len - f, zt - f, zt, hd));
  for (int c = 1; c < cols; ++c) {                            // mullions, full clear height
    const double u = f + c * (cw + f);
    out.members.push_back(box(u - f, u, zb + f, zt - f, hd));
  }
  for (int c = 0; c < cols; ++c)                              // transoms, between mullions
    for (int r = 1; r < rows; ++r) {
      const double u = f + c * (cw + f), z = zb + f + r * (ch + f);
      out.members.push_back(box(u, u + cw, z - f, z, hd));
    }
  for (int c = 0; c < cols; ++c)
    for (int r = 0; r < rows; ++r) {
      const double u = f + c * (cw + f), z = zb + f + r * (ch + f);
      out.panes.push_back(box(u, u + cw, z, z + ch, p.glass / 2));
    }
  return out;
}

Object3D* add_unit(Drawing& d, const Mesh& m, std::string_view material) {
  for (const Point3& v : m.vertices)
    if (!finite_all({v.x, v.y, v.z})) return nullptr;
  if (std::abs(signed_volume(m)) < 1e-12) return nullptr;
  Object3D* o = store_mesh(d.store, m, d.current_layer, d.new_pen(), d.current_line_type, material);
  if (o) d.undo.record(d.store, kUndoMarkLast, 1);
  return o;
}

Object3D* add_ceiling(Drawing& d, std::span<const Point2> outline, double base, double height,
                      std::string_view material) {
  if (outline.size() < 3 || !(std::abs(height) > 0)) return nullptr;
  const std::vector<Point2> n = normalise_polygon(outline);
  return add_unit(d, prism_mesh(n, std::min(base, base + height), std::max(base, base + height)),
                  material);
}

int add_stairway(Drawing& d, Point2 s, Point2 e, const StairSize& size, std::string_view material) {
  if (!finite_all({s.x, s.y, e.x, e.y, size.half_width, size.step_thickness, size.nosing,
                   size.base, size.height}) ||
      !(size.half_width > 0))
    return 0;
  const std::vector<Mesh> steps = stair_meshes(s, e, size);
  if (steps.empty()) return 0;
  int made = 0;
  for (const Mesh& m : steps)
    if (store_mesh(d.store, m, d.current_layer, d.new_pen(), d.current_line_type, material)) ++made;
  // The plan symbol: both sides, the first edge, the walking line and a half circle round its
  // start, open towards the top.
  const auto q = band_rectangle(s, e, size.half_width);
  auto line = [&](Point2 a, Point2 b) {
    Line l = fields<Line>(d);
    l.start = a;
    l.end = b;
    if (create(d.store, l)) ++made;
  };
  line(q[0], q[1]);
  line(q[3], q[2]);
  line(q[3], q[0]);
  line(s, e);
  Circle c = fields<Circle>(d);
  c.centre = s;
  c.radius1 = c.radius2 = size.half_width / 4;
  const double a = std::atan2(e.y - s.y, e.x - s.x);
  c.start_angle = a + std::numbers::pi / 2;
  c.sweep = std::numbers::pi;
  c.axis_angle = 0;
  if (create(d.store, c)) ++made;
  if (made) d.undo.record(d.store, kUndoMarkLast, made);
  return made;
}

int add_profile(Drawing& d, const ProfileParts& parts, std::string_view material,
                std::string_view pane_material) {
  int made = 0;
  for (const Mesh& m : parts.members)
    if (store_mesh(d.store, m, d.current_layer, d.new_pen(), d.current_line_type, material)) ++made;
  for (const Mesh& m : parts.panes)
    if (store_mesh(d.store, m, d.current_layer, d.new_pen(), d.current_line_type, pane_material))
      ++made;
  if (made) d.undo.record(d.store, kUndoMarkLast, made);
  return made;
}

}  // namespace korav
