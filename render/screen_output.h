// The screen's output operations: world coordinates are clipped to the view, turned into pixels
// and drawn with the line primitive of the current surface, in the colour of the renderer's
// colour class, with the pen's width and the line type's dashes.
#pragma once

#include "render/output_driver.h"

namespace korav {

struct Screen;

OutputDriver screen_driver(Screen& s);
// Operations that draw every stroke with exclusive-or on the current surface (arcs as 24
// chords), for previews while something is being placed; drawing twice erases.
OutputDriver xor_driver(Screen& s);

void screen_line(Renderer& r, int pen, int line_type, double x1, double y1, double x2, double y2);
void screen_arc(Renderer& r, int pen, int line_type, double cx, double cy, double a, double b,
                double sweep, double start, double rotation);
void screen_spline(Renderer& r, int pen, int line_type, const Point2& p0, const Point2& p1,
                   const Point2& p2, const Point2& p3);

// Chords of an arc: from d = (a + b) x 50 / view scale, 12 or 24 to a quarter turn for curves
// small on screen, up to 120 for large ones; at least 1, doubled on vector output.
int arc_chord_count(double a, double b, double sweep, double view_scale, bool vector_output);
// Chord divisor of a spline (not rounded), 12 to 120, doubled on vector output.
double spline_divisions(const Point2& p0, const Point2& p1, const Point2& p2, const Point2& p3,
                        double units_per_pixel, bool vector_output);
// Pixel width of a pen's lines: 0 unless "Show exact line thickness" is on in the plan view.
int line_pixel_width(Renderer& r, int pen);

}  // namespace korav
