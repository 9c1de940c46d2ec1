#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

#include "model/settings.h"
#include "render/surface.h"

namespace korav {
namespace {

// A copy of the whole back buffer, for pixel-for-pixel comparisons.
std::vector<std::uint32_t> snapshot(const Surface& sf) {
  std::vector<std::uint32_t> px;
  px.reserve(static_cast<std::size_t>(sf.width) * sf.height);
  for (int y = 0; y < sf.height; ++y)
    for (int x = 0; x < sf.width; ++x) px.push_back(pixel_at(sf, x, y));
  return px;
}

int count_colour(const Surface& sf, std::uint32_t rgb) {
  int n = 0;
  for (int y = 0; y < sf.height; ++y)
    for (int x = 0; x < sf.width; ++x) n += pixel_at(sf, x, y) == rgb;
  return n;
}

struct SurfaceTest : ::testing::Test {
  Settings st;
  Screen s;
  std::uint32_t bg = 0, pen0 = 0, pen1 = 0;
  void SetUp() override {
    ASSERT_TRUE(configure_surface(s, kMainSurface, 64, 48, st).configured);
    bg = s.cur().pixel[kColourBackground] & 0xffffff;
    pen0 = s.cur().pixel[kColourPen] & 0xffffff;
    pen1 = s.cur().pixel[kColourPen + 1] & 0xffffff;
  }
};

TEST_F(SurfaceTest, ConfigureMakesABufferOfBackgroundAndTheInitialView) {
  const Surface& sf = s.cur();
  ASSERT_NE(back_buffer(sf), nullptr);
  EXPECT_EQ(cairo_image_surface_get_width(back_buffer(sf)), 64);
  EXPECT_EQ(count_colour(sf, bg), 64 * 48);
  EXPECT_EQ(std::tuple(sf.view.right, sf.view.bottom), std::tuple(64, 48));
  EXPECT_DOUBLE_EQ(sf.view.scale, kInitialViewScale);
  EXPECT_TRUE(sf.dirty.set);  // all of it waits to be shown

  // A later configure keeps centre and scale and reports that it is not the first.
  s.cur().view.xmin += 5;
  s.cur().view.xmax += 5;
  const double cx = (sf.view.xmin + sf.view.xmax) / 2;
  ConfigureResult r = configure_surface(s, kMainSurface, 128, 48, st);
  EXPECT_TRUE(r.configured);
  EXPECT_FALSE(r.first);
  EXPECT_NEAR((sf.view.xmin + sf.view.xmax) / 2, cx, 1e-9);
  EXPECT_NEAR(sf.view.xmax - sf.view.xmin, 128 * sf.view.units_x, 1e-9);

  s.skip_next_configure = true;
  EXPECT_FALSE(configure_surface(s, kMainSurface, 10, 10, st).configured);
  EXPECT_EQ(sf.width, 128);  // skipped
  EXPECT_FALSE(s.skip_next_configure);
  EXPECT_FALSE(configure_surface(s, 8, 10, 10, st).configured);
  EXPECT_FALSE(configure_surface(s, -1, 10, 10, st).configured);
}

// Line shapes and widths are in the render gallery's pictures; the rounding is not.
TEST_F(SurfaceTest, ThinLinesLandOnTheirRoundedPixels) {
  draw_line(s, 0, kColourPen, 5, 10, 20, 10);
  draw_line(s, 0, kColourPen + 1, 2.6, 40.4, 2.6, 40.4);
  present(s);
  EXPECT_EQ(count_colour(s.cur(), pen0), 16);
  EXPECT_EQ(pixel_at(s.cur(), 3, 40), pen1);
}

TEST_F(SurfaceTest, OneColourIsBatchedUpTo1024Segments) {
  const unsigned long before = s.batch.flushes;
  for (int i = 0; i < 1025; ++i) draw_line(s, 0, kColourPen, i % 64, 0, i % 64, 47);
  EXPECT_EQ(std::tuple(s.batch.flushes - before, s.batch.last_flush_size, s.batch.count),
            std::tuple(1u, 1024, 1));
  present(s);
  EXPECT_EQ(std::tuple(s.batch.flushes - before, s.batch.last_flush_size, s.batch.count),
            std::tuple(2u, 1, 0));
}

TEST_F(SurfaceTest, LinesOfAnyColourAndWidthShareOneBatch) {
  const unsigned long before = s.batch.flushes;
  for (int i = 0; i < 10; ++i) draw_line(s, i % 2, kColourPen + i % 2, i, 0, i, 10);
  draw_rgb_line(s, 0, 0, 1, 10, 0, 10, 10);
  draw_line(s, 3, kColourPen + 1, 20, 20, 25, 25);
  draw_line(s, 3, kColourPen, 30, 20, 35, 25);  // another colour
  draw_line(s, 4, kColourPen, 30, 30, 35, 35);  // another width
  draw_line(s, 0, kColourPen, 40, 0, 40, 10);   // thin again
  EXPECT_EQ(std::tuple(s.batch.flushes - before, s.batch.count), std::tuple(0u, 15));
  // Wide over thin and thin over wide: each later line covers the earlier ones.
  draw_line(s, 5, kColourPen + 1, 0, 5, 12, 5);
  draw_line(s, 0, kColourPen, 32, 22, 40, 22);
  present(s);
  EXPECT_EQ(std::tuple(s.batch.flushes - before, s.batch.last_flush_size), std::tuple(1u, 17));
  const std::tuple<int, int, std::uint32_t> want[] = {
      {0, 5, pen1}, {10, 5, pen1},  {10, 1, 0x0000ffu}, {0, 1, pen0},
      {1, 1, pen1}, {22, 22, pen1}, {33, 23, pen0},     {38, 22, pen0}};
  for (auto [x, y, rgb] : want) EXPECT_EQ(pixel_at(s.cur(), x, y), rgb) << x << " " << y;
}

TEST_F(SurfaceTest, LaterThinLinesCoverEarlierOnesOfAnyColour) {
  draw_line(s, 0, kColourPen, 0, 20, 40, 20);
  draw_line(s, 0, kColourPen + 1, 20, 0, 20, 40);
  draw_line(s, 0, kColourPen, 10, 15, 30, 25);  // through (20, 20) again
  present(s);
  EXPECT_EQ(pixel_at(s.cur(), 20, 20), pen0);
  EXPECT_EQ(pixel_at(s.cur(), 20, 10), pen1);
}

TEST_F(SurfaceTest, RgbLinesKeepTheirOwnColourToTheLastBit) {
  draw_rgb_line(s, 0, 0, 1, 0, 1, 20, 1);
  draw_rgb_line(s, 0, 1.0 / 255, 0, 0, 2, 20, 2);
  present(s);
  EXPECT_EQ(pixel_at(s.cur(), 5, 1), 0x0000ffu);
  EXPECT_EQ(pixel_at(s.cur(), 5, 2), 0x000100u);
}

TEST_F(SurfaceTest, AllBlackMapsThePens) {
  s.all_black = true;
  draw_line(s, 0, kColourPen + 5, 0, 0, 10, 0);
  draw_line(s, 0, kColourFadedPen + 5, 0, 1, 10, 1);
  draw_line(s, 0, kColourGuide, 0, 2, 10, 2);
  present(s);
  const Surface& sf = s.cur();
  EXPECT_EQ(pixel_at(sf, 5, 0), sf.pixel[kColourPen] & 0xffffff);
  EXPECT_EQ(pixel_at(sf, 5, 1), sf.pixel[kColourFadedPen] & 0xffffff);
  EXPECT_EQ(pixel_at(sf, 5, 2), sf.pixel[kColourGuide] & 0xffffff);
}

// Wide lines cover the pixels whose centres lie within half the width of the segment
// (round ends); only centres on the edge itself may go either way.
TEST_F(SurfaceTest, WideLinesCoverThePixelsWithinHalfTheirWidth) {
  std::uint32_t seed = 7;
  auto rnd = [&seed](int n) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(n));
  };
  auto distance = [](double px, double py, double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1, dy = y2 - y1, l2 = dx * dx + dy * dy;
    double t = l2 > 0 ? ((px - x1) * dx + (py - y1) * dy) / l2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - x1 - t * dx, py - y1 - t * dy);
  };
  int wrong = 0;
  for (int k = 0; k < 400; ++k) {
    // Ends up to three pixels off the buffer; level, upright and single-point lines among them.
    const int x1 = rnd(70) - 3, y1 = rnd(54) - 3;
    int x2 = rnd(70) - 3, y2 = rnd(54) - 3;
    if (k % 10 == 1) y2 = y1;
    if (k % 10 == 2) x2 = x1;
    if (k % 10 == 3) x2 = x1, y2 = y1;
    const int width = 2 + rnd(9);
    clear_surface(s);
    draw_line(s, width, kColourPen, x1, y1, x2, y2);
    flush(s);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) {
        const double d = distance(x, y, x1, y1, x2, y2) - width / 2.0;
        const bool set = pixel_at(s.cur(), x, y) == pen0;
        if ((d < -1e-9 && !set) || (d > 1e-9 && set)) ++wrong;
      }
  }
  EXPECT_EQ(wrong, 0);

  // Level and upright lines of width n take n rows or columns; a point of width 3 a 3 x 3 block.
  for (int width = 2; width <= 5; ++width) {
    clear_surface(s);
    draw_line(s, width, kColourPen, 10, 20, 40, 20);
    draw_line(s, width, kColourPen, 50, 5, 50, 40);
    flush(s);
    int rows = 0, columns = 0;
    for (int y = 0; y < 48; ++y) rows += pixel_at(s.cur(), 25, y) == pen0;
    for (int x = 0; x < 64; ++x) columns += pixel_at(s.cur(), x, 25) == pen0;
    EXPECT_EQ(rows, width);
    EXPECT_EQ(columns, width) << "upright line of width " << width;
  }
  clear_surface(s);
  draw_line(s, 3, kColourPen, 30, 30, 30, 30);
  flush(s);
  EXPECT_EQ(count_colour(s.cur(), pen0), 9);
  EXPECT_EQ(pixel_at(s.cur(), 29, 29), pen0);
  EXPECT_EQ(pixel_at(s.cur(), 31, 31), pen0);
}

