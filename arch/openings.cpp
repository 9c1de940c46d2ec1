#include "arch/openings.h"

#include <algorithm>
#include <cmath>

#include "model/element_points.h"

namespace korav {

namespace {

constexpr double kOnLine = 1e-6;

PlanVec xy(const Point3& p) { return PlanVec(p); }

struct Body {
  PlanVec p0, p1, p2, p3;
  PlanVec u, v;  // along the wall from p0 to p1; across it towards the inner face
  double w = 0, d = 0;
};

bool body_of(const Opening& o, Body& b) {
  b.p0 = xy(o.corner[0]);
  b.p1 = xy(o.corner[1]);
  b.p2 = xy(o.corner[2]);
  b.p3 = xy(o.corner[3]);
  for (PlanVec p : {b.p0, b.p1, b.p2, b.p3})
    if (!finite(p)) return false;
  if (!(distance(b.p0, b.p1) > kOnLine)) return false;
  b.u = unit(b.p1 - b.p0);
  b.v = {-b.u.y, b.u.x};
  // The rebate and the reveals lie inside the wall whichever face is the outer one.
  if (dot(midpoint(b.p2, b.p3) - midpoint(b.p0, b.p1), b.v) < 0) b.v = -b.v;
  b.w = o.stop_width;
  b.d = o.stop_depth;
  return std::isfinite(b.w) && std::isfinite(b.d) && b.w >= 0 && b.d >= 0;
}

// True when the segment a→b lies on the outline line l (collinear, both ends within it).
bool carries(const OutlineLine& l, PlanVec a, PlanVec b) {
  const PlanVec s(l.start), e(l.end);
  const double len = distance(s, e);
  if (!(len > kOnLine)) return false;
  const PlanVec dir = (1 / len) * (e - s);
  for (PlanVec p : {a, b}) {
    if (std::fabs(cross(dir, p - s)) > kOnLine) return false;
    const double t = dot(p - s, dir);
    if (t < -kOnLine || t > len + kOnLine) return false;
  }
  return true;
}

// The line split at the gap a..b that it carries; pieces of no length are left out.
void split(const OutlineLine& l, PlanVec a, PlanVec b, std::vector<OutlineLine>& out) {
  const PlanVec s(l.start), e(l.end);
  if (parameter_on(a, s, e) > parameter_on(b, s, e)) std::swap(a, b);
  if (distance(s, a) > kOnLine) out.push_back({l.start, stored(a)});
  if (distance(b, e) > kOnLine) out.push_back({stored(b), l.end});
}

void add_line(std::vector<OutlineLine>& out, PlanVec a, PlanVec b) {
  if (distance(a, b) > kOnLine) out.push_back({stored(a), stored(b)});
}

// The opening's extent along the wall direction `along`, its stop included.
void extent(const Opening& o, PlanVec along, double& lo, double& hi) {
  Body b;
  if (!body_of(o, b)) {
    lo = hi = 0;
    return;
  }
  lo = hi = dot(b.p0, along);
  for (PlanVec p : {b.p1, b.p3 - b.w * b.u, b.p2 + b.w * b.u}) {
    lo = std::min(lo, dot(p, along));
    hi = std::max(hi, dot(p, along));
  }
}

bool usable(const Wall& w) { return tail_intact(w); }

void record_one(Drawing& d, Element& e) {
  d.deselect_all();
  e.selected = 1;
  d.undo.record(d.store, kUndoSnapshot);
  e.selected = 0;
}

double distance_to_segment(PlanVec p, PlanVec a, PlanVec b) {
  const double t = std::clamp(parameter_on(p, a, b), 0.0, 1.0);
  return distance(p, at_parameter(a, b, t));
}

}  // namespace

std::string_view opening_fit_message(OpeningFit f) {
  switch (f) {
    case OpeningFit::kTooMany: return kMsgTooManyOpenings;
    case OpeningFit::kDoesNotFit: return kMsgOpeningDoesNotFit;
    case OpeningFit::kOverlaps: return kMsgOpeningsOverlap;
    case OpeningFit::kFits: break;
  }
  return {};
}

std::optional<Opening> place_opening(const Wall& w, PlanVec start, PlanVec end, PlanVec outer_side,
                                     const OpeningPreset& preset, int kind) {
  if (!finite(start) || !finite(end) || !finite(outer_side)) return std::nullopt;
  const Footprint f = footprint(w);
  // Feet on the face c0→c1 and on the face c3→c2, increasing along the wall.
  double ta = parameter_on(start, f[0], f[1]), tb = parameter_on(end, f[0], f[1]);
  double ua = parameter_on(start, f[3], f[2]), ub = parameter_on(end, f[3], f[2]);
  if (ta > tb) {
    std::swap(ta, tb);
    std::swap(ua, ub);
  }
  const PlanVec a0 = at_parameter(f[0], f[1], ta), a1 = at_parameter(f[0], f[1], tb);
  const PlanVec b0 = at_parameter(f[3], f[2], ua), b1 = at_parameter(f[3], f[2], ub);
  if (!(distance(a0, a1) > kOnLine) || !(distance(b0, b1) > kOnLine)) return std::nullopt;

  const double to_first =
      distance(outer_side, at_parameter(f[0], f[1], parameter_on(outer_side, f[0], f[1])));
  const double to_second =
      distance(outer_side, at_parameter(f[3], f[2], parameter_on(outer_side, f[3], f[2])));
  const bool second_outer = to_second < to_first;
  const PlanVec p0 = second_outer ? b0 : a0, p1 = second_outer ? b1 : a1;
  const PlanVec p3 = second_outer ? a0 : b0, p2 = second_outer ? a1 : b1;

  Opening o{};
  const double bottom = w.corner[0].z + preset.base, top = bottom + preset.height;
  const PlanVec body[4] = {p0, p1, p2, p3};
  for (int i = 0; i < 4; ++i) {
    o.corner[i] = {body[i].x, body[i].y, bottom, 0};
    o.corner[i + 4] = {body[i].x, body[i].y, top, 0};
  }
  o.kind = static_cast<std::uint8_t>(kind);
  o.subtype = static_cast<std::uint8_t>(std::clamp(preset.subtype, 0, 255));
  o.leaf_side = 0;
  o.base = preset.base;
  o.height = preset.height;
  o.stop_width = preset.stop_width;
  o.stop_depth = preset.stop_depth;
  return o;
}

int leaf_side_at(const Opening& o, PlanVec l) {
  const PlanVec p0 = xy(o.corner[0]), p1 = xy(o.corner[1]), p3 = xy(o.corner[3]);
  const bool outer = distance(l, p0) < distance(l, p3);
  if (distance(l, p0) < distance(l, p1)) return outer ? 2 : 0;
  return outer ? 3 : 1;
}

OpeningFit cut_for_opening(std::span<const OutlineLine> lines, const Opening& o,
                           std::vector<OutlineLine>& out) {
  Body b;
  if (!body_of(o, b)) return OpeningFit::kDoesNotFit;
  const bool plain = b.w == 0 && b.d == 0;
  // The rebate must stay inside the wall.
  if (!plain && !(b.d < dot(b.p3 - b.p0, b.v) - kOnLine)) return OpeningFit::kDoesNotFit;
  const PlanVec g3 = b.p3 - b.w * b.u, g2 = b.p2 + b.w * b.u;  // the inner gap
  int outer = -1, inner = -1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (outer < 0 && carries(lines[i], b.p0, b.p1)) outer = static_cast<int>(i);
    else if (inner < 0 && carries(lines[i], g3, g2)) inner = static_cast<int>(i);
  }
  if (outer < 0 || inner < 0) return OpeningFit::kDoesNotFit;

