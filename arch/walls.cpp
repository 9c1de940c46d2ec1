#include "arch/walls.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "arch/openings.h"
#include "arch/wall_index.h"
#include "model/element_points.h"

namespace korav {

namespace {

// Lengths below this are points; a point this near a side lies on it.
constexpr double kOnSide = 1e-6;
// Footprint boxes grow by this much on every side before two walls may meet.
constexpr double kMeetMargin = 0.01;

bool usable(const Wall& w) {
  if (!tail_intact(w)) return false;
  for (const Point3& c : w.corner)
    if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.z)) return false;
  return true;
}

double signed_area(const Footprint& f) {
  double a = 0;
  for (int i = 0; i < 4; ++i) a += cross(f[i], f[(i + 1) % 4]);
  return a / 2;
}

// A footprint turned counter-clockwise, for the inside tests of the connection.
struct Quad {
  Footprint c;
  bool ok = false;
  explicit Quad(const Footprint& f) : c(f) {
    const double a = signed_area(f);
    ok = std::isfinite(a) && std::fabs(a) > 1e-12;
    if (a < 0) std::reverse(c.begin(), c.end());
    for (int i = 0; i < 4 && ok; ++i) ok = length(c[(i + 1) % 4] - c[i]) > 1e-12;
  }
  PlanVec side(int k) const { return c[(k + 1) % 4] - c[k]; }
  // Positive inside, the distance from side k's line.
  double inside(int k, PlanVec p) const { return cross(unit(side(k)), p - c[k]); }
};

PlanVec centre_of(const Footprint& f) { return 0.25 * (f[0] + f[1] + f[2] + f[3]); }

PlanBox box_of(const Wall& w, double margin) {
  PlanBox b{w.corner[0].x, w.corner[0].y, w.corner[0].x, w.corner[0].y};
  for (int i = 1; i < 4; ++i) {
    b.x0 = std::min(b.x0, w.corner[i].x);
    b.y0 = std::min(b.y0, w.corner[i].y);
    b.x1 = std::max(b.x1, w.corner[i].x);
    b.y1 = std::max(b.y1, w.corner[i].y);
  }
  return {b.x0 - margin, b.y0 - margin, b.x1 + margin, b.y1 + margin};
}

void height_range(const Wall& w, double& lo, double& hi) {
  lo = hi = w.corner[0].z;
  for (const Point3& c : w.corner) {
    lo = std::min(lo, c.z);
    hi = std::max(hi, c.z);
  }
}

bool heights_overlap(const Wall& a, const Wall& b) {
  double a0, a1, b0, b1;
  height_range(a, a0, a1);
  height_range(b, b0, b1);
  return a0 < b1 - 1e-9 && b0 < a1 - 1e-9;
}

bool same_point(const Point2& a, const Point2& b) { return a.x == b.x && a.y == b.y; }

bool same_lines(std::span<const OutlineLine> a, std::span<const OutlineLine> b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!same_point(a[i].start, b[i].start) || !same_point(a[i].end, b[i].end)) return false;
  return true;
}

// The modify-in-place protocol for the given elements: selected, recorded as one snapshot,
// deselected.
void record_changed(Drawing& d, std::span<Element* const> elements) {
  d.deselect_all();
  for (Element* e : elements) e->selected = 1;
  d.undo.record(d.store, kUndoSnapshot);
  for (Element* e : elements) e->selected = 0;
}

// Frees the given records (they are in the store) and nothing else.
void delete_walls(Drawing& d, std::span<Wall* const> walls) {
  d.deselect_all();
  for (Wall* w : walls) w->selected = 1;
  d.store.purge();
}

void set_footprint(Wall& w, const Footprint& f) {
  for (int i = 0; i < 4; ++i) {
    w.corner[i].x = w.corner[i + 4].x = f[i].x;
    w.corner[i].y = w.corner[i + 4].y = f[i].y;
  }
}

