// Painting a drawing surface's back buffer onto its widget (the canvas, a dialog's preview).
#pragma once

#include <cairo.h>

namespace korav {

struct App;

// Paints a widget of width x height pixels showing surface `number` (the main surface unless
// told): the back buffer where it has one, the display background elsewhere.
void paint_canvas(App& app, cairo_t* cr, int width, int height, int number = 0);

}  // namespace korav
