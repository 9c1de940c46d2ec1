// The cubic Bezier curve of a spline's four points: the point at a parameter.
#pragma once

#include "model/element.h"

namespace korav {

// The point at t (0 at p0, 1 at p3) of the curve with control points p1 and p2.
inline Point2 bezier_point(const Point2& p0, const Point2& p1, const Point2& p2, const Point2& p3,
                           double t) {
  const double u = 1 - t;
  const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
  return {b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x,
          b0 * p0.y + b1 * p1.y + b2 * p2.y + b3 * p3.y};
}

}  // namespace korav