// Moves the corners at one end of the wall (1 and 2 for the far end, else 0 and 3) to the
// crossings of its faces with the line a→b, top corners and the outline line ends lying
// exactly on them included. False (nothing moved) when a face is parallel to the line.
// Where the faces c0→c1 and c3→c2 cross the line a→b; false when one is parallel to it.
bool faces_meet(const Wall& w, PlanVec a, PlanVec b, PlanVec& on_first, PlanVec& on_second) {
  const Footprint f = footprint(w);
  return cross_lines(f[0], f[1], a, b, on_first) && cross_lines(f[3], f[2], a, b, on_second);
}

bool move_end_to_line(Wall& w, bool far_end, PlanVec a, PlanVec b) {
  PlanVec on_first, on_second;
  if (!faces_meet(w, a, b, on_first, on_second)) return false;
  const int i = far_end ? 1 : 0, j = far_end ? 2 : 3;
  const PlanVec to[2] = {on_first, on_second};
  const int which[2] = {i, j};
  for (int k = 0; k < 2; ++k) {
    const Point3 old = w.corner[which[k]];
    for (OutlineLine& l : wall_lines(w)) {
      if (l.start.x == old.x && l.start.y == old.y) l.start = {to[k].x, to[k].y, l.start.mark};
      if (l.end.x == old.x && l.end.y == old.y) l.end = {to[k].x, to[k].y, l.end.mark};
    }
    for (int c : {which[k], which[k] + 4}) {
      w.corner[c].x = to[k].x;
      w.corner[c].y = to[k].y;
    }
  }
  return true;
}

bool on_visible_layer(const Drawing& d, const Element& e) {
  return layer_visible(d.layers, d.current_layer, e.layer);
}

}  // namespace

// ---- Geometry ----

Footprint axis_footprint(PlanVec a, PlanVec b, double thickness) {
  const PlanVec dir = unit(b - a);
  const PlanVec n{dir.y, -dir.x};  // (sin θ, −cos θ)
  const PlanVec h = (thickness / 2) * n;
  return {a + h, b + h, b - h, a - h};
}

Footprint side_footprint(PlanVec a, PlanVec b, double thickness, PlanVec side) {
  const PlanVec dir = unit(b - a);
  PlanVec n{dir.y, -dir.x};
  if (dot(side - a, n) < 0) n = -n;
  const PlanVec t = thickness * n;
  // The face a→b, the body across it; corners in the order of an axis wall on the same side.
  if (cross(b - a, t) > 0) return {a, b, b + t, a + t};
  return {a + t, b + t, b, a};
}

bool rectangle_footprint(PlanVec a, PlanVec c, Footprint& out) {
  if (!finite(a) || !finite(c) || a.x == c.x || a.y == c.y) return false;
  const double x0 = std::min(a.x, c.x), x1 = std::max(a.x, c.x);
  const double y0 = std::min(a.y, c.y), y1 = std::max(a.y, c.y);
  if (x1 - x0 > y1 - y0) out = {PlanVec{x0, y0}, PlanVec{x1, y0}, PlanVec{x1, y1}, PlanVec{x0, y1}};
  else out = {PlanVec{x1, y0}, PlanVec{x1, y1}, PlanVec{x0, y1}, PlanVec{x0, y0}};
  return true;
}

Footprint footprint(const Wall& w) {
  return {PlanVec(w.corner[0]), PlanVec(w.corner[1]), PlanVec(w.corner[2]), PlanVec(w.corner[3])};
}

PlanVec axis_start(const Wall& w) { return midpoint(PlanVec(w.corner[0]), PlanVec(w.corner[3])); }
PlanVec axis_end(const Wall& w) { return midpoint(PlanVec(w.corner[1]), PlanVec(w.corner[2])); }

std::array<OutlineLine, 4> plain_outline(const Footprint& f) {
  std::array<OutlineLine, 4> out;
  for (int i = 0; i < 4; ++i) out[i] = {stored(f[i]), stored(f[(i + 1) % 4])};
  return out;
}

