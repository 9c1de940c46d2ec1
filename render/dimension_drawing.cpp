#include "render/dimension_drawing.h"

#include <charconv>
#include <cmath>
#include <cstddef>

#include "model/drawing.h"
#include "model/element_points.h"
#include "model/units.h"
#include "render/renderer.h"
#include "render/text_drawing.h"

namespace korav {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2 * kPi;
constexpr double kArrowSide = 0.1309;  // 7.5 degrees
constexpr double kRaised = 0.6;        // superscript height, of the figure height

struct P {
  double x = 0, y = 0;
  P operator+(P o) const { return {x + o.x, y + o.y}; }
  P operator-(P o) const { return {x - o.x, y - o.y}; }
  P operator*(double k) const { return {x * k, y * k}; }
};
P of(const Point2& p) { return {p.x, p.y}; }
P dir(double a) { return {std::cos(a), std::sin(a)}; }
P normal(double a) { return {-std::sin(a), std::cos(a)}; }
double length(P v) { return std::hypot(v.x, v.y); }

// An angle turned by half a turn where a text along it would read upside down.
double readable(double a) {
  a = std::fmod(a, kTwoPi);
  if (a < 0) a += kTwoPi;
  if (a > kPi / 2 + 1e-9 && a <= 3 * kPi / 2 + 1e-9) a -= kPi;
  return a;
}

std::string fixed2(double v) {
  if (!std::isfinite(v)) v = 0;
  if (std::fabs(v) < 0.005) v = 0;  // no "-0.00"
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
  return r.ec == std::errc() ? std::string(buf, r.ptr) : "0.00";
}

DimensionFigure figure_of(const Drawing& d, const Dimension& dim, double metres) {
  return format_dimension_figure(std::fabs(metres), dim.unit_style, d.settings.accuracy,
                                 d.settings.accuracy_arch);
}

std::string star(bool screen, double override_value) {
  return screen && override_value != 0 ? "*" : "";
}

void line(Renderer& r, const Dimension& dim, P a, P b) {
  r.driver.line(r, dim.pen, dim.line_type, a.x, a.y, b.x, b.y);
}

// An arrowhead with its tip at `tip`, its body along `body`: outlined, then filled.
void arrow(Renderer& r, const Dimension& dim, P tip, double body, double size) {
  const P a = tip + dir(body + kArrowSide) * size, b = tip + dir(body - kArrowSide) * size;
  line(r, dim, tip, a);
  line(r, dim, a, b);
  line(r, dim, b, tip);
  if (!r.driver.fill || !r.drawing) return;
  struct Filled {
    Pattern p;
    Point2 outline[4];
  } f{};
  // The outline follows the record as a pattern's tail does.
  static_assert(sizeof(Pattern) % alignof(Point2) == 0);
  f.p.type = kPattern;
  f.p.pen = dim.pen;
  f.p.line_type = dim.line_type;
  f.p.layer = dim.layer;
  f.p.kind = 3;
  f.p.count = 4;
  f.p.size = sizeof(Filled);
  const Settings& s = r.drawing->settings;
  if (!s.view.all_black && dim.pen < kPenCount) {
    f.p.red = s.pens[dim.pen].red;
    f.p.green = s.pens[dim.pen].green;
    f.p.blue = s.pens[dim.pen].blue;
  }
  f.outline[0] = {tip.x, tip.y, 0};
  f.outline[1] = {a.x, a.y, 0};
  f.outline[2] = {b.x, b.y, 0};
  f.outline[3] = {kSeparator, kSeparator, 0};
  r.driver.fill(r, f.p);
}

TextRun figure_run(const Dimension& dim, double x, double y, double angle, double height,
                   std::string_view text) {
  TextRun t;
  t.pen = dim.pen;
  t.line_type = dim.line_type;
  t.x = x;
  t.y = y;
  t.angle = angle;
  t.height = height;
  t.width_factor = dim.spacing[0] > 0 ? dim.spacing[0] : 1;
  t.spacing = dim.spacing[1];
  t.line_spacing = 1.5;
  t.font = dim.font.view();
  t.text = text;
  t.guide_cross = false;
  return t;
}

double run_width(Renderer& r, const TextRun& t, double scale) {
  if (!r.fonts) return 0;
  return text_width(*r.fonts, scale, t.height, t.width_factor, t.spacing, t.font, t.text, 0, 0);
}

// A figure with its superscript, centred on (or starting at) its anchor.
void draw_figure(Renderer& r, const Dimension& dim, const DimensionFigureText& f, double scale) {
  if (!r.driver.text) return;
  TextRun main = figure_run(dim, f.x, f.y, f.angle, dim.figure_height, f.text);
  TextRun up = figure_run(dim, 0, 0, f.angle, dim.figure_height * kRaised, f.raised);
  const double wm = run_width(r, main, scale);
  const double wr = f.raised.empty() ? 0 : run_width(r, up, scale) + main.spacing * scale / 1000;
  const P u = dir(f.angle), n = normal(f.angle);
  P start{f.x, f.y};
  if (f.align == 2) start = start - u * ((wm + wr) / 2);
  main.x = start.x;
  main.y = start.y;
  r.driver.text(r, main);
  if (!f.raised.empty()) {
    const P at = start + u * (wm + main.spacing * dim.figure_height * scale / 1000) +
                 n * (dim.figure_height * scale / 1000 * 0.5);
    up.x = at.x;
    up.y = at.y;
    r.driver.text(r, up);
  }
  if (!f.height.empty()) {
    // The height figure stands below the line, under the main figure.
    const double h = figure_world_height(dim, scale);
    const P at = P{f.x, f.y} - n * (2 * figure_distance(dim, scale) + h);
    TextRun t = figure_run(dim, at.x, at.y, f.angle, dim.figure_height, f.height);
    t.align = f.align;
    r.driver.text(r, t);
  }
}

void draw_chain(Renderer& r, const Dimension& dim, std::span<const DimPoint> pts, double h) {
  const double a = dim.direction;
  const P u = dir(a), n = normal(a);
  const std::size_t last = pts.size() - 1;
  const bool arrows = dim.mark_style == 2;
  if (pts.size() >= 2) {
    const double over = arrows ? 0 : h;  // the line runs a little past the outer ticks
    line(r, dim, of(pts[0].foot) - u * over, of(pts[last].foot) + u * over);
  }
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const P f = of(pts[i].foot), m = of(pts[i].measured);
    const P e = f - m;
    const double el = length(e);
    if (el > 1e-9) line(r, dim, m, f + e * (h / el));
    line(r, dim, f - n * h, f + n * h);
    if (dim.mark_style == 1) {
      if (r.driver.arc) r.driver.arc(r, dim.pen, dim.line_type, f.x, f.y, h / 2, h / 2, kTwoPi, 0, 0);
    } else if (arrows) {
      if (i == 0 && pts.size() >= 2) arrow(r, dim, f, a, h);
      if (i == last && pts.size() >= 2) arrow(r, dim, f, a + kPi, h);
    } else {
      const P w = dir(a - kPi / 4);
      line(r, dim, f - w * h, f + w * h);
    }
  }
}

