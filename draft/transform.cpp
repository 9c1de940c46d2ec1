#include "draft/transform.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "model/element_points.h"

namespace korav {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

double reduce(double a) {
  a = std::fmod(a, kTwoPi);
  if (a < 0) a += kTwoPi;
  return a < kTwoPi ? a : 0;
}

// The direction angle of a vector in [0, 2π), without the steep snapping of direction_angle:
// the axes of small circles must keep their exact turn.
double angle_of(Vec2 v) { return reduce(std::atan2(v.y, v.x)); }

double turned_angle(const Affine3& m, double a) {
  return angle_of(m.turn({std::cos(a), std::sin(a)}));
}

// Dimension segments: each point's distance to the previous foot follows the feet (its sign,
// where a chain keeps one, stays).
void recompute_segments(Dimension& d) {
  auto pts = dimension_points(d);
  for (std::size_t i = 1; i < pts.size(); ++i) {
    const double len = distance(pts[i].foot, pts[i - 1].foot);
    pts[i].distance = pts[i].distance < 0 ? -len : len;
  }
}

void map_point(const Affine3& m, const PointRef& p) {
  if (p.separator) return;
  if (p.relative) {
    const Vec2 v = m.turn({*p.x, *p.y});
    *p.x = v.x;
    *p.y = v.y;
    return;
  }
  const Vec3 q = m.apply({*p.x, *p.y, p.z_or(0)});
  *p.x = q.x;
  *p.y = q.y;
  if (p.z) *p.z = q.z;
}

// Centre and both half-axis ends mapped; radii and axis from the images; an orientation
// reversed by the map turns the start so that the arc keeps its side.
void map_circle(const Affine3& m, Circle& c) {
  const double ca = std::cos(c.axis_angle), sa = std::sin(c.axis_angle);
  const Vec3 centre = m.apply({c.centre.x, c.centre.y, 0});
  const Vec3 a_end = m.apply({c.centre.x + c.radius1 * ca, c.centre.y + c.radius1 * sa, 0});
  const Vec3 b_end = m.apply({c.centre.x - c.radius2 * sa, c.centre.y + c.radius2 * ca, 0});
  const Vec2 ctr(centre.x, centre.y);
  const Vec2 va = Vec2(a_end.x, a_end.y) - ctr, vb = Vec2(b_end.x, b_end.y) - ctr;
  c.centre.x = ctr.x;
  c.centre.y = ctr.y;
  c.radius1 = std::hypot(va.x, va.y);
  c.radius2 = std::hypot(vb.x, vb.y);
  const double axis = angle_of(va);
  const bool reversed = reduce(angle_of(vb) - axis) > std::numbers::pi;
  c.axis_angle = axis;
  if (reversed) c.start_angle = reduce(-(c.start_angle + c.sweep));
}

void map_element(const Affine3& m, const MapOptions& o, Element& e, MapResult& result) {
  if (Circle* c = as<Circle>(&e)) {
    map_circle(m, *c);
    return;
  }
  for_each_point(e, [&](const PointRef& p) { map_point(m, p); });
  switch (e.type) {
    case kText: {
      auto& t = static_cast<Text&>(e);
      if (o.turn_angles) t.angle = turned_angle(m, t.angle);
      t.height *= o.text_height_factor;
      break;
    }
    case kRoom: {
      auto& r = static_cast<Room&>(e);
      if (o.turn_angles) r.angle = turned_angle(m, r.angle);
      break;
    }
    case kPattern: {
      auto& p = static_cast<Pattern&>(e);
      if (o.turn_angles) {
        p.angle1 = turned_angle(m, p.angle1);
        p.angle2 = turned_angle(m, p.angle2);
      }
      break;
    }
    case kDimension: {
      auto& d = static_cast<Dimension&>(e);
      d.direction = turned_angle(m, d.direction);
      recompute_segments(d);
      break;
    }
    case kCamera:
      if (static_cast<Camera&>(e).active == 1) result.active_camera = true;
      break;
    default: break;
  }
}

}  // namespace

bool Affine3::finite() const {
  for (int i = 0; i < 3; ++i) {
    if (!std::isfinite(t[i])) return false;
    for (int j = 0; j < 3; ++j)
      if (!std::isfinite(m[i][j])) return false;
  }
  return true;
}

Affine3 rotation_in_plan(Vec2 centre, double angle) {
  return rotation_about_axis({centre.x, centre.y, 0}, {centre.x, centre.y, 1}, angle);
}

Affine3 rotation_about_axis(Vec3 a, Vec3 b, double angle) {
  Affine3 r;
  const Vec3 d = b - a;
  const double len = std::sqrt(dot(d, d));
  if (!(len > 0) || !std::isfinite(len)) return r;
  const Vec3 u = d * (1 / len);
  const double c = std::cos(angle), s = std::sin(angle), k = 1 - c;
  // Rodrigues' rotation matrix.
  r.m[0][0] = c + u.x * u.x * k;
  r.m[0][1] = u.x * u.y * k - u.z * s;
  r.m[0][2] = u.x * u.z * k + u.y * s;
  r.m[1][0] = u.y * u.x * k + u.z * s;
  r.m[1][1] = c + u.y * u.y * k;
  r.m[1][2] = u.y * u.z * k - u.x * s;
  r.m[2][0] = u.z * u.x * k - u.y * s;
  r.m[2][1] = u.z * u.y * k + u.x * s;
  r.m[2][2] = c + u.z * u.z * k;
  // The axis point stays: t = a − m a.
  const Vec3 ma = r.apply(a);
  r.t[0] = a.x - ma.x;
  r.t[1] = a.y - ma.y;
  r.t[2] = a.z - ma.z;
  return r;
}

