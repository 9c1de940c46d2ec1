// The two developer commands that make stroke fonts: converting a PostScript font description
// (a "/Metrics" dictionary of advance widths and a "/CharDefs" dictionary of path procedures,
// one per glyph name) into a stroke font file, and writing the Lines and Circles of a drawing,
// drawn in a grid of character cells, as a new stroke font.
//
// The description is read as PostScript tokens: numbers, /names, names, [ ] { } and
// (strings), with % comments. In /Metrics a glyph's width is the number after its /name, or the
// last number of an array ([side-bearing width]). In /CharDefs each /name is followed by a
// procedure of path operators: moveto, lineto, curveto, their relative forms (rmoveto,
// rlineto, rcurveto), closepath, fill and stroke (newpath and anything else is skipped).
// Glyph names are those of the ISO Latin-1 encoding; a "/FontMatrix [a 0 0 d 0 0]" sets the
// units (1000 per text height when absent). Coordinates come out in text heights.
#pragma once

#include <string>
#include <string_view>

#include "model/drawing.h"

namespace korav {

// The code of an ISO Latin-1 glyph name (32 to 255), or 0 for a name it does not have.
int latin1_code_of_glyph(std::string_view name);

struct FontImportResult {
  std::string font;  // the stroke font file's text, empty when nothing was found
  int glyphs = 0;    // characters with a path
  std::string error;  // why nothing came out
};

// The stroke font made from a description: for each code 32 to 255 its width ("%f"), then
// "1 x y" (move), "2 x y" (line), "4 x1 y1 x2 y2 x3 y3" (curve), "6" (contour closed),
// "5" (filled) and "0"; code 127 is "1.00" and "0". Damage (an operator short of numbers, a
// procedure not closed) ends that glyph with what was read; a description without /CharDefs
// gives an error and no font.
FontImportResult import_font_description(std::string_view description);

// The cell grid of a font drawn in a drawing: code c sits in the cell whose lower left corner is
// ((c - 32) mod 16, -((c - 32) div 16)) x kFontCellSize; the text height is one cell.
inline constexpr int kFontCellsPerRow = 16;
inline constexpr double kFontCellSize = 1.0;

// The stroke font of the Lines and Circles (circles and arcs, not ellipses) on `layer`: an
// element belongs to the cell of its first point (a circle: its centre). Per character its width
// ("%.2f": the rightmost point in the cell, 0.50 for an empty cell), its lines as "1 x y" and
// "2 x y" (a line that starts where the last one ended continues it), its arcs as
// "3 x y r start sweep" (degrees) and "0".
std::string font_from_drawing(const Drawing& d, int layer);

}  // namespace korav
