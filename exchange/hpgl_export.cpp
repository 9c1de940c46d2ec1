#include "exchange/hpgl_export.h"

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
constexpr double kFillWidth = 0.1;     // mm, the fillings' pen entries
constexpr double kEllipseLimit = 0.001;  // radii differing by this much make an ellipse
constexpr char kEsc = 27;

bool finite(double v) { return std::isfinite(v); }

double size_or(double v, double fallback) {
  return finite(v) && v > 0 && v < 1e6 ? v : fallback;
}

// A colour fraction as the value 0-255 the pen table writes ("%.0f" rounds half to even, as
// nearbyint does).
int colour_value(double fraction) {
  if (!finite(fraction)) return 0;
  return static_cast<int>(std::nearbyint(std::clamp(fraction, 0.0, 1.0) * 255));
}

struct ColourKey {
  int r = 0, g = 0, b = 0;
  bool operator==(const ColourKey&) const = default;
};
ColourKey key_of(double r, double g, double b) {
  return {colour_value(r), colour_value(g), colour_value(b)};
}
ColourKey key_of(const HpglPen& p) { return key_of(p.red, p.green, p.blue); }

int pen_index(int pen) { return pen < 0 || pen >= kPenCount ? 0 : pen; }

struct Hpgl {
  Hpgl(const Drawing& drawing, OutputText& text, const PlotSetup& p, const HpglPenTable& table)
      : d(drawing), out(text), setup(p), pens(table) {}
  const Drawing& d;
  OutputText& out;
  const PlotSetup& setup;
  const HpglPenTable& pens;
  double cx = 0, cy = 0;
  bool hpgl2 = false;
  ExportRect frame;
  int pass_pen = 0;  // 0 to 7: the pen whose primitives this run writes
  bool have_last = false;
  PlotterPoint last;
  int line_type = -1;  // the one selected last; -1 none yet

  PlotterPoint at(double x, double y) const { return plotter_point(setup, cx, cy, x, y); }
  // Whether a primitive of `pen` belongs to this run; the guide pen belongs to none.
  bool of_pass(int pen) const { return pen != kGuidePen && pen_index(pen) == pass_pen; }
  void pair(const PlotterPoint& p, char separator = ',') {
    out.integer(p.x) << separator;
    out.integer(p.y);
  }
  void select_line_type(int t);
};

Hpgl& hpgl(Renderer& r) { return *static_cast<Hpgl*>(r.driver.context); }

// The dash sections of a line type that can be drawn: none when they add up to nothing.
int usable_sections(const LineType& lt, double& length) {
  const int n = std::min<int>(lt.sections, 3);
  length = 0;
  for (int i = 0; i < n; ++i)
    length += (finite(lt.line[i]) ? std::max(0.0, lt.line[i]) : 0) +
              (finite(lt.space[i]) ? std::max(0.0, lt.space[i]) : 0);
  return length > 0 && finite(length) ? n : 0;
}

void Hpgl::select_line_type(int t) {
  if (t < 0 || t >= kLineTypeCount) t = 0;
  if (t == line_type) return;
  line_type = t;
  if (!hpgl2) {
    static constexpr const char* kTypes[kLineTypeCount] = {
        "LT;\n",        "LT 2,1.5;\n", "LT 2,2.0;\n", "LT 4,2.0;\n",
        "LT 1,1.0;\n",  "LT 6,2.0;\n", "LT 6,3.0;\n", "LT 5,3.0;\n"};
    out << kTypes[t];
    return;
  }
  double length = 0;
  if (usable_sections(d.settings.line_types[static_cast<std::size_t>(t)], length) == 0) {
    out << "LT;\n";
    return;
  }
  // The pattern's length in millimetres on the plotted paper (mode 1: absolute).
  const double scale = d.settings.drawing_scale > 0 ? d.settings.drawing_scale : 100;
  out << "LT";
  out.integer(t + 1) << ',';
  out.fixed_places(length * scale / setup.scale, 3) << ",1;\n";
}

void hpgl_line(Renderer& r, int pen, int lt, double x1, double y1, double x2, double y2) {
  Hpgl& h = hpgl(r);
  if (!h.of_pass(pen) || !finite(x1) || !finite(y1) || !finite(x2) || !finite(y2)) return;
  if (!h.frame.overlaps(x1, y1, x2, y2)) return;
  h.select_line_type(lt);
  const PlotterPoint a = h.at(x1, y1), b = h.at(x2, y2);
  if (h.have_last && a == h.last) {
    h.out << "PD ";
    h.pair(b);
    h.out << ";\n";
    h.last = b;
  } else if (h.have_last && b == h.last) {
    h.out << "PD ";
    h.pair(a);
    h.out << ";\n";
    h.last = a;
  } else {
    h.out << "PU; PA ";
    h.pair(a);
    h.out << "; PD ";
    h.pair(b);
    h.out << ";\n";
    h.last = b;
  }
  h.have_last = true;
  h.out.bound();
}

