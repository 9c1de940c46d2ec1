#include "model/element_box.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/element_points.h"

namespace korav {

namespace {

bool finite(const Box& b) {
  return std::isfinite(b.x1) && std::isfinite(b.y1) && std::isfinite(b.x2) && std::isfinite(b.y2);
}

double reach(const Circle& c) { return std::max(std::fabs(c.radius1), std::fabs(c.radius2)); }

void add_round(Box& b, double cx, double cy, double r) {
  b.add(cx - r, cy - r);
  b.add(cx + r, cy + r);
}

// How far an opening's symbol (leaves and their swings, frames, the middle line) may reach
// from the opening's corners.
double opening_reach(const Wall& w) {
  double m = 0;
  for (const Opening& o : wall_openings(w)) {
    const double width = std::hypot(o.corner[1].x - o.corner[0].x, o.corner[1].y - o.corner[0].y);
    m = std::max(m, 2 * (width + std::fabs(o.stop_width) + std::fabs(o.stop_depth)) + 0.5);
  }
  return m;  // NaN stays NaN and leaves the wall unbounded
}

}  // namespace

ElementBox element_box(const Element& e, const TextExtentFn& text_extent, double drawing_scale) {
  ElementBox r;
  Box& q = r.query;
  bool finite_points = true;
  for_each_point(e, [&](const ConstPointRef& p) {
    if (p.separator || p.relative || p.unused) return;
    if (!std::isfinite(*p.x) || !std::isfinite(*p.y)) finite_points = false;
    q.add(*p.x, *p.y);
  });
  bool draw_known = true;
  switch (e.type) {
    case kCircle: {
      auto& c = static_cast<const Circle&>(e);
      add_round(q, c.centre.x, c.centre.y, reach(c));
      break;
    }
    case kText: {
      auto& t = static_cast<const Text&>(e);
      TextExtent x;
      if (text_extent) x = text_extent(t, drawing_scale);
      double w = x.width, a = t.angle;
      if (t.align == 3) w = t.fitted_width;
      else if (t.align == 1 || t.align == 2) a += std::numbers::pi;
      q.add(t.pos.x + w * std::cos(a), t.pos.y + w * std::sin(a));
      draw_known = !x.drawn.empty() && finite(x.drawn);
      if (draw_known) r.drawn = x.drawn;
      break;
    }
    case kDimension: {
      auto& d = static_cast<const Dimension&>(e);
      const auto p = dimension_points(d);
      if (d.kind == 4 && p.size() >= 3)
        add_round(q, p[0].foot.x, p[0].foot.y,
                  std::hypot(p[1].foot.x - p[0].foot.x, p[1].foot.y - p[0].foot.y));
      draw_known = false;  // figures, extension lines and arrows reach beyond the points
      break;
    }
    case kRoom:
    case kLight:
    case kCamera: draw_known = false; break;  // inscriptions and symbols
    default: break;
  }
  r.bounded = finite_points && !q.empty() && finite(q);
  if (!r.bounded) return r;
  if (!draw_known) return r;
  if (e.type != kText) r.drawn = q;
  if (const Wall* w = as<Wall>(&e); w && w->opening_count > 0) r.drawn = q.grown(opening_reach(*w));
  r.drawn_bounded = finite(r.drawn) && !r.drawn.empty();
  return r;
}

}  // namespace korav
