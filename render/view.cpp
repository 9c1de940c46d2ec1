#include "render/view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/drawing.h"
#include "model/element_points.h"

namespace korav {

namespace {

constexpr double kTwoPi = 6.283185307179586;
// Metres per pixel on paper per unit of aspect: aspect / 100 / 300.
constexpr double kAspectFactor = 1.0 / 30000.0;
// A zoom rectangle must be wider or higher than this to count.
constexpr double kMinZoom = 0.001;

bool finite(double v) { return std::isfinite(v); }

ScaleSteps make_metric() {
  ScaleSteps t{};
  const double series[4] = {1, 2, 10.0 / 3, 5};
  int i = 0;
  double decade = 0.0001;
  for (int d = 0; d < 10; ++d, decade *= 10)
    for (double s : series) t[i++] = s * decade;
  return t;
}

ScaleSteps make_imperial() {
  ScaleSteps t{};
  int i = 0;
  for (double v = 1.0 / 24576; v <= 1.0 / 6 + 1e-12; v *= 2) t[i++] = v;
  for (double v : {0.25, 1.0 / 3, 0.5, 1.0, 2.0, 10.0 / 3, 4.0, 6.0}) t[i++] = v;
  for (double v = 12; v <= 3145728 + 0.5; v *= 2) t[i++] = v;
  return t;
}

}  // namespace

void recompute_view(View& v, const Aspect& a) {
  const double w = view_pixel_width(v);
  const double h = view_pixel_height(v);
  v.units_x = a.x * kAspectFactor * v.scale;
  v.units_y = a.y * kAspectFactor * v.scale;
  const double cx = (v.xmin + v.xmax) / 2;
  const double cy = (v.ymin + v.ymax) / 2;
  v.xmin = cx - w * v.units_x / 2;
  v.xmax = cx + w * v.units_x / 2;
  v.ymin = cy - h * v.units_y / 2;
  v.ymax = cy + h * v.units_y / 2;
}

void set_view_pixel_size(View& v, int width, int height, const Aspect& a) {
  v.left = 0;
  v.top = 0;
  v.right = std::max(width, 0);
  v.bottom = std::max(height, 0);
  recompute_view(v, a);
}

void reset_view(View& v, const Aspect& a) {
  v.scale = kInitialViewScale;
  v.xmin = v.ymin = -kInitialHalfSize;
  v.xmax = v.ymax = kInitialHalfSize;
  recompute_view(v, a);
}

bool point_in_view(const View& v, double x, double y) {
  return x >= v.xmin && x <= v.xmax && y >= v.ymin && y <= v.ymax;
}

bool box_in_view(const View& v, double x1, double y1, double x2, double y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  return x2 >= v.xmin && x1 <= v.xmax && y2 >= v.ymin && y1 <= v.ymax;
}

std::string scale_text(double scale) {
  char buf[64];
  if (!finite(scale) || scale <= 0) return " 1:? ";
  if (scale < 1) std::snprintf(buf, sizeof buf, " %.0f:1 ", 1 / scale);
  else std::snprintf(buf, sizeof buf, " 1:%.0f ", scale);
  return buf;
}

const ScaleSteps& metric_scale_steps() {
  static const ScaleSteps t = make_metric();
  return t;
}

const ScaleSteps& imperial_scale_steps() {
  static const ScaleSteps t = make_imperial();
  return t;
}

const ScaleSteps& scale_steps_for_unit(int length_unit) {
  return length_unit >= 3 && length_unit <= 5 ? imperial_scale_steps() : metric_scale_steps();
}

bool next_scale_step(double& value, const ScaleSteps& steps) {
  if (!(steps.back() > value)) return false;
  for (double s : steps)
    if (s > value) {
      value = s;
      return true;
    }
  return false;
}

bool previous_scale_step(double& value, const ScaleSteps& steps) {
  if (!(value > steps.front())) return false;
  for (auto it = steps.rbegin(); it != steps.rend(); ++it)
    if (*it < value) {
      value = *it;
      return true;
    }
  return false;
}

bool scale_plus(View& v, const ScaleSteps& steps, const Aspect& a) {
  if (!next_scale_step(v.scale, steps)) return false;
  recompute_view(v, a);
  return true;
}

bool scale_minus(View& v, const ScaleSteps& steps, const Aspect& a) {
  if (!previous_scale_step(v.scale, steps)) return false;
  recompute_view(v, a);
  return true;
}

bool fit_view(View& v, const Aspect& a, double x1, double y1, double x2, double y2) {
  if (!finite(x1) || !finite(y1) || !finite(x2) || !finite(y2)) return false;
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  const double pw = view_pixel_width(v);
  const double ph = view_pixel_height(v);
  if (pw <= 0 || ph <= 0 || a.x <= 0 || a.y <= 0) return false;
  const double width = x2 - x1;
  const double height = y2 - y1;
  // The width-to-height ratio of the window in world units.
  const double r = (pw * a.x) / (ph * a.y);
  const double scale =
      width > r * height ? width / (a.x * kAspectFactor * pw) : height / (a.y * kAspectFactor * ph);
  if (!finite(scale) || scale <= 0 || !finite(width) || !finite(height)) return false;
  v.scale = scale;
  v.xmin = x1;
  v.xmax = x2;
  v.ymin = y1;
  v.ymax = y2;
  recompute_view(v, a);
  return true;
}

bool zoom_window(View& v, const Aspect& a, double x1, double y1, double x2, double y2) {
  if (!(std::fabs(x2 - x1) > kMinZoom) && !(std::fabs(y2 - y1) > kMinZoom)) return false;
  return fit_view(v, a, x1, y1, x2, y2);
}

void pan_view(View& v, double from_x, double from_y, double to_x, double to_y) {
  const double dx = to_x - from_x;
  const double dy = to_y - from_y;
  if (!finite(dx) || !finite(dy)) return;
  v.xmin += dx;
  v.xmax += dx;
  v.ymin += dy;
  v.ymax += dy;
}

void centre_view(View& v, const Aspect& a, double x, double y) {
  if (!finite(x) || !finite(y)) return;
  const double hw = (v.xmax - v.xmin) / 2;
  const double hh = (v.ymax - v.ymin) / 2;
  v.xmin = x - hw;
  v.xmax = x + hw;
  v.ymin = y - hh;
  v.ymax = y + hh;
  recompute_view(v, a);
}

bool numpad_scroll(View& v, const Aspect& a, int key) {
  if (key < 1 || key > 9 || key == 5) return false;
  const int dx = (key - 1) % 3 - 1;  // 1, 4, 7 left; 3, 6, 9 right
  const int dy = (key - 1) / 3 - 1;  // 1, 2, 3 down; 7, 8, 9 up
  const double sx = dx * 0.25 * (v.xmax - v.xmin);
  const double sy = dy * 0.25 * (v.ymax - v.ymin);
  v.xmin += sx;
  v.xmax += sx;
  v.ymin += sy;
  v.ymax += sy;
  recompute_view(v, a);
  return true;
}

double drawing_scale_inc(double drawing_scale, const ScaleSteps& steps) {
  double v = drawing_scale;
  next_scale_step(v, steps);
  return v;
}

double drawing_scale_dec(double drawing_scale, const ScaleSteps& steps) {
  double v = drawing_scale;
  previous_scale_step(v, steps);
  return v;
}

void remember_view(RememberedView& r, const View& v) {
  r.view = v;
  r.set = true;
}

bool restore_view(View& v, const RememberedView& r, const Aspect& a) {
  if (!r.set) return false;
  v.xmin = r.view.xmin;
  v.ymin = r.view.ymin;
  v.xmax = r.view.xmax;
  v.ymax = r.view.ymax;
  v.scale = r.view.scale;
  recompute_view(v, a);
  return true;
}

void Extent::add(double x, double y) {
  if (!finite(x) || !finite(y)) return;
  if (empty) {
    xmin = xmax = x;
    ymin = ymax = y;
    empty = false;
    return;
  }
  xmin = std::min(xmin, x);
  xmax = std::max(xmax, x);
  ymin = std::min(ymin, y);
  ymax = std::max(ymax, y);
}

namespace {

// Collects points into an extent, projecting them in the 3D views.
struct ExtentCollector {
  Extent ext;
  int view_number;
  const ViewProjection& project;

