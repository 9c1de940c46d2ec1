#include "draft/circles.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "draft/crossings.h"

namespace korav {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
// Positions this close to an end of an arc count as that end.
constexpr double kEndTolerance = 1e-7;

double reduce(double a) {
  a = std::fmod(a, kTwoPi);
  if (a < 0) a += kTwoPi;
  return a < kTwoPi ? a : 0;
}

bool finite(Vec2 p) { return std::isfinite(p.x) && std::isfinite(p.y); }

CurveShape closed(Vec2 centre, double a, double b) {
  CurveShape s;
  s.centre = centre;
  s.a = a;
  s.b = b;
  s.sweep = kTwoPi;
  return s;
}

void set_shape(Circle& c, const CurveShape& s) {
  c.centre.x = s.centre.x;
  c.centre.y = s.centre.y;
  c.radius1 = s.a;
  c.radius2 = s.b;
  c.sweep = s.sweep;
  c.start_angle = s.start;
  c.axis_angle = s.rotation;
}

// A new Circle of the shape with the given header fields, not recorded.
Circle* create_curve(Drawing& d, int layer, int pen, int line_type, const CurveShape& s) {
  Circle c = make_element<Circle>(layer, pen, line_type);
  set_shape(c, s);
  return create(d.store, c);
}

// Modify-in-place: the element is snapshotted as one undo step before it changes.
void record_changed(Drawing& d, Element& e) {
  d.deselect_all();
  e.selected = 1;
  d.undo.record(d.store, kUndoSnapshot);
  e.selected = 0;
}

// Deleting: the element is snapshotted and, after the caller has added what replaces it
// (tagged into the same step), purged.
void record_deleted(Drawing& d, Element& e) {
  d.deselect_all();
  e.selected = 1;
  d.undo.record(d.store, kUndoSnapshot);
}

// Calls f(point) for every crossing of the whole curve of `c` with the Lines, wall outline
// lines (on the segment, -1e-5 < t < 1.00001) and, when `c` is a true circle, the true circles
// (on their arcs) of the current or a shown layer.
template <class F>
void for_each_curve_crossing(const Drawing& d, const Circle& c, F&& f) {
  auto search = [&](const auto& elements) {
    std::vector<Vec2> found;
    auto with_segment = [&](Vec2 p, Vec2 q) {
      CurveCrossings x = line_curve_crossings(p, q, c);
      for (int i = 0; i < x.count; ++i)
        if (x.t[i] > -1e-5 && x.t[i] < 1.00001) found.push_back(x.point[i]);
    };
    const bool true_circle = is_true_circle(c);
    for (const Element* e : elements) {
      if (e == &c || !layer_visible(d.layers, d.current_layer, e->layer)) continue;
      if (const Line* l = as<Line>(e)) {
        with_segment(l->start, l->end);
      } else if (const Circle* o = as<Circle>(e)) {
        if (!true_circle || !is_true_circle(*o)) continue;
        CurveCrossings x = circle_crossings(c, *o);
        for (int i = 0; i < x.count; ++i)
          if (on_arc(*o, x.point[i])) found.push_back(x.point[i]);
      } else if (const Wall* w = as<Wall>(e)) {
        for (const OutlineLine& ol : wall_lines(*w)) with_segment(ol.start, ol.end);
      }
    }
    return found;
  };
  // Every crossing lies on the whole curve, within its reach round the centre; a little more
  // for the segments' tolerance at their ends.
  auto query = [&](SpatialIndex& index) {
    const double r = std::max(std::fabs(c.radius1), std::fabs(c.radius2));
    const double m = r * (1 + 1e-6) + 1e-9 * (std::fabs(c.centre.x) + std::fabs(c.centre.y));
    return index.query({c.centre.x - m, c.centre.y - m, c.centre.x + m, c.centre.y + m}, 1e-4);
  };
  for (Vec2 p : search_elements(d, "curve crossings", query, search)) f(p);
}

}  // namespace

CurveShape shape_of(const Circle& c) {
  return {c.centre, c.radius1, c.radius2, c.sweep, c.start_angle, c.axis_angle};
}

std::optional<CurveShape> circle_by_radius(Vec2 centre, double radius) {
  if (!finite(centre) || !(radius > 1e-6) || !std::isfinite(radius)) return std::nullopt;
  return closed(centre, radius, radius);
}

std::optional<Vec2> centre_through(Vec2 p1, Vec2 p2, Vec2 p3) {
  if (!finite(p1) || !finite(p2) || !finite(p3)) return std::nullopt;
  if (!(distance(p1, p2) > 1e-4) || !(distance(p2, p3) > 1e-4) || !(distance(p1, p3) > 1e-4))
    return std::nullopt;
  // The perpendicular bisectors of p1p2 and p2p3: through the midpoints, turned by a right angle.
  const Vec2 m1 = (p1 + p2) * 0.5, m2 = (p2 + p3) * 0.5;
  const Vec2 d1 = p2 - p1, d2 = p3 - p2;
  LineCrossing x = line_intersection(m1, m1 + Vec2(-d1.y, d1.x), m2, m2 + Vec2(-d2.y, d2.x));
  if (!x.found || !finite(x.point)) return std::nullopt;
  return x.point;
}

