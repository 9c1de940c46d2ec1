#include "draft/line_tools.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <unordered_set>

#include "base/messages.h"
#include "draft/crossings.h"

namespace korav {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

Line* create_line_raw(Drawing& d, int pen, int line_type, Vec2 a, Vec2 b) {
  return create_line(d.store, d.current_layer, pen, line_type, a.x, a.y, b.x, b.y);
}

// Modify-in-place: the elements are snapshotted as one undo step before they change.
void record_changed(Drawing& d, std::initializer_list<Element*> elements) {
  d.deselect_all();
  for (Element* e : elements) e->selected = 1;
  d.undo.record(d.store, kUndoSnapshot);
  for (Element* e : elements) e->selected = 0;
}

void set_start(Line& l, Vec2 p) {
  l.start.x = p.x;
  l.start.y = p.y;
}
void set_end(Line& l, Vec2 p) {
  l.end.x = p.x;
  l.end.y = p.y;
}

// The crossings of the line through `line` with every Line, Circle (on its arc) and wall
// outline line on the current or a shown layer, as parameters along line.start→line.end.
template <class F>
void for_each_crossing(const Drawing& d, const Line& line, F&& f) {
  const Vec2 a = line.start, b = line.end;
  auto search = [&](const auto& elements) {
    std::vector<double> ts;
    auto with_segment = [&](Vec2 p, Vec2 q) {
      LineCrossing x = line_intersection(a, b, p, q);
      if (!x.found) return;
      double other = projection_parameter(x.point, p, q).t;
      if (!(other > -1e-5 && other < 1.00001)) return;
      ts.push_back(projection_parameter(x.point, a, b).t);
    };
    for (const Element* e : elements) {
      if (e == &line || !layer_visible(d.layers, d.current_layer, e->layer)) continue;
      if (const Line* l = as<Line>(e)) {
        with_segment(l->start, l->end);
      } else if (const Circle* c = as<Circle>(e)) {
        CurveCrossings cc = line_curve_crossings(a, b, *c);
        for (int i = 0; i < cc.count; ++i)
          if (on_arc(*c, cc.point[i])) ts.push_back(cc.t[i]);
      } else if (const Wall* w = as<Wall>(e)) {
        for (std::uint32_t i = 0; i < w->line_count; ++i)
          with_segment(w->lines()[i].start, w->lines()[i].end);
      }
    }
    return ts;
  };
  auto query = [&](SpatialIndex& index) { return index.query_line(a.x, a.y, b.x, b.y); };
  for (double t : search_elements(d, "line crossings", query, search)) f(t);
}

}  // namespace

Line* add_line(Drawing& d, Vec2 a, Vec2 b) {
  Line* l = create_line_raw(d, d.new_pen(), d.current_line_type, a, b);
  d.undo.record(d.store, kUndoMarkLast, 1);
  return l;
}

Vec2 horizontal_end(Vec2 first, Vec2 second) { return {second.x, first.y}; }
Vec2 vertical_end(Vec2 first, Vec2 second) { return {first.x, second.y}; }

Vec2 angle_end_by_length(Vec2 s, double angle, double length) {
  return {s.x + length * std::cos(angle), s.y + length * std::sin(angle)};
}

Vec2 angle_end_by_point(Vec2 s, double angle, Vec2 p) {
  return perpendicular_foot(p, s, angle_end_by_length(s, angle, 100));
}

LineSegment parallel_at_distance(LineSegment edge, double d, Vec2 side) {
  double normal = direction_angle(edge.start, edge.end) + std::numbers::pi / 2;
  if (normal > kTwoPi) normal -= kTwoPi;
  Vec2 off(d * std::cos(normal), d * std::sin(normal));
  LineSegment plus{edge.start + off, edge.end + off};
  LineSegment minus{edge.start - off, edge.end - off};
  return distance(plus.start, side) < distance(minus.start, side) ? plus : minus;
}

LineSegment parallel_through(LineSegment edge, Vec2 p) {
  Vec2 off = p - perpendicular_foot(p, edge.start, edge.end);
  return {edge.start + off, edge.end + off};
}

