#include "exchange/pdf_export.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "exchange/export_extent.h"
#include "exchange/export_pass.h"
#include "exchange/output_text.h"
#include "exchange/zlib_stream.h"
#include "model/drawing.h"

namespace korav {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr std::size_t kContentBuffer = 8192;
constexpr std::size_t kContentReserve = 256;
constexpr std::size_t kDeflateBuffer = 8192;

bool finite(double a) { return std::isfinite(a); }

// The file: every byte goes through here, and the running count gives the objects' offsets.
using FileSink = OutputText;

// Compressed content goes to the file in slices, so that the file's buffer keeps its size.
bool to_file(void* context, const char* data, std::size_t n) {
  FileSink& file = *static_cast<FileSink*>(context);
  for (std::size_t at = 0; at < n; at += kDeflateBuffer) {
    file << std::string_view(data + at, std::min(kDeflateBuffer, n - at));
    file.bound();
  }
  return file.ok();
}

bool to_compressor(void* context, const char* data, std::size_t n) {
  return static_cast<ZlibStream*>(context)->write(data, n);
}

struct Pdf {
  const Drawing& d;
  OutputText& out;  // the content buffer
  ExportRect rect;
  double k = 1, kpen = 1;
  bool black = false;
  int last_pen = 8, last_line_type = 8;  // nothing set yet
  // A stroked path still open: solid lines that continue it (the strokes of a text, say) are
  // added to it rather than stroked one by one.
  bool open = false;
  double end_x = 0, end_y = 0;

  void close() {
    if (open) out << "S\n";
    open = false;
  }

