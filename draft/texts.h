// The drawing changes of the text tools: new text lines in the current text settings (or in the
// style of the text they continue), a text's string replaced, and the format, size or style of
// the selected texts and room inscriptions changed. Every function that changes the drawing
// records exactly one undo step, and none when it changes nothing. Strings are stored as
// ISO-8859-1, the way the drawing file holds them; the tools convert what the user types.
#pragma once

#include <string_view>

#include "draft/geometry.h"
#include "model/drawing.h"
#include "model/presets.h"

namespace korav {

// Text formats: the alignment of a new text.
enum TextFormat : int { kTextLeft = 0, kTextRight = 1, kTextCentered = 2, kTextJustified = 3 };

// The two text settings beside the text preset, from the dialog "Textsize".
struct TextSize {
  double size = 2.5;  // height of new texts, millimetres on paper; the tools place nothing at 0
  int format = kTextLeft;
};

// The fields of a new text line from the text preset and the text size: at `at`, turned by
// `angle`, on the current layer, in the guide pen in guide mode. `fitted_width` counts for the
// format "Justified" only.
Text new_text_fields(const Drawing& d, const TextPreset& preset, const TextSize& size, Vec2 at,
                     double angle, double fitted_width);

// The world distance from one line to the next: line spacing × height × drawing scale / 1000.
double line_distance(const Text& t, double drawing_scale);
// The insertion point of the next line below a text at `at`.
Vec2 next_line_position(const Text& t, Vec2 at, double drawing_scale);

// The text on the current layer whose insertion point is exactly `at`, or nullptr: new lines
// placed there continue it.
const Text* text_at(const Drawing& d, Vec2 at);
// The fields of the line below `old`: all its style, one line further down.
Text continued_fields(const Text& old, double drawing_scale);

// A new Text with `fields` and `latin1`, recorded as one undo step (created). nullptr, and
// nothing created, for an empty string.
Text* add_text(Drawing& d, const Text& fields, std::string_view latin1);

// b_text_alter_content: `old` replaced by a text with all its fields and `latin1`, in one undo
// step, so that one undo brings the old string back. nullptr (unchanged) for an empty string.
Text* replace_text_string(Drawing& d, Text& old, std::string_view latin1);

// The three alter commands on the selection: each changes the selected texts (and, for size and
// style, the selected rooms' inscriptions) in one undo step, deselects everything and returns
// how many it changed (no undo step when none).
// b_text_alter_format: the alignment, and for "Justified" the fitted width `width`.
int set_selected_text_format(Drawing& d, int format, double width);
// b_text_alter_size: the height, for a size greater than 0 (else nothing changes).
int set_selected_text_size(Drawing& d, double size);
// b_text_alter_style: font, character width, character space, line spacing, pen, line type.
int set_selected_text_style(Drawing& d, const TextPreset& preset);

}  // namespace korav