LineSegment orthogonal_line(LineSegment edge, Vec2 through, Vec2 end) {
  Vec2 f = perpendicular_foot(through, edge.start, edge.end);
  Vec2 dir = edge.end - edge.start;
  Vec2 normal_point = f + Vec2(-dir.y, dir.x);
  return {f, perpendicular_foot(end, f, normal_point)};
}

std::vector<LineSegment> frame_sides(Vec2 c1, Vec2 c2, double d) {
  double x0 = std::min(c1.x, c2.x) - d, x1 = std::max(c1.x, c2.x) + d;
  double y0 = std::min(c1.y, c2.y) - d, y1 = std::max(c1.y, c2.y) + d;
  if (!(x1 > x0) || !(y1 > y0)) return {};
  return {{{x0, y0}, {x1, y0}}, {{x1, y0}, {x1, y1}}, {{x1, y1}, {x0, y1}}, {{x0, y1}, {x0, y0}}};
}

int add_frame(Drawing& d, Vec2 c1, Vec2 c2, double distance) {
  std::vector<LineSegment> sides = frame_sides(c1, c2, distance);
  for (const LineSegment& s : sides)
    create_line_raw(d, d.new_pen(), d.current_line_type, s.start, s.end);
  if (!sides.empty()) d.undo.record(d.store, kUndoMarkLast, static_cast<int>(sides.size()));
  return static_cast<int>(sides.size());
}

std::vector<Vec2> polygon_corners(Vec2 c, Vec2 p, int n) {
  if (n < 3 || !(distance(c, p) > 1e-5)) return {};
  std::vector<Vec2> corners;
  corners.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) corners.push_back(rotate_point(c, p, kTwoPi / n * i));
  return corners;
}

int add_polygon(Drawing& d, Vec2 c, Vec2 p, int n) {
  std::vector<Vec2> corners = polygon_corners(c, p, n);
  if (corners.empty()) return 0;
  for (std::size_t i = 0; i < corners.size(); ++i)
    create_line_raw(d, d.new_pen(), d.current_line_type, corners[i],
                    corners[(i + 1) % corners.size()]);
  d.undo.record(d.store, kUndoMarkLast, n);
  return n;
}

bool join_lines(Drawing& d, Line& l1, Vec2 pick1, Line& l2, Vec2 pick2, JoinKind kind,
                double value) {
  if (&l1 == &l2) return false;
  LineCrossing x = line_intersection(l1.start, l1.end, l2.start, l2.end);
  if (!x.found || !(distance(x.point, l1.start) < 10000)) return false;
  const Vec2 s = x.point;

  // The trimmed lines are worked out first, so that a chamfer or fillet that does not fit
  // leaves both lines as they were.
  LineSegment seg[2] = {{l1.start, l1.end}, {l2.start, l2.end}};
  const Vec2 picks[2] = {pick1, pick2};
  for (int i = 0; i < 2; ++i) {
    LineSegment& g = seg[i];
    if (distance(s, g.start) < 1e-5 || distance(s, g.end) < 1e-5) continue;
    double t = projection_parameter(picks[i], g.start, s).t;
    if (t > 0 && t < 1) g.end = s;
    else g.start = s;
  }
  for (LineSegment& g : seg)
    if (distance(g.end, s) < distance(g.start, s)) std::swap(g.start, g.end);

  LineSegment extra{};
  bool fillet = false;
  Vec2 centre;
  double a1 = 0, a2 = 0;
  if (kind != JoinKind::kJoin) {
    double al1 = direction_angle(seg[0].start, seg[0].end);
    double al2 = direction_angle(seg[1].start, seg[1].end);
    double delta = std::fabs(al2 - al1), beta = (al1 + al2) / 2;
    if (delta > std::numbers::pi) {
      delta = kTwoPi - delta;
      beta += std::numbers::pi;
    }
    double half_sin = std::sin(delta / 2);
    if (!(half_sin > 0) || !(value > 0)) return false;
    double dist = kind == JoinKind::kChamfer ? value / (2 * half_sin)
                                             : std::cos(delta / 2) * value / half_sin;
    Vec2 p1 = seg[0].start + Vec2(std::cos(al1), std::sin(al1)) * dist;
    Vec2 p2 = seg[1].start + Vec2(std::cos(al2), std::sin(al2)) * dist;
    double t1 = projection_parameter(p1, seg[0].start, seg[0].end).t;
    double t2 = projection_parameter(p2, seg[1].start, seg[1].end).t;
    if (!(t1 > 0 && t1 < 1 && t2 > 0 && t2 < 1)) return false;
    seg[0].start = p1;
    seg[1].start = p2;
    extra = {p1, p2};
    if (kind == JoinKind::kFillet) {
      fillet = true;
      centre = s + Vec2(std::cos(beta), std::sin(beta)) * (value / half_sin);
      a1 = direction_angle(centre, p1);
      a2 = direction_angle(centre, p2);
      if (a2 < a1) std::swap(a1, a2);
      if (std::fabs(a2 - a1) > std::numbers::pi) std::swap(a1, a2);
      if (a2 < a1) a2 += kTwoPi;
    }
  }

  record_changed(d, {&l1, &l2});
  set_start(l1, seg[0].start);
  set_end(l1, seg[0].end);
  set_start(l2, seg[1].start);
  set_end(l2, seg[1].end);
  if (kind == JoinKind::kChamfer) {
    Line* n = create_line_raw(d, l1.pen, l1.line_type, extra.start, extra.end);
    d.undo.tag(*n);
  } else if (fillet) {
    Circle c = make_element<Circle>(d.current_layer, l1.pen, l1.line_type);
    c.centre.x = centre.x;
    c.centre.y = centre.y;
    c.radius1 = c.radius2 = value;
    c.sweep = a2 - a1;
    c.start_angle = a1;
    c.axis_angle = 0;
    d.undo.tag(*create(d.store, c));
  }
  d.store.modified = true;
  return true;
}