void draw_circle_dimension(Renderer& r, const Dimension& dim, std::span<const DimPoint> pts,
                           double h) {
  if (pts.size() < 3) return;
  const P c = of(pts[0].foot), on = of(pts[1].foot), through = of(pts[2].foot);
  const P v = on - c;
  const double rad = length(v);
  if (!(rad > 0)) return;
  const double a = std::atan2(v.y, v.x);
  const P from = dim.kind == kDimDiameter ? c - v : c;
  line(r, dim, from, on);
  arrow(r, dim, on, a + kPi, h);
  if (dim.kind == kDimDiameter) arrow(r, dim, from, a, h);
  if (length(through - on) > 1e-9) line(r, dim, on, through);
}

void draw_angle_dimension(Renderer& r, const Dimension& dim, std::span<const DimPoint> pts,
                          double h) {
  if (pts.size() < 3) return;
  const P c = of(pts[0].foot), s = of(pts[1].foot), e = of(pts[2].foot);
  const double rad = length(s - c);
  if (!(rad > 0) || !(length(e - c) > 0)) return;
  const double a0 = std::atan2(s.y - c.y, s.x - c.x);
  double sweep = std::atan2(e.y - c.y, e.x - c.x) - a0;
  if (sweep < 0) sweep += kTwoPi;
  line(r, dim, c, s);
  line(r, dim, c, c + dir(a0 + sweep) * rad);
  if (r.driver.arc) r.driver.arc(r, dim.pen, dim.line_type, c.x, c.y, rad, rad, sweep, a0, 0);
  for (double t : {a0, a0 + sweep}) {
    const P p = c + dir(t) * rad, w = dir(t + kPi / 4);
    line(r, dim, p - w * h, p + w * h);
  }
}

