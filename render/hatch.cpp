#include "render/hatch.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/drawing.h"
#include "model/element_points.h"
#include "render/renderer.h"
#include "render/surface.h"

namespace korav {

namespace {

constexpr double kFlatEdge = 1e-5;    // edges flatter than this are no edges
constexpr double kNearEnd = 1e-6;     // a scanline this near an edge end's height ...
constexpr double kEndShift = 1e-5;    // ... is moved up by this
constexpr double kCrossSlack = 1e-5;  // crossings this far outside their edge still count
constexpr double kMinPiece = 1e-5;    // pieces not longer than this are not drawn

struct Edge {
  double ylo, yhi;  // the lower end first
  double xlo, xhi;
};

// Working storage of the scanlines, grown to the largest outline and then reused.
struct Scratch {
  std::vector<double> x, y;
  std::vector<char> separator;
  std::vector<Edge> edges;
  std::vector<double> ends;  // every edge end's height, ascending
  std::vector<const Edge*> active;
  std::vector<double> crossings;
};

Scratch& scratch() {
  thread_local Scratch s;
  return s;
}

bool finite(double v) { return std::isfinite(v); }

// The edges of an outline turned by −angle, and the scanline walk over them.
class Scanlines {
 public:
  Scanlines(std::span<const Point2> outline, double c, double s) : w_(scratch()) {
    const std::size_t n = outline.size();
    w_.x.resize(n);
    w_.y.resize(n);
    w_.separator.resize(n);
    w_.edges.clear();
    w_.ends.clear();
    w_.active.clear();
    for (std::size_t i = 0; i < n; ++i) {
      const Point2& p = outline[i];
      w_.separator[i] = is_separator(p);
      w_.x[i] = p.x * c + p.y * s;
      w_.y[i] = -p.x * s + p.y * c;
      if (!w_.separator[i] && !(finite(w_.x[i]) && finite(w_.y[i]))) return;  // nothing drawn
    }
    // The height range, separators and the last point left out.
    for (std::size_t i = 0; i + 1 < n; ++i) {
      if (w_.separator[i]) continue;
      if (!any_) ymin_ = ymax_ = w_.y[i];
      ymin_ = std::min(ymin_, w_.y[i]);
      ymax_ = std::max(ymax_, w_.y[i]);
      any_ = true;
    }
    std::size_t first = 0;  // the first point of the current sub-polygon
    for (std::size_t i = 0; i + 1 < n; ++i) {
      if (w_.separator[i]) {
        first = i + 1;
        continue;
      }
      const std::size_t j = w_.separator[i + 1] ? first : i + 1;
      if (std::fabs(w_.y[i] - w_.y[j]) < kFlatEdge) continue;
      const bool up = w_.y[i] < w_.y[j];
      const std::size_t lo = up ? i : j, hi = up ? j : i;
      w_.edges.push_back({w_.y[lo], w_.y[hi], w_.x[lo], w_.x[hi]});
      w_.ends.push_back(w_.y[lo]);
      w_.ends.push_back(w_.y[hi]);
    }
    std::sort(w_.edges.begin(), w_.edges.end(),
              [](const Edge& a, const Edge& b) { return a.ylo < b.ylo; });
    std::sort(w_.ends.begin(), w_.ends.end());
    ok_ = any_;
  }

  bool ok() const { return ok_; }
  double ymin() const { return ymin_; }
  double ymax() const { return ymax_; }
  double x(std::size_t i) const { return w_.x[i]; }

  // The crossings of the scanline at y, ascending. Scanlines come in ascending order; one that
  // meets an edge end's height is moved up first (y changes).
  std::span<const double> cross(double& y) {
    while (next_end_ < w_.ends.size() && w_.ends[next_end_] < y - kNearEnd) ++next_end_;
    if (next_end_ < w_.ends.size() && w_.ends[next_end_] <= y + kNearEnd) y += kEndShift;
    while (next_edge_ < w_.edges.size() && w_.edges[next_edge_].ylo < y)
      w_.active.push_back(&w_.edges[next_edge_++]);
    std::erase_if(w_.active, [y](const Edge* e) { return e->yhi <= y; });
    w_.crossings.clear();
    for (const Edge* e : w_.active) {
      if (!(e->ylo < y && y < e->yhi)) continue;
      const double t = (e->yhi - y) / (e->yhi - e->ylo);
      const double x = t * e->xlo + (1 - t) * e->xhi;
      const double left = std::min(e->xlo, e->xhi), right = std::max(e->xlo, e->xhi);
      if (x >= left - kCrossSlack && x <= right + kCrossSlack) w_.crossings.push_back(x);
    }
    // Sorted once: an outline that crosses a scanline hundreds of times must not cost the
    // square of that.
    std::sort(w_.crossings.begin(), w_.crossings.end());
    return w_.crossings;
  }

