#include "render/surface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "model/settings.h"
#include "render/clip.h"

namespace korav {

namespace {

// Far-off coordinates are held to a range an int can take; clipping does the rest.
int round_pixel(double v) { return static_cast<int>(std::floor(std::clamp(v, -1e9, 1e9) + 0.5)); }

std::uint16_t component16(double c) {
  if (!(c >= 0)) c = 0;  // also NaN
  if (c > 1) c = 1;
  return static_cast<std::uint16_t>(c * 65535);
}

Rgb allocated(double r, double g, double b) {
  return {component16(r) / 65535.0, component16(g) / 65535.0, component16(b) / 65535.0};
}

std::uint32_t to_pixel(const Rgb& c) {
  const auto r = static_cast<std::uint32_t>(component16(c.red) >> 8);
  const auto g = static_cast<std::uint32_t>(component16(c.green) >> 8);
  const auto b = static_cast<std::uint32_t>(component16(c.blue) >> 8);
  return 0xff000000u | r << 16 | g << 8 | b;
}

std::uint32_t* pixels(const Surface& sf) {
  return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(sf.image.get()));
}
int stride_pixels(const Surface& sf) { return cairo_image_surface_get_stride(sf.image.get()) / 4; }

// One-pixel line between two points inside the buffer; every pixel is visited exactly once.
template <class Op>
void raster(std::uint32_t* data, int stride, int x0, int y0, int x1, int y1, Op op) {
  std::uint32_t* p = data + static_cast<std::ptrdiff_t>(y0) * stride + x0;
  const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const std::ptrdiff_t sy = y0 < y1 ? stride : -stride;
  if (dy == 0) {
    for (int i = 0; i <= dx; ++i, p += sx) op(*p);
  } else if (dx == 0) {
    for (int i = 0; i <= dy; ++i, p += sy) op(*p);
  } else if (dx >= dy) {
    int err = dx / 2;
    for (int i = 0; i <= dx; ++i) {
      op(*p);
      err -= dy;
      if (err < 0) {
        p += sy;
        err += dx;
      }
      p += sx;
    }
  } else {
    int err = dy / 2;
    for (int i = 0; i <= dy; ++i) {
      op(*p);
      err -= dx;
      if (err < 0) {
        p += sx;
        err += dy;
      }
      p += sy;
    }
  }
}

// A line of `width` pixels with round ends between two pixel centres, on a buffer of w x h:
// every pixel whose centre lies within half the width of the segment. A centre on the edge
// counts on the top and left side and not on the bottom and right one, so that a level or
// upright line of width n covers n rows or columns; lines of one path thus join round. Each
// row is the union of the band along the segment and the two end discs; the band's edges move
// by a fixed step from row to row.
void wide_line(std::uint32_t* data, int stride, int w, int h, int x1, int y1, int x2, int y2,
               int width, std::uint32_t value) {
  const double r = width * 0.5, rr = r * r;
  const double dx = x2 - x1, dy = y2 - y1;
  const double len = std::sqrt(dx * dx + dy * dy);
  const int top = std::max(0, static_cast<int>(std::ceil(std::min(y1, y2) - r)));
  const int bottom = std::min(h - 1, static_cast<int>(std::ceil(std::max(y1, y2) + r)) - 1);
  // The band at row j: across the axis within r, x from centre - half to centre + half; along
  // it between the perpendiculars through the ends, x from near to far (level lines: all of
  // their length, on every row within r).
  const double centre_step = dy != 0 ? dx / dy : 0, half = dy != 0 ? r * len / std::fabs(dy) : 0;
  const double end_step = dx != 0 ? -dy / dx : 0, end_gap = dx != 0 ? len * len / dx : 0;
  for (int j = top; j <= bottom; ++j) {
    double lo = 1e300, hi = -1e300;
    // The two round ends.
    for (const auto& [ex, ey] : {std::pair{x1, y1}, std::pair{x2, y2}}) {
      const double t = j - ey, q = rr - t * t;
      if (q < 0) continue;
      const double s = std::sqrt(q);
      lo = std::min(lo, ex - s);
      hi = std::max(hi, ex + s);
    }
    if (len > 0) {
      const double rel = j - y1;
      double a, b;  // the band's extent on the row, from x1
      if (dy == 0) {
        a = std::min(0.0, dx);
        b = std::max(0.0, dx);
      } else {
        const double c = rel * centre_step;
        a = c - half;
        b = c + half;
        if (dx != 0) {
          const double near = rel * end_step, far = near + end_gap;
          a = std::max(a, std::min(near, far));
          b = std::min(b, std::max(near, far));
        } else if (rel * dy < 0 || rel * dy > len * len) {
          a = 1, b = -1;  // upright: beyond an end
        }
      }
      if (a <= b) {
        lo = std::min(lo, x1 + a);
        hi = std::max(hi, x1 + b);
      }
    }
    if (!(lo <= hi)) continue;
    const int i0 = static_cast<int>(std::max(0.0, std::ceil(lo)));
    const int i1 = static_cast<int>(std::min(w - 1.0, std::ceil(hi) - 1));
    if (i0 <= i1) std::fill(data + static_cast<std::ptrdiff_t>(j) * stride + i0,
                            data + static_cast<std::ptrdiff_t>(j) * stride + i1 + 1, value);
  }
}

// Clips a pixel-space segment to the buffer and rasterises it with `op`; returns the bounding
// box of what was drawn (empty width when nothing).
template <class Op>
PixelBox raster_clipped(const Surface& sf, double x1, double y1, double x2, double y2, Op op) {
  if (!sf.image) return {};
  if (!clip_segment(x1, y1, x2, y2, 0, 0, sf.width - 1, sf.height - 1)) return {};
  const int ix1 = std::clamp(round_pixel(x1), 0, sf.width - 1);
  const int iy1 = std::clamp(round_pixel(y1), 0, sf.height - 1);
  const int ix2 = std::clamp(round_pixel(x2), 0, sf.width - 1);
  const int iy2 = std::clamp(round_pixel(y2), 0, sf.height - 1);
  raster(pixels(sf), stride_pixels(sf), ix1, iy1, ix2, iy2, op);
  const int l = std::min(ix1, ix2), t = std::min(iy1, iy2);
  return {l, t, std::max(ix1, ix2) - l + 1, std::max(iy1, iy2) - t + 1};
}

// The value XORed into the buffer: the background colour, so that a figure shows dark on the
// background; a black background would make it invisible, so white is used then.
std::uint32_t xor_mask(const Surface& sf) {
  const std::uint32_t m = sf.pixel[kColourBackground] & 0x00ffffffu;
  return m ? m : 0x00ffffffu;
}

int mapped_colour(const Screen& s, int colour) {
  if (!s.all_black) return colour;
  if (colour >= kColourPen && colour < kColourFadedPen) return kColourPen;
  if (colour >= kColourFadedPen) return kColourFadedPen;
  return colour;
}

void show_now(Surface& sf, const PixelBox& box) {
  if (box.width <= 0 || box.height <= 0) return;
  sf.last_present = box;
  ++sf.present_count;
  if (sf.on_present) sf.on_present(box);
}

PixelBox unite(const PixelBox& a, const PixelBox& b) {
  if (a.width <= 0) return b;
  if (b.width <= 0) return a;
  const int l = std::min(a.x, b.x), t = std::min(a.y, b.y);
  const int r = std::max(a.x + a.width, b.x + b.width),
            bt = std::max(a.y + a.height, b.y + b.height);
  return {l, t, r - l, bt - t};
}

// Appends a segment in pixels to the batch, clipped to the buffer (widened by the line width so
// that wide lines keep their caps), and draws the batch when it is full.
void append_segment(Screen& s, const Surface& sf, int width, std::uint32_t value, double x1,
                    double y1, double x2, double y2) {
  const int w = width > 1 ? width : 0;
  const double m = w > 0 ? w + 1 : 0;
  const double r = sf.width - 1 + m, bt = sf.height - 1 + m;
  const bool inside =
      x1 >= -m && x1 <= r && x2 >= -m && x2 <= r && y1 >= -m && y1 <= bt && y2 >= -m && y2 <= bt;
  if (!inside && !clip_segment(x1, y1, x2, y2, -m, -m, r, bt)) return;
  LineBatch& b = s.batch;
  b.segment[b.count++] = {static_cast<std::int16_t>(round_pixel(x1)),
                          static_cast<std::int16_t>(round_pixel(y1)),
                          static_cast<std::int16_t>(round_pixel(x2)),
                          static_cast<std::int16_t>(round_pixel(y2)), value,
                          static_cast<std::uint8_t>(w)};
  if (b.count == kBatchCapacity) flush(s);
}

// Makes the batch take lines on the current surface, drawing what it holds for another.
void take_surface(Screen& s) {
  LineBatch& b = s.batch;
  if (b.surface == s.current) return;
  flush(s);
  b.surface = s.current;
}

bool finite4(double a, double b, double c, double d) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

}  // namespace