void draw_height_marks(Renderer& r, const Dimension& dim, std::span<const DimPoint> pts, double h) {
  for (const DimPoint& p : pts) {
    const P f = of(p.foot), m = of(p.measured);
    if (length(f - m) > 1e-9) line(r, dim, m, f);
    // The level: a triangle standing on its tip at the level line, which runs out to the left.
    const P left = f + P{-h, h}, right = f + P{h, h};
    line(r, dim, f, left);
    line(r, dim, left, right);
    line(r, dim, right, f);
    line(r, dim, f - P{2 * h, 0}, f + P{h, 0});
  }
}

}  // namespace

double mark_half_length(const Dimension& dim, double drawing_scale) {
  const double mm = dim.extension > 0 && std::isfinite(dim.extension) ? dim.extension : 0.4;
  return mm * drawing_scale / 1000;
}

double figure_world_height(const Dimension& dim, double drawing_scale) {
  return dim.figure_height * drawing_scale / 1000;
}

double figure_distance(const Dimension& dim, double drawing_scale) {
  const double mm = dim.spacing[2] > 0 && std::isfinite(dim.spacing[2]) ? dim.spacing[2]
                                                                        : dim.figure_height / 2;
  return mm * drawing_scale / 1000;
}

std::vector<DimensionFigureText> dimension_figures(const Drawing& d, const Dimension& dim,
                                                   bool screen) {
  std::vector<DimensionFigureText> out;
  dimension_figures(d, dim, screen, out);
  return out;
}

