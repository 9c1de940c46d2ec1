#include "exchange/dxf_export.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

#include "exchange/export_pass.h"
#include "model/bezier.h"
#include "model/drawing.h"
#include "model/element_points.h"
#include "model/pens.h"
#include "render/dimension_drawing.h"
#include "render/screen_output.h"
#include "render/text_drawing.h"
#include "render/view.h"
#include "three_d/wall_solid.h"

namespace korav {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2 * kPi;
constexpr double kMultipliers[] = {1, 100, 1000, 39.37007874015748, 3.280839895013123};

void put_fixed(std::string& out, double v, int decimals) {
  if (!std::isfinite(v)) v = 0;
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (r.ec == std::errc()) out.append(buf, r.ptr);
  else out += '0';
}

struct DxfOut {
  std::string& out;
  double k;  // unit multiplier
  const Settings& settings;

  void group(std::string_view code, std::string_view value) {
    out += code;
    out += '\n';
    out += value;
    out += '\n';
  }
  void group(int code, std::string_view value) { group(std::to_string(code), value); }
  // A real "%.6f", times the unit multiplier unless another factor is given.
  void number(int code, double v) { number(code, v, k); }
  void number(int code, double v, double factor) {
    out += std::to_string(code);
    out += '\n';
    put_fixed(out, v * factor, 6);
    out += '\n';
  }
  void integer(int code, long v) { group(code, std::to_string(v)); }