cairo_surface_t* back_buffer(const Surface& surface) { return surface.image.get(); }

std::uint32_t pixel_at(const Surface& sf, int x, int y) {
  if (!sf.image || x < 0 || y < 0 || x >= sf.width || y >= sf.height) return 0;
  return pixels(sf)[static_cast<std::ptrdiff_t>(y) * stride_pixels(sf) + x] & 0x00ffffffu;
}

void allocate_colours(Surface& sf, const Settings& st) {
  const Rgb bg = st.colours.background;
  sf.colour[kColourBackground] = allocated(bg.red, bg.green, bg.blue);
  sf.colour[kColourHighlight] =
      allocated(st.colours.active.red, st.colours.active.green, st.colours.active.blue);
  sf.colour[kColourGuide] =
      allocated(st.colours.guide.red, st.colours.guide.green, st.colours.guide.blue);
  for (int p = 0; p < kPenCount; ++p) {
    const Pen& pen = st.pens[p];
    sf.colour[kColourPen + p] = allocated(pen.red, pen.green, pen.blue);
    sf.colour[kColourFadedPen + p] =
        allocated((2 * pen.red + 3 * bg.red) / 5, (2 * pen.green + 3 * bg.green) / 5,
                  (2 * pen.blue + 3 * bg.blue) / 5);
  }
  for (int i = 0; i < kColourCount; ++i) sf.pixel[i] = to_pixel(sf.colour[i]);
}