 private:
  Scratch& w_;
  bool any_ = false, ok_ = false;
  double ymin_ = 0, ymax_ = 0;
  std::size_t next_edge_ = 0, next_end_ = 0;
};

// The first value o + k × s (k whole) that is not below v.
double first_step(double v, double o, double s) {
  const double d = (v - o) / s;
  return v + (std::ceil(d) - d) * s;
}

// The window turned by −angle, as a box in the turned plane.
HatchWindow turned(const HatchWindow& w, double c, double s) {
  const double xs[4] = {w.xmin, w.xmax, w.xmax, w.xmin}, ys[4] = {w.ymin, w.ymin, w.ymax, w.ymax};
  HatchWindow t{1e300, 1e300, -1e300, -1e300};
  for (int i = 0; i < 4; ++i) {
    const double x = xs[i] * c + ys[i] * s, y = -xs[i] * s + ys[i] * c;
    t.xmin = std::min(t.xmin, x);
    t.xmax = std::max(t.xmax, x);
    t.ymin = std::min(t.ymin, y);
    t.ymax = std::max(t.ymax, y);
  }
  return t;
}

enum class Strokes { kLines, kPoints };

long hatch(Strokes kind, std::span<const Point2> outline, double ox, double oy, double angle,
           double spacing, const HatchWindow* window, HatchSink sink, void* context) {
  if (!(spacing > 0) || !finite(spacing) || !finite(ox) || !finite(oy) || !finite(angle) ||
      outline.size() < 2)
    return 0;
  const double c = std::cos(angle), s = std::sin(angle);
  Scanlines scan(outline, c, s);
  if (!scan.ok()) return 0;
  const double oxr = ox * c + oy * s, oyr = -ox * s + oy * c;
  double from = scan.ymin(), to = scan.ymax();
  HatchWindow box{-1e300, -1e300, 1e300, 1e300};
  if (window) {
    box = turned(*window, c, s);
    // Scanlines below the window need not be walked; the few above it neither.
    from = std::max(from, box.ymin - spacing);
    to = std::min(to, box.ymax + spacing);
  }
  if (!(to > from) || (to - from) / spacing > kMaxHatchScanlines) return 0;
  long strokes = 0;
  auto emit = [&](double x1, double x2, double y) {
    sink(context, x1 * c - y * s, x1 * s + y * c, x2 * c - y * s, x2 * s + y * c);
    ++strokes;
  };
  double y = first_step(from, oyr, spacing);
  for (long n = 0; y < to && n <= static_cast<long>(kMaxHatchScanlines); ++n, y += spacing) {
    const std::span<const double> x = scan.cross(y);
    for (std::size_t k = 0; k + 1 < x.size(); k += 2) {
      const double x1 = x[k], x2 = x[k + 1];
      if (!(x2 - x1 > kMinPiece)) continue;
      if (kind == Strokes::kLines) {
        emit(x1, x2, y);
        continue;
      }
      const double left = std::max(x1, box.xmin - spacing), right = std::min(x2, box.xmax);
      if (!(right > left) || (right - left) / spacing > kMaxHatchScanlines) continue;
      for (double px = first_step(left, oxr, spacing); px < right; px += spacing) emit(px, px, y);
    }
  }
  return strokes;
}

struct LineContext {
  Renderer* r;
  int pen, line_type;
};

void to_driver(void* context, double x1, double y1, double x2, double y2) {
  auto* c = static_cast<LineContext*>(context);
  c->r->driver.line(*c->r, c->pen, c->line_type, x1, y1, x2, y2);
}

// The outline's bounding box without separators; false when it has no point.
bool outline_box(std::span<const Point2> outline, HatchWindow& b) {
  bool any = false;
  for (const Point2& p : outline) {
    if (is_separator(p)) continue;
    if (!any) b = {p.x, p.y, p.x, p.y};
    b.xmin = std::min(b.xmin, p.x);
    b.ymin = std::min(b.ymin, p.y);
    b.xmax = std::max(b.xmax, p.x);
    b.ymax = std::max(b.ymax, p.y);
    any = true;
  }
  return any;
}

bool screen_shows_patterns(const Renderer& r) {
  return r.screen && r.drawing && r.drawing->settings.view.patterns != 0;
}

}  // namespace

long hatch_lines(std::span<const Point2> outline, double ox, double oy, double angle,
                 double spacing, const HatchWindow* window, HatchSink sink, void* context) {
  return hatch(Strokes::kLines, outline, ox, oy, angle, spacing, window, sink, context);
}

long hatch_points(std::span<const Point2> outline, double ox, double oy, double angle,
                  double spacing, const HatchWindow* window, HatchSink sink, void* context) {
  return hatch(Strokes::kPoints, outline, ox, oy, angle, spacing, window, sink, context);
}

void hatch_pattern(Renderer& r, const Pattern& p, int routine) {
  if (!r.driver.line) return;
  const std::span<const Point2> outline = outline_points(p);
  const bool second = routine == 1;
  LineContext ctx{&r, second ? p.pen2 : p.pen, second ? p.line_type2 : p.line_type};
  const Point2& origin = second ? p.offset : p.origin;
  const double angle = second ? p.angle2 : p.angle1;
  double spacing = second ? p.spacing2 : p.spacing1;
  if (spacing == 0) return;
  HatchWindow view_box;
  const HatchWindow* window = nullptr;
  if (!r.driver.vector_output) {
    if (!screen_shows_patterns(r)) return;
    const View& v = r.screen->view();
    spacing = std::max(spacing, v.units_x);
    HatchWindow b;
    if (!outline_box(outline, b) || !box_in_view(v, b.xmin, b.ymin, b.xmax, b.ymax)) return;
    view_box = {v.xmin, v.ymin, v.xmax, v.ymax};
    window = &view_box;
  }
  if (routine == 2)
    hatch_points(outline, origin.x, origin.y, angle, spacing, window, to_driver, &ctx);
  else hatch_lines(outline, origin.x, origin.y, angle, spacing, window, to_driver, &ctx);
}

FillColour fill_colour(const Renderer& r, const Pattern& p) {
  FillColour own{p.red, p.green, p.blue};
  if (!r.screen) return own;
  const Surface& sf = r.screen->cur();
  const Rgb& bg = sf.colour[kColourBackground];
  switch (r.colour) {
    case ColourClass::kHighlight: {
      const Rgb& h = sf.colour[kColourHighlight];
      return {h.red, h.green, h.blue};
    }
    case ColourClass::kErase: return {bg.red, bg.green, bg.blue};
    case ColourClass::kOtherLayer:
      return {(own.r + bg.red) / 2, (own.g + bg.green) / 2, (own.b + bg.blue) / 2};
    default: return own;
  }
}

void screen_pattern_fill(Renderer& r, const Pattern& p) {
  if (!screen_shows_patterns(r)) return;
  Screen& s = *r.screen;
  const View& v = s.view();
  if (!(v.units_x > 0) || !(v.units_y > 0)) return;
  const std::span<const Point2> outline = outline_points(p);
  HatchWindow b;
  if (!outline_box(outline, b) || !box_in_view(v, b.xmin, b.ymin, b.xmax, b.ymax)) return;
  Scanlines scan(outline, 1, 0);
  if (!scan.ok()) return;
  const FillColour colour = fill_colour(r, p);
  // Pixel rows from the bottom up (world y ascending), at their centres.
  const double top_row = std::max<double>(v.top, std::floor(world_to_pixel_y(v, scan.ymax())));
  const double bottom_row =
      std::min<double>(v.bottom - 1, std::floor(world_to_pixel_y(v, scan.ymin())));
  if (!(bottom_row >= top_row) || bottom_row - top_row > kMaxSurfaceSide) return;
  for (double row = bottom_row; row >= top_row; --row) {
    double y = pixel_to_world_y(v, row + 0.5);
    if (y < scan.ymin() || y >= scan.ymax()) continue;
    const std::span<const double> x = scan.cross(y);
    for (std::size_t k = 0; k + 1 < x.size(); k += 2) {
      const double x1 = std::max(x[k], v.xmin), x2 = std::min(x[k + 1], v.xmax);
      if (!(x2 - x1 > kMinPiece)) continue;
      draw_rgb_line(s, colour.r, colour.g, colour.b, world_to_pixel_x(v, x1), row,
                    world_to_pixel_x(v, x2), row);
    }
  }
}

}  // namespace korav