void hpgl_arc(Renderer& r, int pen, int lt, double cx, double cy, double a, double b,
              double sweep, double start, double rotation) {
  Hpgl& h = hpgl(r);
  if (!h.of_pass(pen)) return;
  if (!arc_reaches(h.frame, cx, cy, a, b, sweep, start, rotation)) return;
  if (std::fabs(a - b) >= kEllipseLimit) {  // an ellipse: as chords through the line operation
    screen_arc(r, pen, lt, cx, cy, a, b, sweep, start, rotation);
    return;
  }
  h.select_line_type(lt);
  const PlotterPoint centre = h.at(cx, cy);
  if (std::fabs(sweep) >= 2 * kPi - 1e-9) {
    h.out << "PU; PA ";
    h.pair(centre);
    h.out << "; CI ";
    h.out.integer(plotter_length(h.setup, a)) << ";\n";
    h.last = centre;  // a circle ends where it began, at its centre
    h.have_last = true;
  } else {
    const double angle = start + rotation;
    const PlotterPoint from = h.at(cx + a * std::cos(angle), cy + a * std::sin(angle));
    h.out << "PU; PA ";
    h.pair(from);
    h.out << "; PD; AA ";
    h.pair(centre, ' ');
    h.out << ' ';
    h.out.fixed_places(sweep * kDegrees, 4) << ";\n";
    h.have_last = false;  // the plotter's own end point, which rounding may move
  }
  h.out.bound();
}

// A solid filling (HPGL/2): polygon mode with the filling's pen entry, its rings as
// sub-polygons, filled even-odd so that a ring inside another leaves a hole.
void hpgl_fill(Renderer& r, const Pattern& p) {
  Hpgl& h = hpgl(r);
  if (!h.of_pass(p.pen)) return;
  const Point2* pts = p.points();
  Extent box;
  for (std::uint32_t i = 0; i < p.count; ++i)
    if (!is_separator(pts[i]) && finite(pts[i].x) && finite(pts[i].y)) box.add(pts[i].x, pts[i].y);
  if (box.empty || !h.frame.overlaps(box.xmin, box.ymin, box.xmax, box.ymax)) return;
  const int entry = h.pens.fill_entry(p.red, p.green, p.blue);
  bool started = false, ring_open = false;
  PlotterPoint first, last;
  // Each ring is closed by an edge back to its first point, so that a reader that does not
  // close sub-polygons itself fills the same area.
  auto close_ring = [&] {
    if (ring_open && !(last == first)) {
      h.out << "PD ";
      h.pair(first);
      h.out << ";\n";
    }
    ring_open = false;
  };
  for (std::uint32_t i = 0; i < p.count; ++i) {
    if (is_separator(pts[i])) {
      close_ring();
      continue;
    }
    if (!finite(pts[i].x) || !finite(pts[i].y)) continue;
    const PlotterPoint q = h.at(pts[i].x, pts[i].y);
    if (!started) {
      h.out << "PU;SP";
      h.out.integer(entry) << ";PA";
      h.pair(q);
      h.out << ";FT1;\nPM0;\n";
      started = ring_open = true;
      first = q;
    } else if (!ring_open) {
      // The next ring starts where the pen is lifted to, with no edge from the last one.
      h.out << "PM1;\nPU ";
      h.pair(q);
      h.out << ";\n";
      ring_open = true;
      first = q;
    } else {
      h.out << "PD ";
      h.pair(q);
      h.out << ";\n";
    }
    last = q;
    h.out.bound();
  }
  close_ring();
  h.out << "PM2;FP;\nSP";
  h.out.integer(h.pass_pen + 1) << ";\n";
  h.have_last = false;
  h.out.bound();
}

void header(OutputText& out, const PlotSetup& p, bool hpgl2) {
  const double w = p.paper_width / p.resolution, h = p.paper_height / p.resolution;
  if (hpgl2) out << kEsc << 'E' << kEsc << "%0BIN;WU0;NP256;";
  else out << "IN;";
  out << "IP";
  if (p.centre_origin) {
    out.fixed_places(-w / 2, 0) << ',';
    out.fixed_places(-h / 2, 0) << ',';
    out.fixed_places(w / 2, 0) << ',';
    out.fixed_places(h / 2, 0) << ";\n";
  } else {
    out << "0,0,";
    out.fixed_places(w, 0) << ',';
    out.fixed_places(h, 0) << ";\n";
  }
}