int attach_selected(Drawing& d, LineSegment edge) {
  d.undo.record(d.store, kUndoSnapshot);
  int changed = 0;
  for (Element& e : d.store.list) {
    if (!e.selected) continue;
    e.selected = 0;
    Line* l = as<Line>(&e);
    if (!l) continue;
    LineCrossing x = line_intersection(l->start, l->end, edge.start, edge.end);
    if (!x.found) continue;
    double t = projection_parameter(x.point, l->start, l->end).t;
    if (t >= 0 && t <= 1) continue;
    if (distance(l->start, x.point) < distance(l->end, x.point)) set_start(*l, x.point);
    else set_end(*l, x.point);
    ++changed;
  }
  if (changed) d.store.modified = true;
  return changed;
}

int cut_selected(Drawing& d, LineSegment edge) {
  d.undo.record(d.store, kUndoSnapshot);
  int split = 0;
  Element* last = d.store.tail();  // new pieces are appended after it and not looked at again
  for (Element* e = d.store.head(); e; e = e == last ? nullptr : e->next) {
    if (!e->selected) continue;
    e->selected = 0;
    Line* l = as<Line>(e);
    if (!l) continue;
    LineCrossing x = line_intersection(l->start, l->end, edge.start, edge.end);
    if (!x.found) continue;
    double t = projection_parameter(x.point, l->start, l->end).t;
    if (!(t > 0 && t < 1)) continue;
    Line* piece = create_line_raw(d, l->pen, l->line_type, x.point, l->end);
    d.undo.tag(*piece);
    set_end(*l, x.point);
    ++split;
  }
  return split;
}

bool extend_line(Drawing& d, Line& line, Vec2 pick) {
  // Work on the line turned so that the picked end is its end.
  Line probe = line;
  bool picked_start = projection_parameter(pick, line.start, line.end).t < 0.5;
  if (picked_start) std::swap(probe.start, probe.end);
  double best = 10000;
  for_each_crossing(d, line, [&](double t_raw) {
    double t = picked_start ? 1 - t_raw : t_raw;
    if (t > 1.00001 && t < best - 1e-5) best = t;
  });
  if (best >= 9999.99999) return false;
  record_changed(d, {&line});
  Vec2 s = probe.start, e = probe.end;
  line.start = probe.start;
  line.end = probe.end;
  set_end(line, s + (e - s) * best);
  d.store.modified = true;
  return true;
}

