#include "render/screen_output.h"

#include <algorithm>
#include <cmath>

#include "model/bezier.h"
#include "model/drawing.h"
#include "render/clip.h"
#include "render/dimension_drawing.h"
#include "render/hatch.h"
#include "render/renderer.h"
#include "render/room_drawing.h"
#include "render/text_drawing.h"

namespace korav {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// World to pixels, as every line operation maps it.
double pixel_x(const View& v, double ix, double wx) { return v.left + (wx - v.xmin) * ix; }
double pixel_y(const View& v, double iy, double wy) { return v.bottom - (wy - v.ymin) * iy; }

bool in_view(const View& v, double x1, double y1, double x2, double y2) {
  return x1 >= v.xmin && x1 <= v.xmax && x2 >= v.xmin && x2 <= v.xmax && y1 >= v.ymin &&
         y1 <= v.ymax && y2 >= v.ymin && y2 <= v.ymax;
}

// The pixel ends of a whole segment (t from 0 to 1) exactly as PixelPen::piece hands them on.
struct SegmentPixels {
  double sx, sy, ex, ey;
  SegmentPixels(const View& v, double ix, double iy, double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1, dy = y2 - y1;
    sx = pixel_x(v, ix, x1 + 0 * dx);
    sy = pixel_y(v, iy, y1 + 0 * dy);
    ex = pixel_x(v, ix, x1 + 1 * dx);
    ey = pixel_y(v, iy, y1 + 1 * dy);
  }
  // On the buffer of that size, so that draw_thin_line_inside may take it.
  bool on_buffer(double right, double bottom) const {
    return sx >= 0 && sx <= right && ex >= 0 && ex <= right && sy >= 0 && sy <= bottom && ey >= 0 &&
           ey <= bottom;
  }
};

// A world point range of one segment turned into pixels and handed to the line primitive.
struct PixelPen {
  Screen& s;
  const View& v;
  int width;
  int colour;
  double x1, y1, dx, dy;  // the segment, parameterised by length fraction
  double ix, iy;          // pixels per metre

  void piece(double t0, double t1) const {
    const double ax = x1 + t0 * dx, ay = y1 + t0 * dy;
    const double bx = x1 + t1 * dx, by = y1 + t1 * dy;
    draw_line(s, width, colour, pixel_x(v, ix, ax), pixel_y(v, iy, ay), pixel_x(v, ix, bx),
              pixel_y(v, iy, by));
  }
};

bool finite(double v) { return std::isfinite(v); }

// A line type without dashes (an unknown number draws solid too).
bool no_dashes(const Settings& st, int line_type) {
  return line_type < 0 || line_type >= kLineTypeCount || st.line_types[line_type].sections == 0;
}

// Whether the line type draws solid whatever the segment's length: no dashes, or a pattern of
// five pixels or less (see screen_line).
bool drawn_solid(const Drawing& d, const View& v, int line_type) {
  const Settings& st = d.settings;
  if (no_dashes(st, line_type)) return true;
  const LineType& lt = st.line_types[line_type];
  const int sections = std::min<int>(lt.sections, 3);
  const double world_per_mm = st.drawing_scale / 1000;
  double period = 0;
  for (int k = 0; k < sections; ++k)
    period += std::max(0.0, lt.line[k] * world_per_mm) + std::max(0.0, lt.space[k] * world_per_mm);
  return !finite(period) || !(period / v.units_x > 5);
}

}  // namespace

int line_pixel_width(Renderer& r, int pen) {
  if (!r.drawing || !r.screen || r.view_number != 0 || pen < 0 || pen >= kPenCount) return 0;
  const Settings& st = r.drawing->settings;
  if (!st.view.exact_thickness) return 0;
  const double upp = r.screen->view().units_x, thickness = st.pens[pen].thickness;
  Renderer::PenPixels& known = r.pen_pixels[pen];
  if (known.pixels >= 0 && known.units == upp && known.scale == st.drawing_scale &&
      known.thickness == thickness)
    return known.pixels;
  const double world = thickness * st.drawing_scale / 1000;
  // Rounded half up; the small allowance keeps exact halves (1.5 mm at 0.1 m a pixel) from
  // falling short by the last bit of a product.
  const double px = world / upp + 0.5 + 1e-9;
  int pixels;
  if (!(px >= 1)) pixels = 0;  // also NaN
  else pixels = px >= 256 ? 255 : static_cast<int>(px);  // truncation: the floor of a positive
  known = {upp, st.drawing_scale, thickness, pixels};
  return pixels;
}

