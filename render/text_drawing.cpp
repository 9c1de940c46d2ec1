#include "render/text_drawing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/drawing.h"
#include "render/renderer.h"

namespace korav {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kPlaceholderPixels = 5;

struct Edge {
  double u1, v1, u2, v2;
};

// One text being drawn: the frame that maps glyph coordinates to the world.
struct GlyphFrame {
  Renderer& r;
  int pen, line_type;
  double ox, oy;  // text origin
  double ca, sa;  // direction of the text
  double xs, ys;  // world units per glyph unit across and up (width factor in xs)
  double world_per_pixel;
  bool vector;
  std::vector<Edge>* fill;  // outline edges of the filled glyph being read, or null

  // Glyph-local (u along the text, v up) to world.
  void world(double u, double v, double& x, double& y) const {
    x = ox + u * ca - v * sa;
    y = oy + u * sa + v * ca;
  }
  void segment(double u1, double v1, double u2, double v2) {
    if (fill) fill->push_back({u1, v1, u2, v2});
    double x1, y1, x2, y2;
    world(u1, v1, x1, y1);
    world(u2, v2, x2, y2);
    r.driver.line(r, pen, line_type, x1, y1, x2, y2);
  }
  // Chords for a curve of about `size` world units.
  int pieces(double size, int lo, int hi) const {
    const double px = world_per_pixel > 0 ? size / world_per_pixel : hi;
    int n = static_cast<int>(std::clamp(px / 3, double(lo), double(hi)));
    return vector ? 2 * n : n;
  }
};

// Spans of the non-zero interior of the edges, one fill line every `step` in v.
void fill_edges(GlyphFrame& p, const std::vector<Edge>& edges, double step) {
  if (edges.empty() || !(step > 0)) return;
  double vmin = edges[0].v1, vmax = vmin;
  for (const Edge& e : edges) {
    vmin = std::min({vmin, e.v1, e.v2});
    vmax = std::max({vmax, e.v1, e.v2});
  }
  if ((vmax - vmin) / step > 4000) step = (vmax - vmin) / 4000;
  struct Cross {
    double u;
    int dir;
  };
  thread_local std::vector<Cross> xs;
  std::vector<Edge>* saved = p.fill;
  p.fill = nullptr;
  for (double v = vmin + step / 2; v < vmax; v += step) {
    xs.clear();
    for (const Edge& e : edges) {
      if ((e.v1 <= v) == (e.v2 <= v)) continue;
      const double t = (v - e.v1) / (e.v2 - e.v1);
      xs.push_back({e.u1 + t * (e.u2 - e.u1), e.v2 > e.v1 ? 1 : -1});
    }
    std::sort(xs.begin(), xs.end(), [](const Cross& a, const Cross& b) { return a.u < b.u; });
    int winding = 0;
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
      winding += xs[i].dir;
      if (winding != 0 && xs[i + 1].u > xs[i].u) p.segment(xs[i].u, v, xs[i + 1].u, v);
    }
  }
  p.fill = saved;
}

