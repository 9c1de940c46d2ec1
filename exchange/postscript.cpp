#include "exchange/postscript.h"

#include <algorithm>
#include <cmath>

#include "exchange/export_extent.h"
#include "exchange/export_pass.h"
#include "exchange/output_text.h"
#include "model/drawing.h"
#include "render/screen_output.h"

namespace korav {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegrees = 180 / kPi;

bool finite(double a) { return std::isfinite(a); }

// Where the drawing lands on the page and how it is converted.
struct Page {
  ExportRect rect;       // the world rectangle whose primitives are written
  double k = 1;          // points a metre
  double kpen = 1;       // points a paper millimetre of pen or dash
  bool landscape = false;
  bool black = false;
  bool eps = false;
  bool texts_as_text = false;
};

struct Ps {
  const Drawing& d;
  OutputText& out;
  Page page;
  bool latin1_font = false;  // Helvetica with the ISO-8859-1 encoding is defined

  // A world point in points on the page: from the rectangle's lower-left corner; in landscape
  // turned a quarter turn to the left and moved back onto the paper.
  void point(double x, double y) {
    const double dx = x - page.rect.left, dy = y - page.rect.bottom;
    if (page.landscape) {
      out.fixed_blank((page.rect.height - dy) * page.k);
      out.fixed(dx * page.k);
    } else {
      out.fixed_blank(dx * page.k);
      out.fixed(dy * page.k);
    }
  }
  void prefix(int pen, int line_type) {
    if (pen < 0 || pen >= kPenCount) pen = 0;
    if (line_type < 0 || line_type >= kLineTypeCount) line_type = 0;
    out << "sp";
    out.integer(pen + 1) << " lt";
    out.integer(line_type + 1) << ' ';
  }
};

Ps& ps(Renderer& r) { return *static_cast<Ps*>(r.driver.context); }

void ps_line(Renderer& r, int pen, int lt, double x1, double y1, double x2, double y2) {
  Ps& s = ps(r);
  if (pen == kGuidePen || !finite(x1) || !finite(y1) || !finite(x2) || !finite(y2)) return;
  if (!s.page.rect.overlaps(x1, y1, x2, y2)) return;
  s.prefix(pen, lt);
  s.point(x1, y1);
  s.out << " m ";
  s.point(x2, y2);
  s.out << " l s\n";
  s.out.bound();
}

void ps_spline(Renderer& r, int pen, int lt, const Point2& p0, const Point2& p1, const Point2& p2,
               const Point2& p3) {
  Ps& s = ps(r);
  if (pen == kGuidePen) return;
  for (const Point2* p : {&p0, &p1, &p2, &p3})
    if (!finite(p->x) || !finite(p->y)) return;
  if (!s.page.rect.overlaps(p0.x, p0.y, p3.x, p3.y) && !s.page.rect.overlaps(p1.x, p1.y, p2.x, p2.y))
    return;
  s.prefix(pen, lt);
  s.point(p0.x, p0.y);
  s.out << " m ";
  s.point(p1.x, p1.y);
  s.out << ' ';
  s.point(p2.x, p2.y);
  s.out << ' ';
  s.point(p3.x, p3.y);
  s.out << " c s\n";
  s.out.bound();
}

void ps_arc(Renderer& r, int pen, int lt, double cx, double cy, double a, double b, double sweep,
            double start, double rotation) {
  Ps& s = ps(r);
  if (pen == kGuidePen) return;
  if (!arc_reaches(s.page.rect, cx, cy, a, b, sweep, start, rotation)) return;
  if (a != b) {  // an ellipse: as chords through the line operation
    screen_arc(r, pen, lt, cx, cy, a, b, sweep, start, rotation);
    return;
  }
  sweep = std::clamp(sweep, -2 * kPi, 2 * kPi);
  double from = (start + rotation) * kDegrees, to = (start + rotation + sweep) * kDegrees;
  // "arc" turns counter-clockwise: a clockwise sweep is the same arc from its other end.
  if (sweep < 0) std::swap(from, to);
  if (s.page.landscape) {
    from += 90;
    to += 90;
  }
  s.prefix(pen, lt);
  s.point(cx, cy);
  s.out << ' ';
  s.out.fixed_blank(a * s.page.k);
  s.out.fixed_blank(from);
  s.out.fixed(to) << " a s\n";
  s.out.bound();
}

// A filling is written when its outline's box overlaps the rectangle, so that a page inside a
// large filled area is filled too.
void ps_fill(Renderer& r, const Pattern& p) {
  Ps& s = ps(r);
  const Point2* pts = p.points();
  Extent box;
  for (std::uint32_t i = 0; i < p.count; ++i)
    if (!is_separator(pts[i]) && finite(pts[i].x) && finite(pts[i].y)) box.add(pts[i].x, pts[i].y);
  if (p.count > 0 && (box.empty || !s.page.rect.overlaps(box.xmin, box.ymin, box.xmax, box.ymax)))
    return;
  s.out.fixed_blank(std::clamp(finite(p.red) ? p.red : 0, 0.0, 1.0));
  s.out.fixed_blank(std::clamp(finite(p.green) ? p.green : 0, 0.0, 1.0));
  s.out.fixed(std::clamp(finite(p.blue) ? p.blue : 0, 0.0, 1.0)) << " rgb\n";
  bool ring_start = true;
  for (std::uint32_t i = 0; i < p.count; ++i) {
    if (is_separator(pts[i])) {
      if (!ring_start) s.out << "e\n";
      ring_start = true;
      continue;
    }
    if (!finite(pts[i].x) || !finite(pts[i].y)) continue;
    s.point(pts[i].x, pts[i].y);
    s.out << (ring_start ? " m\n" : " l\n");
    ring_start = false;
  }
  s.out << "f\n";
  s.out.bound();
}

// Texts as PostScript text. The pen's procedure comes first, so that the text has its pen's
// colour rather than that of whatever was drawn before it.
void ps_text(Renderer& r, const TextRun& run) {
  Ps& s = ps(r);
  if (run.pen == kGuidePen || !finite(run.x) || !finite(run.y) || !finite(run.angle) ||
      !finite(run.height) || !finite(run.line_spacing))
    return;
  const double reach = text_reach(r, run);
  if (!s.page.rect.overlaps(run.x - reach, run.y - reach, run.x + reach, run.y + reach)) return;
  int pen = run.pen < 0 || run.pen >= kPenCount ? 0 : run.pen;
  s.out << "sp";
  s.out.integer(pen + 1) << '\n';
  // Helvetica's own encoding has no umlauts: a text with characters beyond ASCII takes a copy of
  // the font with the encoding the texts are held in, defined on its first use.
  bool latin1 = false;
  for (const char c : run.text) latin1 = latin1 || static_cast<unsigned char>(c) >= 0x80;
  if (latin1 && !s.latin1_font) {
    s.out << "/Helvetica-ISOLatin1 /Helvetica findfont dup length dict begin\n"
          << "{1 index /FID ne {def} {pop pop} ifelse} forall\n"
          << "/Encoding ISOLatin1Encoding def currentdict end definefont pop\n";
    s.latin1_font = true;
  }
  s.out << (latin1 ? "/Helvetica-ISOLatin1 findfont\n" : "/Helvetica findfont\n");
  s.out.fixed(7.2 * run.height / 2.54) << " scalefont\nsetfont\n";
  for_each_text_line(r, run, [&](std::string_view line, double x, double y) {
    s.out << "gsave\n";
    s.point(x, y);
    s.out << " translate\n";
    s.out.fixed(run.angle * kDegrees + (s.page.landscape ? 90 : 0)) << " rotate\n0 0 moveto\n(";
    append_string_literal(s.out, line);
    s.out << ") show\ngrestore\n";
    s.out.bound();
  });
}

// The %%Title text: one line, whatever the file name holds.
void title_text(OutputText& out, std::string_view title) {
  for (char c : title) out << (static_cast<unsigned char>(c) < 0x20 ? '?' : c);
}

void prolog(OutputText& out, const Drawing& d, const Page& page, std::string_view title,
            int box_width, int box_height, int paper_width, int paper_height) {
  out << (page.eps ? "%!PS-Adobe-3.0 EPSF-2.0\n" : "%!PS-Adobe-3.0\n") << "%%Creator: KORAV\n"
      << "%%Title: ";
  title_text(out, title);
  out << "\n%%Orientation: Portrait\n%%Pages: 1\n%%BoundingBox: 0 0 ";
  out.integer(box_width) << ' ';
  out.integer(box_height) << "\n%%DocumentFonts:\n%%EndComments\n\n";
  out << "%%BeginProlog\n%%BeginResource: procset KORAV-Prolog 1.0 0\n"
      << "/bdef {bind def} bind def\n"
      << "/ldef {load def} bdef\n"
      << "/m /moveto  ldef\n"
      << "/l /lineto  ldef\n"
      << "/c /curveto ldef\n"
      << "/a /arc     ldef\n"
      << "/s /stroke  ldef\n"
      << "/f {eofill} bdef\n"
      << "/e {closepath} bdef\n"
      << "/rgb {setrgbcolor} bdef\n";
  const Settings& st = d.settings;
  for (int t = 0; t < kLineTypeCount; ++t) {
    const LineType& lt = st.line_types[t];
    const int n = std::min<int>(lt.sections, 3);
    double sum = 0;
    for (int i = 0; i < n; ++i)
      sum += (finite(lt.line[i]) ? std::max(0.0, lt.line[i]) : 0) +
             (finite(lt.space[i]) ? std::max(0.0, lt.space[i]) : 0);
    out << "/lt";
    out.integer(t + 1) << " {[";
    // setdash refuses an array of nothing but zeros: such a line type is solid.
    if (sum * page.kpen >= 0.01)
      for (int i = 0; i < n; ++i) {
        out.fixed_blank(finite(lt.line[i]) ? std::max(0.0, lt.line[i]) * page.kpen : 0);
        out.fixed_blank(finite(lt.space[i]) ? std::max(0.0, lt.space[i]) * page.kpen : 0);
      }
    out << "] 0 setdash} bdef\n";
  }
  for (int p = 0; p < kPenCount; ++p) {
    const Pen& pen = st.pens[p];
    out << "/sp";
    out.integer(p + 1) << " {";
    out.fixed(std::max(0.0, finite(pen.thickness) ? pen.thickness : 0) * page.kpen)
        << " setlinewidth ";
    if (page.black) {
      out << "0.0 0.0 0.0";
    } else {
      out.fixed_blank(std::clamp(finite(pen.red) ? pen.red : 0, 0.0, 1.0));
      out.fixed_blank(std::clamp(finite(pen.green) ? pen.green : 0, 0.0, 1.0));
      out.fixed(std::clamp(finite(pen.blue) ? pen.blue : 0, 0.0, 1.0));
    }
    out << " rgb} bdef\n";
  }
  out << "%%EndResource\n%%EndProlog\n\n%%BeginSetup\n%%EndSetup\n\n%%Page: 1 1\n\n"
      << "%%BeginPageSetup\n";
  if (!page.eps) {
    out << "<< /PageSize [";
    out.integer(paper_width) << ' ';
    out.integer(paper_height) << "] >> setpagedevice\n";
  }
  out << "%%EndPageSetup\n\ngsave\n\n0 setgray\n1 setlinecap\n1 setlinejoin\n\nnewpath\n\n";
}

bool write_page(const Drawing& d, FontTable* fonts, const Page& page, std::string_view title,
                int box_width, int box_height, int paper_width, int paper_height,
                OutputText& out) {
  prolog(out, d, page, title, box_width, box_height, paper_width, paper_height);
  Ps s{d, out, page};
  ExportPass pass(d, fonts, 1 / page.k);
  pass.set_window(page.rect.left, page.rect.bottom, page.rect.right(), page.rect.top());
  OutputDriver& op = pass.driver();
  op.context = &s;
  op.line = ps_line;
  op.arc = ps_arc;
  op.spline = ps_spline;
  op.fill = ps_fill;
  if (page.texts_as_text) op.text = ps_text;
  pass.run();
  out << '\n';
  if (!page.eps) out << "showpage\n\n";
  out << "grestore\n\n%%Trailer\n%%EOF\n";
  return out.flush();
}

double scale_of(const Drawing& d) {
  return d.settings.drawing_scale > 0 ? d.settings.drawing_scale : 100;
}

bool write_print(const Drawing& d, FontTable* fonts, const PrintSetup& setup, double x, double y,
                 OutputText& out) {
  Page page;
  const double print_scale = setup.scale > 0 ? setup.scale : 100;
  page.k = units_per_metre(print_scale, 1);
  page.kpen = units_per_millimetre(1) * scale_of(d) / print_scale;
  page.landscape = setup.landscape;
  page.black = d.settings.view.all_black != 0 || !setup.colour;
  page.rect.left = x;
  page.rect.bottom = y;
  print_frame_size(setup, page.rect.width, page.rect.height);
  const int w = paper_points(setup.paper_width), h = paper_points(setup.paper_height);
  return write_page(d, fonts, page, "print.ps", w, h, w, h, out);
}

bool write_eps(const Drawing& d, FontTable* fonts, bool texts_as_text, std::string_view title,
               OutputText& out) {
  Page page;
  page.eps = true;
  page.texts_as_text = texts_as_text;
  page.k = units_per_metre(scale_of(d), 1);
  page.kpen = units_per_millimetre(1);
  page.black = d.settings.view.all_black != 0;
  const ExportPage ep = export_page(marked_ink_extent(d, fonts), page.k, page.kpen);
  page.rect = ep.rect;
  const int w = static_cast<int>(std::lround(ep.width)), h = static_cast<int>(std::lround(ep.height));
  return write_page(d, fonts, page, title, w, h, 0, 0, out);
}

constexpr std::size_t kBuffer = 1 << 16;

}  // namespace

