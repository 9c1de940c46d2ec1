// Text drawing: where the glyph strokes land (alignment, angle, line feeds, width factor,
// spacing), the small-text box, filled glyphs, and the picture of every shipped font.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <tuple>
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

// A driver that keeps every stroke: vector output, or the screen of a 400 x 300 display.
struct Recorder {
  FontTable fonts;
  Drawing d;
  Display display;
  Renderer vector_renderer;
  Renderer& r;
  std::vector<Seg> segs;
  explicit Recorder(bool screen = false) : r(screen ? display.renderer : vector_renderer) {
    install_font_loader(fonts, std::string(KORAV_SOURCE_DIR) + "/dat/fonts/");
    r.fonts = &fonts;
    if (screen) {
      d.settings.view.guide_points = 0;  // the guide cross at the insertion point is not the text
      EXPECT_TRUE(configure_surface(display.screen, kMainSurface, 400, 300, d.settings).configured);
    }
    r.drawing = &d;
    r.driver.context = &segs;
    r.driver.vector_output = !screen;
    r.driver.line = [](Renderer& rr, int, int, double x1, double y1, double x2, double y2) {
      static_cast<std::vector<Seg>*>(rr.driver.context)->push_back({x1, y1, x2, y2});
    };
  }
  void draw(const TextRun& run) {
    segs.clear();
    draw_text_run(r, run);
  }
  // The box of everything drawn.
  Seg box() const {
    Seg b{1e300, 1e300, -1e300, -1e300};
    for (const Seg& s : segs)
      b = {std::min({b.x1, s.x1, s.x2}), std::min({b.y1, s.y1, s.y2}), std::max({b.x2, s.x1, s.x2}),
           std::max({b.y2, s.y1, s.y2})};
    return b;
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
    const Seg b = rec.box();
    // An H has side bearings of about a fifth of the height.
    EXPECT_NEAR(b.x1, c.left + 0.2, 0.15) << c.align;
    EXPECT_NEAR(b.x2, c.right - 0.2, 0.15) << c.align;
    EXPECT_NEAR(b.y1, 0, 0.02) << c.align;  // base line
    EXPECT_NEAR(b.y2, 1, 0.02) << c.align;  // cap height = text height
  }
  // Justified: the glyphs spread from the start to the fitted width.
  TextRun j = run_of("HHHH", 3);
  j.fitted_width = 10;
  rec.draw(j);
  EXPECT_NEAR(rec.box().x1, 0.2, 0.15);
  EXPECT_NEAR(rec.box().x2, 10 - 0.2, 0.15);
  EXPECT_EQ(text_width(rec.fonts, 100, 10, 1, 0, "SimpelProp", "HHHH", 3, 10), 10);
}

TEST(TextDrawing, AngleWidthFactorSpacingAndLineFeeds) {
  Recorder rec;
  // Turned by 90 degrees the text runs up the y axis and its letters stand to the left.
  TextRun up = run_of("HH");
  up.angle = kPi / 2;
  rec.draw(up);
  Seg b = rec.box();
  const double w = text_width(rec.fonts, 100, 10, 1, 0, "SimpelProp", "HH", 0, 0);
  EXPECT_NEAR(b.x1, -1, 0.02);
  EXPECT_NEAR(b.x2, 0, 0.02);
  EXPECT_NEAR(b.y2, w - 0.2, 0.15);
  // Width factor 2 and spacing 0.5 widen the line as the measure says.
  TextRun wide = run_of("HH");
  wide.width_factor = 2;
  wide.spacing = 0.5;
  const double ww = text_width(rec.fonts, 100, 10, 2, 0.5, "SimpelProp", "HH", 0, 0);
  EXPECT_NEAR(ww, 2 * w + 2 * 0.5, 1e-9);
  rec.draw(wide);
  EXPECT_NEAR(rec.box().x2, ww - 0.5 - 0.4, 0.3);
  // A line feed starts the next line 1.5 heights lower; the widest line is the width.
  rec.draw(run_of("H\nHHH"));
  b = rec.box();
  EXPECT_NEAR(b.y1, -1.5, 0.02);
  EXPECT_NEAR(b.y2, 1, 0.02);
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
  EXPECT_GT(rec.segs.size(), 50u);
  EXPECT_NEAR(rec.box().y1, -0.065, 0.03);
  EXPECT_NEAR(rec.box().y2, 1.065, 0.03);
  int horizontal_inside = 0;
  for (const Seg& s : rec.segs)
    if (s.y1 == s.y2 && s.y1 > 0.1 && s.y1 < 0.9) ++horizontal_inside;
  EXPECT_GT(horizontal_inside, 20);
  // The degree sign of the stroke fonts is an arc: a closed ring of chords above the base line.
  rec.draw(run_of("\xb0", 0, "Simpel"));
  ASSERT_GE(rec.segs.size(), 8u);
  EXPECT_NEAR(rec.segs.front().x1, rec.segs.back().x2, 1e-9);
  EXPECT_NEAR(rec.segs.front().y1, rec.segs.back().y2, 1e-9);
  EXPECT_GT(rec.box().y1, 0.5);
}

TEST(TextDrawing, SmallTextOnScreenIsABox) {
  Recorder rec(true);
  struct Case {
    double height;  // mm on paper at 1:100
    bool box;
  } cases[] = {{0.01, true}, {1000, false}};
  for (const Case& c : cases) {
    TextRun run = run_of("H\nHH");
    run.height = c.height;
    // Scale the view so that the text is 2 or 2000 pixels high.
    View& v = rec.display.screen.view();
    const double upp = c.height * 100 / 1000 / (c.box ? 2.0 : 2000.0);
    v.xmin = -10 * upp;
    v.xmax = v.xmin + 400 * upp;
    v.ymin = -10 * upp;
    v.ymax = v.ymin + 300 * upp;
    v.units_x = v.units_y = upp;
    rec.draw(run);
    if (c.box) EXPECT_EQ(rec.segs.size(), 8u);  // one box of four lines per line of text
    else EXPECT_GT(rec.segs.size(), 8u);
  }
}

TEST(TextDrawing, TextsOutsideTheViewAreNotStroked) {
  Recorder rec(true);
  TextRun run = run_of("HH");
  run.x = rec.display.screen.view().xmax + 100;
  rec.draw(run);
  EXPECT_TRUE(rec.segs.empty());
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
    std::tie(t.angle, t.height, t.width_factor, t.spacing, t.line_spacing, t.fitted_width) =
        std::tuple(angle, 10, 1, 0.05, 1.5, fitted);
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
  text(62, -8, "DejaVuSans.ttf", std::string("K\xfc") + "che", 2, 0);
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
