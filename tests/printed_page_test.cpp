// The printed page drawn with cairo: the 64 pens (width and dashes at the print scale, black
// with "Show all colored black" or a B/W printer), the paper of the print setup in either
// orientation and back, the printable area shifted by the margins, what lands where on the
// page (a filling with its hole left empty, strokes in their pens' colours, nothing of the
// guide pen, nothing in the margins), and the page as PDF checked by qpdf and pdftoppm.
#include <gtest/gtest.h>

#include <cairo-pdf.h>

#include <cmath>
#include <string>
#include <tuple>

#include "exchange/printed_page.h"
#include "model/drawing.h"
#include "model/settings.h"
#include "tests/export_test_support.h"
#include "tests/files_test_support.h"

namespace korav {
namespace {

using export_test::have_program;
using export_test::run_program;

TEST(PrintedPage, SixtyFourPensOfEveryPenAndLineType) {
  Settings s;
  s.drawing_scale = 50;
  s.pens[2].thickness = 0.5;
  s.pens[2].red = 0.9;
  s.line_types[4].sections = 2;
  s.line_types[4].line[0] = 2;
  s.line_types[4].space[0] = 1;
  s.line_types[4].line[1] = 0.5;
  s.line_types[4].space[1] = 1;
  // 1:50 printed at 1:100: half the millimetres, 72 / 25.4 points a millimetre.
  const PrintPens pens = print_pens(s, 100, false);
  const double k = 72 / 25.4 / 2;
  const PrintPen& p = pens[2 * kLineTypeCount + 4];
  EXPECT_NEAR(p.width, 0.5 * k, 1e-9);
  EXPECT_DOUBLE_EQ(p.red, 0.9);
  ASSERT_EQ(p.dashes, 4);
  const double dash[4] = {2, 1, 0.5, 1};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(p.dash[i], dash[i] * k, 1e-9) << i;
  EXPECT_EQ(pens[2 * kLineTypeCount + 0].dashes, 0);  // the solid line type
  // Black: all 64.
  s.pens[5].green = 1;
  for (const PrintPen& b : print_pens(s, 100, true))
    EXPECT_EQ(std::tuple(b.red, b.green, b.blue), std::tuple(0.0, 0.0, 0.0));
  // Values a damaged file may hold give a thin solid black pen, never a value cairo refuses.
  s.pens[1].thickness = std::nan("");
  s.pens[1].blue = HUGE_VAL;
  s.line_types[6].sections = 3;
  s.line_types[6].line[0] = -4;
  const PrintPens bad = print_pens(s, std::nan(""), false);
  EXPECT_EQ(bad[1 * kLineTypeCount].width, 0);
  EXPECT_EQ(bad[1 * kLineTypeCount].blue, 0);
  EXPECT_EQ(bad[6].dashes, 0);
}

TEST(PrintedPage, ThePaperTurnsWithItsMarginsAndComesBack) {
  PrintSetup setup;
  std::tie(setup.margin_top, setup.margin_left, setup.margin_right, setup.margin_bottom) =
      std::tuple(1, 2, 3, 4);
  const PrintedPaper up = paper_of(setup);
  EXPECT_NEAR(up.width, 21.0 * kPointsPerCm, 1e-9);
  EXPECT_NEAR(up.height, 29.7 * kPointsPerCm, 1e-9);
  EXPECT_NEAR(up.margin_left, 2 * kPointsPerCm, 1e-9);
  setup.landscape = true;
  const PrintedPaper turned = paper_of(setup);
  EXPECT_NEAR(turned.width, 29.7 * kPointsPerCm, 1e-9);
  EXPECT_NEAR(turned.margin_top, 2 * kPointsPerCm, 1e-9);     // the upright left edge
  EXPECT_NEAR(turned.margin_right, 1 * kPointsPerCm, 1e-9);   // the upright top
  EXPECT_NEAR(turned.margin_bottom, 3 * kPointsPerCm, 1e-9);  // the upright right edge
  EXPECT_NEAR(turned.margin_left, 4 * kPointsPerCm, 1e-9);    // the upright bottom
  PrintOptions o;
  keep_paper(o, turned, true);
  EXPECT_NEAR(o.paper_width, 21.0, 1e-9);
  EXPECT_NEAR(o.paper_height, 29.7, 1e-9);
  EXPECT_NEAR(o.margin_top, 1, 1e-9);
  EXPECT_NEAR(o.margin_left, 2, 1e-9);
  EXPECT_NEAR(o.margin_right, 3, 1e-9);
  EXPECT_NEAR(o.margin_bottom, 4, 1e-9);
  EXPECT_EQ(o.landscape, 1u);
  keep_paper(o, PrintedPaper{}, false);  // no paper: nothing changes
  EXPECT_NEAR(o.paper_width, 21.0, 1e-9);
  EXPECT_EQ(o.landscape, 1u);
}

TEST(PrintedPage, MarginsOnAllSidesShiftThePrintableAreaByTheLeftAndBottomMargins) {
  PrintedPaper paper;
  paper.width = 21.0 * kPointsPerCm;
  paper.height = 29.7 * kPointsPerCm;
  paper.margin_top = 1 * kPointsPerCm;
  paper.margin_left = 2 * kPointsPerCm;
  paper.margin_right = 0.5 * kPointsPerCm;
  paper.margin_bottom = 1.5 * kPointsPerCm;
  // At 1:200 a centimetre of paper is 2 m of the drawing.
  const PageLayout l = page_layout(10, 20, 200, paper);
  EXPECT_NEAR(l.paper.left, 10, 1e-9);
  EXPECT_NEAR(l.paper.width, 42, 1e-9);
  EXPECT_NEAR(l.printable.left, 10 + 4, 1e-9);
  EXPECT_NEAR(l.printable.bottom, 20 + 3, 1e-9);
  EXPECT_NEAR(l.printable.width, 42 - 4 - 1, 1e-9);
  EXPECT_NEAR(l.printable.height, 59.4 - 2 - 3, 1e-9);
  // Margins wider than the paper leave nothing, never a negative area.
  paper.margin_left = paper.margin_right = 100 * kPointsPerCm;
  EXPECT_GE(page_layout(0, 0, 100, paper).printable.width, 0);
}

// The page drawn on a picture of two pixels a point, white first.
struct Picture {
  cairo_surface_t* surface = nullptr;
  double height_pt = 0;
  Picture(const Drawing& d, const PrintSetup& setup, double x, double y,
          const PrintedPaper& paper) {
    height_pt = paper.height;
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(paper.width * 2),
                                         static_cast<int>(paper.height * 2));
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_scale(cr, 2, 2);
    draw_printed_page(cr, d, nullptr, setup, x, y, paper);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
  }
  ~Picture() { cairo_surface_destroy(surface); }
  // The pixel where the drawing's point (x, y) lands, for a frame corner at (0, 0) at 1:100.
  std::uint32_t at(double x, double y) const {
    const double k = 100.0 / 100 * 72 / 2.54;
    const int px = static_cast<int>(x * k * 2), py = static_cast<int>((height_pt - y * k) * 2);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    return reinterpret_cast<const std::uint32_t*>(data + py * stride)[px] & 0xFFFFFFu;
  }
};

// A 10 x 10 cm paper at 1:100 shows 10 x 10 m: a red filling with a hole, a blue line, a line
// with the guide pen, and a line in the left margin.
Drawing page_plan() {
  Drawing d;
  d.settings.drawing_scale = 100;
  Pattern p = make_element<Pattern>(0, 0, 0);
  p.kind = 3;
  p.red = 1;
  const Point2 holed[] = {{2, 2}, {6, 2}, {6, 6}, {2, 6}, {999, 999},
                          {3, 3}, {5, 3}, {5, 5}, {3, 5}, {999, 999}};
  create_pattern(d.store, p, holed);
  d.settings.pens[3] = {{}, 0.5, 0, 0, 1};
  create_line(d.store, 0, 3, 0, 7, 1, 9, 1);
  create_line(d.store, 0, kGuidePen, 0, 0, 8, 10, 8);
  create_line(d.store, 0, 3, 0, 0.5, 0, 0.5, 10);
  export_test::mark_all(d);
  return d;
}

PrintedPaper ten_by_ten(double left_margin) {
  PrintedPaper paper;
  paper.width = paper.height = 10 * kPointsPerCm;
  paper.margin_left = left_margin * kPointsPerCm;
  return paper;
}

TEST(PrintedPage, EachElementLandsWhereTheFramePutsItAndTheHoleStaysEmpty) {
  const Drawing d = page_plan();
  PrintSetup setup;
  setup.scale = 100;
  const Picture pic(d, setup, 0, 0, ten_by_ten(0));
  EXPECT_EQ(pic.at(2.5, 2.5), 0xFF0000u);  // in the filling
  EXPECT_EQ(pic.at(5.5, 4), 0xFF0000u);
  EXPECT_EQ(pic.at(4, 4), 0xFFFFFFu);  // in its hole
  EXPECT_EQ(pic.at(8, 1), 0x0000FFu);  // the blue line
  EXPECT_EQ(pic.at(8, 1.5), 0xFFFFFFu);
  EXPECT_EQ(pic.at(5, 8), 0xFFFFFFu);  // the guide line is not printed
  EXPECT_EQ(pic.at(0.5, 5), 0x0000FFu);  // the line near the left edge
  // With a left margin of 1 cm (1 m at 1:100) that line lies where the printer cannot print.
  const Picture margin(d, setup, 0, 0, ten_by_ten(1));
  EXPECT_EQ(margin.at(0.5, 5), 0xFFFFFFu);
  EXPECT_EQ(margin.at(8, 1), 0x0000FFu);
  // The frame's corner elsewhere moves everything with it.
  const Picture moved(d, setup, 1, 1, ten_by_ten(0));
  EXPECT_EQ(moved.at(1.5, 1.5), 0xFF0000u);
  EXPECT_EQ(moved.at(3, 3), 0xFFFFFFu);
  // A B/W printer prints the blue line black.
  setup.colour = false;
  const Picture black(d, setup, 0, 0, ten_by_ten(0));
  EXPECT_EQ(black.at(8, 1), 0x000000u);
  EXPECT_EQ(black.at(2.5, 2.5), 0xFF0000u);  // fillings keep their colour
}

TEST(PrintedPage, AContextInAnErrorStateOrACornerThatIsNotANumberDrawsNothing) {
  const Drawing d = page_plan();
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 10, 10);
  cairo_t* cr = cairo_create(s);
  draw_printed_page(cr, d, nullptr, PrintSetup{}, std::nan(""), 0, ten_by_ten(0));
  EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  draw_printed_page(nullptr, d, nullptr, PrintSetup{}, 0, 0, ten_by_ten(0));
}

