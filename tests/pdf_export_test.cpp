// The PDF file's exact structure (objects, stream length, cross-reference offsets, trailer) and
// the content stream's operators: the graphics state written only when it changes, arcs as
// polygons, fillings with their colour before the path, texts as PDF text or strokes.
#include <gtest/gtest.h>

#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/pdf_export.h"
#include "model/drawing.h"
#include "tests/export_test_support.h"

namespace korav {
namespace {

constexpr double kPi = std::numbers::pi;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

std::string content_of(Drawing& d, bool texts = false, FontTable* fonts = nullptr) {
  export_test::mark_all(d);
  return pdf_content(pdf_document(d, fonts, texts));
}

std::size_t count(const std::vector<std::string>& lines, std::string_view end) {
  std::size_t n = 0;
  for (const std::string& l : lines) n += l.ends_with(end);
  return n;
}

TEST(PdfExport, TheFileHasNineObjectsAtTheOffsetsTheTableGives) {
  Drawing d;
  create_line(d.store, 0, 0, 0, 0, 0, 1, 0);
  export_test::mark_all(d);
  const std::string pdf = pdf_document(d, nullptr, false);
  ASSERT_TRUE(pdf.starts_with("%PDF-1.3\n1 0 obj\n<<\n/Type /Catalog\n/Outlines 2 0 R\n"));
  ASSERT_TRUE(pdf.ends_with("%%EOF\n"));
  // startxref names the table; each entry the start of its object.
  const std::size_t sx = pdf.rfind("startxref\n");
  ASSERT_NE(sx, std::string::npos);
  const std::size_t xref = std::stoul(pdf.substr(sx + 10));
  ASSERT_EQ(pdf.compare(xref, 28, "xref\n0 10\n0000000000 65535 f"), 0);
  for (int i = 1; i <= 9; ++i) {
    const std::string entry = pdf.substr(xref + 10 + 20 * i, 20);
    ASSERT_TRUE(entry.ends_with(" 00000 n \n")) << entry;
    const std::size_t at = std::stoul(entry.substr(0, 10));
    EXPECT_EQ(pdf.compare(at, 8, std::to_string(i) + " 0 obj\n"), 0) << "object " << i;
  }
  // Object 6 holds the number of compressed bytes between "stream" and "endstream".
  const std::size_t begin = pdf.find("stream\n") + 7, end = pdf.find("\nendstream");
  const std::size_t six = pdf.find("6 0 obj\n");
  EXPECT_EQ(std::stoul(pdf.substr(six + 8)), end - begin);
  EXPECT_NE(pdf.find("/MediaBox [0 0 32.71 4.37]"), std::string::npos);
  EXPECT_NE(pdf.find("trailer\n<<\n/Size 10\n/Root 1 0 R\n/Info 9 0 R\n>>\nstartxref\n"),
            std::string::npos);
  EXPECT_NE(pdf.find("/Title (KORAV PDF Export)\n/Creator (KORAV CAD for Architecs)\n"),
            std::string::npos);
}

TEST(PdfExport, AnExportWithNothingVisibleStillHasItsStream) {
  Drawing d;
  const std::string pdf = pdf_document(d, nullptr, false);
  EXPECT_EQ(pdf_content(pdf), "1 J\n1 j\n");
  EXPECT_TRUE(pdf.ends_with("%%EOF\n"));
}

TEST(PdfExport, PenAndDashAreWrittenOnlyWhenTheyChange) {
  Drawing d;
  d.settings.pens[1].thickness = 1;
  create_line(d.store, 0, 1, 1, 0, 0, 1, 0);
  create_line(d.store, 0, 1, 1, 1, 0, 2, 0);
  create_line(d.store, 0, 1, 0, 2, 0, 3, 0);
  // Caps, joins, colour, width and dash once, three strokes, the solid dash before the third.
  const auto c = lines_of(content_of(d));
  ASSERT_EQ(c.size(), 15u);
  EXPECT_EQ(count(c, " RG"), 1u);
  EXPECT_EQ(count(c, " w"), 1u);
  EXPECT_EQ(c[4], "[7.09 4.25] 0 d");
  EXPECT_EQ(c[7], "S");
  EXPECT_EQ(c[11], "[] 0 d");
}

TEST(PdfExport, ArcsArePolygons) {
  struct Case {
    const char* what;
    double sweep;
    std::size_t lines;
    const char* last;
  } cases[] = {
      {"a full circle: 36 corners, closed", 2 * kPi, 35, "s"},
      {"a quarter: the least, 12 segments", kPi / 2, 12, "S"},
      {"three quarters: 27 segments", 1.5 * kPi, 27, "S"},
  };
  for (const Case& k : cases) {
    Drawing d;
    Circle c = make_element<Circle>(0, 0, 0);
    c.radius1 = c.radius2 = 2;
    c.sweep = k.sweep;
    create(d.store, c);
    const auto lines = lines_of(content_of(d));
    SCOPED_TRACE(k.what);
    EXPECT_EQ(count(lines, " m"), 1u);
    EXPECT_EQ(count(lines, " l"), k.lines);
    EXPECT_EQ(lines.back(), k.last);
  }
}

TEST(PdfExport, ABezierIsOneCurve) {
  Drawing d;
  Spline sp = make_element<Spline>(0, 0, 0);
  sp.p[1] = {1, 1};
  sp.p[2] = {2, 1};
  sp.p[3] = {3, 0};
  create(d.store, sp);
  const auto lines = lines_of(content_of(d));
  ASSERT_GE(lines.size(), 3u);
  const std::string& curve = lines[lines.size() - 2];
  EXPECT_TRUE(curve.ends_with(" c"));
  EXPECT_EQ(std::count(curve.begin(), curve.end(), ' '), 6);
  EXPECT_EQ(lines.back(), "S");
}

TEST(PdfExport, AFillingSetsItsColourBeforeThePath) {
  Drawing d;
  Pattern p = make_element<Pattern>(0, 0, 0);
  p.kind = 3;
  p.red = 0.5;
  const Point2 rings[] = {{0, 0}, {4, 0}, {4, 4}, {999, 999}, {1, 1}, {2, 1}, {2, 2}, {999, 999}};
  create_pattern(d.store, p, rings);
  const auto c = lines_of(content_of(d));
  const std::vector<std::string> ends = {"1 J", "1 j", " rg", " m", " l", " l", " m", " l", " l",
                                         "f*"};
  ASSERT_EQ(c.size(), ends.size());
  for (std::size_t i = 0; i < c.size(); ++i) EXPECT_TRUE(c[i].ends_with(ends[i])) << i << c[i];
  EXPECT_EQ(c[2], "0.50 0.00 0.00 rg");
}

TEST(PdfExport, TextsAsPdfTextOrAsStrokes) {
  FontTable fonts;
  export_test::load_fonts(fonts);
  Drawing d;
  create_text(d.store, export_test::text_fields(0, 0, "Simpel", 4, 0, 0, 3), "(a)\\\nzwei");
  const std::string text = content_of(d, true, &fonts);
  const auto c = lines_of(text);
  ASSERT_EQ(c.size(), 10u) << text;
  EXPECT_EQ(c[2], "0.06 0.06 0.80 rg");
  EXPECT_EQ(c[3], "BT");
  EXPECT_EQ(c[4], "/F1 14.17 Tf");
  EXPECT_TRUE(c[5].starts_with("1.00 0.00 -0.00 1.00 ") && c[5].ends_with(" Tm")) << c[5];
  EXPECT_EQ(c[6], "(\\(a\\)\\\\) Tj");
  EXPECT_EQ(c[8], "(zwei) Tj");
  EXPECT_EQ(c[9], "ET");
  // The second line 1.5 x 4 mm at 1:100 (0.6 m, 17.01 points) below the first.
  double y1 = 0, y2 = 0;
  ASSERT_EQ(std::sscanf(c[5].c_str(), "%*f %*f %*f %*f %*f %lf", &y1), 1);
  ASSERT_EQ(std::sscanf(c[7].c_str(), "%*f %*f %*f %*f %*f %lf", &y2), 1);
  EXPECT_NEAR(y1 - y2, 17.01, 0.02);
  const std::string strokes = content_of(d, false, &fonts);
  EXPECT_EQ(strokes.find("BT"), std::string::npos);
  EXPECT_GT(count(lines_of(strokes), " l"), 10u);
}

TEST(PdfExport, ALargeDrawingFillsManyBuffersAndInflatesWhole) {
  Drawing d;
  for (int i = 0; i < 5000; ++i) create_line(d.store, 0, i % 8, 0, i, 0, i, 1 + i % 7);
  const auto c = lines_of(content_of(d));
  EXPECT_EQ(count(c, " m"), 5000u);
  EXPECT_EQ(count(c, " RG"), 5000u);  // the pen changes at every line
}

}  // namespace
}  // namespace korav
