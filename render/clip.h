// Clipping of a segment against an axis-parallel rectangle (Liang-Barsky), used for the world
// box of the view and for the pixel rectangle of a surface.
#pragma once

#include <cmath>

namespace korav {

// Clips the segment (x1, y1)-(x2, y2) to [xmin, xmax] x [ymin, ymax]. Returns false when
// nothing is left; otherwise `t0` and `t1` (0 <= t0 <= t1 <= 1) are the parameters of the
// visible part along the original segment. Non-finite input is rejected.
inline bool clip_parameters(double x1, double y1, double x2, double y2, double xmin, double ymin,
                            double xmax, double ymax, double& t0, double& t1) {
  t0 = 0;
  t1 = 1;
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
    return false;
  const double dx = x2 - x1, dy = y2 - y1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 - xmin, xmax - x1, y1 - ymin, ymax - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (!(q[i] >= 0)) return false;  // parallel and outside (or NaN)
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0) {
      if (r > t1) return false;
      if (r > t0) t0 = r;
    } else {
      if (r < t0) return false;
      if (r < t1) t1 = r;
    }
  }
  return t0 <= t1;  // false for NaN
}

// Clips in place; false when nothing is left.
inline bool clip_segment(double& x1, double& y1, double& x2, double& y2, double xmin, double ymin,
                         double xmax, double ymax) {
  double t0, t1;
  if (!clip_parameters(x1, y1, x2, y2, xmin, ymin, xmax, ymax, t0, t1)) return false;
  const double dx = x2 - x1, dy = y2 - y1;
  if (t1 < 1) {
    x2 = x1 + t1 * dx;
    y2 = y1 + t1 * dy;
  }
  if (t0 > 0) {
    x1 += t0 * dx;
    y1 += t0 * dy;
  }
  // With huge coordinates the products above lose their precision; the visible part lies in
  // the rectangle all the same.
  x1 = x1 < xmin ? xmin : x1 > xmax ? xmax : x1;
  x2 = x2 < xmin ? xmin : x2 > xmax ? xmax : x2;
  y1 = y1 < ymin ? ymin : y1 > ymax ? ymax : y1;
  y2 = y2 < ymin ? ymin : y2 > ymax ? ymax : y2;
  return true;
}

}  // namespace korav