TEST(PrintedPage, QpdfAcceptsAndPdftoppmRendersThePageAsPdf) {
  if (!have_program("qpdf") || !have_program("pdftoppm"))
    GTEST_SKIP() << "qpdf or pdftoppm is not installed";
  files_test::TempDir dir;
  Drawing d;
  export_test::make_gallery(d);
  export_test::mark_all(d);
  FontTable fonts;
  export_test::load_fonts(fonts);
  PrintSetup setup;
  setup.scale = 300;  // the whole gallery on the sheet
  const PrintedPaper paper = paper_of(setup);
  const std::string pdf = dir.file("page.pdf");
  cairo_surface_t* s = cairo_pdf_surface_create(pdf.c_str(), paper.width, paper.height);
  cairo_t* cr = cairo_create(s);
  draw_printed_page(cr, d, &fonts, setup, -2, -6, paper);
  cairo_show_page(cr);
  cairo_destroy(cr);
  cairo_surface_finish(s);
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  cairo_surface_destroy(s);
  const auto check = run_program({"qpdf", "--check", pdf}, dir.path());
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  const auto render =
      run_program({"pdftoppm", "-r", "72", "-png", "-singlefile", pdf, dir.file("page")}, dir.path());
  ASSERT_EQ(render.status, 0) << render.err;
  Png png;
  ASSERT_TRUE(read_png(dir.file("page.png"), png));
  EXPECT_NEAR(png.width, 595, 1);  // 595.28 x 841.89 points
  EXPECT_NEAR(png.height, 842, 1);
  const export_test::Ink ink = export_test::ink_of(png, 0xFFFFFF);
  ASSERT_GT(ink.pixels, 1000);
  // The gallery runs from about (0, -3) to (52, 24) m: at 1:300 and the corner at (-2, -6),
  // from 2 m (19 points) right of the paper's left edge, 3 m (28 points) above its bottom.
  const double k = 100.0 / 300 * 72 / 2.54;
  EXPECT_NEAR(ink.x0, 2 * k, 6);
  EXPECT_NEAR(ink.y1, 842 - 3 * k, 8);
  EXPECT_LT(ink.x1, 595);
}

}  // namespace
}  // namespace korav
