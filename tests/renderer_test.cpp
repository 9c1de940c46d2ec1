#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "model/drawing.h"
#include "render/openings.h"
#include "render/png_export.h"
#include "render/renderer.h"
#include "render/screen_output.h"

namespace korav {
namespace {

constexpr double kPi = 3.141592653589793;

// ---- A driver that records what the renderer asks of it ----

struct Call {
  char op = 0;  // l line, a arc, s spline, t text, d dimension, r room, f fill
  int pen = 0, lt = 0;
  double v[9] = {};
  std::string text;
};

struct Recorder {
  std::vector<Call> calls;
  std::vector<Call> of(char op) const {
    std::vector<Call> out;
    for (const Call& c : calls)
      if (c.op == op) out.push_back(c);
    return out;
  }
  std::vector<Call> lines() const { return of('l'); }
  std::vector<Call> arcs() const { return of('a'); }
};

Recorder& rec(Renderer& r) { return *static_cast<Recorder*>(r.driver.context); }

OutputDriver recording_driver(Recorder& recorder) {
  OutputDriver d;
  d.context = &recorder;
  d.line = [](Renderer& r, int pen, int lt, double x1, double y1, double x2, double y2) {
    rec(r).calls.push_back({'l', pen, lt, {x1, y1, x2, y2}, {}});
  };
  d.arc = [](Renderer& r, int pen, int lt, double cx, double cy, double a, double b, double sweep,
             double start, double rot) {
    rec(r).calls.push_back({'a', pen, lt, {cx, cy, a, b, sweep, start, rot}, {}});
  };
  d.spline = [](Renderer& r, int pen, int lt, const Point2& p0, const Point2&, const Point2&,
                const Point2& p3) {
    rec(r).calls.push_back({'s', pen, lt, {p0.x, p0.y, p3.x, p3.y}, {}});
  };
  d.text = [](Renderer& r, const TextRun& t) {
    rec(r).calls.push_back({'t', t.pen, t.line_type, {t.x, t.y, t.height}, std::string(t.text)});
  };
  d.dimension = [](Renderer& r, const Dimension& dim) {
    rec(r).calls.push_back({'d', dim.pen, dim.line_type, {static_cast<double>(dim.count)}, {}});
  };
  d.room = [](Renderer& r, const Room& room) {
    rec(r).calls.push_back({'r', room.pen, 0, {}, {}});
  };
  d.fill = [](Renderer& r, const Pattern& p) { rec(r).calls.push_back({'f', p.pen, 0, {}, {}}); };
  return d;
}

// ---- A screen whose view maps world (x, y) to pixel (10 x, 100 - 10 y) on 200 x 100 ----

struct RenderTest : ::testing::Test {
  Drawing d;
  Display disp;
  Screen& s = disp.screen;
  Renderer& r = disp.renderer;

