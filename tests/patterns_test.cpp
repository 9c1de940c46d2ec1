// Patterns: the scanline hatch, point hatch and screen fill, and the drawing changes of the
// pattern tools with their undo steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>
#include <vector>

#include "draft/patterns.h"
#include "model/drawing.h"
#include "render/hatch.h"
#include "render/renderer.h"
#include "render/screen_output.h"

namespace korav {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr Point2 kSep{kSeparator, kSeparator, 0};

struct Stroke {
  double x1, y1, x2, y2;
};

void collect(void* c, double x1, double y1, double x2, double y2) {
  static_cast<std::vector<Stroke>*>(c)->push_back({x1, y1, x2, y2});
}

std::vector<Point2> square(double x0, double y0, double x1, double y1, bool clockwise = false) {
  std::vector<Point2> p = {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}};
  if (clockwise) std::reverse(p.begin(), p.end());
  p.push_back(kSep);
  return p;
}

std::vector<Point2> ring(bool inner_clockwise) {
  std::vector<Point2> o = square(0, 0, 10, 10);
  std::vector<Point2> i = square(3, 3, 7, 7, inner_clockwise);
  o.insert(o.end(), i.begin(), i.end());
  return o;
}

std::vector<Stroke> lines(std::span<const Point2> outline, double ox, double oy, double angle,
                          double spacing) {
  std::vector<Stroke> out;
  hatch_lines(outline, ox, oy, angle, spacing, nullptr, collect, &out);
  return out;
}

TEST(Hatch, EvenOddLeavesHolesEmptyWhateverTheirOrientation) {
  for (bool clockwise : {false, true}) {
    SCOPED_TRACE(clockwise);
    const std::vector<Point2> outline = ring(clockwise);
    const std::vector<Stroke> got = lines(outline, 0, 0.5, 0, 1);
    // Scanlines at 0.5, 1.5, ... 9.5: three below the hole, four beside it, three above.
    ASSERT_EQ(got.size(), 3u + 2 * 4 + 3u);
    double covered = 0;
    for (const Stroke& s : got) {
      const double a = std::min(s.x1, s.x2), b = std::max(s.x1, s.x2);
      covered += b - a;
      const bool beside_hole = s.y1 > 3 && s.y1 < 7;
      if (beside_hole)
        EXPECT_TRUE((a < 1e-9 && std::fabs(b - 3) < 1e-9) ||
                    (std::fabs(a - 7) < 1e-9 && std::fabs(b - 10) < 1e-9));
      else EXPECT_NEAR(b - a, 10, 1e-9);
    }
    EXPECT_NEAR(covered, 6 * 10 + 4 * 6, 1e-6);
  }
}

// So that neighbouring patterns with equal values line up.
TEST(Hatch, LinesLieOnTheGridOfTheirOrigin) {
  const std::vector<Point2> a = square(0, 0, 5, 5), b = square(5, 0, 10, 5);
  struct Case {
    double angle, spacing, ox, oy;
  };
  for (const Case c : {Case{0, 0.5, 0, 0.2}, Case{kPi / 4, 0.3, 1, 1}, Case{kPi / 6, 1, -3, 7}}) {
    SCOPED_TRACE(c.angle);
    const double oyr = -c.ox * std::sin(c.angle) + c.oy * std::cos(c.angle);
    std::vector<double> heights;
    for (const auto* outline : {&a, &b})
      for (const Stroke& s : lines(*outline, c.ox, c.oy, c.angle, c.spacing)) {
        const double y1 = -s.x1 * std::sin(c.angle) + s.y1 * std::cos(c.angle);
        const double y2 = -s.x2 * std::sin(c.angle) + s.y2 * std::cos(c.angle);
        EXPECT_NEAR(y1, y2, 1e-9);  // parallel to the family's direction
        const double k = (y1 - oyr) / c.spacing;
        EXPECT_NEAR(k, std::round(k), 1e-4);  // within the 1e-5 shifts
        heights.push_back(std::round(k));
      }
    // The same grid lines on both sides of the common edge.
    std::sort(heights.begin(), heights.end());
    const auto dup = std::adjacent_find(heights.begin(), heights.end());
    EXPECT_NE(dup, heights.end());
  }
}

