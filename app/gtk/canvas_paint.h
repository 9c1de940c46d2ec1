// Painting the drawing surface's back buffer onto the canvas.
#pragma once

#include <cairo.h>

namespace korav {

struct App;

// Paints the canvas of width x height pixels: the back buffer where it has one, the display
// background elsewhere.
void paint_canvas(App& app, cairo_t* cr, int width, int height);

}  // namespace korav