int paper_points(double centimetres) {
  const double v = 72 * centimetres / 2.54;
  if (!(v > 0)) return 0;
  return v > 1e9 ? 1000000000 : static_cast<int>(std::lround(v));
}

std::string print_document(const Drawing& d, FontTable* fonts, const PrintSetup& setup, double x,
                           double y) {
  std::string doc;
  OutputText out(kBuffer, 1024, sink_to_string, &doc);
  write_print(d, fonts, setup, x, y, out);
  return doc;
}

WriteStatus print_to_file(const Drawing& d, FontTable* fonts, const PrintSetup& setup, double x,
                          double y, const std::string& path) {
  return write_file_safely(path, [&](Writer& w) {
    OutputText out(kBuffer, 1024, sink_to_writer, &w);
    return write_print(d, fonts, setup, x, y, out) && w.ok();
  });
}

std::string eps_document(const Drawing& d, FontTable* fonts, bool texts_as_text,
                         const std::string& title) {
  std::string doc;
  OutputText out(kBuffer, 1024, sink_to_string, &doc);
  write_eps(d, fonts, texts_as_text, title, out);
  return doc;
}

WriteStatus export_eps(const Drawing& d, FontTable* fonts, bool texts_as_text,
                       const std::string& path) {
  return write_file_safely(path, [&](Writer& w) {
    OutputText out(kBuffer, 1024, sink_to_writer, &w);
    return write_eps(d, fonts, texts_as_text, path, out) && w.ok();
  });
}

}  // namespace korav