  void SetUp() override {
    d.settings.view.guide_points = 0;
    ASSERT_TRUE(configure_surface(s, kMainSurface, 200, 100, d.settings).configured);
    View& v = s.view();
    v.scale = 300;  // 0.1 m per pixel
    centre_view(v, s.aspect, 10, 5);
  }
  void draw_all() { redraw(r, s, d); }
  void draw(const Element& e, int mode) {
    draw_element(r, d, e, mode);
    present(s);
  }
  std::uint32_t at(int x, int y) const { return pixel_at(s.cur(), x, y); }
  std::uint32_t colour(int index) const { return s.cur().pixel[index] & 0xffffff; }
  int drawn() const {
    const auto px = picture();
    return static_cast<int>(
        std::ranges::count_if(px, [&](std::uint32_t p) { return p != colour(kColourBackground); }));
  }
  std::vector<std::uint32_t> picture() const {
    std::vector<std::uint32_t> px;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x) px.push_back(at(x, y));
    return px;
  }
  // Only the line operation records; the rest of the driver stays the screen's.
  void record_lines(Recorder& recorder) {
    r.driver.line = recording_driver(recorder).line;
    r.driver.context = &recorder;
    r.drawing = &d;
  }
};

TEST_F(RenderTest, HiddenLayersDrawNothingInAnyMode) {
  Line* l = create_line(d.store, 5, 0, 0, 1, 1, 9, 9);
  d.layers.layer[5].state = 0;
  l->selected = 1;
  for (int mode : {kDrawNormal, kDrawErase, kDrawHighlight, kDrawForceNormal}) {
    draw(*l, mode);
    EXPECT_EQ(drawn(), 0) << mode;
  }
  // The current layer is drawn whatever its state.
  d.current_layer = 5;
  l->selected = 0;
  draw(*l, kDrawNormal);
  EXPECT_EQ(at(50, 50), colour(kColourPen));
}

TEST_F(RenderTest, ColourClassesAndErasing) {
  // Erasing wins over the selection and the guide colour, marks included; odd modes draw normally.
  Line* l = create_line(d.store, 3, 4, 0, 1, 5, 19, 5);
  d.layers.layer[3].state = 1;
  l->selected = 1;
  draw(*l, kDrawNormal);
  EXPECT_EQ(at(100, 50), colour(kColourHighlight));
  draw(*l, kDrawErase);
  EXPECT_EQ(drawn(), 0);
  l->selected = 0;
  d.current_layer = 3;
  draw(*l, 1);
  EXPECT_EQ(at(100, 50), colour(kColourPen + 4));
  draw(*l, kDrawErase);
  Line* g = create_line(d.store, 3, kGuidePen, 0, 2, 5, 10, 5);
  g->start.mark = 1;
  draw(*g, kDrawNormal);
  EXPECT_EQ(at(60, 50), colour(kColourGuide));
  draw(*g, kDrawErase);
  EXPECT_EQ(drawn(), 0);

  EXPECT_EQ(colour_index(ColourClass::kOtherLayer, kGuidePen), kColourGuide);
  EXPECT_EQ(colour_index(ColourClass::kHighlight, kGuidePen), kColourHighlight);
  EXPECT_EQ(colour_index(ColourClass::kNormal, 200), kColourPen);  // damaged pen number
}

TEST_F(RenderTest, ExactThicknessGivesPenWidths) {
  r.drawing = &d;
  EXPECT_EQ(line_pixel_width(r, 7), 0);  // switched off
  d.settings.view.exact_thickness = 1;
  const struct {
    int pen, view;
    double scale;
    int want;
  } rows[] = {
      {7, 0, 100, 2},                          // 1.5 mm at 1:100 is 0.15 m: 1.5 pixels, rounded up
      {5, 0, 100, 1},                          // 0.7 pixels
      {0, 0, 100, 0},                          // 0.13 pixels
      {kGuidePen, 0, 100, 0}, {7, 2, 100, 0},  // 3D views draw thin
      {7, 0, 1000, 15},       {7, 0, 1e9, 255}, {7, 0, std::nan(""), 0},
  };
  for (const auto& row : rows) {
    r.view_number = row.view;
    d.settings.drawing_scale = row.scale;
    EXPECT_EQ(line_pixel_width(r, row.pen), row.want) << row.pen << " " << row.scale;
  }
  r.view_number = 0;
  d.settings.drawing_scale = 1000;
  Line* l = create_line(d.store, 0, 7, 0, 2, 5, 18, 5);
  draw(*l, kDrawNormal);
  EXPECT_EQ(at(100, 57), colour(kColourPen + 7));
  draw(*l, kDrawErase);  // erasing covers the full width
  EXPECT_EQ(drawn(), 0);
}

// SHORTDASH at 1:1000 is 2.5 m dash and 1.5 m gap: 25 and 15 pixels here.
bool dash_at(double along, double length) {
  const double period = 4.0;
  const double whole = std::floor(length / period) * period;
  if (along >= whole) return true;  // the rest is solid
  return std::fmod(along, period) < 2.5;
}

TEST_F(RenderTest, DashesStayPutWhenTheStartIsOutOfView) {
  d.settings.drawing_scale = 1000;
  create_line(d.store, 0, 0, 1, 0, 5, 19, 5);  // 4 whole patterns and 3 m of rest
  centre_view(s.view(), s.aspect, 13.3, 5);
  draw_all();
  const View& v = s.view();
  for (int px = 0; px < 200; px += 3) {
    const double x = pixel_to_world_x(v, px);
    if (x > 19 || std::fabs(std::fmod(x, 4.0) - 2.5) < 0.15 ||
        std::fabs(std::fmod(x, 4.0)) < 0.15 || std::fabs(std::fmod(x, 4.0) - 4) < 0.15)
      continue;  // beyond the end or at a dash boundary
    const std::uint32_t want = dash_at(x, 19) ? colour(kColourPen) : colour(kColourBackground);
    EXPECT_EQ(at(px, 50), want) << x;
  }
}

TEST_F(RenderTest, DamagedLineTypesNeverHang) {
  // Negative or zero lengths, more than three sections, NaN, no such line type.
  d.settings.drawing_scale = 100;
  d.settings.line_types[2].sections = 9;
  d.settings.line_types[2].line[0] = -3;
  d.settings.line_types[2].space[0] = 0;
  d.settings.line_types[3].line[0] = std::nan("");
  create_line(d.store, 0, 0, 2, 0, 1, 19, 1);
  create_line(d.store, 0, 0, 3, 0, 2, 19, 2);
  create_line(d.store, 0, 0, 120, 0, 3, 19, 3);
  draw_all();
  EXPECT_EQ(at(100, 80), colour(kColourPen));
}

TEST_F(RenderTest, HugeDashedLinesAreDrawnWithoutWalkingEveryDash) {
  d.settings.drawing_scale = 1000;  // 4 m patterns, 40 pixels
  create_line(d.store, 0, 0, 1, -1e17, 5, 1e17, 5);
  create_line(d.store, 0, 0, 1, 1e300, 3, -1e300, 3);
  draw_all();
  // Doubles are metres apart at 1e17: look for the line only, not its ends.
  int row50 = 0;
  for (int x = 0; x < 200; ++x) row50 += at(x, 50) == colour(kColourPen);
  EXPECT_GT(row50, 20);
}

TEST(ArcChords, CountsFollowTheScreenSize) {
  const struct {
    double a, b, sweep, scale;
    bool vector;
    int want;
  } rows[] = {
      {0.1, 0.1, 2 * kPi, 500, false, 18},
      {0.1, 0.1, 2 * kPi, 500, true, 36},
      {3, 4, 2 * kPi, 500, false, 37},
      {50, 50, 2 * kPi, 500, false, 100},
      {500, 500, 2 * kPi, 500, false, 188},
      {500, 500, 1e-6, 500, false, 1},
      {500, 500, -kPi, 500, false, 94},
      {500, 500, 1e9, 500, false, 188},  // over a turn
      {1, 1, kPi, 0, false, 94},         // a broken view scale
  };
  for (const auto& row : rows)
    EXPECT_EQ(arc_chord_count(row.a, row.b, row.sweep, row.scale, row.vector), row.want)
        << row.a << " " << row.sweep << " " << row.scale;
}

TEST_F(RenderTest, ArcChordsGoThroughTheLineOperation) {
  Recorder recorder;
  record_lines(recorder);
  screen_arc(r, 2, 3, 10, 5, 1, 1, kPi, 0, 0);
  const auto chords = recorder.lines();
  ASSERT_EQ(static_cast<int>(chords.size()), arc_chord_count(1, 1, kPi, 300, false));
  EXPECT_EQ(chords[0].pen, 2);
  EXPECT_EQ(chords[0].lt, 3);
  EXPECT_NEAR(chords.front().v[0], 11, 1e-12);
  EXPECT_NEAR(chords.back().v[2], 9, 1e-12);  // ends exactly at the sweep's end
  EXPECT_NEAR(chords.back().v[3], 5, 1e-12);
  for (std::size_t i = 1; i < chords.size(); ++i) {
    EXPECT_DOUBLE_EQ(chords[i].v[0], chords[i - 1].v[2]);
    EXPECT_NEAR(std::hypot(chords[i].v[2] - 10, chords[i].v[3] - 5), 1, 1e-12);
  }
  // Culled when its square is out of view; not on vector output.
  recorder.calls.clear();
  screen_arc(r, 0, 0, 100, 100, 1, 1, kPi, 0, 0);
  EXPECT_TRUE(recorder.calls.empty());
  r.driver.vector_output = true;
  screen_arc(r, 0, 0, 100, 100, 1, 1, kPi, 0, 0);
  EXPECT_EQ(static_cast<int>(recorder.lines().size()), arc_chord_count(1, 1, kPi, 300, true));
}

// Not the screen's own line operation, so arcs take the chord path.
void chord_by_chord(Renderer& r, int pen, int lt, double x1, double y1, double x2, double y2) {
  screen_line(r, pen, lt, x1, y1, x2, y2);
}

TEST_F(RenderTest, SmallArcsDrawExactlyTheirChordsPixels) {
  d.settings.line_types[1].sections = 1;  // long dashes: drawn chord by chord
  d.settings.line_types[1].line[0] = 20;
  d.settings.line_types[1].space[0] = 10;
  r.drawing = &d;
  std::uint32_t seed = 99;
  auto rnd = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) / 16777216.0;
  };
  for (double scale : {30.0, 300.0, 3000.0}) {
    std::vector<std::uint32_t> pictures[2];
    for (int way = 0; way < 2; ++way) {
      seed = 99;
      s.view().scale = scale;
      centre_view(s.view(), s.aspect, 10, 5);
      clear_surface(s);
      r.driver.line = way == 0 ? screen_line : chord_by_chord;
      for (int i = 0; i < 400; ++i) {
        // Some reach over the view's edges, some are ellipses, some turned.
        const double cx = 20 * rnd() - 0.5, cy = 10 * rnd() - 0.5;
        const double ra = 0.02 + 0.6 * rnd() * rnd(), rb = rnd() < 0.7 ? ra : 0.3 * rnd();
        r.colour = i % 3 ? ColourClass::kNormal : ColourClass::kOtherLayer;
        screen_arc(r, i % 8, i % 5 == 0 ? 1 : 0, cx, cy, ra, rb, 2 * kPi * rnd() - kPi, 7 * rnd(),
                   i % 4 == 0 ? rnd() : 0);
      }
      present(s);
      pictures[way] = picture();
    }
    EXPECT_EQ(pictures[0], pictures[1]) << "view scale " << scale;
    const int drawn_now = drawn();
    EXPECT_GT(drawn_now, 0);
    EXPECT_LT(drawn_now, 200 * 100);
  }
  r.driver.line = screen_line;
}