Wall new_wall_fields(const WallPreset& preset, int layer, bool guide_mode, const Footprint& f) {
  Wall w = make_element<Wall>(layer, guide_mode ? kGuidePen : preset.pen, preset.line_type);
  w.material.set(preset.material);
  for (int i = 0; i < 4; ++i) {
    w.corner[i] = {f[i].x, f[i].y, preset.base, 0};
    w.corner[i + 4] = {f[i].x, f[i].y, preset.base + preset.height, 0};
  }
  return w;
}

Wall* rebuilt_wall(ElementStore& store, const Wall& old, std::span<const OutlineLine> lines,
                   std::span<const Opening> openings) {
  Wall fields = old;
  fields.line_count = fields.opening_count = 0;
  Wall* w = create_wall(store, fields, lines, openings);
  if (!w) return nullptr;
  w->group = old.group;
  w->undo_mask = old.undo_mask;
  return w;
}

// ---- Creating ----

Wall* add_wall(Drawing& d, const WallPreset& preset, const Footprint& f) {
  for (const PlanVec& p : f)
    if (!finite(p)) return nullptr;
  if (!(std::fabs(signed_area(f)) > 1e-12)) return nullptr;
  const std::array<OutlineLine, 4> lines = plain_outline(f);
  Wall* w =
      create_wall(d.store, new_wall_fields(preset, d.current_layer, d.guide_mode, f), lines, {});
  if (w) d.undo.record(d.store, kUndoMarkLast, 1);
  return w;
}

Wall* add_gable_wall(Drawing& d, const WallPreset& preset, PlanVec a, PlanVec b, double base,
                     double height, double ridge) {
  if (!finite(a) || !finite(b) || !std::isfinite(base) || !std::isfinite(height) ||
      !std::isfinite(ridge) || !(height > 0))
    return nullptr;
  WallPreset p = preset;
  p.base = base;
  p.height = height;
  const Footprint f = axis_footprint(a, b, p.thickness);
  if (!(std::fabs(signed_area(f)) > 1e-12)) return nullptr;
  Wall fields = new_wall_fields(p, d.current_layer, d.guide_mode, f);
  if (ridge > height) {
    // The ridge stands over the middle of each long side.
    fields.gable = 1;
    const Point3* c = fields.corner;
    fields.gable_point[0] = {(c[0].x + c[1].x) / 2, (c[0].y + c[1].y) / 2, base + ridge, 1};
    fields.gable_point[1] = {(c[3].x + c[2].x) / 2, (c[3].y + c[2].y) / 2, base + ridge, 0};
  }
  const std::array<OutlineLine, 4> lines = plain_outline(f);
  Wall* w = create_wall(d.store, fields, lines, {});
  if (w) d.undo.record(d.store, kUndoMarkLast, 1);
  return w;
}

// ---- Connecting and separating ----

bool walls_connectable(const Wall& a, const Wall& b) {
  return box_of(a, kMeetMargin).overlaps(box_of(b, kMeetMargin)) && heights_overlap(a, b);
}