  void add3(double x, double y, double z) {
    if (view_number == 0 || !project) {
      ext.add(x, y);
      return;
    }
    double u = 0, w = 0;
    if (project(x, y, z, u, w)) ext.add(u, w);
  }
  void add2(double x, double y) { add3(x, y, 0); }
  void add(const Point2& p) { add2(p.x, p.y); }
  void add(const Point3& p) { add3(p.x, p.y, p.z); }

  // Arcs and ellipses: points along the curve, 64 to a full turn.
  void add_curve(const Circle& c) {
    double sweep = c.sweep;
    if (!finite(sweep) || !finite(c.radius1) || !finite(c.radius2) || !finite(c.start_angle) ||
        !finite(c.axis_angle))
      return add(c.centre);
    sweep = std::clamp(sweep, -kTwoPi, kTwoPi);
    const int n = std::max(8, static_cast<int>(std::ceil(std::fabs(sweep) / kTwoPi * 64)));
    const double cr = std::cos(c.axis_angle), sr = std::sin(c.axis_angle);
    for (int i = 0; i <= n; ++i) {
      const double t = c.start_angle + sweep * i / n;
      const double px = c.radius1 * std::cos(t), py = c.radius2 * std::sin(t);
      add2(c.centre.x + px * cr - py * sr, c.centre.y + px * sr + py * cr);
    }
  }

