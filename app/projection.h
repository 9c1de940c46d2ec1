// Projection of 3D drawing points into the current view (0 plan, 1 to 9 the 3D views).
//
// The plan view shows (x, y). The elevations show (x, z) from the front (view 2), (-x, z) from
// the back (view 8), (y, z) from the right (view 6) and (-y, z) from the left (view 4), so a
// click at (u, v) in an elevation is the inverse of this mapping. The axonometric views 1, 3, 7
// and 9 look down at 45 degrees from the front-left, front-right, back-left and back-right
// corners, as a plain parallel projection; view 5 (the camera view) is shown as a parallel
// projection from the front and above until the camera perspective takes it over.
#pragma once

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

struct ViewPoint {
  double u = 0, v = 0;
};

// (u, v) of the point in view `view`; an unknown view number is treated as the plan view.
ViewPoint project_point(int view, double x, double y, double z);

// Views 1, 3, 5, 7 and 9, where a click cannot be mapped back to a single drawing point.
bool is_axonometric_view(int view);

// A click at (u, v) in the plan view or an elevation as a drawing point with the coordinate
// that the view does not show set to 0. False in the axonometric views.
bool unproject_click(int view, double u, double v, double& x, double& y, double& z);

}  // namespace korav