TEST_F(RenderTest, SplinesEndExactlyAtTheirEndPoint) {
  Recorder recorder;
  record_lines(recorder);
  const Point2 p0{1, 1}, p1{2, 8}, p2{8, 8}, p3{9, 1};
  // (8 + 6) / 22 / 0.1 = 6.4 divisions, raised to 12: t = 1/12 .. 11/12 and the last chord.
  EXPECT_DOUBLE_EQ(spline_divisions(p0, p1, p2, p3, 0.1, false), 12);
  screen_spline(r, 1, 0, p0, p1, p2, p3);
  auto chords = recorder.lines();
  ASSERT_EQ(chords.size(), 12u);
  EXPECT_DOUBLE_EQ(chords.front().v[0], 1);
  EXPECT_DOUBLE_EQ(chords.back().v[2], 9);
  EXPECT_DOUBLE_EQ(chords.back().v[3], 1);
  EXPECT_NEAR(chords[5].v[2], 5, 1e-12);  // t = 1/2 on the symmetric curve
  EXPECT_NEAR(chords[5].v[3], 1 + 0.75 * 7, 1e-12);
  // Long on screen: at most 120 divisions; the divisor is not rounded.
  EXPECT_DOUBLE_EQ(spline_divisions({0, 0}, {0, 0}, {0, 0}, {265.1, 0}, 0.1, false), 120);
  EXPECT_DOUBLE_EQ(spline_divisions({0, 0}, {0, 0}, {0, 0}, {11, 0}, 0.01, false), 50);
  EXPECT_DOUBLE_EQ(spline_divisions({0, 0}, {0, 0}, {0, 0}, {11, 0}, 0.01, true), 100);
  // The guide crosses at the control points come with "Show guide points".
  d.settings.view.guide_points = 1;
  recorder.calls.clear();
  screen_spline(r, 1, 0, p0, p1, p2, p3);
  int guide = 0;
  for (const Call& c : recorder.lines()) guide += c.pen == kGuidePen;
  EXPECT_EQ(guide, 4);
}