TEST_F(SurfaceTest, DirtyRectangleGrowsAndPresentClipsIt) {
  std::vector<PixelBox> shown;
  s.cur().on_present = [&](const PixelBox& b) { shown.push_back(b); };
  present(s);  // the configure's full area
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], (PixelBox{0, 0, 64, 48}));
  EXPECT_FALSE(s.cur().dirty.set);

  // Wholly left, wholly above, or beyond the surface: ignored.
  draw_line(s, 0, kColourPen, -30, 5, -10, 8);
  draw_line(s, 0, kColourPen, 5, -30, 8, -10);
  draw_line(s, 0, kColourPen, 70, 5, 80, 8);
  EXPECT_FALSE(s.cur().dirty.set);
  present(s);
  EXPECT_EQ(shown.size(), 1u);

  // The first box is taken, later ones merged; each grows by width + 1.
  draw_line(s, 0, kColourPen, 10, 10, 12, 11);
  EXPECT_DOUBLE_EQ(s.cur().dirty.left, 9);
  EXPECT_DOUBLE_EQ(s.cur().dirty.bottom, 12);
  draw_line(s, 2, kColourPen, 20, 30, 25, 30);
  EXPECT_DOUBLE_EQ(s.cur().dirty.left, 9);
  EXPECT_DOUBLE_EQ(s.cur().dirty.right, 28);
  EXPECT_DOUBLE_EQ(s.cur().dirty.bottom, 33);
  present(s);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1], (PixelBox{9, 9, 19, 24}));

  // A line crossing the edge is shown clipped to the surface.
  draw_line(s, 0, kColourPen, -10, -10, 100, 5);
  present(s);
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(std::tuple(shown[2].x, shown[2].y, shown[2].width), std::tuple(0, 0, 64));
}