  out.clear();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (static_cast<int>(i) == outer) split(lines[i], b.p0, b.p1, out);
    else if (static_cast<int>(i) == inner) split(lines[i], g3, g2, out);
    else out.push_back(lines[i]);
  }
  if (plain) {
    add_line(out, b.p0, b.p3);
    add_line(out, b.p1, b.p2);
  } else {
    const PlanVec s1 = b.p0 + b.d * b.v, s2 = s1 - b.w * b.u;
    add_line(out, b.p0, s1);
    add_line(out, s1, s2);
    add_line(out, s2, g3);
    const PlanVec e1 = b.p1 + b.d * b.v, e2 = e1 + b.w * b.u;
    add_line(out, b.p1, e1);
    add_line(out, e1, e2);
    add_line(out, e2, g2);
  }
  return OpeningFit::kFits;
}

namespace {

bool overlaps_any(const Footprint& f, std::span<const Opening> openings, const Opening& o) {
  const PlanVec along = unit(midpoint(f[1], f[2]) - midpoint(f[0], f[3]));
  double lo, hi;
  extent(o, along, lo, hi);
  for (const Opening& other : openings) {
    if (other.kind == kOpeningRemoved) continue;
    double a, b;
    extent(other, along, a, b);
    if (std::min(hi, b) - std::max(lo, a) > kOnLine) return true;
  }
  return false;
}

}  // namespace

OpeningFit opening_fits(const Wall& w, const Opening& o) {
  if (!usable(w)) return OpeningFit::kDoesNotFit;
  if (w.opening_count >= static_cast<std::uint32_t>(kMaxOpenings)) return OpeningFit::kTooMany;
  if (overlaps_any(footprint(w), wall_openings(w), o)) return OpeningFit::kOverlaps;
  std::vector<OutlineLine> scratch;
  return cut_for_opening(wall_lines(w), o, scratch);
}