struct RecordTest : ::testing::Test {
  Drawing d;
  Display disp;
  Recorder recorder;
  Renderer& r = disp.renderer;
  void SetUp() override {
    ASSERT_TRUE(configure_surface(disp.screen, kMainSurface, 200, 100, d.settings).configured);
    r.driver = recording_driver(recorder);
  }
  const std::vector<Call>& draw(const Element& e) {
    recorder.calls.clear();
    draw_element(r, d, e, kDrawNormal);
    return recorder.calls;
  }
  const std::vector<Call>& draw(const Opening& o) {
    recorder.calls.clear();
    draw_opening(r, o);
    return recorder.calls;
  }
};

TEST_F(RecordTest, MarkedPointsGetCrossesExceptOnVectorOutput) {
  Line* l = create_line(d.store, 0, 0, 0, 0, 0, 1, 1);
  l->start.mark = l->end.mark = 1;
  EXPECT_EQ(draw(*l).size(), 5u);  // the line and two crosses
  EXPECT_EQ(recorder.lines()[1].pen, kGuidePen);
  // A dimension point: crosses at its measured point and at its foot.
  std::vector<DimPoint> pts(3);
  pts[1].measured = {1, 1, 0};
  Dimension* dim = create_dimension(d.store, make_element<Dimension>(0, 0, 0), pts);
  dim->points()[1].measured.mark = 1;
  draw(*dim);
  EXPECT_EQ(recorder.lines().size(), 4u);
  // A pattern's outline points, but never its separators.
  const std::vector<Point2> square = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {kSeparator, kSeparator}};
  Pattern* p = create_pattern(d.store, make_element<Pattern>(0, 0, 0), square);
  p->points()[1].mark = p->points()[4].mark = 1;
  draw(*p);
  EXPECT_EQ(recorder.lines().size(), 2u);
  r.driver.vector_output = true;
  EXPECT_EQ(draw(*l).size(), 1u);
}