  double x(double wx) const { return (wx - rect.left) * k; }
  double y(double wy) const { return (wy - rect.bottom) * k; }
  void point(double wx, double wy) {
    out.fixed_blank(x(wx));
    out.fixed_blank(y(wy));
  }
  bool solid(int line_type) const {
    if (line_type < 0 || line_type >= kLineTypeCount) return true;
    const LineType& lt = d.settings.line_types[line_type];
    return lt.sections == 0;
  }
  void state(int pen, int line_type) {
    close();
    if (pen < 0 || pen >= kPenCount) pen = 0;
    if (line_type < 0 || line_type >= kLineTypeCount) line_type = 0;
    if (pen != last_pen) {
      const Pen& p = d.settings.pens[pen];
      if (black) {
        out << "0.00 0.00 0.00";
      } else {
        out.fixed_blank(std::clamp(finite(p.red) ? p.red : 0, 0.0, 1.0));
        out.fixed_blank(std::clamp(finite(p.green) ? p.green : 0, 0.0, 1.0));
        out.fixed(std::clamp(finite(p.blue) ? p.blue : 0, 0.0, 1.0));
      }
      out << " RG\n";
      out.fixed(std::max(0.0, finite(p.thickness) ? p.thickness : 0) * kpen) << " w\n";
      last_pen = pen;
    }
    if (line_type != last_line_type) {
      const LineType& lt = d.settings.line_types[line_type];
      const int n = std::min<int>(lt.sections, 3);
      double sum = 0;
      for (int i = 0; i < n; ++i)
        sum += (finite(lt.line[i]) ? std::max(0.0, lt.line[i]) : 0) +
               (finite(lt.space[i]) ? std::max(0.0, lt.space[i]) : 0);
      out << '[';
      // A dash array of nothing but zeros is an error for PDF readers: such a type is solid.
      if (sum * kpen >= 0.01)
        for (int i = 0; i < n; ++i) {
          if (i) out << ' ';
          out.fixed_blank(finite(lt.line[i]) ? std::max(0.0, lt.line[i]) * kpen : 0);
          out.fixed(finite(lt.space[i]) ? std::max(0.0, lt.space[i]) * kpen : 0);
        }
      out << "] 0 d\n";
      last_line_type = line_type;
    }
  }
};

Pdf& pdf(Renderer& r) { return *static_cast<Pdf*>(r.driver.context); }

void pdf_line(Renderer& r, int pen, int lt, double x1, double y1, double x2, double y2) {
  Pdf& s = pdf(r);
  if (pen == kGuidePen || !finite(x1) || !finite(y1) || !finite(x2) || !finite(y2)) return;
  if (!s.rect.overlaps(x1, y1, x2, y2)) return;
  const int p = pen < 0 || pen >= kPenCount ? 0 : pen;
  const int t = lt < 0 || lt >= kLineTypeCount ? 0 : lt;
  if (s.open && p == s.last_pen && t == s.last_line_type && x1 == s.end_x && y1 == s.end_y) {
    s.point(x2, y2);
    s.out << "l\n";
  } else {
    s.state(pen, lt);
    s.point(x1, y1);
    s.out << "m\n";
    s.point(x2, y2);
    s.out << "l\n";
    // Dashed lines are stroked one by one, so that each starts its dash pattern anew.
    if (s.solid(t)) s.open = true;
    else s.out << "S\n";
  }
  s.end_x = x2;
  s.end_y = y2;
  s.out.bound();
}

void pdf_spline(Renderer& r, int pen, int lt, const Point2& p0, const Point2& p1, const Point2& p2,
                const Point2& p3) {
  Pdf& s = pdf(r);
  if (pen == kGuidePen) return;
  for (const Point2* p : {&p0, &p1, &p2, &p3})
    if (!finite(p->x) || !finite(p->y)) return;
  if (!s.rect.overlaps(p0.x, p0.y, p3.x, p3.y) && !s.rect.overlaps(p1.x, p1.y, p2.x, p2.y)) return;
  s.state(pen, lt);
  s.point(p0.x, p0.y);
  s.out << "m\n";
  s.point(p1.x, p1.y);
  s.point(p2.x, p2.y);
  s.point(p3.x, p3.y);
  s.out << "c\nS\n";
  s.out.bound();
}

void pdf_arc(Renderer& r, int pen, int lt, double cx, double cy, double a, double b, double sweep,
             double start, double rotation) {
  Pdf& s = pdf(r);
  if (pen == kGuidePen) return;
  if (!finite(cx) || !finite(cy) || !finite(a) || !finite(b) || !finite(sweep) || !finite(start) ||
      !finite(rotation))
    return;
  const double m = std::max(std::fabs(a), std::fabs(b));
  if (!s.rect.overlaps(cx - m, cy - m, cx + m, cy + m)) return;
  sweep = std::clamp(sweep, -kTwoPi, kTwoPi);
  const bool full = std::fabs(sweep) >= kTwoPi - 1e-9;
  const int n = std::max(static_cast<int>(std::trunc(std::fabs(sweep) / kTwoPi * 36)), 12);
  const double cr = std::cos(rotation), sr = std::sin(rotation);
  auto at = [&](double t) {
    s.point(cx + a * std::cos(t) * cr - b * std::sin(t) * sr,
            cy + a * std::cos(t) * sr + b * std::sin(t) * cr);
  };
  s.state(pen, lt);
  at(start);
  s.out << "m\n";
  for (int i = 1; i < n; ++i) {
    at(start + sweep * i / n);
    s.out << "l\n";
  }
  if (full) {
    s.out << "s\n";
  } else {
    at(start + sweep);
    s.out << "l\nS\n";
  }
  s.out.bound();
}

// The fill colour is set before the path: a colour operator inside a path is not allowed.
void pdf_fill(Renderer& r, const Pattern& p) {
  Pdf& s = pdf(r);
  const Point2* pts = p.points();
  bool inside = false;
  for (std::uint32_t i = 0; i < p.count && !inside; ++i)
    inside = !is_separator(pts[i]) && finite(pts[i].x) && finite(pts[i].y) &&
             s.rect.contains(pts[i].x, pts[i].y);
  if (!inside) return;
  s.close();
  s.out.fixed_blank(std::clamp(finite(p.red) ? p.red : 0, 0.0, 1.0));
  s.out.fixed_blank(std::clamp(finite(p.green) ? p.green : 0, 0.0, 1.0));
  s.out.fixed(std::clamp(finite(p.blue) ? p.blue : 0, 0.0, 1.0)) << " rg\n";
  bool ring_start = true;
  for (std::uint32_t i = 0; i < p.count; ++i) {
    if (is_separator(pts[i])) {
      ring_start = true;
      continue;
    }
    if (!finite(pts[i].x) || !finite(pts[i].y)) continue;
    s.point(pts[i].x, pts[i].y);
    s.out << (ring_start ? "m\n" : "l\n");
    ring_start = false;
  }
  s.out << "f*\n";
  s.out.bound();
}

void pdf_text(Renderer& r, const TextRun& run) {
  Pdf& s = pdf(r);
  if (run.pen == kGuidePen || !finite(run.x) || !finite(run.y) || !finite(run.angle) ||
      !finite(run.height) || !finite(run.line_spacing))
    return;
  const double reach = text_reach(r, run);
  if (!s.rect.overlaps(run.x - reach, run.y - reach, run.x + reach, run.y + reach)) return;
  const int pen = run.pen < 0 || run.pen >= kPenCount ? 0 : run.pen;
  const Pen& p = s.d.settings.pens[pen];
  s.close();
  if (s.black) {
    s.out << "0.00 0.00 0.00";
  } else {
    s.out.fixed_blank(std::clamp(finite(p.red) ? p.red : 0, 0.0, 1.0));
    s.out.fixed_blank(std::clamp(finite(p.green) ? p.green : 0, 0.0, 1.0));
    s.out.fixed(std::clamp(finite(p.blue) ? p.blue : 0, 0.0, 1.0));
  }
  s.out << " rg\nBT\n/F1 ";
  s.out.fixed(7.2 * (1.25 * run.height) / 2.54) << " Tf\n";
  const double ca = std::cos(run.angle), sa = std::sin(run.angle);
  for_each_text_line(r, run, [&](std::string_view line, double x, double y) {
    s.out.fixed_blank(ca);
    s.out.fixed_blank(sa);
    s.out.fixed_blank(-sa);
    s.out.fixed_blank(ca);
    s.point(x, y);
    s.out << "Tm\n(";
    append_string_literal(s.out, line);
    s.out << ") Tj\n";
    s.out.bound();
  });
  s.out << "ET\n";
  s.out.bound();
}

bool write_pdf(const Drawing& d, FontTable* fonts, bool texts_as_text, FileSink& file) {
  const double scale = d.settings.drawing_scale > 0 ? d.settings.drawing_scale : 100;
  const double k = units_per_metre(scale, 1), kpen = units_per_millimetre(1);
  const ExportPage page = export_page(marked_ink_extent(d, fonts), k, kpen);
  std::array<std::size_t, 10> offset{};
  file << "%PDF-1.3\n";
  offset[1] = file.total();
  file << "1 0 obj\n<<\n/Type /Catalog\n/Outlines 2 0 R\n/Pages 3 0 R\n>>\nendobj\n";
  offset[2] = file.total();
  file << "2 0 obj\n<<\n/Type /Outlines\n/Count 0\n>>\nendobj\n";
  offset[3] = file.total();
  file << "3 0 obj\n<<\n/Type /Pages\n/Kids [4 0 R]\n/Count 1\n>>\nendobj\n";
  offset[4] = file.total();
  file << "4 0 obj\n<<\n/Type /Page\n/Parent 3 0 R\n/MediaBox [0 0 ";
  file.fixed_blank(page.width);
  file.fixed(page.height) << "]\n/Contents 5 0 R\n"
                          << "/Resources << /ProcSet 7 0 R /Font << /F1 8 0 R >> >>\n>>\nendobj\n";
  offset[5] = file.total();
  file << "5 0 obj\n<<\n/Length 6 0 R\n/Filter /FlateDecode\n>>\nstream\n";

  std::size_t compressed = 0;
  {
    ZlibStream z(to_file, &file);
    OutputText content(kContentBuffer, kContentReserve, to_compressor, &z);
    content << "1 J\n1 j\n";
    Pdf s{d, content, page.rect, k, kpen, d.settings.view.all_black != 0};
    ExportPass pass(d, fonts, 1 / k);
    pass.set_window(page.rect.left, page.rect.bottom, page.rect.right(), page.rect.top());
    OutputDriver& op = pass.driver();
    op.context = &s;
    op.line = pdf_line;
    op.arc = pdf_arc;
    op.spline = pdf_spline;
    op.fill = pdf_fill;
    if (texts_as_text) op.text = pdf_text;
    pass.run();
    s.close();
    if (!content.flush() || !z.finish()) return false;
    compressed = z.compressed();
  }
  file << "\nendstream\nendobj\n";
  offset[6] = file.total();
  file << "6 0 obj\n";
  file.integer(static_cast<long long>(compressed)) << "\nendobj\n";
  offset[7] = file.total();
  file << "7 0 obj\n[/PDF /Text]\nendobj\n";
  offset[8] = file.total();
  file << "8 0 obj\n<<\n/Type /Font\n/Subtype /Type1\n/BaseFont /Helvetica\n"
       << "/Encoding /WinAnsiEncoding\n>>\nendobj\n";
  offset[9] = file.total();
  file << "9 0 obj\n<<\n/Title (KORAV PDF Export)\n/Creator (KORAV CAD for Architecs)\n>>\n"
       << "endobj\n";
  const std::size_t xref = file.total();
  file << "xref\n0 10\n0000000000 65535 f \n";
  for (int i = 1; i <= 9; ++i) file.padded10(static_cast<long long>(offset[i])) << " 00000 n \n";
  file << "trailer\n<<\n/Size 10\n/Root 1 0 R\n/Info 9 0 R\n>>\nstartxref\n";
  file.integer(static_cast<long long>(xref)) << "\n%%EOF\n";
  return file.flush();
}

constexpr std::size_t kFileBuffer = 1 << 16;

}  // namespace