void apply_settings(Screen& s, const Settings& st) {
  const Aspect a{st.aspect_x > 0 && std::isfinite(st.aspect_x) ? st.aspect_x : 10,
                 st.aspect_y > 0 && std::isfinite(st.aspect_y) ? st.aspect_y : 10};
  const bool aspect_changed = a.x != s.aspect.x || a.y != s.aspect.y;
  flush(s);  // pending lines keep the colours they were drawn with
  s.aspect = a;
  s.all_black = st.view.all_black != 0;
  s.steps = &scale_steps_for_unit(static_cast<int>(st.figure_input));
  for (Surface& sf : s.surface) {
    if (!sf.created) continue;
    allocate_colours(sf, st);
    if (aspect_changed) recompute_view(sf.view, s.aspect);
  }
}

ConfigureResult configure_surface(Screen& s, int number, int width, int height,
                                  const Settings& st) {
  ConfigureResult res;
  if (number < 0 || number >= kSurfaceCount) return res;
  if (s.skip_next_configure) {
    s.skip_next_configure = false;
    return res;
  }
  Surface& sf = s.surface[number];
  if (s.batch.surface == number) s.batch.count = 0;  // the old buffer goes; so do its lines
  sf.image.reset();
  sf.width = sf.height = 0;
  width = std::clamp(width, 1, kMaxSurfaceSide);
  height = std::clamp(height, 1, kMaxSurfaceSide);
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(img);
    return res;
  }
  sf.image.reset(img);
  sf.width = width;
  sf.height = height;
  if (!sf.created) {
    sf.created = true;
    res.first = true;
    reset_view(sf.view, s.aspect);
  }
  set_view_pixel_size(sf.view, width, height, s.aspect);
  allocate_colours(sf, st);
  std::fill_n(pixels(sf), static_cast<std::size_t>(stride_pixels(sf)) * height,
              sf.pixel[kColourBackground]);
  cairo_surface_mark_dirty(img);
  sf.dirty = {0, 0, static_cast<double>(width), static_cast<double>(height), true};
  res.configured = true;
  return res;
}

void set_current_surface(Screen& s, int number) {
  if (number < 0 || number >= kSurfaceCount || number == s.current) return;
  flush(s);
  s.current = number;
}

void free_surfaces(Screen& s) {
  s.batch.count = 0;
  for (Surface& sf : s.surface) {
    sf.image.reset();
    sf.width = sf.height = 0;
    sf.created = false;
    sf.dirty = {};
  }
}