void pen_table(OutputText& out, const Drawing& d, const PlotSetup& p, const HpglPenTable& pens) {
  const double scale = d.settings.drawing_scale > 0 ? d.settings.drawing_scale : 100;
  const bool mono = p.type == kPlotHpgl2Mono;
  for (int i = 0; i < kHpglPenEntries; ++i) {
    const HpglPen& e = pens.entry[static_cast<std::size_t>(i)];
    const double r = finite(e.red) ? std::clamp(e.red, 0.0, 1.0) : 0;
    const double g = finite(e.green) ? std::clamp(e.green, 0.0, 1.0) : 0;
    const double b = finite(e.blue) ? std::clamp(e.blue, 0.0, 1.0) : 0;
    out << "PC";
    out.integer(i) << ',';
    if (mono) {
      const double grey = (r + g + b) / 3 * 255;
      for (int k = 0; k < 3; ++k) out.fixed_places(grey, 0) << (k < 2 ? ',' : ';');
    } else {
      out.fixed_places(r * 255, 0) << ',';
      out.fixed_places(g * 255, 0) << ',';
      out.fixed_places(b * 255, 0) << ';';
    }
    const double width = finite(e.width) ? std::max(0.0, e.width) : 0;
    out << "PW";
    out.fixed_places(width / p.scale * scale, 3) << ',';
    out.integer(i) << ";\n";
    out.bound();
  }
  for (int t = 0; t < kLineTypeCount; ++t) {
    const LineType& lt = d.settings.line_types[static_cast<std::size_t>(t)];
    double length = 0;
    const int n = usable_sections(lt, length);
    out << "UL";
    out.integer(t + 1);
    for (int i = 0; i < n; ++i) {
      out << ',';
      out.fixed_places(finite(lt.line[i]) ? std::max(0.0, lt.line[i]) : 0, 3) << ',';
      out.fixed_places(finite(lt.space[i]) ? std::max(0.0, lt.space[i]) : 0, 3);
    }
    out << ";\n";
  }
}

bool write_plot(const Drawing& d, FontTable* fonts, const PlotSetup& p, double cx, double cy,
                OutputText& out) {
  const bool hpgl2 = p.type == kPlotHpgl2Mono || p.type == kPlotHpgl2Colour;
  const HpglPenTable pens = hpgl_pen_table(d, p);
  header(out, p, hpgl2);
  if (hpgl2) pen_table(out, d, p, pens);
  out << p.start << '\n';

  Hpgl h(d, out, p, pens);
  h.cx = cx;
  h.cy = cy;
  h.hpgl2 = hpgl2;
  double w = 0, hh = 0;
  plot_frame_size(p, w, hh);
  h.frame = {cx - w / 2, cy - hh / 2, w, hh};
  const double unit = p.resolution * p.scale / 100;  // metres of the drawing a plotter unit
  ExportPass pass(d, fonts, unit);
  pass.set_window(h.frame.left, h.frame.bottom, h.frame.right(), h.frame.top());
  OutputDriver& op = pass.driver();
  op.context = &h;
  op.line = hpgl_line;
  op.arc = hpgl_arc;
  op.spline = screen_spline;  // as chords through the line operation
  if (hpgl2) op.fill = hpgl_fill;
  for (int pen = 0; pen < kPenCount; ++pen) {
    h.pass_pen = pen;
    out << "SP";
    out.integer(pen + 1) << ";\n";
    pass.run();
    out << "PU;\n";
    out.bound();
  }
  out << p.end << '\n';
  if (hpgl2) out << "SP0;PU0,0;PG;" << kEsc << "%0A" << kEsc << 'E';
  return out.flush();
}

constexpr std::size_t kBuffer = 1 << 16;

}  // namespace

PlotSetup plot_setup_of(const PlotOptions& o) {
  PlotSetup p;
  p.type = o.type <= 2 ? static_cast<int>(o.type) : kPlotHpgl;
  p.paper_width = size_or(o.paper_width, p.paper_width);
  p.paper_height = size_or(o.paper_height, p.paper_height);
  p.resolution = size_or(o.resolution, p.resolution);
  p.scale = size_or(o.scale, p.scale);
  p.centre_origin = o.origin == 1;
  p.landscape = o.landscape != 0;
  p.start = std::string(o.start.view());
  p.end = std::string(o.end.view());
  return p;
}