TEST(Hatch, NothingForBadSpacingOrDegenerateOutlines) {
  const std::vector<Point2> sq = square(0, 0, 10, 10);
  const std::vector<Point2> flat = {{0, 0, 0}, {10, 0, 0}, {5, 0, 0}, kSep};
  const std::vector<Point2> nan_point = {{0, 0, 0}, {NAN, 1, 0}, {1, 1, 0}, kSep};
  struct Case {
    const char* what;
    std::vector<Point2> outline;
    double spacing;
  };
  for (const Case& c :
       {Case{"spacing 0", sq, 0}, Case{"negative spacing", sq, -1}, Case{"NaN spacing", sq, NAN},
        Case{"too dense", sq, 1e-9}, Case{"flat outline", flat, 1},
        Case{"NaN point", nan_point, 0.1}, Case{"empty", {}, 1}}) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(lines(c.outline, 0, 0, 0, c.spacing).empty());
  }
}

TEST(Hatch, PointsSitOnTheGridInsideTheOutline) {
  const std::vector<Point2> outline = ring(false);
  std::vector<Stroke> got;
  hatch_points(outline, 0.5, 0.5, 0, 1, nullptr, collect, &got);
  // A 10 × 10 grid at the half metres, without the 4 × 4 points of the hole.
  ASSERT_EQ(got.size(), 100u - 16u);
  for (const Stroke& s : got) {
    EXPECT_EQ(std::tie(s.x1, s.y1), std::tie(s.x2, s.y2));
    EXPECT_NEAR(s.x1 - std::floor(s.x1), 0.5, 1e-9);
    EXPECT_FALSE(s.x1 > 3 && s.x1 < 7 && s.y1 > 3 && s.y1 < 7);
  }
}

// ---- Through the renderer ----

struct Recorded {
  int pen, line_type;
  Stroke s;
};

struct HatchRender : ::testing::Test {
  Drawing d;
  Display disp;
  Screen& s = disp.screen;
  Renderer& r = disp.renderer;
  std::vector<Recorded> got;

  void SetUp() override {
    d.settings.view.guide_points = 0;
    ASSERT_TRUE(configure_surface(s, kMainSurface, 200, 100, d.settings).configured);
    View& v = s.view();
    v.scale = 300;  // 0.1 m per pixel
    centre_view(v, s.aspect, 10, 5);
  }
  // A vector output that records the lines.
  void record() {
    r.driver.context = &got;
    r.driver.vector_output = true;
    r.driver.line = [](Renderer& rr, int pen, int lt, double x1, double y1, double x2, double y2) {
      static_cast<std::vector<Recorded>*>(rr.driver.context)
          ->push_back({pen, lt, {x1, y1, x2, y2}});
    };
  }
  Pattern* pattern(int kind, double spacing1, double spacing2, double angle2 = 0) {
    PatternPreset pre;
    pre.kind = kind;
    pre.pen1 = 1;
    pre.pen2 = 2;
    pre.line_type2 = 3;
    pre.spacing1 = spacing1;
    pre.spacing2 = spacing2;
    pre.angle2 = angle2;
    pre.red = 1;
    return add_pattern(d, pre, square(1, 1, 19, 9));
  }
  std::uint32_t at(int x, int y) const { return pixel_at(s.cur(), x, y); }
  std::uint32_t colour(int index) const { return s.cur().pixel[index] & 0xffffff; }
};

TEST_F(HatchRender, TwoEqualFamiliesFallHalfwayBetweenEachOther) {
  record();
  Pattern* p = pattern(1, 1, 1);
  draw_element(r, d, *p, kDrawNormal);
  std::vector<double> ys;
  for (const Recorded& c : got) ys.push_back(c.s.y1);
  std::sort(ys.begin(), ys.end());
  ASSERT_EQ(ys.size(), 16u);  // 8 lines of each family across the 8 m height
  for (std::size_t i = 1; i < ys.size(); ++i) EXPECT_NEAR(ys[i] - ys[i - 1], 0.5, 1e-4);
  // The second family with its own pen and line type.
  const auto second = std::count_if(
      got.begin(), got.end(), [](const Recorded& c) { return c.pen == 2 && c.line_type == 3; });
  EXPECT_EQ(second, 8);
}