void grow_dirty(Surface& sf, double left, double top, double right, double bottom) {
  if (right < 0 || bottom < 0 || left > sf.width || top > sf.height) return;
  if (sf.dirty.set && sf.dirty.left <= 0 && sf.dirty.top <= 0 && sf.dirty.right >= sf.width &&
      sf.dirty.bottom >= sf.height)
    return;  // all of it already (after a clear): nothing can grow it
  if (!sf.dirty.set) {
    sf.dirty = {left, top, right, bottom, true};
    return;
  }
  sf.dirty.left = std::min(sf.dirty.left, left);
  sf.dirty.top = std::min(sf.dirty.top, top);
  sf.dirty.right = std::max(sf.dirty.right, right);
  sf.dirty.bottom = std::max(sf.dirty.bottom, bottom);
}

void flush(Screen& s) {
  LineBatch& b = s.batch;
  if (b.count == 0) return;
  Surface& sf = s.surface[b.surface];
  if (sf.image) {
    std::uint32_t* data = pixels(sf);
    const int stride = stride_pixels(sf);
    for (int i = 0; i < b.count; ++i) {
      const Segment& g = b.segment[i];
      const std::uint32_t value = g.value;
      if (g.width == 0)
        raster(data, stride, g.x1, g.y1, g.x2, g.y2, [value](std::uint32_t& p) { p = value; });
      else
        wide_line(data, stride, sf.width, sf.height, g.x1, g.y1, g.x2, g.y2, g.width, value);
    }
  }
  ++b.flushes;
  b.last_flush_size = b.count;
  b.count = 0;
}

void draw_line(Screen& s, int width, int colour, double x1, double y1, double x2, double y2) {
  if (colour < 0 || colour >= kColourCount) colour = kColourPen;
  width = std::clamp(width, 0, 255);
  Surface& sf = s.cur();
  // The value is taken now: settings that change the colours flush first (apply_settings).
  const std::uint32_t value = sf.pixel[mapped_colour(s, colour)];
  take_surface(s);
  if (!sf.image || !finite4(x1, y1, x2, y2)) return;
  append_segment(s, sf, width, value, x1, y1, x2, y2);
  const double m = width + 1;
  grow_dirty(sf, std::min(x1, x2) - m, std::min(y1, y2) - m, std::max(x1, x2) + m,
             std::max(y1, y2) + m);
}

void draw_thin_line_inside(Screen& s, int colour, double x1, double y1, double x2, double y2) {
  if (colour < 0 || colour >= kColourCount) colour = kColourPen;
  Surface& sf = s.cur();
  const std::uint32_t value = sf.pixel[mapped_colour(s, colour)];
  LineBatch& b = s.batch;
  take_surface(s);
  // Not negative: truncation rounds as round_pixel does.
  b.segment[b.count++] = {static_cast<std::int16_t>(x1 + 0.5), static_cast<std::int16_t>(y1 + 0.5),
                          static_cast<std::int16_t>(x2 + 0.5), static_cast<std::int16_t>(y2 + 0.5),
                          value, 0};
  if (b.count == kBatchCapacity) flush(s);
  grow_dirty(sf, std::min(x1, x2) - 1, std::min(y1, y2) - 1, std::max(x1, x2) + 1,
             std::max(y1, y2) + 1);
}

void draw_rgb_line(Screen& s, double r, double g, double bl, double x1, double y1, double x2,
                   double y2) {
  const std::uint32_t value = 0xff000000u | to_pixel(Rgb{r, g, bl});
  take_surface(s);
  Surface& sf = s.cur();
  if (!sf.image || !finite4(x1, y1, x2, y2)) return;
  append_segment(s, sf, 0, value, x1, y1, x2, y2);
  grow_dirty(sf, std::min(x1, x2) - 1, std::min(y1, y2) - 1, std::max(x1, x2) + 1,
             std::max(y1, y2) + 1);
}

void xor_line(Screen& s, double x1, double y1, double x2, double y2) {
  Surface& sf = s.cur();
  if (!sf.image || !finite4(x1, y1, x2, y2)) return;
  flush(s);
  const std::uint32_t mask = xor_mask(sf);
  show_now(sf, raster_clipped(sf, x1, y1, x2, y2, [mask](std::uint32_t& p) { p ^= mask; }));
}