// Interprets one glyph's command list with its origin at (u0, 0) of the text frame.
void draw_glyph(GlyphFrame& p, const Font& f, const std::int16_t* g, double u0) {
  const double cs = f.coordinate_scale();
  const double xs = p.xs * cs, ys = p.ys * cs;
  auto U = [&](std::int16_t x) { return u0 + x * xs; };
  auto V = [&](std::int16_t y) { return y * ys; };
  // The outline edges are collected as they are stroked; a code 5 fills what it gathered.
  thread_local std::vector<Edge> edges;
  edges.clear();
  p.fill = &edges;
  double cu = u0, cv = 0, su = u0, sv = 0;  // current point, contour start
  for (int guard = 0; guard < 1 << 20; ++guard) {
    const int code = g[0];
    switch (code) {
      case kGlyphMove:
        cu = su = U(g[1]);
        cv = sv = V(g[2]);
        break;
      case kGlyphLine: {
        const double u = U(g[1]), v = V(g[2]);
        p.segment(cu, cv, u, v);
        cu = u;
        cv = v;
        break;
      }
      case kGlyphArc: {
        const double cu0 = U(g[1]), cv0 = V(g[2]);
        const double ru = g[3] * xs, rv = g[3] * ys;
        const double a0 = g[4] / 10.0 * kPi / 180, sweep = g[5] / 10.0 * kPi / 180;
        const int n = std::max(2, static_cast<int>(p.pieces(std::fabs(rv) * 2, 8, 48) *
                                                       std::min(1.0, std::fabs(sweep) / (2 * kPi)) +
                                                   0.5));
        double pu = cu0 + ru * std::cos(a0), pv = cv0 + rv * std::sin(a0);
        for (int i = 1; i <= n; ++i) {
          const double t = a0 + sweep * i / n;
          const double qu = cu0 + ru * std::cos(t), qv = cv0 + rv * std::sin(t);
          p.segment(pu, pv, qu, qv);
          pu = qu;
          pv = qv;
        }
        cu = pu;
        cv = pv;
        break;
      }
      case kGlyphCubic:
      case kGlyphQuadratic: {
        const bool cubic = code == kGlyphCubic;
        const double u1 = U(g[1]), v1 = V(g[2]), u2 = U(g[3]), v2 = V(g[4]);
        const double u3 = cubic ? U(g[5]) : u2, v3 = cubic ? V(g[6]) : v2;
        const double size =
            std::fabs(u1 - cu) + std::fabs(v1 - cv) + std::fabs(u3 - u1) + std::fabs(v3 - v1);
        const int n = p.pieces(size, 2, 16);
        double pu = cu, pv = cv;
        for (int i = 1; i <= n; ++i) {
          const double t = static_cast<double>(i) / n, s = 1 - t;
          double qu, qv;
          if (cubic) {
            qu = s * s * s * cu + 3 * s * s * t * u1 + 3 * s * t * t * u2 + t * t * t * u3;
            qv = s * s * s * cv + 3 * s * s * t * v1 + 3 * s * t * t * v2 + t * t * t * v3;
          } else {
            qu = s * s * cu + 2 * s * t * u1 + t * t * u2;
            qv = s * s * cv + 2 * s * t * v1 + t * t * v2;
          }
          p.segment(pu, pv, qu, qv);
          pu = qu;
          pv = qv;
        }
        cu = u3;
        cv = v3;
        break;
      }
      case kGlyphClose:
        if (cu != su || cv != sv) p.segment(cu, cv, su, sv);
        cu = su;
        cv = sv;
        break;
      case kGlyphFillEnd: {
        const double step = p.vector ? std::fabs(p.ys) * 2 : p.world_per_pixel * 0.8;
        fill_edges(p, edges, step);
        edges.clear();
        break;
      }
      default: break;
    }
    const int n = glyph_arguments(code);
    if (code == kGlyphEnd || n < 0) break;  // the end, or a damaged list
    g += n + 1;
  }
  p.fill = nullptr;
}

// The width of one line (up to a line feed) in advance units x 100 and its character count.
double line_advance(const Font& f, std::string_view line, int& chars) {
  double w = 0;
  chars = 0;
  for (unsigned char c : line) {
    if (c < kFirstGlyph) continue;
    w += f.advance[c];
    ++chars;
  }
  return w;
}

const Font* run_font(FontTable* fonts, std::string_view name) {
  if (!fonts) return nullptr;
  return font_at(*fonts, find_font(*fonts, name));
}

// One line of a text as the drawer lays it out along its base line (world units): where it
// starts, how wide it is, its natural width and its characters.
struct LineLayout {
  double start = 0, width = 0, natural = 0;
  int chars = 0;
};

LineLayout lay_out_line(const Font& f, std::string_view line, double xs, double gap, int align,
                        double fitted_width) {
  LineLayout l;
  l.natural = line_advance(f, line, l.chars) * xs + l.chars * gap;
  if (align == 1) l.start = -l.natural;
  else if (align == 2) l.start = -l.natural / 2;
  l.width = align == 3 && fitted_width > 0 ? fitted_width : l.natural;
  return l;
}

// The box the drawer tests before it draws a line (in the text's own u along, v across), with
// the line's base at v0 and s the text height in world units; corner k is (u[k & 1], v[k >> 1]).
void line_box(const LineLayout& l, double v0, double s, double u[2], double v[2]) {
  u[0] = l.start - std::fabs(s);
  u[1] = l.start + l.width + std::fabs(s);
  v[0] = v0 - 0.5 * std::fabs(s);
  v[1] = v0 + 1.5 * std::fabs(s);
}

}  // namespace

double text_width(FontTable& fonts, double drawing_scale, double height, double width_factor,
                  double spacing, std::string_view font, std::string_view text, int align,
                  double fitted_width) {
  if (align == 3) return fitted_width;
  const Font* f = run_font(&fonts, font);
  if (!f) return 0;
  const double s = height * drawing_scale / 1000;
  double widest = 0;
  while (true) {
    const std::size_t lf = text.find('\n');
    int chars = 0;
    const double adv = line_advance(*f, text.substr(0, lf), chars);
    widest = std::max(widest, adv * width_factor * s / 100 + chars * spacing * s);
    if (lf == std::string_view::npos) break;
    text.remove_prefix(lf + 1);
  }
  return widest;
}