void cut_at_wall(std::span<const OutlineLine> lines, const Wall& self, const Wall& other,
                 bool keep_shared, std::vector<OutlineLine>& out) {
  const Quad q(footprint(other));
  if (!q.ok) {
    out.insert(out.end(), lines.begin(), lines.end());
    return;
  }
  const PlanVec centre = centre_of(footprint(self));

  // Whether the piece of a line around m (running along dir) stays.
  auto keeps = [&](PlanVec m, PlanVec dir) {
    int nearest = 0;
    double least = q.inside(0, m);
    for (int k = 1; k < 4; ++k) {
      const double s = q.inside(k, m);
      if (s < least) {
        least = s;
        nearest = k;
      }
    }
    if (least > kOnSide) return false;  // inside the other wall
    if (least < -kOnSide) return true;  // outside it
    const PlanVec side = unit(q.side(nearest));
    if (std::fabs(cross(side, dir)) > 1e-6) return true;  // only touching it
    const PlanVec into_other{-side.y, side.x};
    const double mine = dot(centre - m, into_other);
    if (std::fabs(mine) <= kOnSide) return true;
    return mine > 0 ? keep_shared : false;  // a shared face, or the joint between the two
  };

  for (const OutlineLine& l : lines) {
    const PlanVec a(l.start), b(l.end);
    const PlanVec dir = unit(b - a);
    if (!finite(a) || !finite(b) || length(b - a) <= kOnSide) {
      out.push_back(l);
      continue;
    }
    // Where the line crosses the other's side lines, in its parameter.
    double t[6] = {0, 1, 0, 0, 0, 0};
    int n = 2;
    for (int k = 0; k < 4; ++k) {
      const double sa = q.inside(k, a), sb = q.inside(k, b);
      if ((sa > kOnSide && sb < -kOnSide) || (sa < -kOnSide && sb > kOnSide)) {
        const double s = sa / (sa - sb);
        if (s > 1e-9 && s < 1 - 1e-9) t[n++] = s;
      }
    }
    for (int i = 1; i < n; ++i)  // a handful of values: insertion sort
      for (int j = i; j > 0 && t[j] < t[j - 1]; --j) std::swap(t[j], t[j - 1]);
    // Runs of pieces that stay, merged.
    double run_start = 0;
    bool in_run = false;
    auto emit = [&](double t0, double t1) {
      const PlanVec p = t0 == 0 ? a : at_parameter(a, b, t0);
      const PlanVec e = t1 == 1 ? b : at_parameter(a, b, t1);
      if (distance(p, e) > kOnSide)
        out.push_back({t0 == 0 ? l.start : stored(p), t1 == 1 ? l.end : stored(e)});
    };
    for (int i = 0; i + 1 < n; ++i) {
      if (t[i + 1] - t[i] <= 1e-12) continue;
      const bool keep = keeps(at_parameter(a, b, (t[i] + t[i + 1]) / 2), dir);
      if (keep && !in_run) {
        run_start = t[i];
        in_run = true;
      } else if (!keep && in_run) {
        emit(run_start, t[i]);
        in_run = false;
      }
    }
    if (in_run) emit(run_start, 1);
  }
}

int connect_walls(Drawing& d, Wall& a, Wall& b) {
  if (&a == &b || !usable(a) || !usable(b) || !walls_connectable(a, b)) return 0;
  std::vector<OutlineLine> la, lb;
  cut_at_wall(wall_lines(a), a, b, true, la);
  cut_at_wall(wall_lines(b), b, a, false, lb);
  const bool change_a = !same_lines(la, wall_lines(a));
  const bool change_b = !same_lines(lb, wall_lines(b));
  if (!change_a && !change_b) return 0;
  Element* both[2] = {&a, &b};
  record_changed(d, both);
  std::vector<Wall*> old;
  if (change_a && rebuilt_wall(d.store, a, la, wall_openings(a))) old.push_back(&a);
  if (change_b && rebuilt_wall(d.store, b, lb, wall_openings(b))) old.push_back(&b);
  delete_walls(d, old);
  return static_cast<int>(old.size());
}