  std::string_view line_type_name(int lt) const {
    if (lt < 0 || lt >= kLineTypeCount) lt = 0;
    const std::string_view n = settings.line_types[static_cast<std::size_t>(lt)].name.view();
    return n.empty() ? std::string_view("CONTINUOUS") : n;
  }
  // (0, kind) (8, layer) [(2, *D0)] (6, line type) (62, colour).
  void begin(std::string_view kind, int pen, int lt, bool dimension = false) {
    group(0, kind);
    group(8, std::to_string(pen + 101));
    if (dimension) group(2, "*D0");
    group(6, line_type_name(lt));
    integer(62, pen + 7);
  }
};

bool written_pen(int pen) { return pen != kGuidePen; }

void header(DxfOut& w, const Drawing& d) {
  std::string& o = w.out;
  o += " 0\nSECTION\n 2\nHEADER\n 9\n$ACADVER\n 1\nAC1009\n";
  o += " 9\n$INSBASE\n 10\n0.0\n 20\n0.0\n 30\n0.0\n";
  const Extent e = drawing_extent(d, 0);
  const double x0 = e.empty ? 0 : e.xmin, y0 = e.empty ? 0 : e.ymin;
  const double x1 = e.empty ? 0 : e.xmax, y1 = e.empty ? 0 : e.ymax;
  o += " 9\n$EXTMIN\n 10\n";
  put_fixed(o, x0, 5);
  o += "\n 20\n";
  put_fixed(o, y0, 5);
  o += "\n 30\n0.0\n  9\n$EXTMAX\n 10\n";
  put_fixed(o, x1, 5);
  o += "\n 20\n";
  put_fixed(o, y1, 5);
  o += "\n 30\n0.0\n0\nENDSEC\n";
}

void tables_2d(DxfOut& w) {
  w.group(0, "SECTION");
  w.group(2, "TABLES");
  w.group(0, "TABLE");
  w.group(2, "LTYPE");
  w.integer(70, 8);
  for (int i = 0; i < kLineTypeCount; ++i) {
    const LineType& lt = w.settings.line_types[static_cast<std::size_t>(i)];
    const int n = lt.sections > 3 ? 3 : lt.sections;
    w.group(0, "LTYPE");
    w.group(2, w.line_type_name(i));
    w.integer(70, 64);
    w.group(3, w.line_type_name(i));
    w.integer(72, 65);
    w.integer(73, 2 * n);
    w.number(40, lt.pattern_length, 0.1);
    for (int s = 0; s < n; ++s) {
      w.number(49, lt.line[s], 0.1);
      w.number(49, lt.space[s], -0.1);  // gaps come out negative
    }
  }
  w.group(0, "ENDTAB");
  w.group(0, "TABLE");
  w.group(2, "LAYER");
  w.integer(70, 8);
  for (int i = 0; i < 8; ++i) {
    w.group(0, "LAYER");
    w.group(2, std::to_string(101 + i));
    w.integer(70, 64);
    w.integer(62, 7 + i);
    w.group(6, "CONTINUOUS");
  }
  w.group(0, "ENDTAB");
  // The dimension style: codes right-aligned in three characters, integers in six.
  struct Row {
    int code;
    const char* value;
    bool integer;
  };
  static constexpr Row kStyle[] = {
      {0, "TABLE", false},  {2, "DIMSTYLE", false}, {70, "1", true},     {0, "DIMSTYLE", false},
      {2, "STANDARD", false}, {70, "0", true},      {3, "", false},      {4, "", false},
      {5, "", false},       {6, "", false},         {7, "", false},      {40, "1.0", false},
      {41, "0.18", false},  {42, "0.0625", false},  {43, "0.38", false}, {44, "0.18", false},
      {45, "0.0", false},   {46, "0.0", false},     {47, "0.0", false},  {48, "0.0", false},
      {140, "0.18", false}, {141, "0.09", false},   {142, "0.0", false}, {143, "25.4", false},
      {144, "1.0", false},  {145, "0.0", false},    {146, "1.0", false}, {147, "0.09", false},
      {71, "0", true},      {72, "0", true},        {73, "1", true},     {74, "1", true},
      {75, "0", true},      {76, "0", true},        {77, "0", true},     {78, "0", true},
      {170, "0", true},     {171, "2", true},       {172, "0", true},    {173, "0", true},
      {174, "0", true},     {175, "0", true},       {176, "0", true},    {177, "0", true},
      {178, "0", true},     {0, "ENDTAB", false},
  };
  char buf[32];
  for (const Row& r : kStyle) {
    std::snprintf(buf, sizeof buf, "%3d\n", r.code);
    w.out += buf;
    if (r.integer) {
      std::snprintf(buf, sizeof buf, "%6s\n", r.value);
      w.out += buf;
    } else {
      w.out += r.value;
      w.out += '\n';
    }
  }
  w.out += "0\nENDSEC\n";
}

void tables_3d(DxfOut& w, const Drawing& d) {
  std::vector<std::string> names;
  for (const Element& e : d.store.list) {
    const Object3D* o = as<Object3D>(&e);
    if (!o || !e.selected) continue;
    std::string n(o->material.view());
    if (n.empty()) n = "Default";
    bool seen = false;
    for (const std::string& m : names) seen = seen || m == n;
    if (!seen && names.size() < 50) names.push_back(std::move(n));
  }
  w.group(0, "SECTION");
  w.group(2, "TABLES");
  w.group(0, "TABLE");
  w.group(2, "LAYER");
  w.integer(70, static_cast<long>(names.size()));
  for (const std::string& n : names) {
    w.group(0, "LAYER");
    w.group(2, n);
    w.integer(70, 64);
    w.integer(62, 0);
    w.group(6, "CONTINUOUS");
  }
  w.group(0, "ENDTAB");
  w.group(0, "ENDSEC");
  w.group(0, "SECTION");
  w.group(2, "BLOCKS");
  w.group(0, "ENDSEC");
}

void blocks(DxfOut& w) {
  w.out +=
      " 0\nSECTION\n 2\nBLOCKS\n  0\nBLOCK\n  8\n0\n  2\n*D0\n 70\n     1\n 10\n0.0\n 20\n0.0\n"
      " 30\n0.0\n  0\nENDBLK\n 0\nENDSEC\n";
}

DxfOut& writer_of(Renderer& r) { return *static_cast<DxfOut*>(r.driver.context); }

void dxf_line(Renderer& r, int pen, int lt, double x1, double y1, double x2, double y2) {
  if (!written_pen(pen)) return;
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return;
  DxfOut& w = writer_of(r);
  w.begin("LINE", pen, lt);
  w.number(10, x1);
  w.number(20, y1);
  w.number(11, x2);
  w.number(21, y2);
}

void dxf_arc(Renderer& r, int pen, int lt, double cx, double cy, double a, double b, double sweep,
             double start, double rotation) {
  if (!written_pen(pen)) return;
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(a) || !std::isfinite(b) ||
      !std::isfinite(sweep) || !std::isfinite(start) || !std::isfinite(rotation))
    return;
  if (std::fabs(b - a) >= 0.001) {
    // An ellipse: chords through the line operation.
    sweep = std::clamp(sweep, -kTwoPi, kTwoPi);
    const double scale = r.drawing ? r.drawing->settings.drawing_scale : 100;
    const int n = std::max(8, arc_chord_count(a, b, sweep, scale, true));
    const double cr = std::cos(rotation), sr = std::sin(rotation);
    auto at = [&](double t, double& x, double& y) {
      const double u = a * std::cos(t), v = b * std::sin(t);
      x = cx + u * cr - v * sr;
      y = cy + u * sr + v * cr;
    };
    double px, py;
    at(start, px, py);
    for (int i = 1; i <= n; ++i) {
      double qx, qy;
      at(start + sweep * i / n, qx, qy);
      dxf_line(r, pen, lt, px, py, qx, qy);
      px = qx;
      py = qy;
    }
    return;
  }
  DxfOut& w = writer_of(r);
  if (std::fabs(sweep - kTwoPi) < 1e-12 || std::fabs(sweep) >= kTwoPi) {
    w.begin("CIRCLE", pen, lt);
    w.number(10, cx);
    w.number(20, cy);
    w.number(40, a);
    return;
  }
  double s0 = start + rotation, s1 = start + sweep + rotation;
  if (sweep < 0) std::swap(s0, s1);  // DXF arcs run counter-clockwise
  w.begin("ARC", pen, lt);
  w.number(10, cx);
  w.number(20, cy);
  w.number(40, a);
  w.number(50, s0 * 180 / kPi, 1);
  w.number(51, s1 * 180 / kPi, 1);
}

