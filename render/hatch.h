// Hatching and filling of patterns. The hatch lines and points of a pattern are never stored:
// they are computed by scanlines every time the pattern is drawn, from its origins, angles and
// spacings, so that neighbouring patterns with equal values line up (the scanlines are anchored
// to the world origin through the pattern's origin).
//
// The scanline rules: the outline is turned by −angle; its sub-polygons (ended by separator
// points) give edges, horizontal ones dropped; scanlines run at the origin's y plus whole
// spacings; a scanline that meets the height of an edge end is moved up by 1e-5 (and the shift
// stays for the following ones); the sorted crossings are taken in pairs (even-odd), so holes
// stay empty whatever the orientation of the sub-polygons.
//
// Nothing here allocates per call once the scratch buffers have grown to the largest outline.
#pragma once

#include <span>

#include "model/element.h"

namespace korav {

struct Renderer;
struct Screen;

// A world rectangle the scanlines of a screen hatch are limited to (the visible area); the
// result within it is the same as without it.
struct HatchWindow {
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
};

// Receives the hatch strokes in world coordinates; a point of the point hatch comes as a
// segment of zero length.
using HatchSink = void (*)(void* context, double x1, double y1, double x2, double y2);

// More scanlines (or points on one scanline) than this make a hatch too dense to draw: it is
// left out rather than tying the program up.
inline constexpr double kMaxHatchScanlines = 2'000'000;

// The line hatch of one line family through (ox, oy) at `angle` and `spacing`. Nothing for a
// spacing that is not positive or a value that is not finite. Returns the number of strokes.
long hatch_lines(std::span<const Point2> outline, double ox, double oy, double angle,
                 double spacing, const HatchWindow* window, HatchSink sink, void* context);
// The point hatch: along every scanline piece a point at every whole spacing from the origin.
long hatch_points(std::span<const Point2> outline, double ox, double oy, double angle,
                  double spacing, const HatchWindow* window, HatchSink sink, void* context);

// The renderer's hatch routine (Renderer::hatch): routine 0 the first line family, 1 the
// second (its pen, line type, the offset point as origin, its angle and spacing), 2 the point
// hatch of the first family. On the screen it draws nothing with "Show patterns" off, takes at
// least one pixel as spacing and skips patterns outside the view.
void hatch_pattern(Renderer& r, const Pattern& p, int routine);

// The colour of a filling on the screen: its own, the highlight colour when highlighted, the
// background when erased, and on other layers the mean of its colour and the background.
struct FillColour {
  double r = 0, g = 0, b = 0;
};
FillColour fill_colour(const Renderer& r, const Pattern& p);

// The screen's fill operation: horizontal pixel lines, one a pixel row, over the visible part
// of the outline. Vector outputs install their own polygon fill instead.
void screen_pattern_fill(Renderer& r, const Pattern& p);

}  // namespace korav
