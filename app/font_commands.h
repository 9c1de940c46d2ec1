// The developer commands that make stroke fonts (files/font_import.h): "p_file_import_truetype"
// converts a PostScript font description chosen with "Quelle:" into the stroke font file chosen
// with "Ziel:"; "p_file_export_font" writes the Lines and Circles of the current layer, drawn in
// the character cell grid, as the stroke font "newfont" in the font directory. Neither is on a
// menu. A font of the same name that is loaded already is read again at its next use.
#pragma once

namespace korav {

struct App;

void font_import_command(App& app);
void font_from_drawing_command(App& app);

}  // namespace korav
