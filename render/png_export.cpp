#include "render/png_export.h"

#include <memory>

#include "model/drawing.h"
#include "render/renderer.h"

namespace korav {

namespace {

// Keeps an export within a few hundred megabytes of pixels.
constexpr long long kMaxPixels = 64ll * 1024 * 1024;

}  // namespace

bool export_png(const Drawing& d, const std::string& path, int width, int height,
                std::string& error, FontTable* fonts) {
  if (path.empty()) {
    error = "No output file given";
    return false;
  }
  if (width < 1 || height < 1 || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
      static_cast<long long>(width) * height > kMaxPixels) {
    error = "Image size " + std::to_string(width) + "x" + std::to_string(height) +
            " is out of range (1 to " + std::to_string(kMaxSurfaceSide) + " pixels a side)";
    return false;
  }
  auto display = std::make_unique<Display>();
  Screen& s = display->screen;
  apply_settings(s, d.settings);
  if (!configure_surface(s, kMainSurface, width, height, d.settings).configured) {
    error = "Cannot make an image of " + std::to_string(width) + "x" + std::to_string(height);
    return false;
  }
  display->renderer.fonts = fonts;
  display->renderer.view_number = 0;  // always the plan view
  show_all(s.view(), s.aspect, d, 0);
  redraw(display->renderer, s, d);
  cairo_surface_t* img = back_buffer(s.cur());
  cairo_surface_mark_dirty(img);
  const cairo_status_t st = cairo_surface_write_to_png(img, path.c_str());
  if (st != CAIRO_STATUS_SUCCESS) {
    error = "Cannot open file " + path + " (" + cairo_status_to_string(st) + ")";
    return false;
  }
  return true;
}

}  // namespace korav