void plot_frame_size(const PlotSetup& p, double& width, double& height) {
  const double scale = p.scale > 0 ? p.scale : 100;
  width = p.paper_width * scale / 100;
  height = p.paper_height * scale / 100;
  if (p.landscape) std::swap(width, height);
}

namespace {

std::int64_t units(const PlotSetup& p, double metres) {
  const double scale = p.scale > 0 ? p.scale : 100;
  const double resolution = p.resolution > 0 ? p.resolution : 0.0025;
  const double v = metres * 100 / scale / resolution;
  if (!finite(v)) return 0;
  const double limit = static_cast<double>(kPlotterLimit);
  return static_cast<std::int64_t>(std::clamp(v, -limit, limit));  // truncated towards zero
}

}  // namespace

PlotterPoint plotter_point(const PlotSetup& p, double cx, double cy, double x, double y) {
  const double dx = x - cx, dy = y - cy;
  double X = p.landscape ? -dy : dx;
  double Y = p.landscape ? dx : dy;
  if (!p.centre_origin) {
    const double scale = p.scale > 0 ? p.scale : 100;
    X += p.paper_width / 2 * scale / 100;
    Y += p.paper_height / 2 * scale / 100;
  }
  return {units(p, X), units(p, Y)};
}

std::int64_t plotter_length(const PlotSetup& p, double metres) { return units(p, metres); }

int HpglPenTable::fill_entry(double red, double green, double blue) const {
  const ColourKey k = key_of(red, green, blue);
  int best = -1;
  long long best_distance = 0;
  for (int i = kFirstFillEntry; i < used; ++i) {
    const ColourKey e = key_of(entry[static_cast<std::size_t>(i)]);
    const long long dr = e.r - k.r, dg = e.g - k.g, db = e.b - k.b;
    const long long distance = dr * dr + dg * dg + db * db;
    if (best < 0 || distance < best_distance) {
      best = i;
      best_distance = distance;
      if (distance == 0) break;
    }
  }
  return best < 0 ? 1 : best;
}

HpglPenTable hpgl_pen_table(const Drawing& d, const PlotSetup& p) {
  HpglPenTable t;
  for (HpglPen& e : t.entry) e = {0, 0, 0, kFillWidth};  // unused entries: black
  t.entry[0] = {1, 1, 1, 0};
  const bool black = p.type == kPlotHpgl2Mono || d.settings.view.all_black != 0;
  for (int i = 0; i < kPenCount; ++i) {
    const Pen& pen = d.settings.pens[static_cast<std::size_t>(i)];
    HpglPen& e = t.entry[static_cast<std::size_t>(i + 1)];
    e.width = pen.thickness;
    if (!black) {
      e.red = pen.red;
      e.green = pen.green;
      e.blue = pen.blue;
    } else {
      e.red = e.green = e.blue = 0;
    }
  }
  for (const Element& el : d.store.list) {
    if (t.used >= kHpglPenEntries) break;
    if (el.type != kPattern || !layer_visible(d.layers, d.current_layer, el.layer)) continue;
    const Pattern& pat = static_cast<const Pattern&>(el);
    if (pat.kind != 3) continue;
    const ColourKey k = key_of(pat.red, pat.green, pat.blue);
    bool known = false;
    for (int i = kFirstFillEntry; i < t.used && !known; ++i)
      known = key_of(t.entry[static_cast<std::size_t>(i)]) == k;
    if (known) continue;
    t.entry[static_cast<std::size_t>(t.used++)] = {
        finite(pat.red) ? pat.red : 0, finite(pat.green) ? pat.green : 0,
        finite(pat.blue) ? pat.blue : 0, kFillWidth};
  }
  return t;
}

std::string plot_document(const Drawing& d, FontTable* fonts, const PlotSetup& p, double cx,
                          double cy) {
  std::string doc;
  OutputText out(kBuffer, 1024, sink_to_string, &doc);
  write_plot(d, fonts, p, cx, cy, out);
  return doc;
}

WriteStatus plot_to_file(const Drawing& d, FontTable* fonts, const PlotSetup& p, double cx,
                         double cy, const std::string& path) {
  return write_file_safely(path, [&](Writer& w) {
    OutputText out(kBuffer, 1024, sink_to_writer, &w);
    return write_plot(d, fonts, p, cx, cy, out) && w.ok();
  });
}

}  // namespace korav
