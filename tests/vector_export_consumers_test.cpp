// The vector outputs handed to their real consumers: rsvg-convert renders every SVG,
// Ghostscript every PostScript page and EPS (its bounding box device measures the ink, which
// must lie inside the EPS bounding box), qpdf checks every PDF and pdftoppm renders it, hp2xx
// reads and renders every HPGL and HPGL/2 plot. Where
// the ink lies is compared with the PNG export of the same drawing: the same shape of the ink's
// box and ink in the same cells of a grid over it, so that nothing is flipped, lost or cut off.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "exchange/hpgl_export.h"
#include "exchange/pdf_export.h"
#include "exchange/postscript.h"
#include "exchange/svg_export.h"
#include "exchange/zlib_stream.h"
#include "render/png_export.h"
#include "tests/export_test_support.h"
#include "tests/files_test_support.h"

namespace korav {
namespace {

using export_test::have_program;
using export_test::Ink;
using export_test::ink_of;
using export_test::Run;
using export_test::run_program;

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr auto npos = std::string::npos;

struct Gallery {
  files_test::TempDir dir;
  Drawing d;
  FontTable fonts;
  Ink reference;  // the PNG export's ink
  Gallery() {
    export_test::load_fonts(fonts);
    // The screen draws the guide pen; the outputs do not: compare without it.
    export_test::make_gallery(d, false);
    export_test::mark_all(d);
    d.settings.view.guide_points = 0;
    std::string error;
    const std::string png = dir.file("reference.png");
    Drawing copy;
    export_test::make_gallery(copy, false);
    copy.settings.view.guide_points = 0;
    if (export_png(copy, png, 1600, 1200, error, &fonts)) {
      Png p;
      if (read_png(png, p)) reference = ink_of(p, p.px[0]);
    }
  }
  std::string file(const std::string& name) const { return dir.file(name); }
};

// The ink of a consumer's picture against the PNG export's.
void expect_same_ink(const Ink& got, const Ink& want, const char* what) {
  ASSERT_GT(want.pixels, 1000) << "the PNG export drew nothing";
  ASSERT_GT(got.pixels, 1000) << what << " shows (almost) nothing";
  EXPECT_NEAR(got.aspect(), want.aspect(), want.aspect() * 0.04) << what;
  EXPECT_GE(export_test::agreement(got.grid, want.grid), 0.9) << what;
}

// The ink keeps clear of every edge of the page: nothing is cut off.
void expect_inside_page(const Png& png, const Ink& ink, const char* what) {
  EXPECT_GE(ink.x0, 1) << what;
  EXPECT_GE(ink.y0, 1) << what;
  EXPECT_LE(ink.x1, png.width - 2) << what;
  EXPECT_LE(ink.y1, png.height - 2) << what;
}

// The picture turned a quarter turn to the right.
Png turned_right(const Png& p) {
  Png t;
  t.width = p.height;
  t.height = p.width;
  t.px.resize(p.px.size());
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      t.px[static_cast<std::size_t>(x * t.width + (p.height - 1 - y))] = p.at(x, y);
  return t;
}

// "%%BoundingBox: x0 y0 x1 y1" in a document, or in what Ghostscript's bbox device reports.
bool bounding_box(const std::string& text, int box[4]) {
  const std::size_t at = text.find("%%BoundingBox:");
  return at != npos && std::sscanf(text.c_str() + at, "%%%%BoundingBox: %d %d %d %d", &box[0],
                                   &box[1], &box[2], &box[3]) == 4;
}

Run gs(const std::vector<std::string>& args, const std::string& dir) {
  std::vector<std::string> argv{"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE"};
  argv.insert(argv.end(), args.begin(), args.end());
  return run_program(argv, dir);
}

// Ghostscript's bbox device over a PostScript file: the box of its ink.
void measure_ink(const std::string& ps, const std::string& dir, int ink[4]) {
  const Run bbox = gs({"-sDEVICE=bbox", ps}, dir);
  ASSERT_EQ(bbox.status, 0) << bbox.out << bbox.err;
  EXPECT_EQ(bbox.out.find("Error"), npos) << bbox.out;
  ASSERT_TRUE(bounding_box(bbox.err, ink)) << bbox.err;
}

void expect_qpdf_accepts(const std::string& pdf, const std::string& dir) {
  const Run check = run_program({"qpdf", "--check", pdf}, dir);
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  EXPECT_NE(check.out.find("No syntax or stream encoding errors"), npos) << check.out;
}

// pdftoppm's picture of the PDF, written to stem.png and read back.
void render_pdf(const std::string& pdf, const std::string& stem, const char* dpi,
                const std::string& dir, Png& p) {
  const Run render = run_program({"pdftoppm", "-r", dpi, "-png", "-singlefile", pdf, stem}, dir);
  ASSERT_EQ(render.status, 0) << render.err;
  EXPECT_EQ(render.err.find("Error"), npos) << render.err;
  ASSERT_TRUE(read_png(stem + ".png", p));
}

TEST(VectorExportConsumers, RsvgRendersTheSvgOfEveryElementKind) {
  if (!have_program("rsvg-convert")) GTEST_SKIP() << "rsvg-convert is not installed";
  Gallery g;
  const std::string svg = g.file("gallery.svg"), png = g.file("gallery.png");
  ASSERT_EQ(export_svg(g.d, &g.fonts, svg), WriteStatus::kOk);
  const auto r = run_program({"rsvg-convert", "-b", "white", "-o", png, svg}, g.dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  Png p;
  ASSERT_TRUE(read_png(png, p));
  const Ink ink = ink_of(p, kWhite);
  expect_same_ink(ink, g.reference, "rsvg-convert");
  expect_inside_page(p, ink, "rsvg-convert");
}

TEST(VectorExportConsumers, GhostscriptRendersTheEpsAndItsBoundingBoxHoldsAllInk) {
  if (!have_program("gs")) GTEST_SKIP() << "Ghostscript is not installed";
  Gallery g;
  for (bool as_text : {false, true}) {
    SCOPED_TRACE(as_text ? "texts as text" : "texts as strokes");
    const std::string eps = g.file("gallery.eps"), png = g.file("gallery.png");
    ASSERT_EQ(export_eps(g.d, &g.fonts, as_text, eps), WriteStatus::kOk);
    int declared[4] = {0, 0, 0, 0}, ink[4];
    ASSERT_TRUE(bounding_box(export_test::read_file(eps), declared));
    ASSERT_NO_FATAL_FAILURE(measure_ink(eps, g.dir.path(), ink));
    EXPECT_GE(ink[0], declared[0]);
    EXPECT_GE(ink[1], declared[1]);
    EXPECT_LE(ink[2], declared[2]);
    EXPECT_LE(ink[3], declared[3]);
    // The ink fills the box but for the margin.
    EXPECT_LE(ink[0], declared[0] + 8);
    EXPECT_GE(ink[2], declared[2] - 8);

    if (as_text) continue;  // Helvetica is not the stroke font: the ink differs by design
    const auto render =
        gs({"-dEPSCrop", "-sDEVICE=png16m", "-r90", "-sOutputFile=" + png, eps}, g.dir.path());
    ASSERT_EQ(render.status, 0) << render.out << render.err;
    Png p;
    ASSERT_TRUE(read_png(png, p));
    const Ink seen = ink_of(p, kWhite);
    expect_same_ink(seen, g.reference, "Ghostscript (EPS)");
    expect_inside_page(p, seen, "Ghostscript (EPS)");
  }
}

TEST(VectorExportConsumers, GhostscriptPrintsThePageUprightAndTurned) {
  if (!have_program("gs")) GTEST_SKIP() << "Ghostscript is not installed";
  Gallery g;
  for (bool landscape : {false, true}) {
    SCOPED_TRACE(landscape ? "landscape" : "portrait");
    PrintSetup setup;
    setup.landscape = landscape;
    setup.scale = 300;  // the whole gallery fits on the sheet either way
    double w = 0, h = 0;
    print_frame_size(setup, w, h);
    const std::string ps = g.file("print.ps"), png = g.file("print.png");
    // The frame's corner a little below and left of the drawing.
    ASSERT_EQ(print_to_file(g.d, &g.fonts, setup, -2, -6, ps), WriteStatus::kOk);
    int ink[4];
    ASSERT_NO_FATAL_FAILURE(measure_ink(ps, g.dir.path(), ink));
    EXPECT_GE(ink[0], 0);
    EXPECT_GE(ink[1], 0);
    EXPECT_LE(ink[2], 595);
    EXPECT_LE(ink[3], 842);
    const auto render = gs({"-sDEVICE=png16m", "-r72", "-sOutputFile=" + png, ps}, g.dir.path());
    ASSERT_EQ(render.status, 0) << render.out << render.err;
    Png p;
    ASSERT_TRUE(read_png(png, p));
    EXPECT_EQ(p.width, 595);
    EXPECT_EQ(p.height, 842);
    // Turned back a quarter turn to the right, the page shows what the upright one shows.
    expect_same_ink(ink_of(landscape ? turned_right(p) : p, kWhite), g.reference,
                    "Ghostscript (print)");
  }
}

TEST(VectorExportConsumers, QpdfAcceptsAndPdftoppmRendersThePdf) {
  if (!have_program("qpdf") || !have_program("pdftoppm"))
    GTEST_SKIP() << "qpdf or pdftoppm is not installed";
  Gallery g;
  for (bool as_text : {false, true}) {
    SCOPED_TRACE(as_text ? "texts as text" : "texts as strokes");
    const std::string pdf = g.file("gallery.pdf");
    ASSERT_EQ(export_pdf(g.d, &g.fonts, as_text, pdf), WriteStatus::kOk);
    expect_qpdf_accepts(pdf, g.dir.path());
    Png p;
    ASSERT_NO_FATAL_FAILURE(render_pdf(pdf, g.file("gallery"), "90", g.dir.path(), p));
    const Ink seen = ink_of(p, kWhite);
    if (!as_text) expect_same_ink(seen, g.reference, "pdftoppm");
    expect_inside_page(p, seen, "pdftoppm");
  }
}

TEST(VectorExportConsumers, APdfWhoseContentIsCompressedInManyPiecesIsOneValidStream) {
  if (!have_program("qpdf") || !have_program("pdftoppm"))
    GTEST_SKIP() << "qpdf or pdftoppm is not installed";
  // 60 000 lines in a fan of pens: about 3 MB of content, compressed piece by piece.
  Drawing d;
  for (int i = 0; i < 60000; ++i) {
    const double a = i * 0.0001;
    create_line(d.store, 0, i % 8, 0, 10 * std::cos(a), 10 * std::sin(a), 20 * std::cos(a),
                20 * std::sin(a));
  }
  export_test::mark_all(d);
  const std::string content = pdf_content(pdf_document(d, nullptr, false));
  ASSERT_GT(content.size(), 2 * kZlibPieceSize);
  std::size_t strokes = 0;
  for (std::size_t at = content.find(" l\n"); at != npos; at = content.find(" l\n", at + 1))
    ++strokes;
  EXPECT_EQ(strokes, 60000u);
  files_test::TempDir dir;
  const std::string pdf = dir.file("fan.pdf");
  ASSERT_EQ(export_pdf(d, nullptr, false, pdf), WriteStatus::kOk);
  expect_qpdf_accepts(pdf, dir.path());
  Png p;
  ASSERT_NO_FATAL_FAILURE(render_pdf(pdf, dir.file("fan"), "20", dir.path(), p));
  EXPECT_GT(ink_of(p, kWhite).pixels, 100);
}

// hp2xx's report on standard error: what it read, what it did not know, what surprised it.
struct Hp2xxReport {
  int status = -1;
  int read = -1, ignored = -1, unexpected = -1;
  std::string err;
};

Hp2xxReport hp2xx(const std::string& plot, const std::string& png, const std::string& dir) {
  const auto r = run_program({"hp2xx", "-m", "png", "-f", png, plot}, dir);
  auto number = [&](const char* label) {
    const std::size_t at = r.err.find(label);
    return at == npos ? -1 : std::atoi(r.err.c_str() + at + std::strlen(label));
  };
  return {r.status, number("HPGL commands read:"), number("HPGL command(s) ignored:"),
          number("Unexpected event(s):"), r.err};
}

// hp2xx takes the mode switch ("ESC %0B") that starts an HPGL/2 plot for a command it does not
// know ("BI"); nothing else may be unknown to it.
int known_ignored(int type) { return type == kPlotHpgl ? 0 : 1; }

// The PNG export's ink of the gallery without what hp2xx cannot show: lines of no length (the
// point hatch, a point), which it skips where a plotter leaves a dot, and, for plain HPGL, the
// solid filling, which only HPGL/2 has.
Ink hp2xx_reference(const Gallery& g, bool fillings) {
  Drawing d;
  export_test::make_gallery(d, false);
  d.settings.view.guide_points = 0;
  for (Element& e : d.store.list) {
    if (e.type == kPattern) {
      const int kind = static_cast<const Pattern&>(e).kind;
      e.selected = kind == 2 || (kind == 3 && !fillings);
    } else if (e.type == kLine) {
      const Line& l = static_cast<const Line&>(e);
      e.selected = l.start.x == l.end.x && l.start.y == l.end.y;
    }
  }
  d.store.purge();
  std::string error;
  Png p;
  FontTable* fonts = const_cast<FontTable*>(&g.fonts);
  if (!export_png(d, g.file("hp2xx_reference.png"), 1600, 1200, error, fonts) ||
      !read_png(g.file("hp2xx_reference.png"), p))
    return Ink{};
  return ink_of(p, p.px[0]);
}

TEST(VectorExportConsumers, Hp2xxReadsAndRendersThePlotOfEveryElementKind) {
  if (!have_program("hp2xx")) GTEST_SKIP() << "hp2xx is not installed";
  Gallery g;
  const Ink with_fillings = hp2xx_reference(g, true), without = hp2xx_reference(g, false);
  struct Case {
    const char* what;
    int type;
    bool landscape, centre;
  } cases[] = {
      {"HPGL", kPlotHpgl, false, false},
      {"HPGL, landscape, origin at the centre", kPlotHpgl, true, true},
      {"HPGL/2 color", kPlotHpgl2Colour, false, false},
      {"HPGL/2 mono, landscape", kPlotHpgl2Mono, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlotSetup p;
    p.type = c.type;
    p.landscape = c.landscape;
    p.centre_origin = c.centre;
    p.scale = 300;  // the whole gallery on the sheet either way
    const std::string plot = g.file("gallery.hpgl"), png = g.file("gallery.png");
    ASSERT_EQ(plot_to_file(g.d, &g.fonts, p, 26, 10, plot), WriteStatus::kOk);
    const Hp2xxReport r = hp2xx(plot, png, g.dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_GT(r.read, 1000) << r.err;
    EXPECT_EQ(r.ignored, known_ignored(c.type)) << r.err;
    EXPECT_EQ(r.unexpected, 0) << r.err;
    Png pic;
    ASSERT_TRUE(read_png(png, pic));
    // Landscape turns the drawing a quarter turn to the left onto the paper.
    const Ink ink = ink_of(c.landscape ? turned_right(pic) : pic, kWhite);
    expect_same_ink(ink, c.type == kPlotHpgl ? without : with_fillings, "hp2xx");
  }
}

// A filling with a hole, plotted in HPGL/2: hp2xx fills the ring and leaves the hole empty.
TEST(VectorExportConsumers, Hp2xxFillsAroundTheHoleOfAFilling) {
  if (!have_program("hp2xx")) GTEST_SKIP() << "hp2xx is not installed";
  files_test::TempDir dir;
  Drawing d;
  Pattern p = make_element<Pattern>(0, 0, 0);
  p.kind = 3;
  p.red = 1;
  const Point2 holed[] = {{0, 0}, {9, 0}, {9, 9}, {0, 9}, {999, 999},
                          {3, 3}, {6, 3}, {6, 6}, {3, 6}, {999, 999}};
  create_pattern(d.store, p, holed);
  export_test::mark_all(d);
  PlotSetup setup;
  setup.type = kPlotHpgl2Colour;
  ASSERT_EQ(plot_to_file(d, nullptr, setup, 0, 0, dir.file("f.hpgl")), WriteStatus::kOk);
  const Hp2xxReport r = hp2xx(dir.file("f.hpgl"), dir.file("f.png"), dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.ignored, known_ignored(setup.type)) << r.err;
  Png pic;
  ASSERT_TRUE(read_png(dir.file("f.png"), pic));
  const Ink ink = ink_of(pic, kWhite);
  ASSERT_GT(ink.pixels, 1000);
  // The picture is the filling's square: its middle (the hole) white, its ring filled.
  auto at = [&](double fx, double fy) {
    return pic.at(ink.x0 + static_cast<int>(fx * (ink.x1 - ink.x0)),
                  ink.y0 + static_cast<int>(fy * (ink.y1 - ink.y0)));
  };
  EXPECT_EQ(at(0.5, 0.5), kWhite);
  EXPECT_NE(at(1.0 / 6, 0.5), kWhite);
  EXPECT_NE(at(0.5, 5.0 / 6), kWhite);
}

// Every consumer present accepts the SVG, EPS, PDF and plots of the drawing; no plot holds a
// value that is not a number.
void expect_consumers_accept(const Drawing& d, FontTable* fonts, bool as_text,
                             const std::string& dir, std::initializer_list<int> plot_types) {
  const std::string svg = dir + "/c.svg", eps = dir + "/c.eps", pdf = dir + "/c.pdf";
  if (have_program("rsvg-convert")) {
    ASSERT_EQ(export_svg(d, fonts, svg), WriteStatus::kOk);
    EXPECT_EQ(run_program({"rsvg-convert", "-o", dir + "/c.png", svg}, dir).status, 0);
  }
  if (have_program("gs")) {
    ASSERT_EQ(export_eps(d, fonts, as_text, eps), WriteStatus::kOk);
    const Run r = gs({"-sDEVICE=bbox", eps}, dir);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
  }
  if (have_program("qpdf")) {
    ASSERT_EQ(export_pdf(d, fonts, as_text, pdf), WriteStatus::kOk);
    const Run r = run_program({"qpdf", "--check", pdf}, dir);
    EXPECT_EQ(r.status, 0) << r.out;
  }
  for (int type : plot_types) {
    PlotSetup p;
    p.type = type;
    const std::string plot = plot_document(d, fonts, p, 0, 0);
    EXPECT_EQ(plot.find("nan"), npos) << plot;
    EXPECT_EQ(plot.find("inf"), npos) << plot;
    if (!have_program("hp2xx")) continue;
    ASSERT_EQ(plot_to_file(d, fonts, p, 0, 0, dir + "/c.hpgl"), WriteStatus::kOk);
    const Hp2xxReport r = hp2xx(dir + "/c.hpgl", dir + "/c.png", dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.ignored, known_ignored(type)) << r.err;
    EXPECT_EQ(r.unexpected, 0) << r.err;
  }
}

TEST(VectorExportConsumers, AnEmptyExportIsStillAFileTheConsumersAccept) {
  files_test::TempDir dir;
  Drawing d;  // nothing marked
  create_line(d.store, 0, 0, 0, 0, 0, 1, 1);
  expect_consumers_accept(d, nullptr, false, dir.path(), {kPlotHpgl, kPlotHpgl2Colour});
}

// Values a damaged file may hold (not a number, infinite) never reach the files: those
// primitives are left out, the rest is written, and every consumer still accepts the file.
TEST(VectorExportConsumers, NonFiniteValuesAreLeftOutAndTheFilesStayValid) {
  files_test::TempDir dir;
  Drawing d;
  const double nan = std::nan(""), inf = HUGE_VAL;
  create_line(d.store, 0, 0, 0, 0, 0, 2, 1);
  create_line(d.store, 0, 1, 0, nan, 0, 1, 1);
  create_line(d.store, 0, 1, 0, 0, inf, 1, 1);
  Circle c = make_element<Circle>(0, 2, 0);
  c.radius1 = nan;
  c.radius2 = 1;
  c.sweep = 1;
  create(d.store, c);
  c.radius1 = 1;
  c.sweep = inf;
  create(d.store, c);
  Spline sp = make_element<Spline>(0, 3, 0);
  sp.p[2] = {nan, 1};
  create(d.store, sp);
  Pattern p = make_element<Pattern>(0, 0, 0);
  p.kind = 3;
  p.red = nan;
  const Point2 outline[] = {{0, 0}, {1, 0}, {nan, 1}, {inf, 2}, {999, 999}};
  create_pattern(d.store, p, outline);
  FontTable fonts;
  export_test::load_fonts(fonts);
  create_text(d.store, export_test::text_fields(nan, 0, "Simpel", 5), "x");
  create_text(d.store, export_test::text_fields(0, 0, "Simpel", inf), "y");
  export_test::mark_all(d);
  for (bool as_text : {false, true}) {
    const std::string svg = svg_document(d, &fonts), eps = eps_document(d, &fonts, as_text, "t");
    const std::string pdf = pdf_content(pdf_document(d, &fonts, as_text));
    for (const std::string* doc : {&svg, &eps, &pdf}) {
      EXPECT_EQ(doc->find("nan"), npos) << *doc;
      EXPECT_EQ(doc->find("inf"), npos) << *doc;
    }
    EXPECT_NE(svg.find("<line "), npos);  // the sound line is there
  }
  expect_consumers_accept(d, &fonts, true, dir.path(), {kPlotHpgl, kPlotHpgl2Mono});
}

}  // namespace
}  // namespace korav
