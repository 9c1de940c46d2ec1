// HPGL and HPGL/2 plots: header, coordinates, pen runs, curves, line types, the HPGL/2 pen table,
// fillings in polygon mode, and what is left out (guide pen, outside the frame, not finite).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/hpgl_export.h"
#include "model/settings.h"
#include "model/drawing.h"
#include "tests/export_test_support.h"
#include "tests/files_test_support.h"

namespace korav {
namespace {

constexpr double kPi = std::numbers::pi;

std::vector<std::string> lines_of(const std::string& doc) {
  std::vector<std::string> out;
  std::istringstream in(doc);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// The lines written between "SP<pen>;" and the "PU;" that ends that pen's run.
std::vector<std::string> pen_run(const std::string& doc, int pen) {
  std::vector<std::string> out;
  bool in = false;
  for (const std::string& l : lines_of(doc)) {
    if (!in && l == "SP" + std::to_string(pen) + ";") {
      in = true;
      continue;
    }
    if (in && l == "PU;") break;
    if (in) out.push_back(l);
  }
  return out;
}

bool has_line(const std::string& doc, const std::string& line) {
  const std::vector<std::string> all = lines_of(doc);
  return std::find(all.begin(), all.end(), line) != all.end();
}

std::size_t count_of(const std::string& doc, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = doc.find(what); at != std::string::npos; at = doc.find(what, at + 1)) ++n;
  return n;
}

// The plain plot with the origin at the frame's centre, the frame centred on (0, 0): at 1:100
// and 0.0025 cm a unit, a metre of the drawing is 400 units.
PlotSetup centred(int type = kPlotHpgl) {
  PlotSetup p;
  p.type = type;
  p.centre_origin = true;
  return p;
}

std::string plot_of(Drawing& d, const PlotSetup& p, double cx = 0, double cy = 0) {
  export_test::mark_all(d);
  return plot_document(d, nullptr, p, cx, cy);
}

TEST(Hpgl, TheHeaderSetsTheInputWindowToThePaper) {
  Drawing d;
  PlotSetup p;  // 21.0 x 29.7 cm, 0.0025 cm a unit, origin bottom left
  EXPECT_TRUE(plot_of(d, p).starts_with("IN;IP0,0,8400,11880;\n"));
  p.centre_origin = true;
  EXPECT_TRUE(plot_of(d, p).starts_with("IN;IP-4200,-5940,4200,5940;\n"));
  p.type = kPlotHpgl2Colour;
  const std::string esc(1, '\x1b');
  EXPECT_TRUE(plot_of(d, p).starts_with(esc + "E" + esc + "%0BIN;WU0;NP256;IP-4200,-5940,4200,5940;\n"));
  p.centre_origin = false;
  EXPECT_TRUE(plot_of(d, p).starts_with(esc + "E" + esc + "%0BIN;WU0;NP256;IP0,0,8400,11880;\n"));
}

TEST(Hpgl, PointsAreTurnedMovedAndTruncatedAsThePlotSetupSays) {
  struct Case {
    const char* what;
    bool landscape, centre;
    double x, y;
    std::int64_t px, py;
  };
  // The frame's centre at (10, 20); the point 1 m right of it and 2 m above.
  const Case cases[] = {
      {"portrait, bottom left: plus half the paper (10.5 m, 14.85 m at 1:100)", false, false, 11,
       22, 4600, 6740},
      {"landscape, bottom left: a quarter turn to the left", true, false, 11, 22, 3400, 6340},
      {"portrait, centre", false, true, 11, 22, 400, 800},
      {"landscape, centre", true, true, 11, 22, -800, 400},
      {"truncated towards zero", false, true, 9.9999, 20.0049, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlotSetup p;
    p.landscape = c.landscape;
    p.centre_origin = c.centre;
    EXPECT_EQ(plotter_point(p, 10, 20, c.x, c.y), (PlotterPoint{c.px, c.py}));
  }
  // Another scale and resolution: at 1:50 and 0.01 cm a unit a metre is 200 units.
  PlotSetup p = centred();
  p.scale = 50;
  p.resolution = 0.01;
  EXPECT_EQ(plotter_point(p, 0, 0, 1, -3), (PlotterPoint{200, -600}));
  EXPECT_EQ(plotter_length(p, 2.5), 500);
  // Far away points are held at the limit of the coordinates.
  EXPECT_EQ(plotter_point(p, 0, 0, 1e300, -1e300), (PlotterPoint{kPlotterLimit, -kPlotterLimit}));
}

TEST(Hpgl, LinesSharingAnEndPointAreJoinedWithoutLiftingThePen) {
  Drawing d;
  create_line(d.store, 0, 0, 0, 0, 0, 1, 0);
  create_line(d.store, 0, 0, 0, 1, 0, 1, 1);  // starts where the last ended
  create_line(d.store, 0, 0, 0, 2, 1, 1, 1);  // ends there: drawn backwards
  create_line(d.store, 0, 0, 0, 3, 3, 4, 3);  // elsewhere
  EXPECT_EQ(pen_run(plot_of(d, centred()), 1),
            (std::vector<std::string>{"LT;", "PU; PA 0,0; PD 400,0;", "PD 400,400;",
                                      "PD 800,400;", "PU; PA 1200,1200; PD 1600,1200;"}));
}

TEST(Hpgl, TheOutputIsSortedByPenAndTheGuidePenIsLeftOut) {
  Drawing d;
  create_line(d.store, 0, 2, 0, 0, 0, 1, 0);
  create_line(d.store, 0, 0, 0, 0, 1, 1, 1);
  create_line(d.store, 0, kGuidePen, 0, 0, 2, 1, 2);
  create_line(d.store, 0, 2, 0, 0, 3, 1, 3);
  const std::string doc = plot_of(d, centred());
  for (int pen = 1; pen <= 8; ++pen) EXPECT_EQ(count_of(doc, "SP" + std::to_string(pen) + ";\n"), 1u);
  EXPECT_EQ(pen_run(doc, 1), (std::vector<std::string>{"LT;", "PU; PA 0,400; PD 400,400;"}));
  EXPECT_EQ(pen_run(doc, 3), (std::vector<std::string>{"PU; PA 0,0; PD 400,0;",
                                                       "PU; PA 0,1200; PD 400,1200;"}));
  EXPECT_TRUE(pen_run(doc, 2).empty());
  EXPECT_EQ(doc.find("PA 0,800"), std::string::npos);  // the guide line
  // The pens in order, each followed by its lift.
  EXPECT_LT(doc.find("SP1;"), doc.find("SP2;"));
  EXPECT_LT(doc.find("SP7;"), doc.find("SP8;"));
}

TEST(Hpgl, CirclesAndArcsAreCiAndAaAndEllipsesAreLines) {
  Drawing d;
  auto circle = [&](double x, double a, double b, double sweep, double start,
                    double rot) -> Circle& {
    Circle c = make_element<Circle>(0, 0, 0);
    c.centre = {x, 0};
    c.radius1 = a;
    c.radius2 = b;
    c.sweep = sweep;
    c.start_angle = start;
    c.axis_angle = rot;
    return *create(d.store, c);
  };
  circle(0, 1, 1, 2 * kPi, 0, 0);
  circle(3, 1, 1, kPi / 2, 0, kPi / 2);  // starts at the top, a quarter turn to the left
  auto& clockwise = circle(5, 1, 1, -kPi / 4, 0, 0);
  clockwise.centre.y = 5;
  circle(7, 2, 1, 2 * kPi, 0, 0);  // an ellipse
  const std::vector<std::string> run = pen_run(plot_of(d, centred()), 1);
  ASSERT_GE(run.size(), 5u);
  EXPECT_EQ(run[1], "PU; PA 0,0; CI 400;");
  EXPECT_EQ(run[2], "PU; PA 1200,400; PD; AA 1200 0 90.0000;");
  EXPECT_EQ(run[3], "PU; PA 2400,2000; PD; AA 2000 2000 -45.0000;");
  // The ellipse: a chain of lines, the pen down all the way round, back where it began.
  EXPECT_TRUE(run[4].starts_with("PU; PA 3600,0; PD ")) << run[4];
  EXPECT_GT(run.size(), 20u);
  for (std::size_t i = 5; i < run.size(); ++i) EXPECT_TRUE(run[i].starts_with("PD ")) << run[i];
  EXPECT_EQ(run.back(), "PD 3600,0;");
}

TEST(Hpgl, SplinesArriveAsAChainOfLines) {
  Drawing d;
  Spline sp = make_element<Spline>(0, 0, 0);
  sp.p[0] = {0, 0};
  sp.p[1] = {1, 2};
  sp.p[2] = {3, 2};
  sp.p[3] = {4, 0};
  create(d.store, sp);
  const std::vector<std::string> run = pen_run(plot_of(d, centred()), 1);
  ASSERT_GT(run.size(), 10u);
  EXPECT_TRUE(run[1].starts_with("PU; PA 0,0; PD "));
  for (std::size_t i = 2; i < run.size(); ++i) EXPECT_TRUE(run[i].starts_with("PD ")) << run[i];
  EXPECT_EQ(run.back(), "PD 1600,0;");
}

TEST(Hpgl, ALineTypeIsWrittenOnlyWhenItChanges) {
  Drawing d;
  create_line(d.store, 0, 0, 2, 0, 0, 1, 0);
  create_line(d.store, 0, 0, 2, 0, 1, 1, 1);
  create_line(d.store, 0, 0, 0, 0, 2, 1, 2);
  create_line(d.store, 0, 1, 0, 0, 3, 1, 3);  // the next pen: the line type stays selected
  create_line(d.store, 0, 1, 7, 0, 4, 1, 4);
  const std::string doc = plot_of(d, centred());
  EXPECT_EQ(pen_run(doc, 1), (std::vector<std::string>{"LT 2,2.0;", "PU; PA 0,0; PD 400,0;",
                                                        "PU; PA 0,400; PD 400,400;", "LT;",
                                                        "PU; PA 0,800; PD 400,800;"}));
  EXPECT_EQ(pen_run(doc, 2), (std::vector<std::string>{"PU; PA 0,1200; PD 400,1200;",
                                                       "LT 5,3.0;", "PU; PA 0,1600; PD 400,1600;"}));
}

TEST(Hpgl, Hpgl2SelectsTheDrawingsLineTypesByTheirLengthInMillimetres) {
  Drawing d;
  LineType& lt = d.settings.line_types[3];
  lt.sections = 2;
  lt.line[0] = 4;
  lt.space[0] = 1;
  lt.line[1] = 0.5;
  lt.space[1] = 1;
  d.settings.line_types[5].sections = 1;  // sections of no length: drawn solid
  d.settings.line_types[5].line[0] = d.settings.line_types[5].space[0] = 0;
  d.settings.drawing_scale = 100;
  create_line(d.store, 0, 0, 3, 0, 0, 1, 0);
  create_line(d.store, 0, 0, 5, 0, 1, 1, 1);
  PlotSetup p = centred(kPlotHpgl2Colour);
  p.scale = 200;  // plotted at half the size: 6.5 mm of pattern become 3.25 mm
  const std::string doc = plot_of(d, p);
  const std::vector<std::string> run = pen_run(doc, 1);
  ASSERT_EQ(run.size(), 4u);
  EXPECT_EQ(run[0], "LT4,3.250,1;");
  EXPECT_EQ(run[2], "LT;");
  // The pattern itself: dash and gap of each section, the plotter scales them to the length;
  // UL1 is the solid line type 0.
  for (const char* l : {"UL4,4.000,1.000,0.500,1.000;", "UL6;", "UL1;"})
    EXPECT_TRUE(has_line(doc, l)) << l;
}

TEST(Hpgl, PlainHpglHasNoPenTableLineTypeDefinitionsOrPolygons) {
  Drawing d;
  export_test::make_gallery(d);
  PlotSetup p;
  p.scale = 300;  // the whole gallery in the frame
  const std::string doc = plot_of(d, p, 26, 10);
  for (const char* absent : {"PC", "PW", "UL", "PM", "FP", "FT", "\x1b", "NP", "WU"})
    EXPECT_EQ(doc.find(absent), std::string::npos) << absent;
  EXPECT_NE(doc.find("CI "), std::string::npos);
  EXPECT_NE(doc.find("AA "), std::string::npos);
}

TEST(Hpgl, Hpgl2WritesAllPenEntriesAndEndsInPclMode) {
  Drawing d;
  d.settings.pens[2].red = 1;
  d.settings.pens[2].green = 0.5;
  d.settings.pens[2].blue = 0;
  d.settings.pens[2].thickness = 0.5;
  d.settings.drawing_scale = 50;
  PlotSetup p = centred(kPlotHpgl2Colour);
  p.scale = 100;  // 0.5 mm at 1:50 plotted at 1:100: 0.25 mm
  p.start = "START";
  p.end = "FINIS";
  const std::string doc = plot_of(d, p);
  EXPECT_EQ(count_of(doc, "PC"), 256u);
  EXPECT_EQ(count_of(doc, ";PW"), 256u);
  // The unused entry 255: black, 0.1 mm at the drawing scale.
  for (const char* l : {"PC0,255,255,255;PW0.000,0;", "PC3,255,128,0;PW0.250,3;",
                        "PC255,0,0,0;PW0.050,255;", "START", "FINIS"})
    EXPECT_TRUE(has_line(doc, l)) << l;
  EXPECT_TRUE(doc.ends_with("FINIS\nSP0;PU0,0;PG;\x1b%0A\x1b" "E"));
  // "Show all colored black" and the mono plotter: every pen black; mono writes greys.
  d.settings.view.all_black = 1;
  EXPECT_TRUE(lines_of(plot_of(d, p))[4].starts_with("PC3,0,0,0;"));
  d.settings.view.all_black = 0;
  p.type = kPlotHpgl2Mono;
  const std::string mono = plot_of(d, p);
  EXPECT_TRUE(has_line(mono, "PC3,0,0,0;PW0.250,3;"));
  EXPECT_TRUE(has_line(mono, "PC0,255,255,255;PW0.000,0;"));
}

Pattern filling(double r, double g, double b, int pen = 0) {
  Pattern p = make_element<Pattern>(0, pen, 0);
  p.kind = 3;
  p.red = r;
  p.green = g;
  p.blue = b;
  return p;
}

// Each ring closed by an edge back to its start, the next one begun with the pen up.
TEST(Hpgl, AFillingWithAHoleIsOnePolygonOfTwoRings) {
  Drawing d;
  const Point2 holed[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {999, 999},
                          {1, 1}, {3, 1}, {3, 3}, {1, 3}, {999, 999}};
  create_pattern(d.store, filling(0.2, 0.6, 0.3, 1), holed);
  const std::string doc = plot_of(d, centred(kPlotHpgl2Colour));
  EXPECT_EQ(pen_run(doc, 2),
            (std::vector<std::string>{"PU;SP9;PA0,0;FT1;", "PM0;", "PD 1600,0;", "PD 1600,1600;",
                                      "PD 0,1600;", "PD 0,0;", "PM1;", "PU 400,400;",
                                      "PD 1200,400;", "PD 1200,1200;", "PD 400,1200;",
                                      "PD 400,400;", "PM2;FP;", "SP2;"}));
  EXPECT_NE(doc.find("PC9,51,153,76;PW0.100,9;"), std::string::npos);
  // Plain HPGL has no fillings.
  EXPECT_TRUE(pen_run(plot_of(d, centred()), 2).empty());
}

TEST(Hpgl, FillingsOfOneColourShareAnEntryAndHiddenLayersAddNone) {
  Drawing d;
  const Point2 square[] = {{0, 0}, {1, 0}, {1, 1}, {999, 999}};
  create_pattern(d.store, filling(1, 0, 0), square);
  create_pattern(d.store, filling(1.0001 / 1.0002, 0, 0), square);  // the same as written
  create_pattern(d.store, filling(0, 0, 1), square);
  Pattern hidden = filling(0, 1, 0);
  hidden.layer = 5;  // a hidden layer
  create_pattern(d.store, hidden, square);
  const HpglPenTable t = hpgl_pen_table(d, centred(kPlotHpgl2Colour));
  EXPECT_EQ(t.used, kFirstFillEntry + 2);
  EXPECT_EQ(t.fill_entry(1, 0, 0), 9);
  EXPECT_EQ(t.fill_entry(0, 0, 1), 10);
  d.layers.layer[5].state = 1;  // shown
  EXPECT_EQ(hpgl_pen_table(d, centred(kPlotHpgl2Colour)).used, kFirstFillEntry + 3);
}

TEST(Hpgl, MoreFillColoursThanEntriesTakeTheNearestColoursEntry) {
  Drawing d;
  const Point2 square[] = {{0, 0}, {1, 0}, {1, 1}, {999, 999}};
  // 300 distinct colours: reds 0..149 (with a little blue), then greens 0..149 (with more).
  for (int i = 0; i < 300; ++i) {
    const double v = (i % 150) / 255.0;
    create_pattern(d.store, i < 150 ? filling(v, 0, 0.2) : filling(0, v, 0.4), square);
  }
  const PlotSetup p = centred(kPlotHpgl2Colour);
  const HpglPenTable t = hpgl_pen_table(d, p);
  EXPECT_EQ(t.used, kHpglPenEntries);
  const std::string doc = plot_of(d, p);
  EXPECT_EQ(count_of(doc, "PC"), 256u);
  EXPECT_EQ(doc.find("PC256"), std::string::npos);
  // The first 247 colours have their own entries (the 150 reds, then 97 greens); a later green
  // is filled with the nearest green that has one.
  EXPECT_EQ(t.fill_entry(149 / 255.0, 0, 0.2), 9 + 149);
  EXPECT_EQ(t.fill_entry(0, 96 / 255.0, 0.4), 9 + 150 + 96);
  EXPECT_EQ(t.fill_entry(0, 120 / 255.0, 0.4), 9 + 150 + 96);
  // Every filling names an entry of the table.
  for (const std::string& l : lines_of(doc))
    if (l.starts_with("PU;SP")) {
      EXPECT_LT(std::stoi(l.substr(5)), 256) << l;
    }
  // A colour between two entries goes to the nearer one, the lower entry on a tie.
  HpglPenTable two;
  two.entry[9] = {10 / 255.0, 0, 0, 0.1};
  two.entry[10] = {14 / 255.0, 0, 0, 0.1};
  two.used = 11;
  EXPECT_EQ(two.fill_entry(11 / 255.0, 0, 0), 9);
  EXPECT_EQ(two.fill_entry(13 / 255.0, 0, 0), 10);
  EXPECT_EQ(two.fill_entry(12 / 255.0, 0, 0), 9);
}

TEST(Hpgl, WhatLiesOutsideTheFrameAndWhatIsNotANumberIsLeftOut) {
  Drawing d;
  const double nan = std::nan(""), inf = HUGE_VAL;
  create_line(d.store, 0, 0, 0, 0, 0, 1, 0);
  create_line(d.store, 0, 0, 0, 100, 100, 101, 100);  // far outside the 21 x 29.7 m frame
  create_line(d.store, 0, 0, 0, -5, 0, 100, 0);       // crosses it: written
  create_line(d.store, 0, 0, 0, nan, 0, 1, 1);
  create_line(d.store, 0, 0, 0, 0, inf, 1, 1);
  Circle c = make_element<Circle>(0, 0, 0);
  c.radius1 = c.radius2 = nan;
  c.sweep = 1;
  create(d.store, c);
  const Point2 bad[] = {{0, 0}, {nan, 1}, {1, 1}, {999, 999}};
  create_pattern(d.store, filling(nan, 0, 0), bad);
  const std::string doc = plot_of(d, centred(kPlotHpgl2Colour));
  EXPECT_EQ(doc.find("nan"), std::string::npos);
  EXPECT_EQ(doc.find("inf"), std::string::npos);
  EXPECT_EQ(doc.find("40000,40000"), std::string::npos);
  EXPECT_NE(doc.find("PU; PA -2000,0; PD 40000"), std::string::npos);
  EXPECT_NE(doc.find("PU;SP9;PA0,0;FT1;\nPM0;\nPD 400,400;\nPD 0,0;\nPM2;FP;"), std::string::npos);
}

TEST(Hpgl, ThePlotGoesToAFileOrSaysWhyNot) {
  files_test::TempDir dir;
  Drawing d;
  create_line(d.store, 0, 0, 0, 0, 0, 1, 0);
  export_test::mark_all(d);
  const PlotSetup p = centred();
  ASSERT_EQ(plot_to_file(d, nullptr, p, 0, 0, dir.file("a.hpgl")), WriteStatus::kOk);
  EXPECT_EQ(export_test::read_file(dir.file("a.hpgl")), plot_document(d, nullptr, p, 0, 0));
  EXPECT_EQ(plot_to_file(d, nullptr, p, 0, 0, dir.file("no/such/dir/a.hpgl")),
            WriteStatus::kCannotOpen);
}

TEST(Hpgl, ThePlotSetupOfTheSettingsIsMadeSafe) {
  PlotOptions o;
  o.type = 7;
  o.paper_width = -1;
  o.paper_height = std::nan("");
  o.resolution = 0;
  o.scale = HUGE_VAL;
  o.origin = 1;
  o.landscape = 1;
  o.start.set("IN;");
  const PlotSetup p = plot_setup_of(o);
  EXPECT_EQ(p.type, kPlotHpgl);
  EXPECT_DOUBLE_EQ(p.paper_width, 21.0);
  EXPECT_DOUBLE_EQ(p.paper_height, 29.7);
  EXPECT_DOUBLE_EQ(p.resolution, 0.0025);
  EXPECT_DOUBLE_EQ(p.scale, 100);
  EXPECT_TRUE(p.centre_origin && p.landscape);
  EXPECT_EQ(p.start, "IN;");
  double w = 0, h = 0;
  plot_frame_size(p, w, h);
  EXPECT_DOUBLE_EQ(w, 29.7);  // landscape: the frame lies on its side
  EXPECT_DOUBLE_EQ(h, 21.0);
}

}  // namespace
}  // namespace korav
