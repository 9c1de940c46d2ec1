// The PostScript page and the EPS export: the exact prolog, the primitives with their pen and
// line type, arcs and ellipses, fillings, texts, and the printed page in both orientations.
#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "exchange/postscript.h"
#include "model/drawing.h"
#include "tests/export_test_support.h"

namespace korav {
namespace {

constexpr double kPi = std::numbers::pi;

std::vector<std::string> lines_of(const std::string& doc) {
  std::vector<std::string> out;
  std::istringstream in(doc);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// The lines between "newpath" and the closing.
std::vector<std::string> page_lines(const std::string& doc) {
  std::vector<std::string> all = lines_of(doc), out;
  bool in = false;
  for (const std::string& l : all) {
    if (l == "newpath") {
      in = true;
      continue;
    }
    if (l == "%%Trailer") break;
    if (in && !l.empty()) out.push_back(l);
  }
  // The closing "grestore" (and the printed page's "showpage" before it).
  if (!out.empty() && out.back() == "grestore") out.pop_back();
  if (!out.empty() && out.back() == "showpage") out.pop_back();
  return out;
}

bool has_line(const std::string& doc, const std::string& line) {
  return std::ranges::count(lines_of(doc), line) > 0;
}

std::string eps_of(Drawing& d, bool texts = false, FontTable* fonts = nullptr) {
  export_test::mark_all(d);
  return eps_document(d, fonts, texts, "/tmp/plan.eps");
}

TEST(PostScript, TheEpsPrologIsExact) {
  Drawing d;
  d.settings.pens[0].thickness = 0;
  create_line(d.store, 0, 0, 0, 0, 0, 1, 0);
  const std::string doc = eps_of(d);
  const std::string head =
      "%!PS-Adobe-3.0 EPSF-2.0\n%%Creator: KORAV\n%%Title: /tmp/plan.eps\n"
      "%%Orientation: Portrait\n%%Pages: 1\n%%BoundingBox: 0 0 32 4\n%%DocumentFonts:\n"
      "%%EndComments\n\n%%BeginProlog\n%%BeginResource: procset KORAV-Prolog 1.0 0\n"
      "/bdef {bind def} bind def\n/ldef {load def} bdef\n/m /moveto  ldef\n/l /lineto  ldef\n"
      "/c /curveto ldef\n/a /arc     ldef\n/s /stroke  ldef\n/f {eofill} bdef\n"
      "/e {closepath} bdef\n/rgb {setrgbcolor} bdef\n/lt1 {[] 0 setdash} bdef\n"
      "/lt2 {[7.09 4.25 ] 0 setdash} bdef\n";
  EXPECT_EQ(doc.substr(0, head.size()), head);
  EXPECT_TRUE(has_line(doc, "/sp1 {0.00 setlinewidth 0.00 0.00 0.00 rgb} bdef"));
  EXPECT_TRUE(has_line(doc, "/sp3 {0.71 setlinewidth 0.53 0.06 0.06 rgb} bdef"));
  const std::string tail =
      "%%EndResource\n%%EndProlog\n\n%%BeginSetup\n%%EndSetup\n\n%%Page: 1 1\n\n"
      "%%BeginPageSetup\n%%EndPageSetup\n\ngsave\n\n0 setgray\n1 setlinecap\n1 setlinejoin\n\n"
      "newpath\n\nsp1 lt1 2.00 2.00 m 30.35 2.00 l s\n\ngrestore\n\n%%Trailer\n%%EOF\n";
  EXPECT_TRUE(doc.ends_with(tail)) << doc;
}

TEST(PostScript, AllBlackPensAndZeroDashes) {
  Drawing d;
  d.settings.view.all_black = 1;
  d.settings.line_types[2].line[0] = 0;
  d.settings.line_types[2].space[0] = 0;
  create_line(d.store, 0, 0, 0, 0, 0, 1, 0);
  const std::string doc = eps_of(d);
  EXPECT_TRUE(has_line(doc, "/sp3 {0.71 setlinewidth 0.0 0.0 0.0 rgb} bdef"));
  // setdash refuses an array of zeros.
  EXPECT_TRUE(has_line(doc, "/lt3 {[] 0 setdash} bdef"));
}

TEST(PostScript, EveryStrokedPrimitiveCarriesItsPenAndLineType) {
  Drawing d;
  create_line(d.store, 0, 2, 3, 0, 0, 1, 0);
  create_line(d.store, 0, 2, 3, 1, 0, 2, 0);
  Spline sp = make_element<Spline>(0, 2, 3);
  sp.p[1] = {0.5, 1};
  sp.p[2] = {1.5, 1};
  sp.p[3] = {2, 0};
  create(d.store, sp);
  const auto page = page_lines(eps_of(d));
  ASSERT_EQ(page.size(), 3u);
  for (const std::string& l : page) EXPECT_TRUE(l.starts_with("sp3 lt4 ")) << l;
  EXPECT_TRUE(page[0].ends_with(" l s"));
  EXPECT_TRUE(page[2].ends_with(" c s"));
}

TEST(PostScript, CirclesUseArcAndEllipsesNever) {
  // An arc: centre, radius in points, start + rotation and its end in degrees; a clockwise arc
  // is drawn from its other end. Ellipses are chords (no ending given).
  struct Case {
    const char* what;
    double a, b, sweep, start, rotation;
    const char* ends;
  } cases[] = {
      {"a circle", 1, 1, 2 * kPi, 0, 0, " a s"},
      {"an arc", 1, 1, kPi / 2, kPi / 4, kPi / 4, " 28.35 90.00 180.00 a s"},
      {"a clockwise arc", 1, 1, -kPi / 2, kPi / 4, kPi / 4, " 28.35 0.00 90.00 a s"},
      {"an ellipse", 2, 1, 2 * kPi, 0, 0, nullptr},
      {"an elliptic arc", 2, 1, kPi, 0, 0.3, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Drawing d;
    Circle e = make_element<Circle>(0, 0, 0);
    std::tie(e.radius1, e.radius2, e.sweep, e.start_angle, e.axis_angle) =
        std::tuple(c.a, c.b, c.sweep, c.start, c.rotation);
    create(d.store, e);
    const auto page = page_lines(eps_of(d));
    ASSERT_FALSE(page.empty());
    if (c.ends) {
      ASSERT_EQ(page.size(), 1u);
      EXPECT_TRUE(page[0].ends_with(c.ends)) << page[0];
    } else {
      EXPECT_GT(page.size(), 12u);
      for (const std::string& l : page) EXPECT_TRUE(l.ends_with(" l s")) << l;
    }
  }
}

TEST(PostScript, AFillingIsOnePathWithClosedRingsFilledEvenOdd) {
  Drawing d;
  Pattern p = make_element<Pattern>(0, 0, 0);
  p.kind = 3;
  p.red = 0.25;
  p.green = 0.5;
  p.blue = 1;
  const Point2 rings[] = {{0, 0}, {4, 0}, {4, 4}, {999, 999}, {1, 1}, {2, 1}, {2, 2}, {999, 999}};
  create_pattern(d.store, p, rings);
  const auto page = page_lines(eps_of(d));
  const std::vector<std::string> want_ends = {" rgb", " m", " l", " l", "e",
                                              " m",   " l", " l", "e",  "f"};
  ASSERT_EQ(page.size(), want_ends.size());
  EXPECT_EQ(page[0], "0.25 0.50 1.00 rgb");
  for (std::size_t i = 0; i < page.size(); ++i) EXPECT_TRUE(page[i].ends_with(want_ends[i])) << i;
}

TEST(PostScript, TextsAsPostScriptTextWithTheirPenAndEscapes) {
  Drawing d;
  FontTable fonts;
  export_test::load_fonts(fonts);
  create_text(d.store, export_test::text_fields(0, 0, "Simpel", 5, 0, kPi / 2, 2), "a(b)\\c\nzwei");
  const std::string doc = eps_of(d, true, &fonts);
  const auto page = page_lines(doc);
  const std::vector<std::string> start = {"sp3", "/Helvetica findfont", "14.17 scalefont",
                                          "setfont", "gsave"};
  ASSERT_GE(page.size(), 15u) << doc;
  for (std::size_t i = 0; i < start.size(); ++i) EXPECT_EQ(page[i], start[i]);
  EXPECT_TRUE(page[5].ends_with(" translate"));
  EXPECT_EQ(page[6], "90.00 rotate");
  EXPECT_EQ(page[7], "0 0 moveto");
  EXPECT_EQ(page[8], "(a\\(b\\)\\\\c) show");
  EXPECT_EQ(page[9], "grestore");
  EXPECT_EQ(page[14], "(zwei) show");
  // The second line starts line spacing x height to the right of a text turned upwards: 1.5 x
  // 5 mm at 1:100 is 0.75 m, 21.26 points.
  double x1, y1, x2, y2;
  ASSERT_EQ(std::sscanf(page[5].c_str(), "%lf %lf", &x1, &y1), 2);
  ASSERT_EQ(std::sscanf(page[11].c_str(), "%lf %lf", &x2, &y2), 2);
  EXPECT_NEAR(x2 - x1, 21.26, 0.02);
  EXPECT_NEAR(y2 - y1, 0, 0.02);
  // With graphics export the text is strokes.
  Drawing g;
  create_text(g.store, export_test::text_fields(0, 0, "Simpel", 5), "ab");
  EXPECT_EQ(eps_of(g, false, &fonts).find("findfont"), std::string::npos);
}

// Umlauts: Helvetica copied once with the ISO-8859-1 encoding, used by the texts that need it.
TEST(PostScript, TextsBeyondAsciiTakeTheLatin1Helvetica) {
  Drawing d;
  FontTable fonts;
  export_test::load_fonts(fonts);
  create_text(d.store, export_test::text_fields(0, 0, "Simpel", 5),
              std::string("Gr\xF6\xDF") + "e");
  create_text(d.store, export_test::text_fields(0, 2, "Simpel", 5), "plain");
  create_text(d.store, export_test::text_fields(0, 4, "Simpel", 5), std::string("K\xFC") + "che");
  const std::string doc = eps_of(d, true, &fonts);
  std::size_t defs = 0;
  for (std::size_t at = doc.find("definefont"); at != std::string::npos;
       at = doc.find("definefont", at + 1))
    ++defs;
  EXPECT_EQ(defs, 1u);
  const auto page = page_lines(doc);
  std::vector<std::string> fonts_used, shown;
  for (const std::string& l : page) {
    if (l.ends_with(" findfont") && !l.starts_with("/Helvetica-ISOLatin1 /"))
      fonts_used.push_back(l);
    if (l.ends_with(" show")) shown.push_back(l);
  }
  EXPECT_EQ(fonts_used,
            (std::vector<std::string>{"/Helvetica-ISOLatin1 findfont", "/Helvetica findfont",
                                      "/Helvetica-ISOLatin1 findfont"}));
  EXPECT_EQ(shown,
            (std::vector<std::string>{"(Gr\\366\\337e) show", "(plain) show", "(K\\374che) show"}));
}

TEST(PostScript, ARightAlignedTextStartsItsWidthBack) {
  FontTable fonts;
  export_test::load_fonts(fonts);
  double left_x = 0, right_x = 0;
  for (int align : {0, 1}) {
    Drawing d;
    create_text(d.store, export_test::text_fields(10, 0, "Simpel", 5, align), "WWW");
    create_line(d.store, 0, 0, 0, 0, 0, 20, 0);  // the same page either way
    const auto page = page_lines(eps_of(d, true, &fonts));
    for (const std::string& l : page)
      if (l.ends_with(" translate")) std::sscanf(l.c_str(), "%lf", align ? &right_x : &left_x);
  }
  EXPECT_GT(left_x - right_x, 20);  // three W at 5 mm: over a metre, 28 points a metre
}

TEST(PostScript, ThePrintedPageHasThePaperSizeAndTurnsInLandscape) {
  Drawing d;
  d.settings.pens[0].thickness = 0;
  create_line(d.store, 0, 0, 0, 1, 1, 2, 1);
  export_test::mark_all(d);
  PrintSetup setup;
  const std::string portrait = print_document(d, nullptr, setup, 0, 0);
  EXPECT_TRUE(portrait.starts_with("%!PS-Adobe-3.0\n%%Creator: KORAV\n%%Title: print.ps\n"));
  EXPECT_TRUE(has_line(portrait, "%%BoundingBox: 0 0 595 842"));
  EXPECT_TRUE(has_line(portrait, "<< /PageSize [595 842] >> setpagedevice"));
  EXPECT_TRUE(portrait.ends_with("\nshowpage\n\ngrestore\n\n%%Trailer\n%%EOF\n"));
  EXPECT_EQ(page_lines(portrait),
            std::vector<std::string>{"sp1 lt1 28.35 28.35 m 56.69 28.35 l s"});
  setup.landscape = true;
  const std::string landscape = print_document(d, nullptr, setup, 0, 0);
  EXPECT_TRUE(has_line(landscape, "<< /PageSize [595 842] >> setpagedevice"));
  // The line runs up the paper, one metre from its right edge (21 cm at 1:100 is 21 m).
  EXPECT_EQ(page_lines(landscape),
            std::vector<std::string>{"sp1 lt1 566.93 28.35 m 566.93 56.69 l s"});
  // Pen widths at the print scale: at 1:200 a 1:100 drawing's pens print half as wide.
  setup.scale = 200;
  d.settings.pens[1].thickness = 1;
  EXPECT_TRUE(has_line(print_document(d, nullptr, setup, 0, 0),
                       "/sp2 {1.42 setlinewidth 0.90 0.80 0.10 rgb} bdef"));
  // Colour printing off: black pens.
  setup.colour = false;
  EXPECT_TRUE(has_line(print_document(d, nullptr, setup, 0, 0),
                       "/sp2 {1.42 setlinewidth 0.0 0.0 0.0 rgb} bdef"));
}

TEST(PostScript, OnlyWhatOverlapsThePaperFrameIsPrinted) {
  Drawing d;
  create_line(d.store, 0, 0, 0, 1, 1, 2, 1);
  create_line(d.store, 0, 0, 0, 100, 100, 101, 100);
  Pattern p = make_element<Pattern>(0, 0, 0);
  p.kind = 3;
  // A filling around the whole frame, no corner of it on the paper, is still printed.
  const Point2 around[] = {{-50, -50}, {80, -50}, {80, 80}, {-50, 80}, {999, 999}};
  create_pattern(d.store, p, around);
  export_test::mark_all(d);
  const auto page = page_lines(print_document(d, nullptr, PrintSetup{}, 0, 0));
  ASSERT_EQ(page.size(), 8u);
  EXPECT_TRUE(page[0].starts_with("sp1 lt1 28.35 28.35 m"));
  EXPECT_EQ(page[7], "f");
}

}  // namespace
}  // namespace korav