  // The points that span an element: not a circle's centre (its curve does), a room's
  // inscription, a pattern's origin and spacing, a wall's gable and opening points, nor
  // separators. A wall is its footprint and outline in the plan and its eight corners in the
  // 3D views.
  void add_point(const ConstPointRef& p) {
    if (p.separator || p.unused) return;
    switch (p.role) {
      case PointRole::kCentre:
      case PointRole::kLabel:
      case PointRole::kOrigin:
      case PointRole::kSpacing:
      case PointRole::kGable:
      case PointRole::kOpeningCorner: return;
      case PointRole::kCorner:
        if (view_number != 0) add3(*p.x, *p.y, *p.z);
        else if (p.index < 4) add2(*p.x, *p.y);
        return;
      case PointRole::kOutlineEnd:
        if (view_number == 0) add2(*p.x, *p.y);
        return;
      default: add3(*p.x, *p.y, p.z_or(0)); return;
    }
  }

  void add_element(const Element& e) {
    if (const Circle* c = as<Circle>(&e)) return add_curve(*c);
    const Room* room = as<Room>(&e);
    if (room && view_number != 0 && project) {  // a room stands between its base and its top
      for (const Point2& p : outline_points(*room)) {
        if (is_separator(p)) continue;
        add3(p.x, p.y, room->base);
        add3(p.x, p.y, room->top);
      }
      return;
    }
    for_each_point(e, [&](const ConstPointRef& p) { add_point(p); });
  }
};

}  // namespace

Extent drawing_extent(const Drawing& d, int view_number, const ViewProjection& project) {
  ExtentCollector c{Extent{}, view_number, project};
  for (const Element& e : d.store.list) {
    if (e.layer >= 1000) continue;  // symbols being placed, temporary solids
    c.add_element(e);
  }
  return c.ext;
}

bool show_all(View& v, const Aspect& a, const Drawing& d, int view_number,
              const ViewProjection& project) {
  Extent ext;
  if (view_number == 5) {
    double lens = 60;
    for (const Element& e : d.store.list)
      if (const Camera* c = as<Camera>(&e); c && c->active == 1) {
        lens = c->lens_angle;
        break;
      }
    ext.add(-0.01 * lens, -0.01 * lens);
    ext.add(0.01 * lens, 0.01 * lens);
  } else {
    ext = drawing_extent(d, view_number, project);
  }
  if (ext.empty) {
    reset_view(v, a);
    return true;
  }
  const double w = ext.xmax - ext.xmin;
  const double h = ext.ymax - ext.ymin;
  const double cx = (ext.xmin + ext.xmax) / 2;
  const double cy = (ext.ymin + ext.ymax) / 2;
  if (!(w > 1e-9) && !(h > 1e-9)) {
    // A single point: centre on it and keep the scale.
    if (!finite(cx) || !finite(cy)) return false;
    centre_view(v, a, cx, cy);
    return true;
  }
  const double hw = w * 1.1 / 2, hh = h * 1.1 / 2;
  return fit_view(v, a, cx - hw, cy - hh, cx + hw, cy + hh);
}

}  // namespace korav
