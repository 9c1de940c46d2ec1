// The SVG document's exact forms: prologue, each primitive's element, units and the flipped y
// axis, strokes, the export's edge cases, and numbers written with a point in any locale.
#include <gtest/gtest.h>

#include <clocale>
#include <numbers>
#include <string>
#include <tuple>

#include "exchange/svg_export.h"
#include "files/safe_write.h"
#include "model/drawing.h"
#include "tests/export_test_support.h"
#include "tests/files_test_support.h"

namespace korav {
namespace {

constexpr double kPi = std::numbers::pi;

std::string svg_of(Drawing& d) {
  export_test::mark_all(d);
  return svg_document(d, nullptr);
}

// The lines of the document after the prologue's <desc> line, up to "</svg>".
std::vector<std::string> body(const std::string& doc) {
  std::vector<std::string> out;
  std::size_t at = doc.find("</desc>\n");
  if (at == std::string::npos) return out;
  at += 8;
  while (at < doc.size()) {
    const std::size_t nl = doc.find('\n', at);
    const std::string line = doc.substr(at, nl - at);
    if (line == "</svg>") break;
    out.push_back(line);
    at = nl + 1;
  }
  return out;
}

void add_arc(Drawing& d, double sweep, double start = 0, double a = 1, double b = 1,
             double rotation = 0, int pen = 0) {
  Circle c = make_element<Circle>(0, pen, 0);
  std::tie(c.radius1, c.radius2, c.sweep, c.start_angle, c.axis_angle) =
      std::tuple(a, b, sweep, start, rotation);
  create(d.store, c);
}

TEST(SvgExport, PrologueNamesSvg10AndThePageSize) {
  Drawing d;
  create_line(d.store, 0, 0, 0, 0, 0, 1, 0);
  const std::string doc = svg_of(d);
  // 1 m at 1:100 is 35.43 pixels; the page adds 2 pixels and half the pen (0.13 mm) each side.
  const double half_pen = 0.13 * 7.2 / 2.54 * 1.25 / 2;
  char size[80];
  std::snprintf(size, sizeof size, "<svg width=\"%.2f\" height=\"%.2f\"\n",
                100.0 / 100 * 72 / 2.54 * 1.25 + 4 + 2 * half_pen, 4 + 2 * half_pen);
  const std::string head = std::string("<?xml version=\"1.0\" standalone=\"no\"?>\n") +
                           "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 20010904//EN\" \n" +
                           "\"http://www.w3.org/TR/2001/REC-SVG-20010904/DTD/svg10.dtd\">\n" +
                           size + "xmlns=\"http://www.w3.org/2000/svg\">\n" +
                           "<desc>SVG file written by KORAV</desc>\n";
  EXPECT_EQ(doc.substr(0, head.size()), head);
  EXPECT_TRUE(doc.ends_with("</svg>\n"));
}

TEST(SvgExport, ALineIsConvertedAtThePaperScaleWithTheYAxisFlipped) {
  Drawing d;
  d.settings.pens[0].thickness = 0;  // no pen margin: the page starts 2 pixels left of x = 0
  create_line(d.store, 0, 0, 0, 0, 0, 1, 0);
  create_line(d.store, 0, 0, 0, 0, 0, 0, 1);
  auto lines = body(svg_of(d));
  ASSERT_EQ(lines.size(), 2u);
  const std::string style =
      " style=\"stroke:#000000;stroke-width:0.00;stroke-linecap:round;stroke-linejoin:round;\"/>";
  EXPECT_EQ(lines[0], "<line x1=\"2.00\" y1=\"37.43\" x2=\"37.43\" y2=\"37.43\"" + style);
  EXPECT_EQ(lines[1], "<line x1=\"2.00\" y1=\"37.43\" x2=\"2.00\" y2=\"2.00\"" + style);
  // At 1:50 the same metre is twice as long.
  Drawing fifty;
  fifty.settings.drawing_scale = 50;
  fifty.settings.pens[0].thickness = 0;
  create_line(fifty.store, 0, 0, 0, 0, 0, 1, 0);
  EXPECT_NE(body(svg_of(fifty))[0].find("x2=\"72.87\""), std::string::npos);
}

TEST(SvgExport, StrokeAttributesFollowThePenAndTheLineType) {
  struct Case {
    const char* what;
    int pen, line_type;
    bool black;
    const char *stroke, *dashes;  // before and after the line cap and join
  } cases[] = {
      {"pen colour and width", 2, 0, false, "stroke:#870f0f;stroke-width:0.89;", ""},
      {"all black", 2, 0, true, "stroke:#000000;stroke-width:0.89;", ""},
      {"one dash section", 0, 1, false, "stroke:#000000;stroke-width:0.46;",
       "stroke-dasharray:8.86 5.31 ;"},
      {"three dash sections", 0, 5, false, "stroke:#000000;stroke-width:0.46;",
       "stroke-dasharray:13.82 5.31 0.35 5.31 0.35 5.31 ;"},
      {"a dash section of zero lengths stays solid", 0, 6, false,
       "stroke:#000000;stroke-width:0.46;", ""},
  };
  for (const Case& c : cases) {
    Drawing d;
    d.settings.view.all_black = c.black;
    d.settings.line_types[6].sections = 1;  // its lengths are 0
    create_line(d.store, 0, c.pen, c.line_type, 0, 0, 1, 0);
    const auto lines = body(svg_of(d));
    ASSERT_EQ(lines.size(), 1u) << c.what;
    EXPECT_TRUE(lines[0].ends_with(
        std::string(c.stroke) + "stroke-linecap:round;stroke-linejoin:round;" + c.dashes + "\"/>"))
        << c.what << "\n"
        << lines[0];
  }
}

TEST(SvgExport, APointLikeLineStillShowsAsADot) {
  Drawing d;
  create_line(d.store, 0, 0, 0, 3, 3, 3, 3);
  const auto lines = body(svg_of(d));
  ASSERT_EQ(lines.size(), 1u);
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  ASSERT_EQ(std::sscanf(lines[0].c_str(), "<line x1=\"%lf\" y1=\"%lf\" x2=\"%lf\" y2=\"%lf\"", &x1,
                        &y1, &x2, &y2),
            4);
  EXPECT_NEAR(x2 - x1, 0.01, 1e-9);
  EXPECT_EQ(y1, y2);
}

TEST(SvgExport, ArcsCirclesAndEllipses) {
  struct Case {
    const char* what;
    double sweep, start, a, b, rotation;
    const char *starts, *has = "";
  } cases[] = {
      {"a full circle", 2 * kPi, 0, 1, 1, 0, "<circle cx="},
      {"a full ellipse", 2 * kPi, 0, 2, 1, 0, "<ellipse cx="},
      {"a turned ellipse", 2 * kPi, 0, 2, 1, kPi / 6, "<ellipse transform=\"translate(",
       ") rotate(-30.00)\" rx=\"70.87\" ry=\"35.43\""},
      {"a quarter arc: small", kPi / 2, 0, 1, 1, 0, "<path d=\"M"},
  };
  for (const Case& c : cases) {
    Drawing d;
    add_arc(d, c.sweep, c.start, c.a, c.b, c.rotation);
    const auto lines = body(svg_of(d));
    ASSERT_EQ(lines.size(), 1u) << c.what;
    EXPECT_TRUE(lines[0].starts_with(c.starts)) << c.what << "\n" << lines[0];
    EXPECT_NE(lines[0].find("style=\"fill:none;stroke:"), std::string::npos) << c.what;
    EXPECT_NE(lines[0].find(c.has), std::string::npos) << c.what;
  }
}

// The arc's flags: large-arc from half a turn on, sweep flag 0 for the drawing's
// counter-clockwise arcs (the y axis is flipped) and 1 for clockwise ones.
TEST(SvgExport, ArcFlagsAndEnds) {
  struct Case {
    double sweep;
    const char* flags;
  } cases[] = {{kPi / 2, " 0,0 "}, {kPi, " 1,0 "}, {1.5 * kPi, " 1,0 "}, {-kPi / 2, " 0,1 "}};
  for (const Case& c : cases) {
    Drawing d;
    d.settings.pens[0].thickness = 0;
    add_arc(d, c.sweep);
    const auto lines = body(svg_of(d));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(std::string("0.00") + c.flags), std::string::npos) << c.sweep << "\n"
                                                                               << lines[0];
  }
  // A quarter from the positive x axis: from (1, 0) to (0, 1), which is above, so y decreases.
  Drawing d;
  d.settings.pens[0].thickness = 0;
  add_arc(d, kPi / 2);
  const std::string l = body(svg_of(d))[0];
  double x0, y0, rx, ry, rot, x1, y1;
  int large, sweep;
  ASSERT_EQ(std::sscanf(l.c_str(), "<path d=\"M%lf,%lf A%lf,%lf %lf %d,%d %lf,%lf", &x0, &y0, &rx,
                        &ry, &rot, &large, &sweep, &x1, &y1),
            9);
  EXPECT_NEAR(rx, 35.43, 0.01);
  EXPECT_NEAR(x0 - x1, 35.43, 0.01);
  EXPECT_NEAR(y0 - y1, 35.43, 0.01);
}

TEST(SvgExport, TheGuidePenNeverAppears) {
  Drawing d;
  create_line(d.store, 0, kGuidePen, 0, 0, 0, 5, 5);
  create_line(d.store, 0, 1, 0, 0, 0, 1, 0);
  add_arc(d, 2 * kPi, 0, 3, 3, 0, kGuidePen);
  const std::string doc = svg_of(d);
  EXPECT_EQ(body(doc).size(), 1u);
  // Nor does it widen the page: 1 m and the margins.
  EXPECT_NE(doc.find("<svg width=\"40."), std::string::npos) << doc.substr(0, 300);
}

TEST(SvgExport, AFillingWithTwoRingsIsOnePathWithAHole) {
  Drawing d;
  Pattern p = make_element<Pattern>(0, 0, 0);
  p.kind = 3;
  p.red = 1;
  p.green = 0.5;
  p.blue = 0.25;
  const Point2 rings[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {999, 999},
                          {1, 1}, {3, 1}, {3, 3}, {1, 3}, {999, 999}};
  create_pattern(d.store, p, rings);
  const auto lines = body(svg_of(d));
  ASSERT_EQ(lines.size(), 1u);
  const std::string& l = lines[0];
  EXPECT_TRUE(l.starts_with("<path d=\"M"));
  EXPECT_EQ(std::count(l.begin(), l.end(), 'M'), 2);
  EXPECT_EQ(std::count(l.begin(), l.end(), 'z'), 2);
  EXPECT_EQ(std::count(l.begin(), l.end(), 'L'), 6);
  EXPECT_TRUE(l.ends_with("z \" style=\"stroke:none;fill:#ff7f3f;fill-rule:evenodd;\"/>")) << l;
}

TEST(SvgExport, NumbersKeepTheirPointInAnyLocale) {
  const std::string old = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  Drawing d;
  create_line(d.store, 0, 0, 0, 0.123, 0, 1.5, 0);
  const std::string doc = svg_of(d);
  std::setlocale(LC_NUMERIC, old.c_str());
  EXPECT_EQ(doc.find(','), std::string::npos);
}

TEST(SvgExport, AFailedWriteLeavesTheOldFile) {
  files_test::TempDir dir;
  Drawing d;
  create_line(d.store, 0, 0, 0, 0, 0, 1, 0);
  export_test::mark_all(d);
  EXPECT_EQ(export_svg(d, nullptr, dir.file("missing/out.svg")), WriteStatus::kCannotOpen);
  const std::string path = dir.file("out.svg");
  export_test::write_file(path, "old");
  ASSERT_EQ(export_svg(d, nullptr, path), WriteStatus::kOk);
  EXPECT_EQ(export_test::read_file(path), svg_document(d, nullptr));
}

}  // namespace
}  // namespace korav