void draw_text_run(Renderer& r, const TextRun& run) {
  if (!r.driver.line || !r.drawing) return;
  const Font* f = run_font(r.fonts, run.font);
  if (!f) return;
  const double s = run.height * r.drawing->settings.drawing_scale / 1000;
  if (!std::isfinite(s) || !std::isfinite(run.x) || !std::isfinite(run.y) ||
      !std::isfinite(run.angle) || !std::isfinite(run.width_factor) ||
      !std::isfinite(run.spacing) || !std::isfinite(run.line_spacing) || s == 0)
    return;
  const bool vector = r.driver.vector_output;
  const double wpp = r.screen ? r.screen->view().units_y : 0;
  const double unit = s / 100;  // world units per advance unit x 100
  GlyphFrame p{r,
               run.pen,
               run.line_type,
               run.x,
               run.y,
               std::cos(run.angle),
               std::sin(run.angle),
               unit * run.width_factor,
               unit,
               wpp,
               vector,
               nullptr};
  const bool placeholder = !vector && wpp > 0 && std::fabs(s) / wpp < kPlaceholderPixels;
  const double line_step = run.line_spacing * s;
  std::string_view text = run.text;
  double v0 = 0;  // the current line's base, downwards from the insertion point
  // On the screen, a line wholly outside the view is skipped.
  const View* view = !vector && r.screen ? &r.screen->view() : nullptr;
  while (true) {
    const std::size_t lf = text.find('\n');
    const std::string_view line = text.substr(0, lf);
    const LineLayout l = lay_out_line(*f, line, p.xs, run.spacing * s, run.align, run.fitted_width);
    const int chars = l.chars;
    const double start = l.start, width = l.width;
    double gap = run.spacing * s;
    if (run.align == 3 && chars > 1 && run.fitted_width > 0)
      gap += (run.fitted_width - l.natural) / (chars - 1) + run.spacing * s / (chars - 1);
    bool visible = true;
    if (view) {
      double xs[4], ys[4], us[2], vs[2];
      line_box(l, v0, s, us, vs);
      for (int k = 0; k < 4; ++k) p.world(us[k & 1], vs[k >> 1], xs[k], ys[k]);
      visible = box_in_view(*view, *std::min_element(xs, xs + 4), *std::min_element(ys, ys + 4),
                            *std::max_element(xs, xs + 4), *std::max_element(ys, ys + 4));
    }
    if (visible && placeholder) {
      if (chars > 0) {
        p.segment(start, v0, start + width, v0);
        p.segment(start + width, v0, start + width, v0 + s);
        p.segment(start + width, v0 + s, start, v0 + s);
        p.segment(start, v0 + s, start, v0);
      }
    } else if (visible) {
      double u = start;
      // The glyph frame: the line's base line, moved down by the line feeds.
      const double saved_ox = p.ox, saved_oy = p.oy;
      double bx, by;
      p.world(0, v0, bx, by);
      p.ox = bx;
      p.oy = by;
      for (unsigned char c : line) {
        if (c < kFirstGlyph) continue;
        if (const std::int16_t* g = f->glyph(c)) draw_glyph(p, *f, g, u);
        u += f->advance[c] * p.xs + gap;
      }
      p.ox = saved_ox;
      p.oy = saved_oy;
    }
    if (lf == std::string_view::npos) break;
    text.remove_prefix(lf + 1);
    v0 -= line_step;
  }
  if (!vector && run.guide_cross && r.drawing->settings.view.guide_points)
    draw_guide_cross(r, run.x, run.y);
}

TextExtent text_extent(FontTable& fonts, double drawing_scale, const Text& t) {
  TextExtent x;
  x.width = text_width(fonts, drawing_scale, t.height, t.width_factor, t.spacing, t.font.view(),
                       text_of(t), t.align, t.fitted_width);
  const Font* f = run_font(&fonts, t.font.view());
  if (!f) return x;
  // The boxes the drawer tests line by line before it draws a line: nothing of the text is
  // drawn outside them but the guide cross and the mark at its insertion point.
  const double s = t.height * drawing_scale / 1000;
  const double ca = std::cos(t.angle), sa = std::sin(t.angle);
  const double xs = s / 100 * t.width_factor;
  Box b;
  b.add(t.pos.x, t.pos.y);
  std::string_view text = text_of(t);
  double v0 = 0;
  while (true) {
    const std::size_t lf = text.find('\n');
    double us[2], vs[2];
    line_box(lay_out_line(*f, text.substr(0, lf), xs, t.spacing * s, t.align, t.fitted_width), v0,
             s, us, vs);
    for (int k = 0; k < 4; ++k)
      b.add(t.pos.x + us[k & 1] * ca - vs[k >> 1] * sa, t.pos.y + us[k & 1] * sa + vs[k >> 1] * ca);
    if (lf == std::string_view::npos) break;
    text.remove_prefix(lf + 1);
    v0 -= t.line_spacing * s;
  }
  if (std::isfinite(b.x1) && std::isfinite(b.y1) && std::isfinite(b.x2) && std::isfinite(b.y2))
    x.drawn = b;
  return x;
}

}  // namespace korav