void dxf_spline(Renderer& r, int pen, int lt, const Point2& p0, const Point2& p1, const Point2& p2,
                const Point2& p3) {
  constexpr int kChords = 48;
  double px = p0.x, py = p0.y;
  for (int i = 1; i <= kChords; ++i) {
    const Point2 q = bezier_point(p0, p1, p2, p3, static_cast<double>(i) / kChords);
    dxf_line(r, pen, lt, px, py, q.x, q.y);
    px = q.x;
    py = q.y;
  }
}

void dxf_text(Renderer& r, const TextRun& run) {
  if (!written_pen(run.pen) || !r.drawing) return;
  DxfOut& w = writer_of(r);
  const double scale = r.drawing->settings.drawing_scale;
  const double a = run.angle;
  const double h = run.height * scale / 1000;
  const double step = run.line_spacing * h;
  double x = run.x, y = run.y;
  std::string_view text = run.text;
  for (;;) {
    const std::size_t lf = text.find('\n');
    const std::string_view line = text.substr(0, lf);
    if (std::isfinite(x) && std::isfinite(y) && std::isfinite(a) && std::isfinite(h)) {
      double width = 0;
      if (r.fonts && (run.align == 1 || run.align == 2))
        width = text_width(*r.fonts, scale, run.height, run.width_factor, run.spacing, run.font,
                           line, 0, 0);
      if (!std::isfinite(width)) width = 0;
      w.begin("TEXT", run.pen, run.line_type);
      switch (run.align) {
        case 2:
          w.number(10, x - std::cos(a) * width / 2);
          w.number(20, y - std::sin(a) * width / 2);
          w.integer(72, 1);
          w.number(11, x);
          w.number(21, y);
          break;
        case 1:
          w.number(10, x - std::cos(a) * width);
          w.number(20, y - std::sin(a) * width);
          w.integer(72, 2);
          w.number(11, x);
          w.number(21, y);
          break;
        case 3:
          w.number(10, x);
          w.number(20, y);
          w.integer(72, 5);
          w.number(11, x + std::cos(a) * run.fitted_width);
          w.number(21, y + std::sin(a) * run.fitted_width);
          break;
        default:
          w.number(10, x);
          w.number(20, y);
          break;
      }
      w.number(40, h);
      w.group(1, line);
      w.number(50, a * 180 / kPi, 1);
      w.number(41, run.width_factor, 1);
      std::printf("dxf f: %f\n", w.k);
    }
    if (lf == std::string_view::npos) break;
    text.remove_prefix(lf + 1);
    x += std::sin(a) * step;
    y -= std::cos(a) * step;
  }
}

void dxf_dimension(Renderer& r, const Dimension& dim) {
  const auto pts = dimension_points(dim);
  if (dim.kind != kDimChain) {
    draw_dimension_strokes(r, dim);
    return;
  }
  if (pts.size() < 2 || !written_pen(dim.pen)) return;
  DxfOut& w = writer_of(r);
  for (std::size_t i = 1; i < pts.size(); ++i) {
    const Point2& p = pts[i - 1].foot;
    const Point2& q = pts[i].foot;
    w.begin("DIMENSION", dim.pen, dim.line_type, true);
    w.number(10, p.x);
    w.number(20, p.y);
    w.number(11, (p.x + q.x) / 2);
    w.number(21, (p.y + q.y) / 2);
    w.integer(70, 1);
    w.number(13, p.x);
    w.number(23, p.y);
    w.number(14, q.x);
    w.number(24, q.y);
    w.group(3, "STANDARD");
  }
}

// A pattern's boundary as closed POLYLINEs, one per ring.
void boundary(DxfOut& w, const Pattern& p) {
  if (!written_pen(p.pen)) return;
  bool open = false;
  for (const Point2& pt : outline_points(p)) {
    if (is_separator(pt)) {
      if (open) {
        w.group(0, "SEQEND");
        w.group(8, std::to_string(p.pen + 101));
        w.group(6, w.line_type_name(p.line_type));
        w.integer(62, p.pen + 7);
      }
      open = false;
      continue;
    }
    if (!open) {
      w.begin("POLYLINE", p.pen, p.line_type);
      w.out += "66\n1\n10\n0.0\n20\n0.0\n30\n0.0\n70\n1\n";
      open = true;
    }
    w.begin("VERTEX", p.pen, p.line_type);
    w.number(10, pt.x);
    w.number(20, pt.y);
    w.number(30, 0);
  }
  if (open) {
    w.group(0, "SEQEND");
    w.group(8, std::to_string(p.pen + 101));
    w.group(6, w.line_type_name(p.line_type));
    w.integer(62, p.pen + 7);
  }
}