namespace {

// Reflection in the plane through p with unit normal n: q = x − 2 ((x − p)·n) n.
Affine3 reflection(Vec3 p, Vec3 n) {
  Affine3 r;
  const double nv[3] = {n.x, n.y, n.z};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = (i == j ? 1 : 0) - 2 * nv[i] * nv[j];
  const double pn = 2 * dot(p, n);
  r.t[0] = pn * n.x;
  r.t[1] = pn * n.y;
  r.t[2] = pn * n.z;
  return r;
}

}  // namespace

Affine3 mirror_in_line(Vec2 a, Vec2 b) {
  if (a == b) b = a + Vec2(1, 0);
  const Vec2 d = b - a;
  const double len = std::hypot(d.x, d.y);
  if (!(len > 0) || !std::isfinite(len)) return Affine3{};
  return reflection({a.x, a.y, 0}, {-d.y / len, d.x / len, 0});
}

bool mirror_in_plane(Vec3 a, Vec3 b, Vec3 c, Affine3& m) {
  const Vec3 n = cross(b - a, c - a);
  const double len = std::sqrt(dot(n, n));
  // Collinear points within rounding span no plane.
  const double scale = std::sqrt(dot(b - a, b - a) * dot(c - a, c - a));
  if (!(len > 1e-12 * scale) || !std::isfinite(len)) return false;
  m = reflection(a, n * (1 / len));
  return true;
}

Affine3 scaling(Vec3 f, double fx, double fy, double fz) {
  Affine3 s;
  s.m[0][0] = fx;
  s.m[1][1] = fy;
  s.m[2][2] = fz;
  s.t[0] = f.x - fx * f.x;
  s.t[1] = f.y - fy * f.y;
  s.t[2] = f.z - fz * f.z;
  return s;
}

bool selected_or_marked(const Element& e) { return e.selected || has_marked_point(e); }

std::size_t translate_elements(ElementStore& store, double dx, double dy, double dz,
                               TranslateScope scope) {
  if (!std::isfinite(dx) || !std::isfinite(dy) || !std::isfinite(dz)) return 0;
  const bool marked = scope == TranslateScope::kSelectedAndMarked;
  std::size_t changed = 0;
  for (Element& e : store.list) {
    const bool whole = e.selected != 0;
    if (!whole && !marked) continue;
    bool moved = false;
    for_each_point(e, [&](const PointRef& p) {
      if (!p.is_place() || (!whole && !p.marked())) return;
      *p.x += dx;
      *p.y += dy;
      if (p.z) *p.z += dz;
      moved = true;
    });
    if (!moved) continue;
    if (Dimension* d = as<Dimension>(&e)) recompute_segments(*d);
    ++changed;
  }
  if (changed) store.modified = true;
  return changed;
}

MapResult map_selected(ElementStore& store, const Affine3& map, const MapOptions& options) {
  MapResult result;
  if (!map.finite() || !std::isfinite(options.text_height_factor)) return result;
  for (Element& e : store.list) {
    if (!e.selected) continue;
    map_element(map, options, e, result);
    ++result.changed;
  }
  if (result.changed) store.modified = true;
  return result;
}

MapResult rotate_selected(ElementStore& store, const Affine3& rotation) {
  return map_selected(store, rotation, MapOptions{});
}

MapResult mirror_selected(ElementStore& store, const Affine3& reflection) {
  return map_selected(store, reflection, MapOptions{});
}

MapResult scale_selected(ElementStore& store, Vec3 fixed, double fx, double fy, double fz,
                         bool text_heights) {
  MapOptions o;
  o.turn_angles = false;
  o.text_height_factor = text_heights ? std::fabs(fx) : 1;
  return map_selected(store, scaling(fixed, fx, fy, fz), o);
}

std::size_t alter_selected(ElementStore& store, int pen, int line_type) {
  std::size_t n = 0;
  for (Element& e : store.list) {
    if (!e.selected) continue;
    if (pen != kUnchanged) e.pen = static_cast<std::uint8_t>(pen);
    if (line_type != kUnchanged) e.line_type = static_cast<std::uint8_t>(line_type);
    ++n;
  }
  if (n) store.modified = true;
  return n;
}

std::size_t duplicate_selected(ElementStore& store) {
  Element* last = store.tail();
  std::size_t copies = 0;
  bool grouped = false;
  for (Element* e = store.head(); e; e = e == last ? nullptr : e->next) {
    if (!e->selected) continue;
    Element* c = copy_record(*e);
    c->undo_mask = 0;
    clear_point_marks(*c);
    e->selected = 0;
    grouped = grouped || c->group != 0;
    store.list.push_back(c);
    ++copies;
  }
  if (!copies) return 0;
  store.modified = true;
  if (!grouped) return copies;

  // New group numbers above every one in use, one per distinct group among the copies.
  Element* first_copy = last ? last->next : store.head();
  unsigned highest = 0;
  for (Element* e = store.head(); e != first_copy; e = e->next)
    highest = std::max<unsigned>(highest, e->group);
  renumber_groups(first_copy, highest);
  return copies;
}

void renumber_groups(Element* first, unsigned highest) {
  std::vector<std::uint16_t> renumbered(65536, 0);
  for (Element* e = first; e; e = e->next) {
    if (e->group == 0) continue;
    std::uint16_t& n = renumbered[e->group];
    if (n == 0) {
      if (highest >= 65535) continue;  // no number left: the element keeps its group
      n = static_cast<std::uint16_t>(++highest);
    }
    e->group = n;
  }
}

}  // namespace korav
