#include "model/projection.h"

#include <cmath>
#include <numbers>

namespace korav {

namespace {

constexpr double kC = 0.866;
constexpr double kH = 0.5;

}  // namespace

ViewCamera view_camera(double ex, double ey, double ez, double tx, double ty, double tz,
                       double lens) {
  ViewCamera c;
  c.eye_x = ex;
  c.eye_y = ey;
  c.eye_z = ez;
  c.target_x = tx;
  c.target_y = ty;
  c.target_z = tz;
  c.lens = lens > 0 && std::isfinite(lens) ? lens : 60;
  const double dx = tx - ex, dy = ty - ey;
  const double theta = std::atan2(dy, dx);
  c.turn = 2 * std::numbers::pi - (theta - std::numbers::pi / 2);
  c.tilt = std::atan2(tz - ez, std::hypot(dx, dy));
  return c;
}

ViewCamera view_camera(const Camera& c) {
  return view_camera(c.eye.x, c.eye.y, c.eye.z, c.target.x, c.target.y, c.target.z, c.lens_angle);
}

ViewPoint project_point(int view, const ViewCamera& cam, double x, double y, double z) {
  switch (view) {
    case kFrontLeftView: return {kC * x - kC * y, z + kH * x + kH * y, kH * x + kH * y - z};
    case kFrontView: return {x, z, y};
    case kFrontRightView: return {kC * x + kC * y, z - kH * x + kH * y, kH * y - kH * x - z};
    case kLeftView: return {-y, z, x};
    case kCameraView: {
      const double dx = x - cam.eye_x, dy = y - cam.eye_y, dz = z - cam.eye_z;
      const double c1 = std::cos(cam.turn), s1 = std::sin(cam.turn);
      const double p = dx * c1 - dy * s1, q = dx * s1 + dy * c1;
      const double c2 = std::cos(-cam.tilt), s2 = std::sin(-cam.tilt);
      const double f = q * c2 - dz * s2, r = q * s2 + dz * c2;
      if (!(f > 0)) return {kBehindEye, kBehindEye, kBehindEye};
      return {p / f, r / f, -1 / f};
    }
    case kRightView: return {y, z, -x};
    case kBackLeftView: return {-kC * x - kC * y, z + kH * x - kH * y, kH * x - kH * y - z};
    case kBackView: return {-x, z, -y};
    case kBackRightView: return {kC * y - kC * x, z - kH * x - kH * y, -kH * x - kH * y - z};
    default: return {x, y, -z};
  }
}

ViewPoint project_point(int view, double x, double y, double z) {
  return project_point(view, ViewCamera{}, x, y, z);
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