Wall* insert_opening(Drawing& d, Wall& w, const Opening& o, OpeningFit* why) {
  OpeningFit fit = opening_fits(w, o);
  std::vector<OutlineLine> lines;
  if (fit == OpeningFit::kFits) fit = cut_for_opening(wall_lines(w), o, lines);
  if (why) *why = fit;
  if (fit != OpeningFit::kFits) return nullptr;
  std::vector<Opening> openings(wall_openings(w).begin(), wall_openings(w).end());
  openings.push_back(o);
  record_one(d, w);
  Wall* fresh = rebuilt_wall(d.store, w, lines, openings);
  if (!fresh) return nullptr;
  w.selected = 1;
  d.store.purge();
  return fresh;
}

void outline_with_openings(const Footprint& f, std::span<const Opening> openings,
                           std::vector<OutlineLine>& lines, std::vector<Opening>& kept) {
  const std::array<OutlineLine, 4> plain = plain_outline(f);
  lines.assign(plain.begin(), plain.end());
  kept.clear();
  std::vector<OutlineLine> next;
  for (const Opening& o : openings) {
    if (o.kind == kOpeningRemoved || kept.size() >= static_cast<std::size_t>(kMaxOpenings))
      continue;
    if (overlaps_any(f, kept, o)) continue;
    if (cut_for_opening(lines, o, next) != OpeningFit::kFits) continue;
    lines.swap(next);
    kept.push_back(o);
  }
}

OpeningRef find_opening(Drawing& d, PlanVec p, double reach) {
  OpeningRef best;
  double best_distance = reach;
  for (Element& e : d.store.list) {
    Wall* w = as<Wall>(&e);
    if (!w || w->layer != d.current_layer || !usable(*w)) continue;
    const std::span<const Opening> openings = wall_openings(*w);
    for (std::size_t i = 0; i < openings.size(); ++i) {
      const Opening& o = openings[i];
      if (o.kind == kOpeningRemoved) continue;
      const PlanVec c[4] = {xy(o.corner[0]), xy(o.corner[1]), xy(o.corner[2]), xy(o.corner[3])};
      int left = 0, right = 0;
      double dist = 1e300;
      for (int k = 0; k < 4; ++k) {
        const double s = cross(c[(k + 1) % 4] - c[k], p - c[k]);
        left += s >= 0;
        right += s <= 0;
        dist = std::min(dist, distance_to_segment(p, c[k], c[(k + 1) % 4]));
      }
      if (left == 4 || right == 4) dist = 0;
      if (std::isfinite(dist) && dist <= best_distance) {
        best_distance = dist;
        best = {w, static_cast<int>(i)};
      }
    }
  }
  return best;
}

void alter_opening(Drawing& d, const OpeningRef& r, int kind, int subtype, int leaf_side) {
  record_one(d, *r.wall);
  Opening& o = r.opening();
  o.kind = static_cast<std::uint8_t>(kind);
  o.subtype = static_cast<std::uint8_t>(std::clamp(subtype, 0, 255));
  o.leaf_side = static_cast<std::uint8_t>(std::clamp(leaf_side, 0, 3));
}

bool alter_opening_height(Drawing& d, const OpeningRef& r, double base, double height) {
  if (!std::isfinite(base) || !std::isfinite(height) || !(height > 0)) return false;
  record_one(d, *r.wall);
  Opening& o = r.opening();
  o.base = base;
  o.height = height;
  const double bottom = r.wall->corner[0].z + base;
  for (int i = 0; i < 4; ++i) {
    o.corner[i].z = bottom;
    o.corner[i + 4].z = bottom + height;
  }
  return true;
}

Wall* remove_opening(Drawing& d, const OpeningRef& r) {
  Wall& w = *r.wall;
  std::vector<Opening> openings(wall_openings(w).begin(), wall_openings(w).end());
  openings[static_cast<std::size_t>(r.index)].kind = kOpeningRemoved;
  std::vector<OutlineLine> lines;
  std::vector<Opening> kept;
  outline_with_openings(footprint(w), openings, lines, kept);
  record_one(d, w);
  Wall* fresh = rebuilt_wall(d.store, w, lines, kept);
  if (!fresh) return nullptr;
  w.selected = 1;
  d.store.purge();
  return fresh;
}

int dissolve_opening(Drawing& d, const OpeningRef& r, std::span<const SymbolStroke> strokes) {
  Wall& w = *r.wall;
  record_one(d, w);
  Opening& o = r.opening();
  o.subtype = 0;
  o.leaf_side = 0;
  o.spare = 0;
  int n = 0;
  for (const SymbolStroke& s : strokes) {
    Element* e = nullptr;
    if (s.arc) {
      Circle c = make_element<Circle>(d.current_layer, s.pen, s.line_type);
      c.centre = {s.cx, s.cy, 0};
      c.radius1 = s.a;
      c.radius2 = s.b;
      c.sweep = s.sweep;
      c.start_angle = s.start;
      c.axis_angle = s.rotation;
      e = create(d.store, c);
    } else {
      e = create_line(d.store, d.current_layer, s.pen, s.line_type, s.x1, s.y1, s.x2, s.y2);
    }
    if (e) {
      d.undo.tag(*e);
      ++n;
    }
  }
  return n;
}

}  // namespace korav