int connect_all_walls(Drawing& d) {
  std::vector<Wall*> walls;
  for (Element& e : d.store.list)
    if (Wall* w = as<Wall>(&e); w && w->layer == d.current_layer && usable(*w)) walls.push_back(w);
  if (walls.size() < 2) return 0;
  std::vector<PlanBox> boxes;
  boxes.reserve(walls.size());
  for (const Wall* w : walls) boxes.push_back(box_of(*w, kMeetMargin));
  BoxGrid grid(boxes);

  // The new outlines of the walls that change, one after another in one array.
  std::vector<OutlineLine> lines, current, next;
  struct Change {
    std::size_t wall, first, count;
  };
  std::vector<Change> changes;
  for (std::size_t i = 0; i < walls.size(); ++i) {
    const Wall& w = *walls[i];
    const std::span<const OutlineLine> own = wall_lines(w);
    current.assign(own.begin(), own.end());
    grid.for_each_overlapping(i, [&](std::size_t j) {
      if (!heights_overlap(w, *walls[j])) return;
      next.clear();
      cut_at_wall(current, w, *walls[j], i < j, next);
      current.swap(next);
    });
    if (same_lines(current, own)) continue;
    changes.push_back({i, lines.size(), current.size()});
    lines.insert(lines.end(), current.begin(), current.end());
  }
  if (changes.empty()) return 0;

  d.deselect_all();
  for (Wall* w : walls) w->selected = 1;
  d.undo.record(d.store, kUndoSnapshot);
  d.deselect_all();
  std::vector<Wall*> old;
  old.reserve(changes.size());
  for (const Change& c : changes) {
    Wall& w = *walls[c.wall];
    const std::span<const OutlineLine> outline(lines.data() + c.first, c.count);
    if (rebuilt_wall(d.store, w, outline, wall_openings(w))) old.push_back(&w);
  }
  delete_walls(d, old);
  return static_cast<int>(old.size());
}

namespace {

// The wall's separated outline and the openings that go in again; false when it would not
// change.
bool separated(const Wall& w, std::vector<OutlineLine>& lines, std::vector<Opening>& kept) {
  outline_with_openings(footprint(w), wall_openings(w), lines, kept);
  const std::span<const Opening> had = wall_openings(w);
  return !(same_lines(lines, wall_lines(w)) && kept.size() == had.size());
}

}  // namespace

Wall* separate_wall(Drawing& d, Wall& w) {
  if (!usable(w)) return nullptr;
  std::vector<OutlineLine> lines;
  std::vector<Opening> kept;
  if (!separated(w, lines, kept)) return nullptr;
  Element* one[1] = {&w};
  record_changed(d, one);
  Wall* fresh = rebuilt_wall(d.store, w, lines, kept);
  if (!fresh) return nullptr;
  Wall* old[1] = {&w};
  delete_walls(d, old);
  return fresh;
}

int separate_all_walls(Drawing& d) {
  std::vector<Wall*> walls;
  for (Element& e : d.store.list)
    if (Wall* w = as<Wall>(&e); w && w->layer == d.current_layer && usable(*w)) walls.push_back(w);
  std::vector<OutlineLine> lines, all_lines;
  std::vector<Opening> kept, all_openings;
  struct Change {
    Wall* wall;
    std::size_t first_line, lines, first_opening, openings;
  };
  std::vector<Change> changes;
  for (Wall* w : walls) {
    lines.clear();
    kept.clear();
    if (!separated(*w, lines, kept)) continue;
    changes.push_back({w, all_lines.size(), lines.size(), all_openings.size(), kept.size()});
    all_lines.insert(all_lines.end(), lines.begin(), lines.end());
    all_openings.insert(all_openings.end(), kept.begin(), kept.end());
  }
  if (changes.empty()) return 0;
  d.deselect_all();
  for (Wall* w : walls) w->selected = 1;
  d.undo.record(d.store, kUndoSnapshot);
  d.deselect_all();
  std::vector<Wall*> old;
  for (const Change& c : changes) {
    const std::span<const OutlineLine> l(all_lines.data() + c.first_line, c.lines);
    const std::span<const Opening> o(all_openings.data() + c.first_opening, c.openings);
    if (rebuilt_wall(d.store, *c.wall, l, o)) old.push_back(c.wall);
  }
  delete_walls(d, old);
  return static_cast<int>(old.size());
}

// ---- Changing the body ----

