// Texts drawn from the glyph command lists of the font table (model/font_table.h): the glyph
// interpreter (moves, lines, arcs, cubic and quadratic Beziers, filled outlines) and the text
// operation with alignment, character width, spacing, line spacing and angle. Everything ends in
// the driver's line operation, so the screen and every vector output draw the same strokes;
// filled glyphs are filled with lines along the text's direction (non-zero winding), one pixel
// apart on the screen and a fiftieth of the text height apart on vector output.
//
// Text units: the height is millimetres on paper; h = height x drawing scale / 1000 is the
// world height. An advance of the font moves the pen by advance x width factor x h / 100 plus
// spacing x h; a line feed starts the next line line spacing x h below the line start.
#pragma once

#include <string_view>

#include "model/element_box.h"
#include "model/font_table.h"
#include "render/output_driver.h"

namespace korav {

// The text operation: the run's font looked up in r.fonts (loaded on first use, "Simpel"
// instead of a font that does not load), nothing drawn without a font. On the screen a text
// under 5 pixels high is drawn as the outline of its extent, one box per line.
void draw_text_run(Renderer& r, const TextRun& run);

// The width of the widest line in metres (texts of alignment 3: the fitted width; 0 without a
// font), with `height` in millimetres on paper.
double text_width(FontTable& fonts, double drawing_scale, double height, double width_factor,
                  double spacing, std::string_view font, std::string_view text, int align,
                  double fitted_width);

// What the spatial index keeps of a text: its width as text_width gives it and the box its
// lines may be drawn in (empty without a font).
TextExtent text_extent(FontTable& fonts, double drawing_scale, const Text& t);

}  // namespace korav
