// Drawing surfaces: eight double-buffered canvases (0 the main canvas, 1 to 7 the dialog
// previews), each with a back buffer, 19 colour indexes and a view record. All drawing goes
// into the back buffer; a dirty rectangle collects what changed and `present` hands that area
// to the window, which copies it from the buffer. Opaque lines are batched, 1024 at most, and
// drawn together when the batch is full, on a flush, or when a wide line of another colour or
// width comes; thin lines share a batch whatever their colours and are drawn in their order.
// Temporary figures (cursor, rubber band, point markers) are drawn with exclusive-or, so
// drawing them twice restores the picture pixel for pixel.
//
// No GTK here. The window shows a surface by painting `back_buffer(surface)` in its draw
// handler, calls `configure_surface` when the canvas gets a size, and sets `on_present` to learn
// which area to repaint (it may also poll `last_present`). The cursor figures are drawn into the
// back buffer with exclusive-or by `draw_cursor`; the window only hides the system pointer.
#pragma once

#include <cairo.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "model/pens.h"
#include "render/view.h"

namespace korav {

struct Settings;

inline constexpr int kSurfaceCount = 8;
inline constexpr int kColourCount = 19;
inline constexpr int kBatchCapacity = 1024;
inline constexpr int kMaxSurfaceSide = 16384;

enum SurfaceNumber : int {
  kMainSurface = 0,
  kTextPreview = 1,
  kDimensionPreview = 2,
  kPatternPreview = 3,
  kOpeningPreview = 4,
  kWindowPreview = 5,
  kDoorPreview = 6,
  kSymbolPreview = 7,
};

// Colour indexes: 0 background, 1 highlight, 2 guide, 3 to 10 the pens on the active layer,
// 11 to 18 the same pens faded on other layers.
enum ColourIndex : int {
  kColourBackground = 0,
  kColourHighlight = 1,
  kColourGuide = 2,
  kColourPen = 3,
  kColourFadedPen = 11,
};

// Cursor figures, chosen by the cursor mode of point input.
enum CursorMode : int {
  kCursorCrossHair = 1,  // lines across the whole surface through the pointer
  kCursorPick = 2,       // a small square pick box
  kCursorCorner = 3,     // a small cross, for corner, pan and centre points
};

struct PixelBox {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const PixelBox&) const = default;
};

struct DirtyRect {
  double left = 0, top = 0, right = 0, bottom = 0;
  bool set = false;
};

struct CairoSurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};

struct Surface {
  std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter> image;  // back buffer, RGB24
  int width = 0, height = 0;
  std::array<Rgb, kColourCount> colour{};           // as allocated (16-bit components)
  std::array<std::uint32_t, kColourCount> pixel{};  // the same as 0xffRRGGBB
  View view;
  DirtyRect dirty;
  bool created = false;  // the first configure has been done
  // Told the area to copy from the back buffer to the window; set by the window.
  std::function<void(const PixelBox&)> on_present;
  PixelBox last_present;
  unsigned present_count = 0;
};

// A batched segment in pixels, the buffer value it is drawn with and its width (0 thin; a
// width of one pixel is thin too).
struct Segment {
  std::int16_t x1, y1, x2, y2;
  std::uint32_t value;
  std::uint8_t width;
};

// Opaque lines waiting to be drawn on one surface, each with its own value and width, drawn in
// their order.
struct LineBatch {
  std::array<Segment, kBatchCapacity> segment{};
  int count = 0;
  int surface = 0;
  // Observable: how many segment calls were made and how many segments the last one held.
  unsigned long flushes = 0;
  int last_flush_size = 0;
};

// The surfaces and the state of their primitives. The shell owns one; tests make their own.
struct Screen {
  std::array<Surface, kSurfaceCount> surface;
  int current = kMainSurface;
  LineBatch batch;
  Aspect aspect;
  bool all_black = false;    // "Show all colored black"
  bool pointer_left = true;  // the pointer is outside the main canvas
  bool skip_next_configure = false;
  RememberedView remembered;
  const ScaleSteps* steps = &metric_scale_steps();

  Screen() = default;
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  Surface& cur() { return surface[current]; }
  const Surface& cur() const { return surface[current]; }
  View& view() { return surface[current].view; }
  const View& view() const { return surface[current].view; }
};

struct ConfigureResult {
  bool configured = false;  // false when skipped or the size could not be made
  bool first = false;       // the surface's first configure
};

// The canvas got a size: a new back buffer filled with colour 0, the view's pixel rectangle
// becomes (0, 0, width, height) keeping centre and view scale (the initial view on the first
// configure), the colours are allocated. The caller redraws the content afterwards.
ConfigureResult configure_surface(Screen& s, int number, int width, int height,
                                  const Settings& settings);
// Takes the display options of the settings: aspect (views recomputed when it changed), the
// all-black switch, the scale table of the length unit, and the colours of every surface.
void apply_settings(Screen& s, const Settings& settings);
void allocate_colours(Surface& surface, const Settings& settings);
// Makes another surface current; pending lines are drawn first.
void set_current_surface(Screen& s, int number);
void free_surfaces(Screen& s);

cairo_surface_t* back_buffer(const Surface& surface);
// The colour of a back-buffer pixel as 0xRRGGBB; 0 outside the buffer.
std::uint32_t pixel_at(const Surface& surface, int x, int y);

// Opaque line on the current surface, batched; width in pixels (0 the thinnest).
void draw_line(Screen& s, int width, int colour, double x1, double y1, double x2, double y2);
// The thin line (width 0) of draw_line between two points inside the buffer (0 <= x <= width - 1,
// 0 <= y <= height - 1, which the caller has made sure of): the same pixels, without the checks
// and the clipping that draw_line needs for any other line.
void draw_thin_line_inside(Screen& s, int colour, double x1, double y1, double x2, double y2);
// Opaque line in any colour (components 0 to 1), width 0.
void draw_rgb_line(Screen& s, double r, double g, double b, double x1, double y1, double x2,
                   double y2);
// Exclusive-or figures, drawn at once and shown at once (not through the dirty rectangle).
void xor_line(Screen& s, double x1, double y1, double x2, double y2);
void xor_rectangle(Screen& s, double x1, double y1, double x2, double y2);
// The same with world coordinates through the current view.
void xor_line_world(Screen& s, double x1, double y1, double x2, double y2);

// Fills the current surface with colour 0 and marks it all dirty.
void clear_surface(Screen& s);
// Fills with colour 0 and shows the whole surface at once.
void erase_surface_and_show(Screen& s);
// Draws the batched lines now.
void flush(Screen& s);
// Flushes and hands the dirty rectangle (clipped to the surface) to the window.
void present(Screen& s);
// Grows the dirty rectangle of a surface by a box in pixels.
void grow_dirty(Surface& surface, double left, double top, double right, double bottom);

// The cursor figure of a mode at a world position; drawn only while the position is inside the
// surface. Drawing it twice erases it.
void draw_cursor(Screen& s, int mode, double x, double y);
// The small cross marking a point taken by point input; drawing it twice erases it.
void draw_point_marker(Screen& s, double x, double y);

}  // namespace korav