void dimension_figures(const Drawing& d, const Dimension& dim, bool screen,
                       std::vector<DimensionFigureText>& out) {
  out.clear();
  if (!tail_intact(dim)) return;
  const auto pts = dimension_points(dim);
  const double scale = d.settings.drawing_scale;
  const double gap = figure_distance(dim, scale);
  const double h = mark_half_length(dim, scale);
  switch (dim.kind) {
    case kDimRadius:
    case kDimDiameter: {
      if (pts.size() < 3) break;
      const P c = of(pts[0].foot), on = of(pts[1].foot), through = of(pts[2].foot);
      const double rad = length(on - c);
      const double ov = pts[1].override_value;
      const double value = ov != 0 ? ov : dim.kind == kDimDiameter ? 2 * rad : rad;
      const DimensionFigure fig = figure_of(d, dim, value);
      DimensionFigureText t;
      t.index = 1;
      const P lead = length(through - on) > 1e-9 ? through - on : on - c;
      t.angle = readable(std::atan2(lead.y, lead.x));
      const P at = through + normal(t.angle) * gap;
      t.x = at.x;
      t.y = at.y;
      t.text = std::string(dim.kind == kDimDiameter ? "D " : "R ") + star(screen, ov) + fig.main;
      t.raised = fig.superscript;
      out.push_back(std::move(t));
      break;
    }
    case kDimAngle: {
      if (pts.size() < 3) break;
      const P c = of(pts[0].foot), s = of(pts[1].foot), e = of(pts[2].foot);
      const double a0 = std::atan2(s.y - c.y, s.x - c.x);
      double sweep = std::atan2(e.y - c.y, e.x - c.x) - a0;
      if (sweep < 0) sweep += kTwoPi;
      const double ov = pts[1].override_value;
      DimensionFigureText t;
      t.index = 1;
      const double mid = a0 + sweep / 2;
      const P at = c + dir(mid) * (length(s - c) + gap);
      t.x = at.x;
      t.y = at.y;
      t.angle = readable(mid - kPi / 2);
      t.text = star(screen, ov) + fixed2(ov != 0 ? ov : sweep * 180 / kPi);
      if (pts[1].height_figure != 0) t.height = fixed2(pts[1].height_figure);
      out.push_back(std::move(t));
      break;
    }
    case kDimHeights: {
      if (pts.empty()) break;
      const double zero = pts[0].foot.y;
      for (std::size_t i = 0; i < pts.size(); ++i) {
        const double ov = pts[i].override_value;
        const double value = ov != 0 ? ov : pts[i].foot.y - zero;
        DimensionFigureText t;
        t.index = static_cast<int>(i);
        t.align = 0;
        t.x = pts[i].foot.x + 1.5 * h;
        t.y = pts[i].foot.y + 0.3 * h;
        if (value == 0) {
          t.text = "+/- 0.00";
        } else {
          const DimensionFigure fig = figure_of(d, dim, value);
          t.text = std::string(value > 0 ? "+ " : "- ") + fig.main;
          t.raised = fig.superscript;
        }
        t.text = star(screen, ov) + t.text;
        out.push_back(std::move(t));
      }
      break;
    }
    default: {
      const double a = dim.direction;
      const double ra = readable(a);
      const P u = dir(a), n = normal(a), nr = normal(ra);
      for (std::size_t i = 1; i < pts.size(); ++i) {
        const DimPoint& p = pts[i];
        const P mid = (of(pts[i - 1].foot) + of(p.foot)) * 0.5;
        const double dist = std::fabs(p.distance);
        const double g = d.settings.move_figures && dist < 0.4 ? 2 * gap : gap;
        const P at = mid + nr * g - (u * p.extra[1] + n * p.extra[2]);
        DimensionFigureText t;
        t.index = static_cast<int>(i);
        t.x = at.x;
        t.y = at.y;
        t.angle = ra;
        const double ov = p.override_value;
        const DimensionFigure fig = figure_of(d, dim, ov != 0 ? ov : dist);
        t.text = star(screen, ov) + fig.main;
        t.raised = fig.superscript;
        if (p.height_figure != 0) {
          const DimensionFigure hf = figure_of(d, dim, p.height_figure);
          t.height = hf.main + hf.superscript;
        }
        out.push_back(std::move(t));
      }
      break;
    }
  }
}

void draw_dimension_strokes(Renderer& r, const Dimension& dim) {
  if (!r.driver.line || !r.drawing || !tail_intact(dim)) return;
  const auto pts = dimension_points(dim);
  if (pts.empty()) return;
  const double scale = r.drawing->settings.drawing_scale;
  const double h = mark_half_length(dim, scale);
  if (!std::isfinite(h) || !std::isfinite(dim.direction)) return;
  switch (dim.kind) {
    case kDimRadius:
    case kDimDiameter: draw_circle_dimension(r, dim, pts, h); break;
    case kDimAngle: draw_angle_dimension(r, dim, pts, h); break;
    case kDimHeights: draw_height_marks(r, dim, pts, h); break;
    default: draw_chain(r, dim, pts, h); break;
  }
  thread_local std::vector<DimensionFigureText> figures;
  dimension_figures(*r.drawing, dim, !r.driver.vector_output, figures);
  for (const DimensionFigureText& f : figures) draw_figure(r, dim, f, scale);
}

}  // namespace korav
