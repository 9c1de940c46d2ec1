#include "exchange/printed_page.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "exchange/export_pass.h"
#include "model/drawing.h"
#include "render/clip.h"
#include "render/screen_output.h"

namespace korav {

namespace {

constexpr double kTwoPi = 2 * 3.141592653589793;
// Page coordinates (points) beyond this are not handed to cairo, whose device coordinates are
// fixed-point numbers of limited range; such curves go as clipped chords instead.
constexpr double kPageLimit = 1e6;

bool finite(double v) { return std::isfinite(v); }

struct Page {
  Page(const PrintPens& p, const PageLayout& l) : pens(p), layout(l) {}
  const PrintPens& pens;
  PageLayout layout;
  double corner_x = 0, corner_y = 0;
  double height = 0;  // the paper's, points
  double scale = 100;
  cairo_t* cr = nullptr;
  ExportRect reach;  // the printable area, enlarged by the widest pen

  double u(double x) const { return (x - corner_x) * layout.points_per_metre; }
  double v(double y) const { return height - (y - corner_y) * layout.points_per_metre; }
  void pen(int pen, int line_type) {
    if (pen < 0 || pen >= kPenCount) pen = 0;
    if (line_type < 0 || line_type >= kLineTypeCount) line_type = 0;
    const PrintPen& p = pens[static_cast<std::size_t>(pen * kLineTypeCount + line_type)];
    cairo_set_source_rgb(cr, p.red, p.green, p.blue);
    cairo_set_line_width(cr, std::max(p.width, kThinnestLine));
    cairo_set_dash(cr, p.dash.data(), p.dashes, 0);
  }
};

Page& page(Renderer& r) { return *static_cast<Page*>(r.driver.context); }

void page_line(Renderer& r, int pen, int lt, double x1, double y1, double x2, double y2) {
  Page& p = page(r);
  if (pen == kGuidePen) return;
  const ExportRect& a = p.reach;
  if (!clip_segment(x1, y1, x2, y2, a.left, a.bottom, a.right(), a.top())) return;
  p.pen(pen, lt);
  cairo_move_to(p.cr, p.u(x1), p.v(y1));
  cairo_line_to(p.cr, p.u(x2), p.v(y2));
  cairo_stroke(p.cr);
}

void page_arc(Renderer& r, int pen, int lt, double cx, double cy, double a, double b, double sweep,
              double start, double rotation) {
  Page& p = page(r);
  if (pen == kGuidePen) return;
  if (!arc_reaches(p.reach, cx, cy, a, b, sweep, start, rotation)) return;
  if (std::max(a, b) * p.layout.points_per_metre > kPageLimit ||
      std::fabs(p.u(cx)) > kPageLimit || std::fabs(p.v(cy)) > kPageLimit) {
    screen_arc(r, pen, lt, cx, cy, a, b, sweep, start, rotation);
    return;
  }
  sweep = std::clamp(sweep, -kTwoPi, kTwoPi);
  const int n = arc_chord_count(a, b, sweep, p.scale, true);
  const double cr = std::cos(rotation), sr = std::sin(rotation);
  p.pen(pen, lt);
  for (int i = 0; i <= n; ++i) {
    const double t = i == n ? start + sweep : start + sweep * i / n;
    const double ct = std::cos(t), st = std::sin(t);
    const double x = cx + a * ct * cr - b * st * sr, y = cy + a * ct * sr + b * st * cr;
    if (i == 0) cairo_move_to(p.cr, p.u(x), p.v(y));
    else cairo_line_to(p.cr, p.u(x), p.v(y));
  }
  if (std::fabs(sweep) >= kTwoPi) cairo_close_path(p.cr);
  cairo_stroke(p.cr);
}

void page_spline(Renderer& r, int pen, int lt, const Point2& p0, const Point2& p1,
                 const Point2& p2, const Point2& p3) {
  Page& p = page(r);
  if (pen == kGuidePen) return;
  for (const Point2* q : {&p0, &p1, &p2, &p3})
    if (!finite(q->x) || !finite(q->y)) return;
  const double xmin = std::min({p0.x, p1.x, p2.x, p3.x}), xmax = std::max({p0.x, p1.x, p2.x, p3.x});
  const double ymin = std::min({p0.y, p1.y, p2.y, p3.y}), ymax = std::max({p0.y, p1.y, p2.y, p3.y});
  if (!p.reach.overlaps(xmin, ymin, xmax, ymax)) return;  // the curve lies within its polygon
  for (const Point2* q : {&p0, &p1, &p2, &p3})
    if (std::fabs(p.u(q->x)) > kPageLimit || std::fabs(p.v(q->y)) > kPageLimit) {
      screen_spline(r, pen, lt, p0, p1, p2, p3);
      return;
    }
  p.pen(pen, lt);
  cairo_move_to(p.cr, p.u(p0.x), p.v(p0.y));
  cairo_curve_to(p.cr, p.u(p1.x), p.v(p1.y), p.u(p2.x), p.v(p2.y), p.u(p3.x), p.v(p3.y));
  cairo_stroke(p.cr);
}

// A solid filling: every ring in one path, filled even-odd.
void page_fill(Renderer& r, const Pattern& pat) {
  Page& p = page(r);
  if (pat.pen == kGuidePen) return;
  const Point2* pts = pat.points();
  Extent box;
  for (std::uint32_t i = 0; i < pat.count; ++i)
    if (!is_separator(pts[i]) && finite(pts[i].x) && finite(pts[i].y)) box.add(pts[i].x, pts[i].y);
  if (box.empty || !p.reach.overlaps(box.xmin, box.ymin, box.xmax, box.ymax)) return;
  auto channel = [](double c) { return finite(c) ? std::clamp(c, 0.0, 1.0) : 0.0; };
  cairo_set_source_rgb(p.cr, channel(pat.red), channel(pat.green), channel(pat.blue));
  bool ring_start = true;
  for (std::uint32_t i = 0; i < pat.count; ++i) {
    if (is_separator(pts[i])) {
      if (!ring_start) cairo_close_path(p.cr);
      ring_start = true;
      continue;
    }
    if (!finite(pts[i].x) || !finite(pts[i].y)) continue;
    // A corner far off the page is brought nearer; the part on the page keeps its shape
    // unless an edge runs from there across the page.
    const double u = std::clamp(p.u(pts[i].x), -kPageLimit, kPageLimit);
    const double v = std::clamp(p.v(pts[i].y), -kPageLimit, kPageLimit);
    if (ring_start) cairo_move_to(p.cr, u, v);
    else cairo_line_to(p.cr, u, v);
    ring_start = false;
  }
  cairo_close_path(p.cr);
  cairo_fill(p.cr);
}

double positive_or(double v, double fallback) { return finite(v) && v > 0 ? v : fallback; }
double non_negative(double v) { return finite(v) && v > 0 ? v : 0; }

}  // namespace

PrintPens print_pens(const Settings& s, double print_scale, bool black) {
  const double scale = positive_or(s.drawing_scale, 100);
  print_scale = positive_or(print_scale, 100);
  // Millimetres at the drawing scale to points at the print scale.
  const double k = 72 / 25.4 * scale / print_scale;
  PrintPens out{};
  for (int p = 0; p < kPenCount; ++p) {
    const Pen& pen = s.pens[static_cast<std::size_t>(p)];
    for (int t = 0; t < kLineTypeCount; ++t) {
      PrintPen& e = out[static_cast<std::size_t>(p * kLineTypeCount + t)];
      e.width = non_negative(pen.thickness) * k;
      if (!finite(e.width)) e.width = 0;
      if (!black) {
        e.red = finite(pen.red) ? std::clamp(pen.red, 0.0, 1.0) : 0;
        e.green = finite(pen.green) ? std::clamp(pen.green, 0.0, 1.0) : 0;
        e.blue = finite(pen.blue) ? std::clamp(pen.blue, 0.0, 1.0) : 0;
      }
      const LineType& lt = s.line_types[static_cast<std::size_t>(t)];
      const int n = std::min<int>(lt.sections, 3);
      double sum = 0;
      for (int i = 0; i < n; ++i) {
        e.dash[static_cast<std::size_t>(2 * i)] = non_negative(lt.line[i]) * k;
        e.dash[static_cast<std::size_t>(2 * i + 1)] = non_negative(lt.space[i]) * k;
        sum += e.dash[static_cast<std::size_t>(2 * i)] + e.dash[static_cast<std::size_t>(2 * i + 1)];
      }
      // cairo refuses dashes that add up to nothing: such a line type is solid.
      e.dashes = sum > 0.01 && finite(sum) ? 2 * n : 0;
      if (e.dashes == 0) e.dash = {};
    }
  }
  return out;
}

PrintedPaper paper_of(const PrintSetup& p) {
  PrintedPaper out;
  out.width = p.paper_width * kPointsPerCm;
  out.height = p.paper_height * kPointsPerCm;
  out.margin_top = p.margin_top * kPointsPerCm;
  out.margin_left = p.margin_left * kPointsPerCm;
  out.margin_right = p.margin_right * kPointsPerCm;
  out.margin_bottom = p.margin_bottom * kPointsPerCm;
  if (p.landscape) {
    std::swap(out.width, out.height);
    const PrintedPaper upright = out;
    out.margin_top = upright.margin_left;
    out.margin_right = upright.margin_top;
    out.margin_bottom = upright.margin_right;
    out.margin_left = upright.margin_bottom;
  }
  return out;
}

void keep_paper(PrintOptions& o, const PrintedPaper& paper, bool landscape) {
  if (!(paper.width > 0 && paper.height > 0 && finite(paper.width) && finite(paper.height)))
    return;
  PrintedPaper upright = paper;
  if (landscape) {
    std::swap(upright.width, upright.height);
    upright.margin_left = paper.margin_top;
    upright.margin_top = paper.margin_right;
    upright.margin_right = paper.margin_bottom;
    upright.margin_bottom = paper.margin_left;
  }
  // Centimetres to a millionth, so that a paper that went through points comes back as it was
  // typed (21.0, not 20.999999999999996).
  auto cm = [](double points) { return std::round(points / kPointsPerCm * 1e6) / 1e6; };
  o.paper_width = cm(upright.width);
  o.paper_height = cm(upright.height);
  o.margin_top = cm(non_negative(upright.margin_top));
  o.margin_left = cm(non_negative(upright.margin_left));
  o.margin_right = cm(non_negative(upright.margin_right));
  o.margin_bottom = cm(non_negative(upright.margin_bottom));
  o.landscape = landscape ? 1 : 0;
}

PageLayout page_layout(double corner_x, double corner_y, double print_scale,
                       const PrintedPaper& paper) {
  PageLayout l;
  l.points_per_metre = units_per_metre(positive_or(print_scale, 100), 1);
  const double k = l.points_per_metre;
  const double w = non_negative(paper.width), h = non_negative(paper.height);
  l.paper = {corner_x, corner_y, w / k, h / k};
  const double left = std::min(non_negative(paper.margin_left), w);
  const double right = std::min(non_negative(paper.margin_right), w - left);
  const double bottom = std::min(non_negative(paper.margin_bottom), h);
  const double top = std::min(non_negative(paper.margin_top), h - bottom);
  l.printable = {corner_x + left / k, corner_y + bottom / k, (w - left - right) / k,
                 (h - top - bottom) / k};
  return l;
}

void draw_printed_page(cairo_t* cr, const Drawing& d, FontTable* fonts, const PrintSetup& setup,
                       double corner_x, double corner_y, const PrintedPaper& paper) {
  if (!cr || cairo_status(cr) != CAIRO_STATUS_SUCCESS) return;
  if (!finite(corner_x) || !finite(corner_y)) return;
  const bool black = d.settings.view.all_black != 0 || !setup.colour;
  const PrintPens pens = print_pens(d.settings, setup.scale, black);
  Page p(pens, page_layout(corner_x, corner_y, setup.scale, paper));
  p.corner_x = corner_x;
  p.corner_y = corner_y;
  p.height = non_negative(paper.height);
  p.scale = positive_or(setup.scale, 100);
  p.cr = cr;
  double widest = 0;
  for (const PrintPen& pen : pens) widest = std::max(widest, pen.width);
  const double grow = (widest + kThinnestLine) / p.layout.points_per_metre;
  const ExportRect& a = p.layout.printable;
  p.reach = {a.left - grow, a.bottom - grow, a.width + 2 * grow, a.height + 2 * grow};

  cairo_save(cr);
  // Only the printable area.
  cairo_rectangle(cr, p.u(a.left), p.v(a.top()), a.width * p.layout.points_per_metre,
                  a.height * p.layout.points_per_metre);
  cairo_clip(cr);
  cairo_new_path(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);

  ExportPass pass(d, fonts, 1 / p.layout.points_per_metre);
  pass.set_window(p.reach.left, p.reach.bottom, p.reach.right(), p.reach.top());
  OutputDriver& op = pass.driver();
  op.context = &p;
  op.line = page_line;
  op.arc = page_arc;
  op.spline = page_spline;
  op.fill = page_fill;
  pass.run();
  cairo_restore(cr);
}

}  // namespace korav
