#include "draft/crossings.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace korav {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// Into the curve's frame: rotated by minus the axis angle, the across component stretched by
// radius 1 / radius 2, so the curve becomes a circle of radius 1 about the origin.
Vec2 to_frame(const Circle& c, Vec2 p) {
  double ca = std::cos(c.axis_angle), sa = std::sin(c.axis_angle);
  double dx = p.x - c.centre.x, dy = p.y - c.centre.y;
  return {dx * ca + dy * sa, (-dx * sa + dy * ca) * c.radius1 / c.radius2};
}

double reduce(double a) {
  a = std::fmod(a, kTwoPi);
  if (a < 0) a += kTwoPi;
  return a < kTwoPi ? a : 0;
}

}  // namespace

bool is_closed_curve(const Circle& c) { return std::fabs(c.sweep - kTwoPi) < 1e-5; }

bool is_true_circle(const Circle& c) { return std::fabs(c.radius1 - c.radius2) < 1e-9; }

double curve_angle(const Circle& c, Vec2 p) {
  if (!(c.radius2 > 0)) return 0;
  Vec2 f = to_frame(c, p);
  return reduce(std::atan2(f.y, f.x));
}

Vec2 curve_point(const Circle& c, double a) {
  double ca = std::cos(c.axis_angle), sa = std::sin(c.axis_angle);
  double px = c.radius1 * std::cos(a), py = c.radius2 * std::sin(a);
  return {c.centre.x + px * ca - py * sa, c.centre.y + px * sa + py * ca};
}

bool on_arc(const Circle& c, Vec2 p) {
  if (is_closed_curve(c) || c.sweep >= kTwoPi) return true;
  double start = reduce(c.start_angle);
  double a = curve_angle(c, p);
  if (a < start - 1e-9) a += kTwoPi;
  return a >= start - 1e-9 && a <= start + c.sweep + 1e-9;
}

CurveCrossings line_curve_crossings(Vec2 a, Vec2 b, const Circle& c) {
  CurveCrossings out;
  if (!(c.radius1 > 0) || !(c.radius2 > 0)) return out;
  Vec2 fa = to_frame(c, a), fb = to_frame(c, b);
  Vec2 u = fb - fa;
  double qa = dot(u, u);
  if (!(qa > 0)) return out;
  double r = c.radius1;
  double qb = 2 * dot(fa, u);
  double qc = dot(fa, fa) - r * r;
  double disc = qb * qb - 4 * qa * qc;
  if (disc < 0) {
    // a line that only grazes the curve within rounding counts as touching it
    if (disc < -1e-12 * qb * qb) return out;
    disc = 0;
  }
  double root = std::sqrt(disc);
  double t1 = (-qb - root) / (2 * qa), t2 = (-qb + root) / (2 * qa);
  Vec2 d = b - a;
  out.t[0] = t1;
  out.point[0] = a + d * t1;
  out.count = 1;
  if (root > 0) {
    out.t[1] = t2;
    out.point[1] = a + d * t2;
    out.count = 2;
  }
  return out;
}

CurveCrossings circle_crossings(const Circle& c, const Circle& d) {
  CurveCrossings out;
  Vec2 p0 = c.centre, p1 = d.centre;
  double r0 = c.radius1, r1 = d.radius1;
  double dist = distance(p0, p1);
  if (!(dist > 0) || !(r0 > 0) || !(r1 > 0)) return out;
  if (dist > r0 + r1 || dist < std::fabs(r0 - r1)) return out;
  double along = (r0 * r0 - r1 * r1 + dist * dist) / (2 * dist);
  double h2 = r0 * r0 - along * along;
  double h = h2 > 0 ? std::sqrt(h2) : 0;
  Vec2 dir = (p1 - p0) * (1 / dist);
  Vec2 mid = p0 + dir * along;
  Vec2 normal(-dir.y, dir.x);
  out.point[0] = mid + normal * h;
  out.count = 1;
  if (h > 0) {
    out.point[1] = mid - normal * h;
    out.count = 2;
  }
  return out;
}

}  // namespace korav