void screen_line(Renderer& r, int pen, int line_type, double x1, double y1, double x2, double y2) {
  if (!r.screen || !r.drawing) return;
  Screen& s = *r.screen;
  const View& v = s.view();
  if (!(v.units_x > 0) || !(v.units_y > 0)) return;
  double t0 = 0, t1 = 1;
  const bool inside = in_view(v, x1, y1, x2, y2);
  if (!inside && !clip_parameters(x1, y1, x2, y2, v.xmin, v.ymin, v.xmax, v.ymax, t0, t1)) return;
  const Settings& st = r.drawing->settings;
  const bool solid = no_dashes(st, line_type);
  const int width = line_pixel_width(r, pen);
  if (inside && solid && width <= 1) {
    // The common case, a thin solid line in view: its pixels as piece(0, 1) would hand them on
    // (a width of one pixel draws as thin).
    const SegmentPixels p(v, 1 / v.units_x, 1 / v.units_y, x1, y1, x2, y2);
    const Surface& sf = s.cur();
    if (p.on_buffer(sf.width - 1, sf.height - 1)) {
      draw_thin_line_inside(s, colour_index(r.colour, pen), p.sx, p.sy, p.ex, p.ey);
      return;
    }
  }
  const PixelPen out{s,
                     v,
                     width,
                     colour_index(r.colour, pen),
                     x1,
                     y1,
                     x2 - x1,
                     y2 - y1,
                     1 / v.units_x,
                     1 / v.units_y};

  if (solid) {
    out.piece(t0, t1);
    return;
  }
  // Dashes: the pattern is walked from the segment's start, so that the pieces stay where they
  // are when the view moves; only the visible part is walked.
  const LineType& lt = st.line_types[line_type];
  const int sections = std::min<int>(lt.sections, 3);
  const double world_per_mm = st.drawing_scale / 1000;
  double dash[3] = {0, 0, 0}, gap[3] = {0, 0, 0};
  double period = 0;
  for (int k = 0; k < sections; ++k) {
    dash[k] = std::max(0.0, lt.line[k] * world_per_mm);
    gap[k] = std::max(0.0, lt.space[k] * world_per_mm);
    period += dash[k] + gap[k];
  }
  const double length = std::hypot(out.dx, out.dy);
  if (!finite(period) || !finite(length) || !(period / v.units_x > 5) || length < period) {
    out.piece(t0, t1);
    return;
  }
  const double count = std::floor(length / period);
  const double from = t0 * length, to = t1 * length;
  const double first = std::max(0.0, std::floor(from / period));
  const double last = std::min(count, std::ceil(to / period));
  // So far along a huge segment that the repetition count no longer steps by one (or a view so
  // large it would hold millions of dashes): drawn solid rather than walked.
  if (!(last - first <= 1e6) || last + 1 == last) {
    out.piece(t0, t1);
    return;
  }
  for (double rep = first; rep < last; ++rep) {
    double pos = rep * period;
    for (int k = 0; k < sections; ++k) {
      const double a = std::max(pos, from), b = std::min(pos + dash[k], to);
      if (b > a) out.piece(a / length, b / length);
      pos += dash[k] + gap[k];
    }
  }
  // What is left after the whole patterns is drawn as one solid piece.
  const double a = std::max(count * period, from);
  if (to > a) out.piece(a / length, t1);
}

namespace {

// The chords of a curve that is small on the screen, drawn as screen_line would draw them but
// without its per-segment work: a chord no longer than a pixel each way is exactly its two end
// pixels, and the same pixel is not drawn twice in a row. Only for thin, solid lines of the
// screen's own line operation, and only for chords that need no clipping; for any other chord
// `chord` says no and the caller draws it as usual.
class ChordPixels {
 public:
  ChordPixels(Renderer& r, int pen, int line_type) : r_(r) {
    if (r.driver.line != screen_line || !r.screen || !r.drawing) return;
    const View& v = r.screen->view();
    if (!(v.units_x > 0) || !(v.units_y > 0) || line_pixel_width(r, pen) > 1) return;
    if (!drawn_solid(*r.drawing, v, line_type)) return;
    const Surface& sf = r.screen->cur();
    if (!sf.image) return;
    on_ = true;
    v_ = &v;
    ix_ = 1 / v.units_x;
    iy_ = 1 / v.units_y;
    right_ = sf.width - 1;
    bottom_ = sf.height - 1;
    colour_ = colour_index(r.colour, pen);
  }

