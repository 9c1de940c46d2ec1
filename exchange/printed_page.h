// The printed page drawn with cairo: the back end behind the window's print dialog (and any
// other cairo surface: a PDF, a picture). The user has placed the paper frame on the drawing;
// its lower-left corner is the paper's lower-left corner, so the printable area begins at that
// corner plus the left and bottom margins x print scale / 100 on the drawing. Only the
// printable area is drawn.
//
// Pens: 64 of them, one for each pen and line type, with the pen's width (mm on paper at the
// drawing scale, printed at the print scale: width / print scale x drawing scale) and colour
// (black with "Show all colored black" or a "B/W" printer), solid or with the line type's dashes
// converted the same way. Lines and curves are stroked with round ends and joins; circles, arcs
// and ellipses as paths of line segments from the ellipse's parameter form (the renderer's
// chord count for vector output), Bezier curves as curves; solid fillings are filled with their
// colour and the even-odd rule, all rings in one path, so that a ring inside another leaves a
// hole. Nothing drawn with the guide pen is printed.
#pragma once

#include <cairo.h>

#include <array>

#include "exchange/export_extent.h"
#include "exchange/print_setup.h"
#include "model/pens.h"

namespace korav {

struct Drawing;
struct FontTable;
struct PrintOptions;
struct Settings;

inline constexpr double kPointsPerCm = 72 / 2.54;
// The thinnest line printed, in points: a pen of no width still leaves a trace.
inline constexpr double kThinnestLine = 0.25;

struct PrintPen {
  double width = 0;  // points
  double red = 0, green = 0, blue = 0;
  int dashes = 0;  // 0 solid; else dash, gap, ... in points
  std::array<double, 6> dash{};
};
using PrintPens = std::array<PrintPen, kPenCount * kLineTypeCount>;

// The pen for pen p and line type t stands at p * kLineTypeCount + t.
PrintPens print_pens(const Settings& s, double print_scale, bool black);

// The paper as the printer gives it: its size and its unprintable edges, in points.
struct PrintedPaper {
  double width = 0, height = 0;
  double margin_top = 0, margin_left = 0, margin_right = 0, margin_bottom = 0;
};
// The paper of a print setup, whose margins are those of the upright paper. Landscape exchanges
// width and height and turns the margins with the paper, as print dialogs do: the upright
// paper's left edge comes on top, its top on the right.
PrintedPaper paper_of(const PrintSetup& p);

// The paper a page was printed on becomes the print setup's: its upright size and margins in
// centimetres, and the orientation. A paper of no size changes nothing.
void keep_paper(PrintOptions& o, const PrintedPaper& paper, bool landscape);

// Where the page lies on the drawing: the paper and its printable area as world rectangles,
// and points a metre.
struct PageLayout {
  ExportRect paper;
  ExportRect printable;
  double points_per_metre = 1;
};
PageLayout page_layout(double corner_x, double corner_y, double print_scale,
                       const PrintedPaper& paper);

// Draws the marked elements on `cr`, whose origin is the paper's top-left corner and whose unit
// is the point, with the paper frame's lower-left corner at (corner_x, corner_y) on the drawing.
// The context's state is restored afterwards.
void draw_printed_page(cairo_t* cr, const Drawing& d, FontTable* fonts, const PrintSetup& setup,
                       double corner_x, double corner_y, const PrintedPaper& paper);

}  // namespace korav