bool join_walls(Drawing& d, Wall& a, Wall& b) {
  if (&a == &b || a.gable || b.gable || !usable(a) || !usable(b)) return false;
  const PlanVec sa = axis_start(a), ea = axis_end(a), sb = axis_start(b), eb = axis_end(b);
  PlanVec x;
  if (!cross_lines(sa, ea, sb, eb, x)) return false;
  Wall na = a, nb = b;  // the fixed parts, with the new corners
  struct Pair {
    Wall& w;
    PlanVec s, e, other_s, other_e;
  };
  for (const Pair& p : {Pair{na, sa, ea, sb, eb}, Pair{nb, sb, eb, sa, ea}}) {
    // The end nearer to the crossing moves onto the other axis line.
    const bool far_end = parameter_on(x, p.s, p.e) >= 0.5;
    const Footprint f = footprint(p.w);
    PlanVec on_first, on_second;
    if (!cross_lines(f[0], f[1], p.other_s, p.other_e, on_first) ||
        !cross_lines(f[3], f[2], p.other_s, p.other_e, on_second))
      return false;
    Footprint g = f;
    g[far_end ? 1 : 0] = on_first;
    g[far_end ? 2 : 3] = on_second;
    if (!(std::fabs(signed_area(g)) > 1e-12)) return false;
    set_footprint(p.w, g);
  }
  Element* both[2] = {&a, &b};
  record_changed(d, both);
  na.undo_mask = a.undo_mask;
  nb.undo_mask = b.undo_mask;
  std::vector<OutlineLine> lines;
  std::vector<Opening> kept;
  outline_with_openings(footprint(na), wall_openings(a), lines, kept);
  rebuilt_wall(d.store, na, lines, kept);
  outline_with_openings(footprint(nb), wall_openings(b), lines, kept);
  rebuilt_wall(d.store, nb, lines, kept);
  Wall* old[2] = {&a, &b};
  delete_walls(d, old);
  return true;
}

int attach_walls(Drawing& d, PlanVec a, PlanVec b) {
  struct Move {
    Wall* wall;
    bool far_end;
  };
  std::vector<Move> moves;
  std::vector<Element*> selected;
  for (Element& e : d.store.list) {
    if (!e.selected) continue;
    selected.push_back(&e);
    Wall* w = as<Wall>(&e);
    if (!w || w->gable || !usable(*w)) continue;
    const PlanVec s = axis_start(*w), t = axis_end(*w);
    PlanVec x;
    if (!cross_lines(s, t, a, b, x)) continue;
    const double u = parameter_on(x, s, t);
    if (u >= 0 && u <= 1) continue;
    moves.push_back({w, distance(x, t) <= distance(x, s)});
  }
  if (moves.empty()) {
    d.deselect_all();
    return 0;
  }
  record_changed(d, selected);
  int n = 0;
  for (const Move& m : moves) n += move_end_to_line(*m.wall, m.far_end, a, b);
  d.deselect_all();
  return n;
}

