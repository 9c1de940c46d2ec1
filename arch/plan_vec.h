// A plan vector for the architecture code: a point or direction in x and y (metres), with the
// few operations the wall and opening geometry needs. The drafting geometry has its own type
// one folder over; this one keeps arch/ free of it.
#pragma once

#include <cmath>

#include "model/element.h"

namespace korav {

struct PlanVec {
  double x = 0, y = 0;

  constexpr PlanVec() = default;
  constexpr PlanVec(double x_, double y_) : x(x_), y(y_) {}
  constexpr explicit PlanVec(const Point2& p) : x(p.x), y(p.y) {}
  constexpr explicit PlanVec(const Point3& p) : x(p.x), y(p.y) {}

  constexpr PlanVec operator+(PlanVec o) const { return {x + o.x, y + o.y}; }
  constexpr PlanVec operator-(PlanVec o) const { return {x - o.x, y - o.y}; }
  constexpr PlanVec operator-() const { return {-x, -y}; }
  constexpr bool operator==(const PlanVec&) const = default;
};

constexpr PlanVec operator*(double k, PlanVec a) { return {k * a.x, k * a.y}; }
constexpr double dot(PlanVec a, PlanVec b) { return a.x * b.x + a.y * b.y; }
constexpr double cross(PlanVec a, PlanVec b) { return a.x * b.y - a.y * b.x; }
inline double length(PlanVec a) { return std::hypot(a.x, a.y); }
inline double distance(PlanVec a, PlanVec b) { return length(b - a); }
constexpr PlanVec midpoint(PlanVec a, PlanVec b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }
// The unit vector of a, or (0, 0) for a vector of no length.
inline PlanVec unit(PlanVec a) {
  const double l = length(a);
  return l > 0 ? (1 / l) * a : PlanVec{};
}
inline bool finite(PlanVec a) { return std::isfinite(a.x) && std::isfinite(a.y); }

// The parameter of p's perpendicular foot on the line a→b (0 at a, 1 at b); 0 for a = b.
inline double parameter_on(PlanVec p, PlanVec a, PlanVec b) {
  const PlanVec d = b - a;
  const double l2 = dot(d, d);
  return l2 > 0 ? dot(p - a, d) / l2 : 0;
}
constexpr PlanVec at_parameter(PlanVec a, PlanVec b, double t) { return a + t * (b - a); }

// The crossing of the infinite lines a1–b1 and a2–b2; false for parallel lines or a line of no
// length.
inline bool cross_lines(PlanVec a1, PlanVec b1, PlanVec a2, PlanVec b2, PlanVec& at) {
  const PlanVec d1 = b1 - a1, d2 = b2 - a2;
  const double den = cross(d1, d2);
  const double scale = length(d1) * length(d2);
  if (!(scale > 0) || std::fabs(den) <= 1e-10 * scale) return false;
  at = a1 + (cross(a2 - a1, d2) / den) * d1;
  return finite(at);
}

constexpr Point2 stored(PlanVec p) { return {p.x, p.y, 0}; }

}  // namespace korav