bool erase_line_part(Drawing& d, Line& line, Vec2 p1, Vec2 p2) {
  Vec2 a = line.start, b = line.end;
  Projection f1 = projection_parameter(p1, a, b), f2 = projection_parameter(p2, a, b);
  if (f2.t < f1.t) std::swap(f1, f2);
  if (!(f1.t < 1 && f2.t > 0)) return false;
  if (f1.t <= 0 && f2.t >= 1) {
    d.deselect_all();
    line.selected = 1;
    d.undo.record(d.store, kUndoSnapshot);
    d.store.purge();
    return true;
  }
  record_changed(d, {&line});
  if (f1.t <= 0) {
    set_start(line, f2.foot);
  } else if (f2.t < 1) {
    Line* piece = create_line_raw(d, line.pen, line.line_type, f2.foot, b);
    d.undo.tag(*piece);
    set_end(line, f1.foot);
  } else {
    set_end(line, f1.foot);
  }
  d.store.modified = true;
  return true;
}

bool delete_line_part(Drawing& d, Line& line, Vec2 pick) {
  Vec2 a = line.start, b = line.end;
  double t0 = projection_parameter(pick, a, b).t;
  double lo = 0, hi = 1;
  for_each_crossing(d, line, [&](double t) {
    if (!(t > lo + 1e-5 && t < hi - 1e-5)) return;
    if (t <= t0) lo = t;
    else hi = t;
  });
  auto at = [&](double t) { return a + (b - a) * t; };
  if (std::fabs(lo) < 1e-6 && std::fabs(hi - 1) < 1e-6) {
    d.deselect_all();
    line.selected = 1;
    d.undo.record(d.store, kUndoSnapshot);
    d.store.purge();
    return true;
  }
  record_changed(d, {&line});
  if (lo > 0 && hi < 1) {
    Line* piece = create_line_raw(d, line.pen, line.line_type, at(hi), b);
    d.undo.tag(*piece);
    set_end(line, at(lo));
  } else if (lo > 0) {
    set_end(line, at(lo));
  } else {
    set_start(line, at(hi));
  }
  d.store.modified = true;
  return true;
}

namespace {

// Exact coordinates as hash keys: -0 and +0 compare equal and must hash alike.
std::uint64_t bits_of(double v) {
  if (v == 0) v = 0;
  std::uint64_t u;
  std::memcpy(&u, &v, sizeof u);
  return u;
}

template <std::size_t N>
struct ExactKey {
  std::array<double, N> v;
  bool operator==(const ExactKey& o) const {
    for (std::size_t i = 0; i < N; ++i)
      if (!(v[i] == o.v[i])) return false;
    return true;
  }
};

struct ExactHash {
  template <std::size_t N>
  std::size_t operator()(const ExactKey<N>& k) const {
    std::uint64_t h = 1469598103934665603ull;
    for (double x : k.v) h = (h ^ bits_of(x)) * 1099511628211ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};

// A line and its reverse give the same key: the lexically smaller end first.
ExactKey<4> line_key(const Line& l) {
  bool swap = l.end.x < l.start.x || (l.end.x == l.start.x && l.end.y < l.start.y);
  const Point2& p = swap ? l.end : l.start;
  const Point2& q = swap ? l.start : l.end;
  return {{p.x, p.y, q.x, q.y}};
}

}  // namespace

std::pair<int, int> remove_duplicates(Drawing& d) {
  d.deselect_all();
  std::unordered_set<ExactKey<4>, ExactHash> lines;
  std::unordered_set<ExactKey<7>, ExactHash> arcs;
  int nl = 0, na = 0;
  for (Element& e : d.store.list) {
    if (e.layer != d.current_layer) continue;
    if (const Line* l = as<Line>(&e)) {
      if (!lines.insert(line_key(*l)).second) {
        e.selected = 1;
        ++nl;
      }
    } else if (const Circle* c = as<Circle>(&e)) {
      ExactKey<7> k{{c->centre.x, c->centre.y, c->radius1, c->radius2, c->sweep, c->start_angle,
                     c->axis_angle}};
      if (!arcs.insert(k).second) {
        e.selected = 1;
        ++na;
      }
    }
  }
  d.undo.record(d.store, kUndoSnapshot);
  d.store.purge();
  return {nl, na};
}

std::string remove_duplicates_message(std::pair<int, int> counts) {
  std::string out;
  out += translate("Number of removed lines:");
  out += ' ' + std::to_string(counts.first) + '\n';
  out += translate("Number of removed arcs:");
  out += ' ' + std::to_string(counts.second) + '\n';
  return out;
}

}  // namespace korav
