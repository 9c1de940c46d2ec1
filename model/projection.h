// Projection of 3D drawing points into the current view (0 plan, 1 to 9 the 3D views).
//
// Every view maps a point (x, y, z) to view coordinates (u, v) and a depth, smaller being nearer
// to the viewer. The plan view shows (x, y). The elevations show (x, z) from the front (view 2),
// (-x, z) from the back (view 8), (y, z) from the right (view 6) and (-y, z) from the left
// (view 4). Views 1, 3, 7 and 9 are the axonometric views from the four corners, and view 5 is
// the perspective of the active camera.
#pragma once

#include "model/element.h"

namespace korav {

// The view numbers, laid out as the keys of a numeric keypad around the plan view.
inline constexpr int kPlanView = 0;
inline constexpr int kFrontLeftView = 1;   // axonometric
inline constexpr int kFrontView = 2;       // elevation
inline constexpr int kFrontRightView = 3;  // axonometric
inline constexpr int kLeftView = 4;        // elevation
inline constexpr int kCameraView = 5;
inline constexpr int kRightView = 6;      // elevation
inline constexpr int kBackLeftView = 7;   // axonometric
inline constexpr int kBackView = 8;       // elevation
inline constexpr int kBackRightView = 9;  // axonometric

// What the camera view is seen through: the eye, the turn and tilt derived from the eye and
// target of the active camera, and its lens value. Before any camera is made active the camera
// view looks along +y from (0, -10, 1.6).
struct ViewCamera {
  double eye_x = 0, eye_y = -10, eye_z = 1.6;
  double target_x = 0, target_y = 0, target_z = 1.6;
  double turn = 0;  // about the vertical
  double tilt = 0;  // up from the horizontal
  double lens = 60;
};

// The camera view from a camera element's eye, target and lens value (0 or less: 60).
ViewCamera view_camera(const Camera& c);
ViewCamera view_camera(double ex, double ey, double ez, double tx, double ty, double tz,
                       double lens);

// The mark of a point behind the eye in the camera view: u, v and depth all take this value.
inline constexpr double kBehindEye = 999.0;

struct ViewPoint {
  double u = 0, v = 0;
  double depth = 0;
};

// (u, v, depth) of the point in view `view`; an unknown view number is treated as the plan view.
ViewPoint project_point(int view, const ViewCamera& camera, double x, double y, double z);
// The same for the views that need no camera (every view but 5, which is then seen through
// the default camera).
ViewPoint project_point(int view, double x, double y, double z);

inline bool behind_eye(const ViewPoint& p) {
  return p.u == kBehindEye && p.v == kBehindEye && p.depth == kBehindEye;
}

// A view number with the camera it is seen through, for code that projects many points.
struct Projector {
  int view = kPlanView;
  ViewCamera camera;
  ViewPoint operator()(double x, double y, double z) const {
    return project_point(view, camera, x, y, z);
  }
  ViewPoint operator()(const Point3& p) const { return project_point(view, camera, p.x, p.y, p.z); }
};

// Views 1, 3, 5, 7 and 9, where a click cannot be mapped back to a single drawing point.
bool is_axonometric_view(int view);

// A click at (u, v) in the plan view or an elevation as a drawing point with the coordinate
// that the view does not show set to 0. False in the axonometric views.
bool unproject_click(int view, double u, double v, double& x, double& y, double& z);

}  // namespace korav