TEST_F(SurfaceTest, XorFiguresRestoreThePicturePixelForPixel) {
  draw_line(s, 0, kColourPen + 1, 0, 0, 63, 47);
  draw_line(s, 3, kColourPen + 3, 0, 40, 63, 5);
  present(s);
  const std::vector<std::uint32_t> before = snapshot(s.cur());
  std::vector<PixelBox> shown;
  s.cur().on_present = [&](const PixelBox& b) { shown.push_back(b); };

  xor_line(s, 3, 7, 50, 30);
  EXPECT_NE(snapshot(s.cur()), before);
  ASSERT_EQ(shown.size(), 1u);  // shown at once
  EXPECT_EQ(shown[0], (PixelBox{3, 7, 48, 24}));
  EXPECT_FALSE(s.cur().dirty.set);  // not through the dirty rectangle
  xor_line(s, 3, 7, 50, 30);
  EXPECT_EQ(snapshot(s.cur()), before);

  xor_rectangle(s, 40, 30, 10, 5);
  const std::vector<std::uint32_t> boxed = snapshot(s.cur());
  // Every outline pixel changed once, the corners included.
  EXPECT_NE(pixel_at(s.cur(), 10, 5), before[5 * 64 + 10]);
  EXPECT_NE(pixel_at(s.cur(), 40, 30), before[30 * 64 + 40]);
  xor_rectangle(s, 40, 30, 10, 5);
  EXPECT_EQ(snapshot(s.cur()), before);

  // Figures reaching off the surface, and every cursor figure.
  xor_line(s, -100, -50, 200, 300);
  xor_line(s, -100, -50, 200, 300);
  xor_rectangle(s, -5, -5, 100, 100);
  xor_rectangle(s, -5, -5, 100, 100);
  EXPECT_EQ(snapshot(s.cur()), before);
  const View& v = s.view();
  const double x = pixel_to_world_x(v, 20), y = pixel_to_world_y(v, 15);
  for (int mode : {kCursorCrossHair, kCursorPick, kCursorCorner}) {
    draw_cursor(s, mode, x, y);
    EXPECT_NE(snapshot(s.cur()), before) << mode;
    draw_cursor(s, mode, x, y);
    EXPECT_EQ(snapshot(s.cur()), before) << mode;
  }
  draw_point_marker(s, x, y);
  EXPECT_NE(pixel_at(s.cur(), 20, 15), before[15 * 64 + 20]);  // the centre shows
  draw_point_marker(s, x, y);
  EXPECT_EQ(snapshot(s.cur()), before);
}

