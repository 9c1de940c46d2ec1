// The dimension operation: what a dimension shows (its figures, composed by its unit style) and
// how it is drawn through the line, arc, fill and text operations of the installed driver, so
// that the screen and every file output draw the same strokes.
//
// A chain draws its dimension line from the first foot to the last, an extension line from each
// measured point to its foot (a little beyond it), a mark at every foot (a stroke across the
// line and, by mark style, an oblique tick, a small circle, or arrowheads at both ends) and the
// figure of each segment centred above it. Radius and diameter dimensions draw the radius or
// the diameter with arrowheads and a leader to the through point carrying the figure; an angle
// dimension its arc between the two legs; height marks a triangle on each foot with the height
// beside it.
#pragma once

#include <string>
#include <vector>

#include "model/element.h"

namespace korav {

struct Drawing;
struct Renderer;

// One figure of a dimension and where it stands.
struct DimensionFigureText {
  int index = 0;          // the point record it belongs to
  double x = 0, y = 0;    // the anchor: the middle (align 2) or start (align 0) of its base line
  double angle = 0;       // the base line's direction, turned so that it never reads upside down
  int align = 2;          // 0 left, 2 centred
  std::string text;       // the main figure
  std::string raised;     // the superscript after it
  std::string height;     // a height figure, drawn below the line, or ""
};

// The figures of a dimension; `screen` gives overridden figures their star. The second form
// fills `out` (cleared first), so that a redraw reuses one buffer.
std::vector<DimensionFigureText> dimension_figures(const Drawing& d, const Dimension& dim,
                                                   bool screen);
void dimension_figures(const Drawing& d, const Dimension& dim, bool screen,
                       std::vector<DimensionFigureText>& out);

// Half the length of a mark in world units: the extension value (0.4 when 0) in millimetres on
// paper at the drawing scale.
double mark_half_length(const Dimension& dim, double drawing_scale);

// The world distance of a figure's base from the dimension line, and the figure height.
double figure_distance(const Dimension& dim, double drawing_scale);
double figure_world_height(const Dimension& dim, double drawing_scale);

// The dimension operation of every driver that draws through lines and texts.
void draw_dimension_strokes(Renderer& r, const Dimension& dim);

}  // namespace korav