TEST_F(RecordTest, ThreeDElementsGoToTheProjectionDrawer) {
  static std::vector<int> projected;
  projected.clear();
  create(d.store, make_element<Line3D>(0, 0, 0));
  create(d.store, make_element<Camera>(0, 0, 0));
  create(d.store, make_element<Light>(0, 0, 0));
  create_room(d.store, make_element<Room>(0, 0, 0),
              std::vector<Point2>{{0, 0}, {1, 0}, {1, 1}, {kSeparator, kSeparator}});
  create_line(d.store, 0, 0, 0, 0, 0, 1, 1);
  // Without a drawer they draw nothing; in the plan view a room goes through the room operation.
  r.project = nullptr;
  for (const Element& e : d.store.list) draw_element(r, d, e, kDrawNormal);
  ASSERT_EQ(recorder.calls.size(), 2u);  // the room and the line
  EXPECT_EQ(recorder.calls[0].op, 'r');
  r.project = [](Renderer&, const Element& e, int, int, bool) { projected.push_back(e.type); };
  for (const Element& e : d.store.list) draw_element(r, d, e, kDrawNormal);
  EXPECT_EQ(projected, (std::vector<int>{kLine3D, kCamera, kLight}));
  // In a 3D view every element goes there.
  projected.clear();
  r.view_number = 2;
  for (const Element& e : d.store.list) draw_element(r, d, e, kDrawNormal);
  EXPECT_EQ(projected.size(), 5u);
}

// ---- Walls and openings ----

// An axis wall from (0, 0) to (4, 0), 0.24 thick, its outer face on y = -0.12.
Wall wall_fields() {
  Wall w = make_element<Wall>(0, 5, 2);
  const double c[4][2] = {{0, -0.12}, {4, -0.12}, {4, 0.12}, {0, 0.12}};
  for (int i = 0; i < 8; ++i) w.corner[i] = {c[i % 4][0], c[i % 4][1], i < 4 ? 0.0 : 2.5, 0};
  return w;
}

// An opening from x = 1 to x = 2 with its outer face on y = -0.12.
Opening opening(int kind, int subtype, int side, double stop_width = 0, double stop_depth = 0) {
  Opening o;
  const double c[4][2] = {{1, -0.12}, {2, -0.12}, {2, 0.12}, {1, 0.12}};
  for (int i = 0; i < 8; ++i) o.corner[i] = {c[i % 4][0], c[i % 4][1], i < 4 ? 0.0 : 2.1, 0};
  o.kind = static_cast<std::uint8_t>(kind);
  o.subtype = static_cast<std::uint8_t>(subtype);
  o.leaf_side = static_cast<std::uint8_t>(side);
  o.stop_width = stop_width;
  o.stop_depth = stop_depth;
  return o;
}

bool has_line(const std::vector<Call>& lines, double x1, double y1, double x2, double y2) {
  for (const Call& c : lines)
    if (std::fabs(c.v[0] - x1) < 1e-9 && std::fabs(c.v[1] - y1) < 1e-9 &&
        std::fabs(c.v[2] - x2) < 1e-9 && std::fabs(c.v[3] - y2) < 1e-9)
      return true;
  return false;
}