TEST_F(SurfaceTest, XorShowsDarkOnTheBackgroundAndStaysVisibleOnBlack) {
  xor_line(s, 0, 0, 10, 0);
  EXPECT_EQ(pixel_at(s.cur(), 5, 0), 0x000000u);  // background XOR background
  st.colours.background = {0, 0, 0};
  allocate_colours(s.cur(), st);
  clear_surface(s);
  xor_line(s, 0, 0, 10, 0);
  EXPECT_EQ(pixel_at(s.cur(), 5, 0), 0xffffffu);
}

TEST_F(SurfaceTest, CursorCrossHairSpansTheSurfaceAndOnlyInside) {
  const View& v = s.view();
  const std::vector<std::uint32_t> before = snapshot(s.cur());
  draw_cursor(s, kCursorCrossHair, pixel_to_world_x(v, 20), pixel_to_world_y(v, 15));
  for (auto [x, y] : {std::pair(0, 15), {63, 15}, {20, 0}, {20, 47}, {20, 15}})
    EXPECT_NE(pixel_at(s.cur(), x, y), bg) << x << " " << y;
  draw_cursor(s, kCursorCrossHair, pixel_to_world_x(v, 20), pixel_to_world_y(v, 15));
  // Outside the surface nothing is drawn.
  draw_cursor(s, kCursorCrossHair, pixel_to_world_x(v, -5), pixel_to_world_y(v, 15));
  draw_cursor(s, kCursorPick, pixel_to_world_x(v, 20), pixel_to_world_y(v, 60));
  EXPECT_EQ(snapshot(s.cur()), before);
}

TEST_F(SurfaceTest, ClearDropsPendingLinesAndEraseShowsAtOnce) {
  draw_line(s, 0, kColourPen, 0, 0, 63, 0);  // still batched
  clear_surface(s);
  present(s);
  EXPECT_EQ(count_colour(s.cur(), bg), 64 * 48);
  draw_line(s, 0, kColourPen, 0, 0, 63, 0);
  present(s);
  std::vector<PixelBox> shown;
  s.cur().on_present = [&](const PixelBox& b) { shown.push_back(b); };
  erase_surface_and_show(s);
  EXPECT_EQ(count_colour(s.cur(), bg), 64 * 48);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], (PixelBox{0, 0, 64, 48}));
}