TEST_F(HatchRender, KindsDrawTheirRoutines) {
  record();
  struct Case {
    int kind;
    double spacing1, spacing2;
    std::size_t strokes;
  };
  // One family: 8 lines; two at right angles: 8 + 18; points every metre: 8 × 18; spacing 0
  // and a filling: no lines at all.
  for (const Case& c : {Case{0, 1, 0, 8}, Case{1, 1, 1, 8 + 18}, Case{2, 1, 0, 8 * 18},
                        Case{0, 0, 0, 0}, Case{3, 1, 0, 0}}) {
    SCOPED_TRACE(c.kind);
    got.clear();
    Pattern* p = pattern(c.kind, c.spacing1, c.spacing2, kPi / 2);
    draw_element(r, d, *p, kDrawNormal);
    EXPECT_EQ(got.size(), c.strokes);
  }
  got.clear();
  Pattern* damaged = pattern(0, 1, 0);
  damaged->kind = 4;  // no such kind: nothing drawn
  draw_element(r, d, *damaged, kDrawNormal);
  EXPECT_TRUE(got.empty());
}

TEST_F(HatchRender, ShowPatternsOffHidesThemOnTheScreenOnly) {
  Pattern* lines_p = pattern(0, 0.5, 0);
  Pattern* fill_p = pattern(3, 0.5, 0);
  for (bool shown : {true, false}) {
    SCOPED_TRACE(shown);
    d.settings.view.patterns = shown;
    clear_surface(s);
    draw_element(r, d, *lines_p, kDrawNormal);
    draw_element(r, d, *fill_p, kDrawNormal);
    present(s);
    int drawn = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x) drawn += at(x, y) != colour(kColourBackground);
    if (shown) EXPECT_GT(drawn, 18 * 8 * 50);
    else EXPECT_EQ(drawn, 0);
  }
  record();  // a vector output draws them all the same
  draw_element(r, d, *lines_p, kDrawNormal);
  EXPECT_EQ(got.size(), 16u);
}

TEST_F(HatchRender, FillColoursByDrawModeAndLayer) {
  d.settings.colours.background = {1, 1, 1};
  apply_settings(s, d.settings);
  allocate_colours(s.cur(), d.settings);
  Pattern* p = pattern(3, 0, 0);
  p->red = 0.2;
  p->green = 0.4;
  p->blue = 0.6;
  auto near_rgb = [](std::uint32_t a, std::uint32_t b) {
    for (int shift : {0, 8, 16})
      if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) > 1)
        return false;
    return true;
  };
  struct Case {
    const char* what;
    int mode, layer;
    std::uint32_t want;
  };
  const std::uint32_t own = 0x336699, faded = 0x99b3cc;  // (0.2, 0.4, 0.6) and halfway to white
  const std::uint32_t highlight = colour(kColourHighlight), background = colour(kColourBackground);
  for (const Case& c :
       {Case{"normal", kDrawNormal, 0, own}, Case{"other layer", kDrawNormal, 4, faded},
        Case{"forced", kDrawForceNormal, 4, own}, Case{"highlight", kDrawHighlight, 0, highlight},
        Case{"erase", kDrawErase, 0, background}}) {
    SCOPED_TRACE(c.what);
    p->layer = static_cast<std::uint16_t>(c.layer);
    d.layers.layer[4].state = 1;
    clear_surface(s);
    draw_element(r, d, *p, c.mode == kDrawErase ? kDrawNormal : c.mode);
    if (c.mode == kDrawErase) draw_element(r, d, *p, kDrawErase);
    present(s);
    EXPECT_TRUE(near_rgb(at(100, 50), c.want)) << std::hex << at(100, 50) << " " << c.want;
    EXPECT_EQ(at(5, 50), background);  // left of the outline (x = 0.5)
  }
}

TEST_F(HatchRender, FillLeavesTheHoleEmpty) {
  PatternPreset pre;
  pre.kind = 3;
  pre.red = 1;
  std::vector<Point2> outline = square(1, 1, 19, 9);
  std::vector<Point2> hole = square(8, 3, 12, 7, true);
  outline.insert(outline.end(), hole.begin(), hole.end());
  Pattern* p = add_pattern(d, pre, outline);
  clear_surface(s);
  draw_element(r, d, *p, kDrawNormal);
  present(s);
  const std::uint32_t bg = colour(kColourBackground);
  EXPECT_EQ(at(100, 50), bg);  // (10, 5): in the hole
  EXPECT_NE(at(50, 50), bg);   // (5, 5)
  EXPECT_NE(at(150, 20), bg);  // (15, 8)
  EXPECT_EQ(at(100, 95), bg);  // (10, 0.5): below the outline
}

