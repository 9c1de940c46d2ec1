#include "app/projection.h"

#include <cmath>

namespace korav {

namespace {

// Parallel projection looking from the direction (dx, dy, dz) (towards the origin).
ViewPoint parallel(double dx, double dy, double dz, double x, double y, double z) {
  double n = std::sqrt(dx * dx + dy * dy + dz * dz);
  double fx = -dx / n, fy = -dy / n, fz = -dz / n;  // viewing direction
  // right = forward x up(0, 0, 1)
  double rx = fy, ry = -fx;
  double rn = std::sqrt(rx * rx + ry * ry);
  rx /= rn;
  ry /= rn;
  // up on screen = right x forward
  double ux = ry * fz, uy = -rx * fz, uz = rx * fy - ry * fx;
  return {x * rx + y * ry, x * ux + y * uy + z * uz};
}

}  // namespace

ViewPoint project_point(int view, double x, double y, double z) {
  switch (view) {
    case kFrontLeftView: return parallel(-1, -1, 1, x, y, z);
    case kFrontView: return {x, z};
    case kFrontRightView: return parallel(1, -1, 1, x, y, z);
    case kLeftView: return {-y, z};
    case kCameraView: return parallel(0, -1, 1, x, y, z);
    case kRightView: return {y, z};
    case kBackLeftView: return parallel(-1, 1, 1, x, y, z);
    case kBackView: return {-x, z};
    case kBackRightView: return parallel(1, 1, 1, x, y, z);
    default: return {x, y};
  }
}

bool is_axonometric_view(int view) {
  return view == kFrontLeftView || view == kFrontRightView || view == kCameraView ||
         view == kBackLeftView || view == kBackRightView;
}

bool unproject_click(int view, double u, double v, double& x, double& y, double& z) {
  switch (view) {
    case kFrontView:
      x = u;
      y = 0;
      z = v;
      return true;
    case kBackView:
      x = -u;
      y = 0;
      z = v;
      return true;
    case kRightView:
      x = 0;
      y = u;
      z = v;
      return true;
    case kLeftView:
      x = 0;
      y = -u;
      z = v;
      return true;
    default:
      if (is_axonometric_view(view)) return false;
      x = u;
      y = v;
      z = 0;
      return true;
  }
}

}  // namespace korav