std::optional<CurveShape> circle_through(Vec2 p1, Vec2 p2, Vec2 p3) {
  std::optional<Vec2> c = centre_through(p1, p2, p3);
  if (!c) return std::nullopt;
  const double r = distance(*c, p2);
  return closed(*c, r, r);
}

std::optional<CurveShape> arc_through(Vec2 p1, Vec2 p2, Vec2 p3) {
  std::optional<CurveShape> s = circle_through(p1, p2, p3);
  if (!s) return std::nullopt;
  const double a1 = direction_angle(s->centre, p1);
  double a3 = direction_angle(s->centre, p3);
  if (a3 < a1) a3 += kTwoPi;
  s->start = a1;
  s->sweep = a3 - a1;
  // Not passing p2 counter-clockwise from p1 to p3: the other arc, clockwise from p1.
  Circle probe{};
  set_shape(probe, *s);
  if (!on_arc(probe, p2)) {
    s->sweep = kTwoPi - s->sweep;
    s->start = reduce(a1 - s->sweep);
  }
  return s;
}

std::optional<CurveShape> arc_about(Vec2 centre, Vec2 start, Vec2 end, Vec2 direction) {
  if (!finite(centre) || !finite(start) || !finite(end) || !finite(direction)) return std::nullopt;
  const double r = distance(centre, start);
  if (!(r > 1e-4)) return std::nullopt;
  const double a1 = direction_angle(centre, start);
  double a2 = direction_angle(centre, end);
  if (a2 < a1) a2 += kTwoPi;
  CurveShape s = closed(centre, r, r);
  s.start = a1;
  s.sweep = a2 - a1;
  if (!(s.sweep > 0)) return std::nullopt;  // start and end in one direction: no arc
  Circle probe{};
  set_shape(probe, s);
  if (!on_arc(probe, direction)) {
    s.start = reduce(a1 + s.sweep);
    s.sweep = kTwoPi - s.sweep;
  }
  return s;
}

std::optional<CurveShape> ellipse_about(Vec2 centre, Vec2 corner) {
  if (!finite(centre) || !finite(corner)) return std::nullopt;
  const double a = std::fabs(corner.x - centre.x), b = std::fabs(corner.y - centre.y);
  if (!(a > 1e-6) || !(b > 1e-6)) return std::nullopt;
  return closed(centre, a, b);
}

std::optional<CurveShape> ellipse_in_frame(Vec2 c1, Vec2 c2) {
  if (!finite(c1) || !finite(c2)) return std::nullopt;
  return ellipse_about((c1 + c2) * 0.5, c2);
}

std::optional<CurveShape> concentric_at_distance(const Circle& c, double d, Vec2 side) {
  if (!std::isfinite(d) || !finite(side)) return std::nullopt;
  CurveShape s = shape_of(c);
  const double k = distance(c.centre, side) >= c.radius1 ? d : -d;
  s.a += k;
  s.b += k;
  if (!(s.a > 1e-6) || !(s.b > 1e-6) || !std::isfinite(s.a) || !std::isfinite(s.b))
    return std::nullopt;
  return s;
}

std::optional<CurveShape> concentric_through(const Circle& c, Vec2 p) {
  if (!finite(p) || !(c.radius1 > 0)) return std::nullopt;
  CurveShape s = shape_of(c);
  s.a = distance(c.centre, p);
  s.b = s.a * c.radius2 / c.radius1;
  if (!(s.a > 1e-6) || !(s.b > 1e-6) || !std::isfinite(s.b)) return std::nullopt;
  return s;
}

double arc_position(const Circle& c, Vec2 p) { return reduce(curve_angle(c, p) - c.start_angle); }

Circle* add_curve(Drawing& d, const CurveShape& s) {
  Circle* c = create_curve(d, d.current_layer, d.new_pen(), d.current_line_type, s);
  d.undo.record(d.store, kUndoMarkLast, 1);
  return c;
}

Spline* add_spline(Drawing& d, Vec2 start, Vec2 control1, Vec2 control2, Vec2 end) {
  const Vec2 pts[4] = {start, control1, control2, end};
  bool spread = false;
  for (const Vec2& p : pts) {
    if (!finite(p)) return nullptr;
    spread = spread || distance(start, p) > 1e-6;
  }
  if (!spread) return nullptr;
  Spline s = make_element<Spline>(d.current_layer, d.new_pen(), d.current_line_type);
  for (int i = 0; i < 4; ++i) s.p[i] = {pts[i].x, pts[i].y, 0};
  Spline* e = create(d.store, s);
  d.undo.record(d.store, kUndoMarkLast, 1);
  return e;
}

