// The export rectangle and the paper units shared by the vector outputs (SVG, PDF, EPS and the
// PostScript page).
//
// Paper units: a length L in metres of the drawing, drawn at the scale 1:N, is L / N x 100 x
// 72 / 2.54 points on paper; a pen thickness or dash length T in paper millimetres is
// 7.2 x T / 2.54 points. SVG counts pixels at 90 an inch: 1.25 of them a point.
//
// The extents of an export are the extents of what the renderer draws for the marked elements
// (a text's strokes, a dimension's lines and figures, not only the defining points), so that a
// text that runs past its insertion point is not cut off at the page edge. They are enlarged on
// every side by a margin of two paper units plus half the widest pen drawn.
#pragma once

#include "render/view.h"

namespace korav {

struct Drawing;
struct FontTable;

inline constexpr double kPointsPerInch = 72;
inline constexpr double kSvgPixelsPerPoint = 1.25;
inline constexpr double kPageMarginUnits = 2;

// Paper units of a metre of the drawing at 1:scale, with `units_per_point` units a point.
double units_per_metre(double scale, double units_per_point);
// Paper units of a millimetre on paper.
double units_per_millimetre(double units_per_point);

// A world rectangle: lower-left corner, width and height in metres.
struct ExportRect {
  double left = 0, bottom = 0, width = 0, height = 0;
  double right() const { return left + width; }
  double top() const { return bottom + height; }
  bool contains(double x, double y) const {
    return x >= left && x <= right() && y >= bottom && y <= top();
  }
  // The box of two corners (in any order) overlaps the rectangle; borders count.
  bool overlaps(double x1, double y1, double x2, double y2) const;
};

// The arc operations' common start: the half axes made positive; false (nothing to write) when
// a value is not finite or the square about the centre of the larger half axis misses `rect`.
bool arc_reaches(const ExportRect& rect, double cx, double cy, double& a, double& b, double sweep,
                 double start, double rotation);

// What the renderer draws for the marked elements: the box of every stroke and filling (the
// guide pen left out), and the widest pen among the strokes.
struct InkExtent {
  Extent box;
  double widest_pen = 0;  // mm on paper
};
InkExtent marked_ink_extent(const Drawing& d, FontTable* fonts);

// The page of an export: the ink extent enlarged by the margin, as a world rectangle, and its
// size in paper units. An export with no ink gets the margin around the origin.
struct ExportPage {
  ExportRect rect;
  double width = 0, height = 0;  // paper units
};
ExportPage export_page(const InkExtent& ink, double units_per_metre, double units_per_mm,
                       double margin_units = kPageMarginUnits);

}  // namespace korav
