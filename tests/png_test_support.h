// A PNG file read back for the tests: its size and its pixels as 0xRRGGBB.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace korav {

struct Png {
  int width = 0, height = 0;
  std::vector<std::uint32_t> px;
  std::uint32_t at(int x, int y) const { return px[static_cast<std::size_t>(y * width + x)]; }
  // Pixels that differ from the corner pixel (the background).
  int drawn() const {
    int n = 0;
    for (std::uint32_t p : px) n += p != px[0];
    return n;
  }
};

inline bool read_png(const std::string& path, Png& png) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return false;
  }
  png.width = cairo_image_surface_get_width(s);
  png.height = cairo_image_surface_get_height(s);
  const int stride = cairo_image_surface_get_stride(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  png.px.resize(static_cast<std::size_t>(png.width * png.height));
  for (int y = 0; y < png.height; ++y)
    for (int x = 0; x < png.width; ++x)
      png.px[static_cast<std::size_t>(y * png.width + x)] =
          reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFFu;
  cairo_surface_destroy(s);
  return true;
}

}  // namespace korav