std::string pdf_document(const Drawing& d, FontTable* fonts, bool texts_as_text) {
  std::string doc;
  OutputText file(kFileBuffer, kDeflateBuffer, sink_to_string, &doc);
  write_pdf(d, fonts, texts_as_text, file);
  return doc;
}

WriteStatus export_pdf(const Drawing& d, FontTable* fonts, bool texts_as_text,
                       const std::string& path) {
  return write_file_safely(path, [&](Writer& w) {
    OutputText file(kFileBuffer, kDeflateBuffer, sink_to_writer, &w);
    return write_pdf(d, fonts, texts_as_text, file) && w.ok();
  });
}

std::string pdf_content(const std::string& file) {
  const std::size_t begin = file.find("stream\n");
  const std::size_t end = file.rfind("\nendstream");
  if (begin == std::string::npos || end == std::string::npos || end < begin + 7) return {};
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return {};
  std::string out;
  std::array<char, 16384> buf{};
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(file.data() + begin + 7));
  z.avail_in = static_cast<uInt>(end - begin - 7);
  int rc = Z_OK;
  do {
    z.next_out = reinterpret_cast<Bytef*>(buf.data());
    z.avail_out = static_cast<uInt>(buf.size());
    rc = inflate(&z, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END) {
      out.clear();
      break;
    }
    out.append(buf.data(), buf.size() - z.avail_out);
  } while (rc != Z_STREAM_END && z.avail_in > 0);
  inflateEnd(&z);
  return out;
}

}  // namespace korav
