#include "exchange/svg_export.h"

#include <algorithm>
#include <cmath>

#include "exchange/export_extent.h"
#include "exchange/export_pass.h"
#include "exchange/output_text.h"
#include "model/drawing.h"

namespace korav {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

struct Svg {
  const Drawing& d;
  OutputText& out;
  ExportRect rect;
  double k = 1;      // units a metre
  double kpen = 1;   // units a paper millimetre
  bool black = false;

  double x(double wx) const { return (wx - rect.left) * k; }
  double y(double wy) const { return (rect.top() - wy) * k; }
};

Svg& svg(Renderer& r) { return *static_cast<Svg*>(r.driver.context); }

bool finite(double a) { return std::isfinite(a); }

// The stroke attributes of a pen and line type, then the closing of the element.
void stroke_and_close(Svg& s, int pen, int line_type) {
  if (pen < 0 || pen >= kPenCount) pen = 0;  // a damaged pen number draws with the first pen
  const Pen& p = s.d.settings.pens[pen];
  s.out << "stroke:#";
  if (s.black) s.out << "000000";
  else s.out.hex2(colour_byte(p.red)).hex2(colour_byte(p.green)).hex2(colour_byte(p.blue));
  s.out << ";stroke-width:";
  s.out.fixed(std::max(0.0, finite(p.thickness) ? p.thickness : 0) * s.kpen);
  s.out << ";stroke-linecap:round;stroke-linejoin:round;";
  if (line_type >= 0 && line_type < kLineTypeCount) {
    const LineType& lt = s.d.settings.line_types[line_type];
    const int n = std::min<int>(lt.sections, 3);
    // A dash array of nothing but zeros is no dash pattern: the line stays solid.
    double sum = 0;
    for (int i = 0; i < n; ++i)
      sum += (finite(lt.line[i]) ? std::max(0.0, lt.line[i]) : 0) +
             (finite(lt.space[i]) ? std::max(0.0, lt.space[i]) : 0);
    if (n > 0 && sum * s.kpen >= 0.01) {
      s.out << "stroke-dasharray:";
      for (int i = 0; i < n; ++i) {
        s.out.fixed_blank(finite(lt.line[i]) ? std::max(0.0, lt.line[i]) * s.kpen : 0);
        s.out.fixed_blank(finite(lt.space[i]) ? std::max(0.0, lt.space[i]) * s.kpen : 0);
      }
      s.out << ';';
    }
  }
  s.out << "\"/>\n";
  s.out.bound();
}

void svg_line(Renderer& r, int pen, int lt, double x1, double y1, double x2, double y2) {
  Svg& s = svg(r);
  if (pen == kGuidePen || !finite(x1) || !finite(y1) || !finite(x2) || !finite(y2)) return;
  if (!s.rect.overlaps(x1, y1, x2, y2)) return;
  double ex = s.x(x2);
  // A point-like line gets a hundredth of a pixel, so that its round cap shows as a dot.
  if (x1 == x2 && y1 == y2) ex += 0.01;
  s.out << "<line x1=\"";
  s.out.fixed(s.x(x1)) << "\" y1=\"";
  s.out.fixed(s.y(y1)) << "\" x2=\"";
  s.out.fixed(ex) << "\" y2=\"";
  s.out.fixed(s.y(y2)) << "\" style=\"";
  stroke_and_close(s, pen, lt);
}

void svg_spline(Renderer& r, int pen, int lt, const Point2& p0, const Point2& p1, const Point2& p2,
                const Point2& p3) {
  Svg& s = svg(r);
  if (pen == kGuidePen) return;
  for (const Point2* p : {&p0, &p1, &p2, &p3})
    if (!finite(p->x) || !finite(p->y)) return;
  if (!s.rect.overlaps(p0.x, p0.y, p3.x, p3.y) && !s.rect.overlaps(p1.x, p1.y, p2.x, p2.y)) return;
  s.out << "<path d=\"M";
  s.out.fixed(s.x(p0.x)) << ',';
  s.out.fixed(s.y(p0.y)) << " C";
  s.out.fixed(s.x(p1.x)) << ',';
  s.out.fixed(s.y(p1.y)) << ' ';
  s.out.fixed(s.x(p2.x)) << ',';
  s.out.fixed(s.y(p2.y)) << ' ';
  s.out.fixed(s.x(p3.x)) << ',';
  s.out.fixed(s.y(p3.y)) << "\" style=\"fill:none;";
  stroke_and_close(s, pen, lt);
}

void svg_arc(Renderer& r, int pen, int lt, double cx, double cy, double a, double b, double sweep,
             double start, double rotation) {
  Svg& s = svg(r);
  if (pen == kGuidePen) return;
  if (!arc_reaches(s.rect, cx, cy, a, b, sweep, start, rotation)) return;
  if (std::fabs(sweep) >= kTwoPi - 1e-9) {
    if (a == b) {
      s.out << "<circle cx=\"";
      s.out.fixed(s.x(cx)) << "\" cy=\"";
      s.out.fixed(s.y(cy)) << "\" r=\"";
      s.out.fixed(a * s.k) << '"';
    } else if (rotation == 0) {
      s.out << "<ellipse cx=\"";
      s.out.fixed(s.x(cx)) << "\" cy=\"";
      s.out.fixed(s.y(cy)) << "\" rx=\"";
      s.out.fixed(a * s.k) << "\" ry=\"";
      s.out.fixed(b * s.k) << '"';
    } else {
      s.out << "<ellipse transform=\"translate(";
      s.out.fixed(s.x(cx)) << ',';
      s.out.fixed(s.y(cy)) << ") rotate(";
      s.out.fixed(rotation * -180 / kPi) << ")\" rx=\"";
      s.out.fixed(a * s.k) << "\" ry=\"";
      s.out.fixed(b * s.k) << '"';
    }
  } else {
    const double cr = std::cos(rotation), sr = std::sin(rotation);
    auto at = [&](double t, double& px, double& py) {
      px = cx + a * std::cos(t) * cr - b * std::sin(t) * sr;
      py = cy + a * std::cos(t) * sr + b * std::sin(t) * cr;
    };
    double x0, y0, x1, y1;
    at(start, x0, y0);
    at(start + sweep, x1, y1);
    // The y axis is flipped: the drawing's counter-clockwise sweep is the negative direction of
    // SVG's angles (sweep flag 0); a clockwise sweep is the positive one.
    s.out << "<path d=\"M";
    s.out.fixed(s.x(x0)) << ',';
    s.out.fixed(s.y(y0)) << " A";
    s.out.fixed(a * s.k) << ',';
    s.out.fixed(b * s.k) << ' ';
    s.out.fixed(rotation * -180 / kPi) << ' ';
    s.out.integer(std::fabs(sweep) >= kPi ? 1 : 0) << ',' << (sweep < 0 ? '1' : '0') << ' ';
    s.out.fixed(s.x(x1)) << ',';
    s.out.fixed(s.y(y1)) << '"';
  }
  s.out << " style=\"fill:none;";
  stroke_and_close(s, pen, lt);
}

void svg_fill(Renderer& r, const Pattern& p) {
  Svg& s = svg(r);
  const Point2* pts = p.points();
  bool inside = false;
  for (std::uint32_t i = 0; i < p.count && !inside; ++i)
    inside = !is_separator(pts[i]) && finite(pts[i].x) && finite(pts[i].y) &&
             s.rect.contains(pts[i].x, pts[i].y);
  if (!inside) return;
  s.out << "<path d=\"";
  bool ring_start = true;
  for (std::uint32_t i = 0; i < p.count; ++i) {
    if (is_separator(pts[i])) {
      if (!ring_start) s.out << "z ";
      ring_start = true;
      continue;
    }
    if (!finite(pts[i].x) || !finite(pts[i].y)) continue;
    s.out << (ring_start ? 'M' : 'L');
    s.out.fixed(s.x(pts[i].x)) << ',';
    s.out.fixed(s.y(pts[i].y)) << ' ';
    ring_start = false;
  }
  s.out << "\" style=\"stroke:none;fill:#";
  s.out.hex2(colour_byte(p.red)).hex2(colour_byte(p.green)).hex2(colour_byte(p.blue));
  s.out << ";fill-rule:evenodd;\"/>\n";
  s.out.bound();
}

bool write_svg(const Drawing& d, FontTable* fonts, OutputText& out) {
  const double scale = d.settings.drawing_scale > 0 ? d.settings.drawing_scale : 100;
  const double k = units_per_metre(scale, kSvgPixelsPerPoint);
  const double kpen = units_per_millimetre(kSvgPixelsPerPoint);
  const ExportPage page = export_page(marked_ink_extent(d, fonts), k, kpen);
  out << "<?xml version=\"1.0\" standalone=\"no\"?>\n"
      << "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 20010904//EN\" \n"
      << "\"http://www.w3.org/TR/2001/REC-SVG-20010904/DTD/svg10.dtd\">\n"
      << "<svg width=\"";
  out.fixed(page.width) << "\" height=\"";
  out.fixed(page.height) << "\"\n"
                         << "xmlns=\"http://www.w3.org/2000/svg\">\n"
                         << "<desc>SVG file written by KORAV</desc>\n";
  Svg s{d, out, page.rect, k, kpen, d.settings.view.all_black != 0};
  ExportPass pass(d, fonts, 1 / k);
  pass.set_window(page.rect.left, page.rect.bottom, page.rect.right(), page.rect.top());
  OutputDriver& op = pass.driver();
  op.context = &s;
  op.line = svg_line;
  op.arc = svg_arc;
  op.spline = svg_spline;
  op.fill = svg_fill;
  pass.run();
  out << "</svg>\n";
  return out.flush();
}

}  // namespace

std::string svg_document(const Drawing& d, FontTable* fonts) {
  std::string doc;
  OutputText out(1 << 16, 1024, sink_to_string, &doc);
  write_svg(d, fonts, out);
  return doc;
}

WriteStatus export_svg(const Drawing& d, FontTable* fonts, const std::string& path) {
  return write_file_safely(path, [&](Writer& w) {
    OutputText out(1 << 16, 1024, sink_to_writer, &w);
    return write_svg(d, fonts, out) && w.ok();
  });
}

}  // namespace korav
