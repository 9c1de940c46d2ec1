// The view: the mapping between drawing coordinates (metres, y upwards) and the pixels of a
// drawing surface, the view scale 1:N, the scale step tables, and the computations behind the
// zoom, pan, centre, scroll, remembered-view and show-all commands. The prompts of those
// commands run through point input in the shell; the shell hands the finished points here.
//
// Every surface has its own view record, view scale included, so that a dialog preview can set
// up its own view without changing the main canvas.
#pragma once

#include <array>
#include <functional>
#include <string>

namespace korav {

struct Drawing;

inline constexpr double kInitialViewScale = 500;
inline constexpr double kInitialHalfSize = 10;  // the initial world box is (-10, -10) to (10, 10)

struct View {
  int left = 0, top = 0, right = 0, bottom = 0;  // pixel rectangle, (0, 0, w, h) after configure
  double xmin = -kInitialHalfSize, ymin = -kInitialHalfSize;
  double xmax = kInitialHalfSize, ymax = kInitialHalfSize;
  double units_x = 0, units_y = 0;   // metres per pixel
  double scale = kInitialViewScale;  // view scale denominator N of 1:N
};

// Screen calibration ("Aspect ratio" dialog); 10 makes a pixel 1/3000 m on paper.
struct Aspect {
  double x = 10, y = 10;
};

inline double pixel_to_world_x(const View& v, double px) {
  return (px - v.left) * v.units_x + v.xmin;
}
inline double pixel_to_world_y(const View& v, double py) {
  return (v.bottom - py) * v.units_y + v.ymin;
}
inline double world_to_pixel_x(const View& v, double x) {
  return v.left + (x - v.xmin) / v.units_x;
}
inline double world_to_pixel_y(const View& v, double y) {
  return v.bottom - (y - v.ymin) / v.units_y;
}

inline int view_pixel_width(const View& v) { return v.right - v.left; }
inline int view_pixel_height(const View& v) {
  return v.bottom > v.top ? v.bottom - v.top : v.top - v.bottom;
}

// Keeps the centre of the world box and rebuilds it from the view scale and the pixel size.
void recompute_view(View& v, const Aspect& a);
// The pixel rectangle becomes (0, 0, width, height); centre and view scale are kept.
void set_view_pixel_size(View& v, int width, int height, const Aspect& a);
// The initial view, also "s_komplett": 1:500 around (-10, -10) to (10, 10).
void reset_view(View& v, const Aspect& a);

// True when the point lies in the world box, or the box (corners in any order) overlaps it.
bool point_in_view(const View& v, double x, double y);
bool box_in_view(const View& v, double x1, double y1, double x2, double y2);

// The tool-bar label: " 1:500 ", or " 2:1 " for view scales below 1.
std::string scale_text(double scale);

// The scale steps: a 1, 2, 3 1/3, 5 series per decade for metric units, binary fractions and
// multiples of a foot for imperial units.
using ScaleSteps = std::array<double, 40>;
const ScaleSteps& metric_scale_steps();
const ScaleSteps& imperial_scale_steps();
// The table the length unit installs: feet and inch units (3, 4, 5) take the imperial one.
const ScaleSteps& scale_steps_for_unit(int length_unit);

// The first table value greater than `value` / the last one smaller; false at the ends of the
// table, where `value` is left as it is.
bool next_scale_step(double& value, const ScaleSteps& steps);
bool previous_scale_step(double& value, const ScaleSteps& steps);

// "s_maplus" (larger denominator, shows more) and "s_maminus"; false when at the end of the table.
// The view is recomputed on a change; the caller redraws and shows the scale text.
bool scale_plus(View& v, const ScaleSteps& steps, const Aspect& a);
bool scale_minus(View& v, const ScaleSteps& steps, const Aspect& a);

// Zoom window: the rectangle (corners in any order) becomes the view, its limiting dimension
// sets the view scale. False (nothing changes) when it is at most 0.001 m in both directions.
bool zoom_window(View& v, const Aspect& a, double x1, double y1, double x2, double y2);
// Pan: the world box moves by (to - from); the view scale is kept.
void pan_view(View& v, double from_x, double from_y, double to_x, double to_y);
// Centre ("f_mamid", "z_space"): the point becomes the centre of the view.
void centre_view(View& v, const Aspect& a, double x, double y);
// Numeric-pad scroll by a quarter of the view; key 1 to 9 without 5. False for other keys.
bool numpad_scroll(View& v, const Aspect& a, int key);

// The drawing scale dialog's "inc" and "dec"; at the ends of the table the value is kept.
double drawing_scale_inc(double drawing_scale, const ScaleSteps& steps);
double drawing_scale_dec(double drawing_scale, const ScaleSteps& steps);

// Remembered view ("z_def" / "s_back").
struct RememberedView {
  View view;
  bool set = false;
};
void remember_view(RememberedView& r, const View& v);
// Restores world box and view scale (the pixel rectangle stays) and recomputes; false when
// nothing was remembered.
bool restore_view(View& v, const RememberedView& r, const Aspect& a);

// Maps a 3D point into the current 3D view's (u, v) plane; false when the point cannot be shown
// (behind the camera). The 3D module supplies it for views 1 to 9.
using ViewProjection = std::function<bool(double x, double y, double z, double& u, double& v)>;

struct Extent {
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  bool empty = true;
  void add(double x, double y);
};

// The extent of every element of the drawing in the given view: defining points, arcs and
// ellipses sampled along the curve, 3D points projected (in the plan view 3D points use x, y;
// in other views `project` maps every point, 2D points at z = 0). Elements on the temporary
// layers above 999 are left out; points that are not finite are ignored.
Extent drawing_extent(const Drawing& d, int view_number, const ViewProjection& project = nullptr);

// Show all ("s_alles"): fits the view to the drawing's extent plus a tenth; an empty drawing
// gives the initial view; the camera view (5) fits the square of +-0.01 x lens of the active
// camera. False when the view could not be fitted (no pixel size yet, or an extent too large
// to scale), and the view is left as it was.
bool show_all(View& v, const Aspect& a, const Drawing& d, int view_number = 0,
              const ViewProjection& project = nullptr);

// Fits the view to a world rectangle as the zoom window does (shared by show all).
bool fit_view(View& v, const Aspect& a, double x1, double y1, double x2, double y2);

}  // namespace korav