TEST_F(SurfaceTest, SurfacesAreIndependentAndSwitchingFlushes) {
  ASSERT_TRUE(configure_surface(s, kDoorPreview, 20, 20, st).configured);
  draw_line(s, 0, kColourPen, 0, 5, 10, 5);
  EXPECT_EQ(s.batch.count, 1);
  set_current_surface(s, kDoorPreview);
  EXPECT_EQ(s.batch.count, 0);
  EXPECT_EQ(pixel_at(s.surface[kMainSurface], 3, 5), pen0);
  draw_line(s, 0, kColourPen, 0, 6, 10, 6);
  present(s);
  EXPECT_EQ(pixel_at(s.surface[kDoorPreview], 3, 6), pen0);
  EXPECT_EQ(pixel_at(s.surface[kMainSurface], 3, 6), bg);
  // Lines on a surface that has no buffer yet are dropped.
  set_current_surface(s, kSymbolPreview);
  draw_line(s, 0, kColourPen, 0, 0, 5, 5);
  xor_line(s, 0, 0, 5, 5);
  draw_cursor(s, kCursorCrossHair, 0, 0);
  present(s);
  free_surfaces(s);
  EXPECT_EQ(back_buffer(s.surface[kMainSurface]), nullptr);
  draw_line(s, 0, kColourPen, 0, 0, 5, 5);
  present(s);
}

TEST_F(SurfaceTest, SettingsReachEverySurfaceAndDamagedValuesAreMended) {
  const double upp = s.view().units_x;
  st.aspect_x = 20;
  st.view.all_black = 1;
  st.figure_input = 5;  // feet and inches
  st.pens[1] = {{}, 0.2, 1, 0, 0};
  apply_settings(s, st);
  EXPECT_DOUBLE_EQ(s.view().units_x, 2 * upp);  // the view follows the new calibration
  EXPECT_TRUE(s.all_black);
  EXPECT_EQ(s.steps, &imperial_scale_steps());
  EXPECT_EQ(s.cur().pixel[kColourPen + 1] & 0xffffff, 0xff0000u);
  // Damaged pen colours are clamped, not wrapped; a broken calibration falls back to the default.
  std::tie(st.pens[2].red, st.pens[2].green, st.pens[2].blue) = std::tuple(7, -1, std::nan(""));
  st.aspect_x = 0;
  st.aspect_y = std::nan("");
  apply_settings(s, st);
  EXPECT_DOUBLE_EQ(s.aspect.x, 10);
  EXPECT_DOUBLE_EQ(s.aspect.y, 10);
  EXPECT_DOUBLE_EQ(s.view().units_x, upp);
  EXPECT_EQ(s.cur().colour[kColourPen + 2], (Rgb{1, 0, 0}));
}

TEST_F(SurfaceTest, FarOffFiguresStillShowTheirVisiblePart) {
  std::vector<PixelBox> shown;
  s.cur().on_present = [&](const PixelBox& b) { shown.push_back(b); };
  present(s);
  shown.clear();
  draw_line(s, 0, kColourPen, 10, 10, 1e12, 10);
  present(s);
  EXPECT_EQ(pixel_at(s.cur(), 40, 10), pen0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], (PixelBox{9, 9, 55, 2}));
  // A rubber band whose far corner is off the surface shows its near edges.
  const std::vector<std::uint32_t> before = snapshot(s.cur());
  xor_rectangle(s, 10, 20, 1e12, 1e12);
  EXPECT_NE(pixel_at(s.cur(), 40, 20), bg);
  EXPECT_NE(pixel_at(s.cur(), 10, 40), bg);
  xor_rectangle(s, 10, 20, 1e12, 1e12);
  EXPECT_EQ(snapshot(s.cur()), before);
}

TEST_F(SurfaceTest, WildCoordinatesAreClippedOrIgnored) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  draw_line(s, 0, kColourPen, nan, 0, 10, 10);
  draw_line(s, 0, kColourPen, 0, inf, 10, 10);
  draw_line(s, 9, kColourPen, -1e12, 20, 1e12, 20);
  draw_line(s, 0, kColourPen + 2, -1e15, 30, 1e15, 30);
  draw_line(s, 0, kColourPen + 3, -1e300, 1e300, 1e300, -1e300);  // imprecise, but harmless
  draw_line(s, 0, 200, 0, 40, 63, 40);                            // a colour index out of range
  xor_line(s, nan, nan, 1, 1);
  xor_rectangle(s, -1e15, -1e15, 1e15, 1e15);
  present(s);
  const Surface& sf = s.cur();
  EXPECT_EQ(pixel_at(sf, 0, 20), pen0);
  EXPECT_EQ(pixel_at(sf, 63, 20), pen0);
  EXPECT_EQ(pixel_at(sf, 40, 30), sf.pixel[kColourPen + 2] & 0xffffff);
  EXPECT_EQ(pixel_at(sf, 40, 40), pen0);
}

}  // namespace
}  // namespace korav
