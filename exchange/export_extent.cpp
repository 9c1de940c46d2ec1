#include "exchange/export_extent.h"

#include <algorithm>
#include <cmath>

#include "exchange/export_pass.h"
#include "model/bezier.h"
#include "model/drawing.h"

namespace korav {

namespace {

constexpr double kTwoPi = 6.283185307179586;

struct InkCollector {
  InkExtent ink;
  const Drawing* drawing = nullptr;

  void add(double x, double y) {
    if (std::isfinite(x) && std::isfinite(y)) ink.box.add(x, y);
  }
  void pen(int p) {
    if (p < 0 || p >= kPenCount) p = 0;
    const double t = drawing->settings.pens[p].thickness;
    if (std::isfinite(t) && t > ink.widest_pen) ink.widest_pen = t;
  }
};

InkCollector& collector(Renderer& r) { return *static_cast<InkCollector*>(r.driver.context); }

void ink_line(Renderer& r, int pen, int, double x1, double y1, double x2, double y2) {
  if (pen == kGuidePen) return;
  InkCollector& c = collector(r);
  c.add(x1, y1);
  c.add(x2, y2);
  c.pen(pen);
}

// The box of an elliptic arc: its ends and the points of the sweep where x or y turns.
void ink_arc(Renderer& r, int pen, int, double cx, double cy, double a, double b, double sweep,
             double start, double rotation) {
  if (pen == kGuidePen) return;
  if (!std::isfinite(sweep) || !std::isfinite(start) || !std::isfinite(rotation)) return;
  InkCollector& c = collector(r);
  sweep = std::clamp(sweep, -kTwoPi, kTwoPi);
  const double cr = std::cos(rotation), sr = std::sin(rotation);
  auto at = [&](double t) {
    const double px = a * std::cos(t), py = b * std::sin(t);
    c.add(cx + px * cr - py * sr, cy + px * sr + py * cr);
  };
  at(start);
  at(start + sweep);
  // x(t) = a cos t cr - b sin t sr turns where tan t = -b sr / (a cr); y(t) where
  // tan t = b cr / (a sr); each twice a turn.
  const double lo = std::min(start, start + sweep), hi = std::max(start, start + sweep);
  for (const double t0 : {std::atan2(-b * sr, a * cr), std::atan2(b * cr, a * sr)}) {
    for (int k = 0; k < 2; ++k) {
      double t = t0 + k * kTwoPi / 2;
      // Into the sweep's turn, if it lies in it at all.
      t -= std::floor((t - lo) / kTwoPi) * kTwoPi;
      if (t <= hi) at(t);
    }
  }
  c.pen(pen);
}

// The extremes of one coordinate of a cubic Bezier: its ends and the roots of the derivative.
void bezier_extremes(double p0, double p1, double p2, double p3, double t_out[2], int& count) {
  count = 0;
  const double a = -p0 + 3 * p1 - 3 * p2 + p3, b = 2 * (p0 - 2 * p1 + p2), c = p1 - p0;
  auto keep = [&](double t) {
    if (t > 0 && t < 1) t_out[count++] = t;
  };
  if (std::fabs(a) < 1e-12) {
    if (std::fabs(b) > 1e-12) keep(-c / b);
    return;
  }
  const double disc = b * b - 4 * a * c;
  if (disc < 0) return;
  const double s = std::sqrt(disc);
  keep((-b + s) / (2 * a));
  keep((-b - s) / (2 * a));
}

void ink_spline(Renderer& r, int pen, int, const Point2& p0, const Point2& p1, const Point2& p2,
                const Point2& p3) {
  if (pen == kGuidePen) return;
  InkCollector& c = collector(r);
  auto at = [&](double t) {
    const Point2 q = bezier_point(p0, p1, p2, p3, t);
    c.add(q.x, q.y);
  };
  at(0);
  at(1);
  double ts[2];
  int n = 0;
  bezier_extremes(p0.x, p1.x, p2.x, p3.x, ts, n);
  for (int i = 0; i < n; ++i) at(ts[i]);
  bezier_extremes(p0.y, p1.y, p2.y, p3.y, ts, n);
  for (int i = 0; i < n; ++i) at(ts[i]);
  c.pen(pen);
}

void ink_fill(Renderer& r, const Pattern& p) {
  InkCollector& c = collector(r);
  const Point2* pts = p.points();
  for (std::uint32_t i = 0; i < p.count; ++i)
    if (!is_separator(pts[i])) c.add(pts[i].x, pts[i].y);
}

}  // namespace

double units_per_metre(double scale, double units_per_point) {
  return 100 / scale * kPointsPerInch / 2.54 * units_per_point;
}

double units_per_millimetre(double units_per_point) { return 7.2 / 2.54 * units_per_point; }

bool ExportRect::overlaps(double x1, double y1, double x2, double y2) const {
  const double xa = std::min(x1, x2), xb = std::max(x1, x2);
  const double ya = std::min(y1, y2), yb = std::max(y1, y2);
  return xb >= left && xa <= right() && yb >= bottom && ya <= top();
}

bool arc_reaches(const ExportRect& rect, double cx, double cy, double& a, double& b, double sweep,
                 double start, double rotation) {
  for (double v : {cx, cy, a, b, sweep, start, rotation})
    if (!std::isfinite(v)) return false;
  a = std::fabs(a);
  b = std::fabs(b);
  const double m = std::max(a, b);
  return rect.overlaps(cx - m, cy - m, cx + m, cy + m);
}

InkExtent marked_ink_extent(const Drawing& d, FontTable* fonts) {
  InkCollector c;
  c.drawing = &d;
  const double scale = d.settings.drawing_scale > 0 ? d.settings.drawing_scale : 100;
  ExportPass pass(d, fonts, 1 / units_per_metre(scale, 1));
  OutputDriver& op = pass.driver();
  op.context = &c;
  op.line = ink_line;
  op.arc = ink_arc;
  op.spline = ink_spline;
  op.fill = ink_fill;
  pass.run();
  return c.ink;
}

ExportPage export_page(const InkExtent& ink, double per_metre, double per_mm,
                       double margin_units) {
  Extent box = ink.box;
  if (box.empty) box.add(0, 0);
  // The margin in metres: two units, and the half of the widest stroke that lies outside its
  // centre line.
  const double margin = (margin_units + ink.widest_pen * per_mm / 2) / per_metre;
  ExportPage page;
  const double left = box.xmin - margin, bottom = box.ymin - margin;
  page.width = (box.xmax + margin - left) * per_metre;
  page.height = (box.ymax + margin - bottom) * per_metre;
  page.rect.left = left;
  page.rect.bottom = bottom;
  page.rect.width = page.width / per_metre;
  page.rect.height = page.height / per_metre;
  return page;
}

}  // namespace korav