// ---- The drawing changes of the tools ----

TEST(PatternEdits, NewPatternsTakeThePreset) {
  PatternPreset pre;
  pre.pen1 = 2;
  pre.line_type1 = 3;
  pre.pen2 = 4;
  pre.line_type2 = 5;
  pre.spacing1 = 0.2;
  pre.spacing2 = 0.2;
  pre.angle2 = kPi / 2;
  struct Case {
    int kind;
    bool guide;
    int pen, pen2, line_type;
    double spacing2;
  };
  for (const Case c : {Case{0, false, 2, 4, 3, 0}, Case{1, false, 2, 4, 3, 0.2},
                       Case{2, false, 2, 4, kLineTypePoints, 0},
                       Case{3, true, kGuidePen, kGuidePen, kLineTypeFilling, 0}}) {
    SCOPED_TRACE(c.kind);
    pre.kind = c.kind;
    const Pattern p = new_pattern_fields(pre, 7, c.guide);
    EXPECT_EQ(std::tuple(p.layer, p.pen, p.pen2, p.line_type, p.line_type2, p.kind),
              std::tuple(7, c.pen, c.pen2, c.line_type, 5, c.kind));
    EXPECT_EQ(std::tuple(p.origin.x, p.origin.y, p.spacing2), std::tuple(0.0, 0.0, c.spacing2));
    // Half the second spacing across the second direction.
    EXPECT_NEAR(p.offset.x, -c.spacing2 / 2, 1e-12);
    EXPECT_NEAR(p.offset.y, 0, 1e-12);
  }
}

// An outline of exactly n points (n >= 12): triangles and rectangles, each with its separator.
std::vector<Point2> outline_of(std::size_t n) {
  std::size_t rects = 0;
  while ((n - 5 * rects) % 4 != 0) ++rects;
  std::vector<Point2> out;
  for (double x = 0; out.size() < n; x += 2) {
    if (rects > 0) {
      const std::vector<Point2> r = square(x, 0, x + 1, 1);
      out.insert(out.end(), r.begin(), r.end());
      --rects;
    } else {
      out.insert(out.end(), {{x, 0, 0}, {x + 1, 0, 0}, {x, 1, 0}, kSep});
    }
  }
  return out;
}

TEST(PatternEdits, AddingToAnOutlineRespectsTheLimit) {
  // 498 + 5 is refused without an undo step (the message is in the script test).
  Drawing d;
  PatternPreset pre;
  Pattern* p = add_pattern(d, pre, outline_of(498));
  ASSERT_NE(p, nullptr);
  const std::vector<Point2> rect = rectangle_outline({0, 10}, {2, 12});
  ASSERT_EQ(rect.size(), 5u);
  EXPECT_EQ(extend_pattern(d, *p, rect), nullptr);
  EXPECT_EQ(outline_points(*p).size(), 498u);
  EXPECT_EQ(d.undo.level_count(), 1);

  // 494 + 5 fit exactly; the copy keeps every field, the old one is gone; undo brings it back.
  Drawing d2;
  p = add_pattern(d2, pre, outline_of(494));
  p->group = 6;
  p->spacing1 = 0.7;
  Pattern* grown = extend_pattern(d2, *p, rect);
  ASSERT_NE(grown, nullptr);
  EXPECT_EQ(d2.store.size(), 1u);
  EXPECT_EQ(outline_points(*grown).size(), 499u);
  EXPECT_EQ(std::tuple(grown->group, grown->spacing1, outline_points(*grown)[494].y),
            std::tuple(6, 0.7, 10.0));
  d2.undo.undo(d2.store);
  ASSERT_EQ(d2.store.size(), 1u);
  EXPECT_EQ(static_cast<const Pattern*>(d2.store.head())->count, 494u);
}

