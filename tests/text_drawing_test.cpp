// Text drawing: where the glyph strokes land for each alignment, angle, line feed, width factor
// and spacing, the measured width, the small-text placeholder, filled glyphs, and the pictures
// of every shipped font.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "files/stroke_font.h"
#include "model/drawing.h"
#include "model/font_table.h"
#include "model/store.h"
#include "render/png_export.h"
#include "render/renderer.h"
#include "render/text_drawing.h"
#include "tests/png_test_support.h"
#include "tests/reference_image.h"

namespace korav {
namespace {

constexpr double kPi = 3.141592653589793;

struct Seg {
  double x1, y1, x2, y2;
};

// A vector-output driver that keeps every stroke.
struct Recorder {
  FontTable fonts;
  Drawing d;
  Renderer r;
  std::vector<Seg> segs;
  Recorder() {
    install_font_loader(fonts, std::string(KORAV_SOURCE_DIR) + "/dat/fonts/");
    r.fonts = &fonts;
    r.drawing = &d;
    r.driver.context = &segs;
    r.driver.vector_output = true;
    r.driver.line = [](Renderer& rr, int, int, double x1, double y1, double x2, double y2) {
      static_cast<std::vector<Seg>*>(rr.driver.context)->push_back({x1, y1, x2, y2});
    };
  }
  void draw(const TextRun& run) {
    segs.clear();
    draw_text_run(r, run);
  }
  // The box of everything drawn.
  void box(double& x0, double& y0, double& x1, double& y1) const {
    x0 = y0 = 1e300;
    x1 = y1 = -1e300;
    for (const Seg& s : segs) {
      x0 = std::min({x0, s.x1, s.x2});
      y0 = std::min({y0, s.y1, s.y2});
      x1 = std::max({x1, s.x1, s.x2});
      y1 = std::max({y1, s.y1, s.y2});
    }
  }
};

TextRun run_of(std::string_view text, int align = 0, std::string_view font = "SimpelProp") {
  TextRun run;
  run.height = 10;  // 1 m at the default scale 1:100
  run.width_factor = 1;
  run.spacing = 0;
  run.line_spacing = 1.5;
  run.font = font;
  run.text = text;
  run.align = align;
  return run;
}

TEST(TextDrawing, AlignmentPlacesEachLineByItsWidth) {
  Recorder rec;
  const double w = text_width(rec.fonts, 100, 10, 1, 0, "SimpelProp", "HH", 0, 0);
  ASSERT_GT(w, 1.0);
  struct Case {
    int align;
    double left, right;  // where the strokes begin and end along x
  } cases[] = {{0, 0, w}, {1, -w, 0}, {2, -w / 2, w / 2}};
  for (const Case& c : cases) {
    rec.draw(run_of("HH", c.align));
    double x0, y0, x1, y1;
    rec.box(x0, y0, x1, y1);
    // An H has side bearings of about a fifth of the height.
    EXPECT_NEAR(x0, c.left + 0.2, 0.15) << c.align;
    EXPECT_NEAR(x1, c.right - 0.2, 0.15) << c.align;
    EXPECT_NEAR(y0, 0, 0.02) << c.align;  // base line
    EXPECT_NEAR(y1, 1, 0.02) << c.align;  // cap height = text height
  }
  // Justified: the glyphs spread from the start to the fitted width.
  TextRun j = run_of("HHHH", 3);
  j.fitted_width = 10;
  rec.draw(j);
  double x0, y0, x1, y1;
  rec.box(x0, y0, x1, y1);
  EXPECT_NEAR(x0, 0.2, 0.15);
  EXPECT_NEAR(x1, 10 - 0.2, 0.15);
  EXPECT_EQ(text_width(rec.fonts, 100, 10, 1, 0, "SimpelProp", "HHHH", 3, 10), 10);
}

TEST(TextDrawing, AngleWidthFactorSpacingAndLineFeeds) {
  Recorder rec;
  double x0, y0, x1, y1;
  // Turned by 90 degrees the text runs up the y axis and its letters stand to the left.
  TextRun up = run_of("HH");
  up.angle = kPi / 2;
  rec.draw(up);
  rec.box(x0, y0, x1, y1);
  const double w = text_width(rec.fonts, 100, 10, 1, 0, "SimpelProp", "HH", 0, 0);
  EXPECT_NEAR(x0, -1, 0.02);
  EXPECT_NEAR(x1, 0, 0.02);
  EXPECT_NEAR(y1, w - 0.2, 0.15);
  // Width factor 2 and spacing 0.5 widen the line as the measure says.
  TextRun wide = run_of("HH");
  wide.width_factor = 2;
  wide.spacing = 0.5;
  const double ww = text_width(rec.fonts, 100, 10, 2, 0.5, "SimpelProp", "HH", 0, 0);
  EXPECT_NEAR(ww, 2 * w + 2 * 0.5, 1e-9);
  rec.draw(wide);
  rec.box(x0, y0, x1, y1);
  EXPECT_NEAR(x1, ww - 0.5 - 0.4, 0.3);
  // A line feed starts the next line 1.5 heights lower; the widest line is the width.
  rec.draw(run_of("H\nHHH"));
  rec.box(x0, y0, x1, y1);
  EXPECT_NEAR(y0, -1.5, 0.02);
  EXPECT_NEAR(y1, 1, 0.02);
  EXPECT_NEAR(text_width(rec.fonts, 100, 10, 1, 0, "SimpelProp", "H\nHHH", 0, 0),
              text_width(rec.fonts, 100, 10, 1, 0, "SimpelProp", "HHH", 0, 0), 1e-12);
  // Control characters have no glyph and no advance.
  EXPECT_EQ(text_width(rec.fonts, 100, 10, 1, 0, "SimpelProp", "H\x01\x1fH", 0, 0), w);
  rec.draw(run_of("\x01\x02"));
  EXPECT_TRUE(rec.segs.empty());
}

TEST(TextDrawing, NoFontNoStrokes) {
  Recorder rec;
  rec.fonts = FontTable{};  // no loader: not even Simpel
  rec.r.fonts = &rec.fonts;
  ::testing::internal::CaptureStdout();
  rec.draw(run_of("HH"));
  EXPECT_TRUE(rec.segs.empty());
  EXPECT_EQ(text_width(rec.fonts, 100, 10, 1, 0, "Simpel", "HH", 0, 0), 0);
  rec.r.fonts = nullptr;
  rec.draw(run_of("HH"));
  EXPECT_TRUE(rec.segs.empty());
  EXPECT_NE(::testing::internal::GetCapturedStdout().find("Cant find Simpel-Font!"),
            std::string::npos);
}

TEST(TextDrawing, FilledGlyphsAreFilledAndArcsDrawn) {
  Recorder rec;
  // A filled I is drawn with fill lines across its whole height, far more than its outline.
  rec.draw(run_of("I", 0, "Filled_2"));
  const std::size_t filled = rec.segs.size();
  double x0, y0, x1, y1;
  rec.box(x0, y0, x1, y1);
  EXPECT_GT(filled, 50u);
  EXPECT_NEAR(y0, -0.065, 0.03);
  EXPECT_NEAR(y1, 1.065, 0.03);
  int horizontal_inside = 0;
  for (const Seg& s : rec.segs)
    if (s.y1 == s.y2 && s.y1 > 0.1 && s.y1 < 0.9) ++horizontal_inside;
  EXPECT_GT(horizontal_inside, 20);
  // The degree sign of the stroke fonts is an arc: a closed ring of chords above the base line.
  rec.draw(run_of("\xb0", 0, "Simpel"));
  ASSERT_GE(rec.segs.size(), 8u);
  EXPECT_NEAR(rec.segs.front().x1, rec.segs.back().x2, 1e-9);
  EXPECT_NEAR(rec.segs.front().y1, rec.segs.back().y2, 1e-9);
  rec.box(x0, y0, x1, y1);
  EXPECT_GT(y0, 0.5);
}

TEST(TextDrawing, SmallTextOnScreenIsABox) {
  Drawing d;
  Display display;
  FontTable fonts;
  install_font_loader(fonts, std::string(KORAV_SOURCE_DIR) + "/dat/fonts/");
  display.renderer.fonts = &fonts;
  Screen& s = display.screen;
  ASSERT_TRUE(configure_surface(s, kMainSurface, 400, 300, d.settings).configured);
  std::vector<Seg> segs;
  Renderer& r = display.renderer;
  r.drawing = &d;
  r.driver.context = &segs;
  r.driver.line = [](Renderer& rr, int, int, double x1, double y1, double x2, double y2) {
    static_cast<std::vector<Seg>*>(rr.driver.context)->push_back({x1, y1, x2, y2});
  };
  d.settings.view.guide_points = 0;
  struct Case {
    double height;  // mm on paper at 1:100
    bool box;
  } cases[] = {{0.01, true}, {1000, false}};
  for (const Case& c : cases) {
    segs.clear();
    TextRun run = run_of("H\nHH");
    run.height = c.height;
    // Scale the view so that the text is 2 or 2000 pixels high.
    View& v = s.view();
    const double world = c.height * 100 / 1000;
    const double upp = world / (c.box ? 2.0 : 2000.0);
    v.xmin = -10 * upp;
    v.xmax = v.xmin + 400 * upp;
    v.ymin = -10 * upp;
    v.ymax = v.ymin + 300 * upp;
    v.units_x = v.units_y = upp;
    draw_text_run(r, run);
    if (c.box) EXPECT_EQ(segs.size(), 8u);  // one box of four lines per line of text
    else EXPECT_GT(segs.size(), 8u);
  }
}

TEST(TextDrawing, TextsOutsideTheViewAreNotStroked) {
  Drawing d;
  Display display;
  FontTable fonts;
  install_font_loader(fonts, std::string(KORAV_SOURCE_DIR) + "/dat/fonts/");
  display.renderer.fonts = &fonts;
  ASSERT_TRUE(configure_surface(display.screen, kMainSurface, 400, 300, d.settings).configured);
  int lines = 0;
  Renderer& r = display.renderer;
  r.drawing = &d;
  r.driver.context = &lines;
  r.driver.line = [](Renderer& rr, int, int, double, double, double, double) {
    ++*static_cast<int*>(rr.driver.context);
  };
  d.settings.view.guide_points = 0;  // the guide cross at the insertion point is not the text
  const View& v = display.screen.view();
  TextRun run = run_of("HH");
  run.x = v.xmax + 100;
  draw_text_run(r, run);
  EXPECT_EQ(lines, 0);
}

// Every shipped font and DejaVu, every alignment against a guide line, and the angles 0, 30 and
// 90 degrees, with the Latin-1 letters a German plan needs.
TEST(RenderGallery, TextsInEveryFontAlignmentAndAngle) {
  Drawing d;
  d.settings.drawing_scale = 100;
  const char* fonts[] = {"Simpel",   "SimpelProp", "Rund",          "RundProp", "Freihand",
                         "Outline",  "Filled_1",   "Filled_2",      "Filled_3", "Filled_4",
                         "Filled_5", "Filled_6",   "DejaVuSans.ttf"};
  auto text = [&](double x, double y, std::string_view font, std::string_view s, int align,
                  double angle, double fitted = 0) {
    Text t = make_element<Text>(0, 0, 0);
    t.pos = {x, y, 0};
    t.font.set(font);
    t.align = static_cast<std::uint8_t>(align);
    t.angle = angle;
    t.height = 10;
    t.width_factor = 1;
    t.spacing = 0.05;
    t.line_spacing = 1.5;
    t.fitted_width = fitted;
    create_text(d.store, t, s);
  };
  double y = 0;
  for (const char* f : fonts) {
    text(0, y, f, std::string(f) + ": Wohnen 23,5 m\xb2 \xe4\xf6\xfc \xc4\xd6\xdc \xdf 90\xb0 \xb1",
         0, 0);
    y -= 1.6;
  }
  // Alignments against the vertical guide line x = 62: left starts, right ends, centred
  // straddles it; the justified text fills 62 to 74.
  create_line(d.store, 0, 1, 0, 62, 1.5, 62, -9);
  create_line(d.store, 0, 1, 0, 74, -4.5, 74, -7);
  text(62, 0, "SimpelProp", "Left", 0, 0);
  text(62, -2, "SimpelProp", "Right", 1, 0);
  text(62, -4, "SimpelProp", "Centered", 2, 0);
  text(62, -6, "SimpelProp", "Justified", 3, 0, 12);
  text(62, -8, "DejaVuSans.ttf",
       "K\xfc"
       "che",
       2, 0);
  // Angles about one point, and two lines.
  text(58, -19, "Simpel", "0 Grad", 0, 0);
  text(58, -19, "Simpel", "30 Grad", 0, kPi / 6);
  text(58, -19, "Simpel", "90 Grad", 0, kPi / 2);
  text(66, -22, "RundProp", "Zwei\nZeilen", 0, 0);
  const auto dir = std::filesystem::path(KORAV_BINARY).parent_path() / "render_gallery";
  std::filesystem::create_directories(dir);
  const auto path = dir / "texts.png";
  FontTable table;
  install_font_loader(table, std::string(KORAV_SOURCE_DIR) + "/dat/fonts/");
  std::string error;
  ASSERT_TRUE(export_png(d, path.string(), 1600, 1000, error, &table)) << error;
  Png png;
  ASSERT_TRUE(read_png(path.string(), png));
  EXPECT_GT(png.drawn(), 20000);
  testing::expect_matches_reference(path, "render", "texts.png");
}

}  // namespace
}  // namespace korav
