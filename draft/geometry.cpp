#include "draft/geometry.h"

#include <cmath>
#include <numbers>

#include "model/drawing.h"

namespace korav {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kSteep = 1e-5;          // below this |dx| a direction is taken as vertical
constexpr double kParallelSine = 1e-10;  // sine of the angle below which lines are parallel

}  // namespace

double distance(Vec2 a, Vec2 b) { return std::hypot(b.x - a.x, b.y - a.y); }

double direction_angle(Vec2 a, Vec2 b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  if (std::fabs(dx) < kSteep) {
    if (std::fabs(dy) < kSteep) return 0;
    return dy > 0 ? std::numbers::pi / 2 : 3 * std::numbers::pi / 2;
  }
  double angle = std::atan2(dy, dx);
  if (angle < 0) angle += kTwoPi;
  // A tiny negative angle plus 2π rounds to 2π itself, which is outside [0, 2π).
  if (!(angle < kTwoPi)) angle = 0;
  return angle;
}

LineCrossing line_intersection(Vec2 a1, Vec2 b1, Vec2 a2, Vec2 b2) {
  const Vec2 u = b1 - a1, v = b2 - a2;
  const double det = cross(u, v);
  // Comparing with the product of the lengths makes the test independent of the drawing's scale;
  // a zero-length line gives 0 ≤ 0 and is rejected as well.
  if (!(std::fabs(det) > kParallelSine * std::hypot(u.x, u.y) * std::hypot(v.x, v.y))) return {};
  const double s = cross(a2 - a1, v) / det;
  const Vec2 p = a1 + u * s;
  if (!std::isfinite(p.x) || !std::isfinite(p.y)) return {};
  return {p, true};
}

Projection projection_parameter(Vec2 p, Vec2 a, Vec2 b) {
  const Vec2 u = b - a;
  const double len2 = dot(u, u);
  if (!(len2 > 0)) return {0, a};
  const double t = dot(p - a, u) / len2;
  return {t, a + u * t};
}

Vec2 perpendicular_foot(Vec2 p, Vec2 a, Vec2 b) { return projection_parameter(p, a, b).foot; }

Vec2 rotate_point(Vec2 c, Vec2 p, double angle) {
  const double s = std::sin(angle), co = std::cos(angle);
  const Vec2 d = p - c;
  return {c.x + d.x * co - d.y * s, c.y + d.x * s + d.y * co};
}

EdgePick edge_pick(const Drawing& d, Vec2 p) {
  EdgePick best;
  double best_distance = kEdgePickLimit;
  auto consider = [&](Element& e, Vec2 a, Vec2 b, int side) {
    const Projection pr = projection_parameter(p, a, b);
    if (!(pr.t > 0 && pr.t < 1)) return;
    const double dist = distance(p, pr.foot);
    if (dist < best_distance) {
      best_distance = dist;
      best = {&e, a, b, side, true};
    }
  };
  for (Element& e : d.store.list) {
    if (!layer_visible(d.layers, d.current_layer, e.layer)) continue;
    if (const Line* l = as<Line>(&e)) {
      consider(e, l->start, l->end, -1);
    } else if (const Wall* w = as<Wall>(&e)) {
      for (int i = 0; i < 4; ++i) consider(e, Vec2(w->corner[i]), Vec2(w->corner[(i + 1) % 4]), i);
    }
  }
  return best;
}

}  // namespace korav