  // Every chord end lies in this box (the curve's, with room for rounding): when it is in the
  // view and on the buffer, no chord needs its own checks.
  void reach(double x1, double y1, double x2, double y2) {
    if (!on_) return;
    const View& v = *v_;
    const double m =
        1e-9 * (std::fabs(x1) + std::fabs(x2) + std::fabs(y1) + std::fabs(y2)) + 1e-300;
    x1 -= m;
    y1 -= m;
    x2 += m;
    y2 += m;
    if (!in_view(v, x1, y1, x2, y2)) return;
    inside_ = pixel_x(v, ix_, x1) >= 0 && pixel_x(v, ix_, x2) <= right_ &&
              pixel_y(v, iy_, y2) >= 0 && pixel_y(v, iy_, y1) <= bottom_;
  }

  bool chord(double x1, double y1, double x2, double y2) {
    if (!on_) return false;
    const View& v = *v_;
    if (!inside_ && !in_view(v, x1, y1, x2, y2)) return false;
    const SegmentPixels p(v, ix_, iy_, x1, y1, x2, y2);
    if (!inside_ && !p.on_buffer(right_, bottom_)) return false;
    // Not negative: truncation rounds as the buffer does.
    const int rsx = static_cast<int>(p.sx + 0.5), rsy = static_cast<int>(p.sy + 0.5);
    const int rex = static_cast<int>(p.ex + 0.5), rey = static_cast<int>(p.ey + 0.5);
    Screen& s = *r_.screen;
    if (rex - rsx > 1 || rsx - rex > 1 || rey - rsy > 1 || rsy - rey > 1) {
      draw_thin_line_inside(s, colour_, p.sx, p.sy, p.ex, p.ey);
      last_set_ = false;
      return true;
    }
    pixel(s, rsx, rsy);
    pixel(s, rex, rey);
    return true;
  }

 private:
  void pixel(Screen& s, int x, int y) {
    if (last_set_ && x == last_x_ && y == last_y_) return;
    draw_thin_line_inside(s, colour_, x, y, x, y);
    last_set_ = true;
    last_x_ = x;
    last_y_ = y;
  }

  Renderer& r_;
  const View* v_ = nullptr;
  bool on_ = false, inside_ = false, last_set_ = false;
  double ix_ = 1, iy_ = 1, right_ = 0, bottom_ = 0;
  int colour_ = 0, last_x_ = 0, last_y_ = 0;
};

}  // namespace

int arc_chord_count(double a, double b, double sweep, double view_scale, bool vector_output) {
  const double d = (std::fabs(a) + std::fabs(b)) * 50 / view_scale;
  double base;
  if (!(d >= 0.5)) base = 12;  // also NaN
  else if (d < 1) base = 24;
  else base = std::min(120.0, std::trunc(4 * d + 24));
  const double s = std::min(std::fabs(sweep), kTwoPi);
  int n = finite(s) ? static_cast<int>(base * s * 0.25) : 1;
  if (n < 1) n = 1;
  return vector_output ? 2 * n : n;
}

void screen_arc(Renderer& r, int pen, int line_type, double cx, double cy, double a, double b,
                double sweep, double start, double rotation) {
  if (!r.screen || !r.driver.line) return;
  if (!finite(cx) || !finite(cy) || !finite(a) || !finite(b) || !finite(sweep) || !finite(start) ||
      !finite(rotation))
    return;
  const View& v = r.screen->view();
  const double m = std::max(std::fabs(a), std::fabs(b));
  if (!r.driver.vector_output && !box_in_view(v, cx - m, cy - m, cx + m, cy + m)) return;
  sweep = std::clamp(sweep, -kTwoPi, kTwoPi);
  const int n = arc_chord_count(a, b, sweep, v.scale, r.driver.vector_output);
  const double cr = rotation == 0 ? 1 : std::cos(rotation),
               sr = rotation == 0 ? 0 : std::sin(rotation);
  const double step = sweep / n;
  const double cs = std::cos(step), ss = std::sin(step);
  // cos t and sin t advance by rotation; the last point is computed directly so that closed
  // curves close exactly.
  double ct = std::cos(start), st = std::sin(start);
  double px = cx + a * ct * cr - b * st * sr, py = cy + a * ct * sr + b * st * cr;
  ChordPixels fast(r, pen, line_type);
  // |a cos t cr - b sin t sr| <= |a| + |b|, and so for y.
  const double reach = std::fabs(a) + std::fabs(b);
  fast.reach(cx - reach, cy - reach, cx + reach, cy + reach);
  for (int i = 1; i <= n; ++i) {
    if (i == n) {
      ct = std::cos(start + sweep);
      st = std::sin(start + sweep);
    } else {
      const double c2 = ct * cs - st * ss;
      st = st * cs + ct * ss;
      ct = c2;
    }
    const double qx = cx + a * ct * cr - b * st * sr, qy = cy + a * ct * sr + b * st * cr;
    if (!fast.chord(px, py, qx, qy)) r.driver.line(r, pen, line_type, px, py, qx, qy);
    px = qx;
    py = qy;
  }
  if (r.drawing && r.drawing->settings.view.guide_points && !r.driver.vector_output)
    draw_guide_cross(r, cx, cy);
}