bool remove_arc_part(Drawing& d, Circle& c, double u, double v) {
  if (!std::isfinite(u) || !std::isfinite(v)) return false;
  double span = v - u;
  if (span < 0) span += kTwoPi;
  if (!(span > 1e-9)) return false;
  u = reduce(u);
  v = u + span;

  if (std::fabs(c.sweep - kTwoPi) < 1e-4) {
    // A closed curve stays one element: what is left runs from v round to u.
    if (span >= kTwoPi - 1e-9) {
      record_deleted(d, c);
      d.store.purge();
      return true;
    }
    record_changed(d, c);
    c.sweep = kTwoPi - span;
    c.start_angle = v > kTwoPi ? v - kTwoPi : v;
    d.store.modified = true;
    return true;
  }

  const double s = reduce(c.start_angle), e = s + c.sweep;
  if (u < s && v < s) {
    u += kTwoPi;
    v += kTwoPi;
  } else if (u > e && v > e) {
    u -= kTwoPi;
    v -= kTwoPi;
  }
  const bool before = s < u && u < e, after = s < v && v < e;
  if (!before && !after && (u > s || v < e)) return false;  // the range misses the arc

  record_deleted(d, c);
  auto piece = [&](double from, double sweep) {
    CurveShape p = shape_of(c);
    p.start = reduce(from);
    p.sweep = sweep;
    d.undo.tag(*create_curve(d, c.layer, c.pen, c.line_type, p));
  };
  if (before) piece(s, u - s);
  if (after) piece(v, e - v);
  d.store.purge();  // only the element itself is selected
  return true;
}

bool erase_arc_part(Drawing& d, Circle& c, Vec2 p1, Vec2 p2) {
  if (!finite(p1) || !finite(p2)) return false;
  return remove_arc_part(d, c, curve_angle(c, p1), curve_angle(c, p2));
}

bool delete_arc_part(Drawing& d, Circle& c, Vec2 pick) {
  if (!finite(pick)) return false;
  const bool closed_curve = std::fabs(c.sweep - kTwoPi) < 1e-4;
  const double p0 = arc_position(c, pick);
  double lo = 0, hi = c.sweep;
  // For a closed curve the nearest crossings may lie across its start.
  double first = kTwoPi, last = -1;
  bool below = false, above = false;
  for_each_curve_crossing(d, c, [&](Vec2 p) {
    if (!on_arc(c, p)) return;
    const double pos = arc_position(c, p);
    first = std::min(first, pos);
    last = std::max(last, pos);
    if (pos <= p0) {
      lo = std::max(lo, pos);
      below = true;
    } else if (pos < hi) {
      hi = pos;
      above = true;
    }
  });
  if (closed_curve) {
    if (last < 0) {  // nothing crosses it: the whole curve goes
      record_deleted(d, c);
      d.store.purge();
      return true;
    }
    if (!below) lo = last - kTwoPi;
    if (!above) hi = first + kTwoPi;
  }
  return remove_arc_part(d, c, c.start_angle + lo, c.start_angle + hi);
}

bool extend_arc(Drawing& d, Circle& c, Vec2 pick) {
  if (is_closed_curve(c) || !finite(pick) || !(c.sweep > 0)) return false;
  const bool at_end = arc_position(c, pick) >= c.sweep / 2;
  // The crossings off the arc, by their position: the end moves on to the smallest, the start
  // back to the largest.
  double nearest_on = kTwoPi, nearest_back = -1;
  for_each_curve_crossing(d, c, [&](Vec2 p) {
    const double pos = arc_position(c, p);
    if (!(pos > c.sweep + kEndTolerance && pos < kTwoPi - kEndTolerance)) return;
    nearest_on = std::min(nearest_on, pos);
    nearest_back = std::max(nearest_back, pos);
  });
  record_changed(d, c);
  if (nearest_back < 0) {
    c.sweep = kTwoPi;
    c.start_angle = 0;
  } else if (at_end) {
    c.sweep = nearest_on;
  } else {
    const double grow = kTwoPi - nearest_back;
    c.start_angle = reduce(c.start_angle - grow);
    c.sweep += grow;
  }
  d.store.modified = true;
  return true;
}

int dissolve_spline(Drawing& d, Spline& s, std::span<const LineSegment> chords) {
  int n = 0;
  for (const LineSegment& g : chords)
    if (finite(g.start) && finite(g.end) && distance(g.start, g.end) > 0) ++n;
  if (n == 0) return 0;
  record_deleted(d, s);
  for (const LineSegment& g : chords) {
    if (!finite(g.start) || !finite(g.end) || !(distance(g.start, g.end) > 0)) continue;
    d.undo.tag(*create_line(d.store, d.current_layer, s.pen, s.line_type, g.start.x, g.start.y,
                            g.end.x, g.end.y));
  }
  d.store.purge();
  return n;
}

}  // namespace korav