bool extend_wall(Drawing& d, Wall& w, PlanVec pick) {
  if (w.gable || !usable(w)) return false;
  const PlanVec s = axis_start(w), e = axis_end(w);
  const bool far_end = parameter_on(pick, s, e) >= 0.5;
  // The axis from the end that stays through the end that moves: beyond it is t > 1.
  const PlanVec from = far_end ? s : e, to = far_end ? e : s;
  double best = 10000;
  PlanVec best_a, best_b;
  bool found = false;
  auto consider = [&](PlanVec q0, PlanVec q1) {
    const PlanVec d1 = to - from, d2 = q1 - q0;
    const double den = cross(d1, d2);
    if (!(std::fabs(den) > 1e-12)) return;
    const double t = cross(q0 - from, d2) / den;
    const double t2 = cross(q0 - from, d1) / den;
    if (!(t2 > -1e-5 && t2 < 1.00001) || !(t > 1.00001)) return;
    if (t < best - 1e-5) {
      best = t;
      best_a = q0;
      best_b = q1;
      found = true;
    }
  };
  // The first crossing beyond the moving end, along the axis line: only elements whose box
  // that line crosses can have one.
  auto search = [&](const auto& elements) {
    best = 10000;
    found = false;
    for (const Element* el : elements) {
      if (el == &w || !on_visible_layer(d, *el)) continue;
      if (const Line* l = as<Line>(el)) {
        consider(PlanVec(l->start), PlanVec(l->end));
      } else if (const Wall* o = as<Wall>(el)) {
        const Footprint f = footprint(*o);
        for (int k = 0; k < 4; ++k) consider(f[k], f[(k + 1) % 4]);
      }
    }
    return std::array<double, 6>{found ? 1.0 : 0.0, best, best_a.x, best_a.y, best_b.x, best_b.y};
  };
  const std::array<double, 6> r = search_elements(
      d, "wall crossings",
      [&](SpatialIndex& index) { return index.query_line(from.x, from.y, to.x, to.y); }, search);
  found = r[0] != 0;
  best_a = {r[2], r[3]};
  best_b = {r[4], r[5]};
  if (!found) return false;
  PlanVec on_first, on_second;
  if (!faces_meet(w, best_a, best_b, on_first, on_second)) return false;
  Element* one[1] = {&w};
  record_changed(d, one);
  return move_end_to_line(w, far_end, best_a, best_b);
}

bool erase_wall_part(Drawing& d, Wall& w, PlanVec p, PlanVec q) {
  if (w.gable || !usable(w) || !finite(p) || !finite(q)) return false;
  const PlanVec s = axis_start(w), e = axis_end(w);
  double t1 = parameter_on(p, s, e), t2 = parameter_on(q, s, e);
  if (t1 > t2) {
    std::swap(t1, t2);
    std::swap(p, q);
  }
  if (t1 >= 1 || t2 <= 0) return false;
  const Footprint f = footprint(w);
  auto feet = [&](PlanVec at, PlanVec& on_first, PlanVec& on_second) {
    on_first = at_parameter(f[0], f[1], parameter_on(at, f[0], f[1]));
    on_second = at_parameter(f[3], f[2], parameter_on(at, f[3], f[2]));
  };
  std::vector<Footprint> parts;
  if (t1 > 0) {
    PlanVec a, b;
    feet(p, a, b);
    parts.push_back({f[0], a, b, f[3]});
  }
  if (t2 < 1) {
    PlanVec a, b;
    feet(q, a, b);
    parts.push_back({a, f[1], f[2], b});
  }
  Element* one[1] = {&w};
  record_changed(d, one);
  std::vector<OutlineLine> lines;
  std::vector<Opening> kept;
  for (const Footprint& g : parts) {
    if (!(std::fabs(signed_area(g)) > 1e-12)) continue;
    Wall part = w;
    set_footprint(part, g);
    outline_with_openings(g, wall_openings(w), lines, kept);
    rebuilt_wall(d.store, part, lines, kept);
  }
  Wall* old[1] = {&w};
  delete_walls(d, old);
  return true;
}

int set_wall_heights(Drawing& d, double base, double height) {
  if (!std::isfinite(base) || !std::isfinite(height)) return 0;
  std::vector<Element*> walls;
  for (Element& e : d.store.list)
    if (e.selected && e.type == kWall && usable(static_cast<Wall&>(e))) walls.push_back(&e);
  if (walls.empty()) {
    d.deselect_all();
    return 0;
  }
  record_changed(d, walls);
  for (Element* e : walls) {
    Wall& w = static_cast<Wall&>(*e);
    for (int i = 0; i < 4; ++i) {
      w.corner[i].z = base;
      w.corner[i + 4].z = base + height;
    }
    for (Opening& o : wall_openings(w))
      for (int i = 0; i < 4; ++i) {
        o.corner[i].z = base + o.base;
        o.corner[i + 4].z = base + o.base + o.height;
      }
  }
  d.deselect_all();
  return static_cast<int>(walls.size());
}

}  // namespace korav