void xor_rectangle(Screen& s, double x1, double y1, double x2, double y2) {
  Surface& sf = s.cur();
  if (!sf.image || !finite4(x1, y1, x2, y2)) return;
  flush(s);
  const std::uint32_t mask = xor_mask(sf);
  auto op = [mask](std::uint32_t& p) { p ^= mask; };
  int l = round_pixel(std::min(x1, x2)), r = round_pixel(std::max(x1, x2));
  int t = round_pixel(std::min(y1, y2)), b = round_pixel(std::max(y1, y2));
  // Each pixel of the outline exactly once, so that the corners show.
  PixelBox box = raster_clipped(sf, l, t, r, t, op);
  if (b != t) box = unite(box, raster_clipped(sf, l, b, r, b, op));
  if (b - t > 1) {
    box = unite(box, raster_clipped(sf, l, t + 1, l, b - 1, op));
    if (r != l) box = unite(box, raster_clipped(sf, r, t + 1, r, b - 1, op));
  }
  show_now(sf, box);
}

void xor_line_world(Screen& s, double x1, double y1, double x2, double y2) {
  const View& v = s.view();
  if (!(v.units_x > 0) || !(v.units_y > 0)) return;
  xor_line(s, world_to_pixel_x(v, x1), world_to_pixel_y(v, y1), world_to_pixel_x(v, x2),
           world_to_pixel_y(v, y2));
}

void clear_surface(Screen& s) {
  Surface& sf = s.cur();
  if (s.batch.surface == s.current) s.batch.count = 0;  // would be painted over anyway
  if (!sf.image) return;
  std::fill_n(pixels(sf), static_cast<std::size_t>(stride_pixels(sf)) * sf.height,
              sf.pixel[kColourBackground]);
  cairo_surface_mark_dirty(sf.image.get());
  sf.dirty = {0, 0, static_cast<double>(sf.width), static_cast<double>(sf.height), true};
}

void erase_surface_and_show(Screen& s) {
  clear_surface(s);
  Surface& sf = s.cur();
  if (!sf.image) return;
  sf.dirty.set = false;
  show_now(sf, {0, 0, sf.width, sf.height});
}

void present(Screen& s) {
  flush(s);
  Surface& sf = s.cur();
  if (!sf.dirty.set) return;
  sf.dirty.set = false;
  // Clipped as doubles: a far-off line may have grown the rectangle beyond any int.
  const int l = static_cast<int>(std::floor(std::max(0.0, sf.dirty.left)));
  const int t = static_cast<int>(std::floor(std::max(0.0, sf.dirty.top)));
  const int r = static_cast<int>(std::ceil(std::min<double>(sf.width, sf.dirty.right)));
  const int b = static_cast<int>(std::ceil(std::min<double>(sf.height, sf.dirty.bottom)));
  if (r > l && b > t) show_now(sf, {l, t, r - l, b - t});
}

void draw_cursor(Screen& s, int mode, double x, double y) {
  Surface& sf = s.cur();
  const View& v = sf.view;
  if (!sf.image || !(v.units_x > 0) || !(v.units_y > 0)) return;
  const double fx = world_to_pixel_x(v, x), fy = world_to_pixel_y(v, y);
  if (!std::isfinite(fx) || !std::isfinite(fy)) return;
  const int px = round_pixel(fx), py = round_pixel(fy);
  if (px < 0 || py < 0 || px >= sf.width || py >= sf.height) return;
  switch (mode) {
    case kCursorPick: xor_rectangle(s, px - 4, py - 4, px + 4, py + 4); break;
    case kCursorCorner:
      xor_line(s, px - 10, py, px + 10, py);
      xor_line(s, px, py - 10, px, py - 1);
      xor_line(s, px, py + 1, px, py + 10);
      break;
    default:  // the cross-hair
      xor_line(s, 0, py, sf.width - 1, py);
      if (py > 0) xor_line(s, px, 0, px, py - 1);
      if (py < sf.height - 1) xor_line(s, px, py + 1, px, sf.height - 1);
      break;
  }
}

void draw_point_marker(Screen& s, double x, double y) {
  const View& v = s.view();
  if (!(v.units_x > 0) || !(v.units_y > 0)) return;
  const double fx = world_to_pixel_x(v, x), fy = world_to_pixel_y(v, y);
  if (!std::isfinite(fx) || !std::isfinite(fy) || std::fabs(fx) > 1e6 || std::fabs(fy) > 1e6)
    return;
  const int px = round_pixel(fx), py = round_pixel(fy);
  // A diagonal cross; the second stroke leaves out the centre the first one took.
  xor_line(s, px - 3, py - 3, px + 3, py + 3);
  xor_line(s, px - 3, py + 3, px - 1, py + 1);
  xor_line(s, px + 1, py - 1, px + 3, py - 3);
}

}  // namespace korav