double spline_divisions(const Point2& p0, const Point2& p1, const Point2& p2, const Point2& p3,
                        double units_per_pixel, bool vector_output) {
  double n = (std::hypot(p3.x - p0.x, p3.y - p0.y) + std::hypot(p2.x - p1.x, p2.y - p1.y)) / 22 /
             units_per_pixel;
  if (!(n >= 12)) n = 12;  // also NaN
  if (n > 120) n = 120;
  return vector_output ? 2 * n : n;
}

void screen_spline(Renderer& r, int pen, int line_type, const Point2& p0, const Point2& p1,
                   const Point2& p2, const Point2& p3) {
  if (!r.screen || !r.driver.line) return;
  const View& v = r.screen->view();
  if (!(v.units_x > 0)) return;
  const bool vec = r.driver.vector_output;
  // The curve lies within its control polygon.
  if (!vec &&
      !box_in_view(v, std::min({p0.x, p1.x, p2.x, p3.x}), std::min({p0.y, p1.y, p2.y, p3.y}),
                   std::max({p0.x, p1.x, p2.x, p3.x}), std::max({p0.y, p1.y, p2.y, p3.y})))
    return;
  const double n = spline_divisions(p0, p1, p2, p3, v.units_x, vec);
  double px = p0.x, py = p0.y;
  for (int i = 1;; ++i) {
    const double t = i / n;
    if (!(t < 1)) break;
    const Point2 q = bezier_point(p0, p1, p2, p3, t);
    r.driver.line(r, pen, line_type, px, py, q.x, q.y);
    px = q.x;
    py = q.y;
  }
  r.driver.line(r, pen, line_type, px, py, p3.x, p3.y);
  if (r.drawing && r.drawing->settings.view.guide_points && !vec) {
    draw_guide_cross(r, p1.x, p1.y);
    draw_guide_cross(r, p2.x, p2.y);
  }
}

namespace {

// Dimensions and rooms are drawn by their own modules (dimension figures, room labels);
// until those are installed here the screen draws nothing for them.

void xor_line_op(Renderer& r, int, int, double x1, double y1, double x2, double y2) {
  if (r.screen) xor_line_world(*r.screen, x1, y1, x2, y2);
}

void xor_arc_op(Renderer& r, int pen, int line_type, double cx, double cy, double a, double b,
                double sweep, double start, double rotation) {
  if (!finite(cx) || !finite(cy) || !finite(a) || !finite(b) || !finite(sweep) || !finite(start) ||
      !finite(rotation))
    return;
  constexpr int kChords = 24;
  sweep = std::clamp(sweep, -kTwoPi, kTwoPi);
  const double cr = std::cos(rotation), sr = std::sin(rotation);
  auto at = [&](int i, double& x, double& y) {
    const double t = start + sweep * i / kChords;
    x = cx + a * std::cos(t) * cr - b * std::sin(t) * sr;
    y = cy + a * std::cos(t) * sr + b * std::sin(t) * cr;
  };
  double px, py;
  at(0, px, py);
  for (int i = 1; i <= kChords; ++i) {
    double qx, qy;
    at(i, qx, qy);
    xor_line_op(r, pen, line_type, px, py, qx, qy);
    px = qx;
    py = qy;
  }
}

void xor_spline_op(Renderer& r, int pen, int line_type, const Point2& p0, const Point2& p1,
                   const Point2& p2, const Point2& p3) {
  constexpr int kChords = 24;
  double px = p0.x, py = p0.y;
  for (int i = 1; i <= kChords; ++i) {
    const Point2 q = bezier_point(p0, p1, p2, p3, static_cast<double>(i) / kChords);
    xor_line_op(r, pen, line_type, px, py, q.x, q.y);
    px = q.x;
    py = q.y;
  }
}

}  // namespace

OutputDriver screen_driver(Screen& s) {
  OutputDriver d;
  d.context = &s;
  d.line = screen_line;
  d.arc = screen_arc;
  d.spline = screen_spline;
  d.text = draw_text_run;
  d.dimension = draw_dimension_strokes;
  d.room = draw_room_strokes;
  d.fill = screen_pattern_fill;
  d.vector_output = false;
  return d;
}

OutputDriver xor_driver(Screen& s) {
  OutputDriver d;
  d.context = &s;
  d.line = xor_line_op;
  d.arc = xor_arc_op;
  d.spline = xor_spline_op;
  d.vector_output = false;
  return d;
}

}  // namespace korav
