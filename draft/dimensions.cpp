#include "draft/dimensions.h"

#include <algorithm>
#include <cmath>

#include "model/element_points.h"
#include "model/pens.h"

namespace korav {

namespace {

constexpr double kSameFoot = 0.0001;  // closer feet make no segment
constexpr double kRemoveNear = 0.001;

std::uint8_t byte(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

Vec2 v2(const Point2& p) { return {p.x, p.y}; }
Point2 p2(Vec2 v) { return {v.x, v.y, 0}; }

double along(Vec2 p, double angle) { return p.x * std::cos(angle) + p.y * std::sin(angle); }

void record_one(Drawing& d, Element& e) {
  d.deselect_all();
  e.selected = 1;
  d.undo.record(d.store, kUndoSnapshot);
  e.selected = 0;
}

// The copy of a dimension's fields for a new record (header reset by the store).
Dimension fields_of(const Dimension& dim) {
  Dimension f = dim;
  f.next = f.prev = nullptr;
  f.selected = 0;
  f.size = 0;
  f.count = 0;
  return f;
}

bool valid_index(const Dimension& dim, int index) {
  return index >= 0 && static_cast<std::uint32_t>(index) < dim.count;
}

void apply_style(Dimension& dim, const DimPreset& p) {
  dim.spacing[0] = p.spacing1;
  dim.spacing[1] = p.spacing2;
  dim.spacing[2] = p.spacing3;
  dim.display[0] = byte(p.display1);
  dim.display[1] = byte(p.display2);
  dim.unit_style = byte(p.unit_style >= 0 && p.unit_style <= static_cast<int>(kDimLastStyle)
                            ? p.unit_style
                            : 0);
  dim.mark_style = byte(p.mark_style >= 0 && p.mark_style <= 2 ? p.mark_style : 0);
  dim.extension = p.extension;
}

}  // namespace

Dimension new_dimension_fields(const Drawing& d, const DimPreset& preset, int kind,
                               double direction) {
  Dimension f = make_element<Dimension>(d.current_layer, d.guide_mode ? kGuidePen : preset.pen,
                                        byte(preset.line_type));
  f.font.set(preset.font);
  f.kind = byte(kind);
  f.direction = direction;
  f.figure_height = preset.figure_height;
  apply_style(f, preset);
  return f;
}

Vec2 foot_on_line(Vec2 p, Vec2 on, double angle) {
  const Vec2 u{std::cos(angle), std::sin(angle)};
  const double t = dot(p - on, u);
  return on + u * t;
}

DimPoint chain_point(const Settings& s, Vec2 p, Vec2 on, double angle) {
  DimPoint r;
  const Vec2 f = foot_on_line(p, on, angle);
  r.foot = p2(f);
  r.measured = s.link_to_elements ? p2(p) : p2(f);
  return r;
}

void normalise_chain(std::vector<DimPoint>& pts, double angle) {
  std::stable_sort(pts.begin(), pts.end(), [angle](const DimPoint& a, const DimPoint& b) {
    return along(v2(a.foot), angle) < along(v2(b.foot), angle);
  });
  std::vector<DimPoint> kept;
  kept.reserve(pts.size());
  for (DimPoint p : pts) {
    p.override_value = 0;
    p.extra[0] = p.extra[1] = p.extra[2] = 0;
    if (kept.empty()) {
      p.distance = 0;
      p.height_figure = 0;
      kept.push_back(p);
      continue;
    }
    p.distance = distance(v2(p.foot), v2(kept.back().foot));
    if (p.distance < kSameFoot) continue;
    kept.push_back(p);
  }
  pts = std::move(kept);
}

Dimension* add_dimension(Drawing& d, const Dimension& fields, std::span<const DimPoint> pts) {
  if (pts.empty()) return nullptr;
  if (pts.size() > static_cast<std::size_t>(kMaxDimensionPoints))
    pts = pts.first(kMaxDimensionPoints);
  Dimension* dim = create_dimension(d.store, fields, pts);
  d.undo.record(d.store, kUndoMarkLast, 1);
  return dim;
}

Dimension* replace_preview(Drawing& d, Dimension* preview, const Dimension& fields,
                           std::span<const DimPoint> pts) {
  if (preview && d.store.tail() == preview) d.store.remove_tail();
  if (pts.empty()) return nullptr;
  if (pts.size() > static_cast<std::size_t>(kMaxDimensionPoints))
    pts = pts.first(kMaxDimensionPoints);
  return create_dimension(d.store, fields, pts);
}

void finish_chain(Drawing& d, Dimension* preview) {
  if (preview && d.store.tail() == preview) d.undo.record(d.store, kUndoMarkLast, 1);
}

std::vector<DimPoint> points_of(const Dimension& dim) {
  const auto pts = dimension_points(dim);
  return {pts.begin(), pts.end()};
}

Dimension* replace_points(Drawing& d, Dimension& dim, std::span<const DimPoint> pts, bool first) {
  if (pts.size() > static_cast<std::size_t>(kMaxDimensionPoints))
    pts = pts.first(kMaxDimensionPoints);
  if (first) {
    record_one(d, dim);
  }
  Dimension* copy = nullptr;
  if (!pts.empty()) {
    copy = create_dimension(d.store, fields_of(dim), pts);
    copy->group = dim.group;
    if (first) d.undo.tag(*copy);
    else copy->undo_mask = dim.undo_mask;
  }
  d.deselect_all();
  dim.selected = 1;
  d.store.purge();
  return copy;
}

bool append_chain_point(const Settings& s, const Dimension& chain, Vec2 p,
                        std::vector<DimPoint>& pts) {
  if (pts.size() >= static_cast<std::size_t>(kMaxDimensionPoints)) return false;
  const Vec2 on = pts.empty() ? p : v2(pts.front().foot);
  pts.push_back(chain_point(s, p, on, chain.direction));
  normalise_chain(pts, chain.direction);
  return true;
}

int remove_chain_points(std::vector<DimPoint>& pts, Vec2 p) {
  const auto n = std::erase_if(pts, [p](const DimPoint& q) {
    return distance(v2(q.foot), p) <= kRemoveNear;
  });
  return static_cast<int>(n);
}

void set_override(Drawing& d, Dimension& dim, int index, double value) {
  if (!valid_index(dim, index) || !std::isfinite(value)) return;
  record_one(d, dim);
  dimension_points(dim)[static_cast<std::size_t>(index)].override_value = value;
}

void set_height_figure(Drawing& d, Dimension& dim, int index, double value) {
  if (!valid_index(dim, index) || !std::isfinite(value)) return;
  record_one(d, dim);
  dimension_points(dim)[static_cast<std::size_t>(index)].height_figure = value;
}

void restore_original(Drawing& d, Dimension& dim) {
  record_one(d, dim);
  for (DimPoint& p : dimension_points(dim)) {
    p.override_value = 0;
    p.extra[1] = p.extra[2] = 0;
  }
}

void move_figure(Drawing& d, Dimension& dim, int index, Vec2 by) {
  if (!valid_index(dim, index) || !std::isfinite(by.x) || !std::isfinite(by.y)) return;
  record_one(d, dim);
  const double c = std::cos(-dim.direction), s = std::sin(-dim.direction);
  DimPoint& p = dimension_points(dim)[static_cast<std::size_t>(index)];
  p.extra[1] -= by.x * c - by.y * s;
  p.extra[2] -= by.x * s + by.y * c;
}

namespace {

template <class Change>
int change_selected_dimensions(Drawing& d, Change change) {
  int n = 0;
  for (Element& e : d.store.list) {
    if (e.selected && e.type != kDimension) e.selected = 0;
    n += e.selected != 0;
  }
  if (n == 0) return 0;
  d.undo.record(d.store, kUndoSnapshot);
  for (Element& e : d.store.list) {
    if (!e.selected) continue;
    e.selected = 0;
    change(static_cast<Dimension&>(e));
  }
  return n;
}

}  // namespace

int set_selected_figure_height(Drawing& d, double millimetres) {
  if (!(millimetres > 0) || !std::isfinite(millimetres)) {
    d.deselect_all();
    return 0;
  }
  return change_selected_dimensions(d, [&](Dimension& dim) { dim.figure_height = millimetres; });
}

int restyle_selected(Drawing& d, const DimPreset& preset) {
  return change_selected_dimensions(d, [&](Dimension& dim) { apply_style(dim, preset); });
}

std::vector<DimPoint> wall_crossings(const Drawing& d, Vec2 on, double angle, Vec2 a, Vec2 b) {
  // The cut line runs from the end with the smaller parameter along the dimension line.
  if (along(b - on, angle) < along(a - on, angle)) std::swap(a, b);
  std::vector<DimPoint> out;
  auto cross = [&](Vec2 p, Vec2 q) {
    if (out.size() >= 100) return;
    const Vec2 r = b - a, s = q - p;
    const double den = r.x * s.y - r.y * s.x;
    if (den == 0 || !std::isfinite(den)) return;  // parallel or degenerate
    const Vec2 w = p - a;
    const double t = (w.x * s.y - w.y * s.x) / den;
    const double u = (w.x * r.y - w.y * r.x) / den;
    if (!(t >= 0 && t <= 1 && u >= 0 && u <= 1)) return;
    out.push_back(chain_point(d.settings, a + r * t, on, angle));
  };
  for (const Element& e : d.store.list) {
    const Wall* w = as<Wall>(&e);
    if (!w || w->layer != d.current_layer || !tail_intact(*w)) continue;
    cross({w->corner[0].x, w->corner[0].y}, {w->corner[1].x, w->corner[1].y});
    cross({w->corner[2].x, w->corner[2].y}, {w->corner[3].x, w->corner[3].y});
    for (const OutlineLine& l : wall_lines(*w)) cross(v2(l.start), v2(l.end));
  }
  if (out.size() > static_cast<std::size_t>(kMaxDimensionPoints)) out.resize(kMaxDimensionPoints);
  return out;
}

std::vector<DimPoint> circle_dimension_points(const Circle& c, Vec2 through) {
  const Vec2 centre = v2(c.centre);
  Vec2 dir = through - centre;
  const double len = std::hypot(dir.x, dir.y);
  dir = len > 0 ? dir * (1 / len) : Vec2{1, 0};
  const Vec2 on = centre + dir * c.radius1;
  std::vector<DimPoint> pts(3);
  pts[0].foot = pts[0].measured = p2(centre);
  pts[1].foot = pts[1].measured = p2(on);
  pts[2].foot = pts[2].measured = p2(through);
  return pts;
}

DimPoint height_point(const Settings& s, Vec2 position, Vec2 p) {
  DimPoint r;
  r.foot = {position.x, p.y, 0};
  r.measured = s.link_to_elements ? p2(p) : r.foot;
  return r;
}

}  // namespace korav