void dxf_fill(Renderer& r, const Pattern& p) { boundary(writer_of(r), p); }

void entities_2d(DxfOut& w, const Drawing& d, FontTable* fonts) {
  w.group(0, "SECTION");
  w.group(2, "ENTITIES");
  if (d.settings.view.patterns) {
    for (const Element& e : d.store.list)
      if (const Pattern* p = as<Pattern>(&e); p && e.selected && p->kind != 3 && tail_intact(*p))
        boundary(w, *p);
  }
  ExportPass pass(d, fonts, 0.001);
  OutputDriver& drv = pass.driver();
  drv.context = &w;
  drv.line = dxf_line;
  drv.arc = dxf_arc;
  drv.spline = dxf_spline;
  drv.text = dxf_text;
  drv.dimension = dxf_dimension;
  drv.fill = dxf_fill;
  pass.run();
  w.group(0, "ENDSEC");
  w.group(0, "EOF");
}

// The faces as triangles, fans from each face's first corner; bad indices are passed over.
void faces_3d(DxfOut& w, std::span<const Point3> verts, std::span<const std::uint32_t> sizes,
              std::span<const std::uint32_t> idx) {
  char buf[512];
  std::size_t at = 0;
  for (std::uint32_t n : sizes) {
    if (at + n > idx.size()) break;
    for (std::uint32_t k = 1; k + 1 < n; ++k) {
      const std::uint32_t ia = idx[at], ib = idx[at + k], ic = idx[at + k + 1];
      if (ia >= verts.size() || ib >= verts.size() || ic >= verts.size()) continue;
      const Point3 &a = verts[ia], &b = verts[ib], &c = verts[ic];
      const double m = w.k;
      std::snprintf(buf, sizeof buf,
                    "0\n3DFACE\n8\n%s\n10\n%f\n20\n%f\n30\n%f\n11\n%f\n21\n%f\n31\n%f\n12\n%f\n"
                    "22\n%f\n32\n%f\n13\n%f\n23\n%f\n33\n%f\n",
                    "Default", a.x * m, a.y * m, a.z * m, b.x * m, b.y * m, b.z * m, c.x * m,
                    c.y * m, c.z * m, c.x * m, c.y * m, c.z * m);
      w.out += buf;
    }
    at += n;
  }
}

void entities_3d(DxfOut& w, const Drawing& d) {
  w.group(0, "SECTION");
  w.group(2, "ENTITIES");
  for (const Element& e : d.store.list) {
    const Object3D* o = as<Object3D>(&e);
    if (!o || !(e.selected || e.layer == kTempLayer) || !tail_intact(*o)) continue;
    faces_3d(w, mesh_vertices(*o), mesh_face_sizes(*o), mesh_indices(*o));
  }
  // Marked walls as their solids with the openings cut through, after the 3D objects, as if
  // they had been converted into temporary objects at the end of the drawing.
  Mesh m;
  for (const Element& e : d.store.list) {
    const Wall* wall = as<Wall>(&e);
    if (!wall || !e.selected || !tail_intact(*wall)) continue;
    m = wall_mesh(*wall);
    faces_3d(w, m.vertices, m.face_sizes, m.indices);
  }
  w.group(0, "ENDSEC");
  w.group(0, "EOF");
}

}  // namespace

double dxf_unit_multiplier(int scale) {
  return scale >= 0 && scale < 5 ? kMultipliers[scale] : 1;
}

std::string dxf_document(const Drawing& d, FontTable* fonts, const DxfExportOptions& o) {
  std::string out;
  DxfOut w{out, dxf_unit_multiplier(o.scale), d.settings};
  header(w, d);
  const bool three_d = o.mode == 2 || o.mode == 3;
  if (o.mode == 0) tables_2d(w);
  if (o.mode == 2) tables_3d(w, d);
  blocks(w);
  if (three_d) entities_3d(w, d);
  else entities_2d(w, d, fonts);
  return out;
}

WriteStatus export_dxf(const Drawing& d, FontTable* fonts, const DxfExportOptions& options,
                       const std::string& path) {
  const std::string doc = dxf_document(d, fonts, options);
  return write_file_safely(path, [&](korav::Writer& w) { return w.bytes(doc.data(), doc.size()); });
}

}  // namespace korav
