#include "app/gtk/canvas_paint.h"

#include "app/app.h"
#include "render/surface.h"

namespace korav {

void paint_canvas(App& app, cairo_t* cr, int width, int height, int number) {
  const Surface& s = app.screen().surface[number];
  // Where the back buffer does not reach (before the first configure, or while a resize is
  // on its way) the display background shows.
  if (s.created) {
    const std::uint32_t bg = s.pixel[kColourBackground];
    cairo_set_source_rgb(cr, ((bg >> 16) & 0xff) / 255.0, ((bg >> 8) & 0xff) / 255.0,
                         (bg & 0xff) / 255.0);
  } else {
    cairo_set_source_rgb(cr, 1, 1, 1);
  }
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_fill(cr);
  if (cairo_surface_t* buffer = back_buffer(s)) {
    cairo_surface_flush(buffer);
    cairo_set_source_surface(cr, buffer, 0, 0);
    cairo_paint(cr);
  }
}

}  // namespace korav