// The script test has the angle's difference, the spacing's ratio and a different-angle origin.
TEST(PatternEdits, OriginAngleAndSpacing) {
  Drawing d;
  PatternPreset pre;
  pre.kind = 1;
  pre.spacing1 = 1;
  pre.spacing2 = 2;
  Pattern* p = add_pattern(d, pre, square(0, 0, 4, 4));
  set_pattern_origin(d, *p, {3, 4});  // equal angles: the half offset from the new origin
  EXPECT_EQ(std::tuple(p->origin.x, p->origin.y), std::tuple(3.0, 4.0));
  EXPECT_NEAR(p->offset.x, 3, 1e-12);
  EXPECT_NEAR(p->offset.y, 5, 1e-12);
  set_pattern_angle(d, *p, 0.5);  // the second angle keeps its difference (0)
  EXPECT_EQ(std::tuple(p->angle1, p->angle2), std::tuple(0.5, 0.5));
  EXPECT_TRUE(set_pattern_spacing(d, *p, 3));  // the ratio 2 stays
  EXPECT_EQ(std::tuple(p->spacing1, p->spacing2), std::tuple(3.0, 6.0));
  for (double bad : {0.0, -1.0, double(NAN)}) EXPECT_FALSE(set_pattern_spacing(d, *p, bad));
  EXPECT_EQ(d.undo.level_count(), 4);
  p->spacing1 = 0;  // no ratio to keep: the second spacing becomes the first
  EXPECT_TRUE(set_pattern_spacing(d, *p, 2));
  EXPECT_EQ(p->spacing2, 2);
  // Each change is one step; undoing all of them gives the first pattern back.
  for (int i = 0; i < 4; ++i) d.undo.undo(d.store);
  const auto* back = static_cast<const Pattern*>(d.store.head());
  EXPECT_EQ(std::tuple(back->origin.x, back->angle1, back->spacing1), std::tuple(0.0, 0.0, 1.0));
}

TEST(PatternEdits, PresetGoesToSelectedPatternsAndSameFillings) {
  Drawing d;
  PatternPreset fill;
  fill.kind = 3;
  fill.red = 0.5;
  Pattern* a = add_pattern(d, fill, square(0, 0, 1, 1));
  Pattern* b = add_pattern(d, fill, square(2, 0, 3, 1));
  fill.red = 0.25;
  Pattern* other_colour = add_pattern(d, fill, square(4, 0, 5, 1));
  fill.red = 0.5;
  d.current_layer = 3;
  Pattern* other_layer = add_pattern(d, fill, square(6, 0, 7, 1));
  d.current_layer = 0;
  Line* line = create_line(d.store, 0, 0, 0, 0, 0, 1, 1);

  EXPECT_EQ(select_same_fillings(d, *a), 2);
  EXPECT_EQ(std::tuple(a->selected, b->selected, other_colour->selected, other_layer->selected),
            std::tuple(1, 1, 0, 0));
  line->selected = 1;  // not a pattern: left alone
  PatternPreset hatch;
  hatch.kind = 0;
  hatch.spacing1 = 0.1;
  hatch.spacing2 = 0.3;
  hatch.line_type1 = 2;
  const int levels = d.undo.level_count();
  EXPECT_EQ(apply_preset_to_selected(d, hatch), 2);
  EXPECT_EQ(std::tuple(a->kind, a->spacing1, a->spacing2, a->line_type, b->kind),
            std::tuple(0, 0.1, 0.3, 2, 0));
  EXPECT_EQ(std::tuple(a->selected, line->selected), std::tuple(0, 0));
  EXPECT_EQ(other_colour->kind, 3);
  EXPECT_EQ(d.undo.level_count(), levels + 1);
  EXPECT_EQ(apply_preset_to_selected(d, hatch), 0);  // nothing selected: no step
  EXPECT_EQ(d.undo.level_count(), levels + 1);
  EXPECT_EQ(select_same_fillings(d, *a), 0);  // not a filling any more
}

TEST(PatternEdits, DissolveMakesLinesAndUndoesAsOneStep) {
  Drawing d;
  PatternPreset pre;
  Pattern* p = add_pattern(d, pre, square(0, 0, 4, 4));
  d.current_layer = 2;
  const PatternStroke strokes[] = {
      {1, 2, 0, 0.5, 4, 0.5}, {kGuidePen, 0, 0, 1, 4, 1}, {3, 0, 1, 1, 1, 1}};
  EXPECT_EQ(dissolve_pattern(d, *p, strokes), 2);
  ASSERT_EQ(d.store.size(), 2u);
  const auto* l = as<Line>(d.store.head());
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(std::tuple(l->layer, l->pen, l->line_type, l->end.x), std::tuple(2, 1, 2, 4.0));
  d.undo.undo(d.store);
  ASSERT_EQ(d.store.size(), 1u);
  EXPECT_EQ(d.store.head()->type, kPattern);
  d.undo.redo(d.store);
  EXPECT_EQ(d.store.size(), 2u);
}

}  // namespace
}  // namespace korav