TEST_F(RecordTest, WallOutlineAndOpenings) {
  const std::vector<OutlineLine> lines = {{{0, -0.12}, {4, -0.12}}, {{4, -0.12}, {4, 0.12}}};
  const std::vector<Opening> openings = {opening(1, 1, 0), opening(3, 0, 0)};
  Wall* w = create_wall(d.store, wall_fields(), lines, openings);
  ASSERT_NE(w, nullptr);
  w->lines()[1].end.mark = 1;
  draw(*w);
  const auto drawn = recorder.lines();
  ASSERT_EQ(drawn.size(), 2u + 2u + 1u);  // outline, one cross, the opening's outer line
  EXPECT_EQ(drawn[0].pen, 5);
  EXPECT_EQ(drawn[0].lt, 2);
  EXPECT_TRUE(has_line(drawn, 1, -0.12, 2, -0.12));
  EXPECT_EQ(drawn.back().pen, 0);  // symbols have their own pens

  // A record whose counts run past its end is not read beyond it.
  w->line_count = 100000;
  EXPECT_TRUE(draw(*w).empty());
}

TEST_F(RecordTest, ARecordBuiltTheOtherWayRoundStillOpensIntoTheWall) {
  // Its outer face on +y; it still opens into the wall's inside.
  Opening o = opening(2, 1, 0);
  std::swap(o.corner[0], o.corner[3]);
  std::swap(o.corner[1], o.corner[2]);
  draw(o);
  EXPECT_TRUE(has_line(recorder.lines(), 1, -0.12, 1, -1.12));
  EXPECT_NEAR(recorder.arcs()[0].v[5], 3 * kPi / 2, 1e-12);
}

TEST_F(RecordTest, EverySymbolStaysAtItsOpening) {
  for (int kind = 1; kind <= 3; ++kind)
    for (int sub = 0; sub <= 7; ++sub)
      for (int side = 0; side <= 4; ++side)
        for (double stop : {0.0, 0.05}) {
          const auto calls = draw(opening(kind, sub, side, stop, stop));
          const bool symbol = sub >= 1 && sub <= 6;
          EXPECT_EQ(!calls.empty(), symbol) << kind << " " << sub << " " << side;
          for (const Call& c : calls) {
            // Everything lies within the opening's width around it, leaves and swings included.
            const int points = c.op == 'l' ? 2 : 1;
            for (int p = 0; p < points; ++p) {
              EXPECT_TRUE(std::isfinite(c.v[2 * p]) && std::isfinite(c.v[2 * p + 1]));
              EXPECT_GE(c.v[2 * p], 0.8);
              EXPECT_LE(c.v[2 * p], 2.2);
              EXPECT_LE(std::fabs(c.v[2 * p + 1]), 1.2);
            }
          }
        }
  // Removed or damaged openings draw nothing.
  EXPECT_TRUE(draw(opening(99, 1, 0)).empty());
  Opening flat = opening(2, 1, 0);
  flat.corner[1] = flat.corner[0];
  EXPECT_TRUE(draw(flat).empty());
  Opening bad = opening(2, 1, 0);
  bad.corner[2].x = std::nan("");
  bad.stop_width = std::nan("");
  draw(bad);
}

TEST_F(RenderTest, OpeningPreviewIsDrawnTwiceToErase) {
  centre_view(s.view(), s.aspect, 1.5, 0);
  const auto empty = picture();
  Opening o = opening(2, 6, 0, 0.05, 0.06);
  draw_opening_preview(s, d, o);
  EXPECT_NE(picture(), empty);
  draw_opening_preview(s, d, o);
  EXPECT_EQ(picture(), empty);
}

// ---- PNG export ----

std::filesystem::path temp_png(const std::string& name) {
  return std::filesystem::temp_directory_path() / ("korav_render_test_" + name + ".png");
}

TEST(PngExport, RefusesBadSizesAndUnwritablePaths) {
  Drawing d;
  std::string error;
  EXPECT_FALSE(export_png(d, temp_png("x").string(), 0, 100, error));
  EXPECT_NE(error.find("out of range"), std::string::npos);
  EXPECT_FALSE(export_png(d, temp_png("x").string(), 100000, 100, error));
  EXPECT_FALSE(export_png(d, temp_png("x").string(), 16000, 16000, error));
  EXPECT_FALSE(export_png(d, "", 100, 100, error));
  EXPECT_FALSE(export_png(d, "/nonexistent-dir/korav/out.png", 100, 100, error));
  EXPECT_NE(error.find("Cannot open file"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(temp_png("x")));
  // An empty drawing is a plain background.
  ASSERT_TRUE(export_png(d, temp_png("empty").string(), 10, 10, error)) << error;
  std::filesystem::remove(temp_png("empty"));
}

}  // namespace
}  // namespace korav
