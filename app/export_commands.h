// The vector export commands of the Project menu: which elements ("Export %s:"), for EPS and
// PDF how texts are written ("Text export:"), then the file. The elements chosen are marked
// with the selection flag for the writer; the marks are cleared and the drawing redrawn
// afterwards, whatever happened.
#pragma once

#include <string_view>

namespace korav {

struct App;

// The export-scope question with `format` ("SVG") filled in: "All objects" marks every element,
// "All visible objects" those on the current layer and on the layers shown, "Select objects"
// runs the selection dialogue. False when cancelled (nothing stays marked then).
bool ask_export_scope(App& app, std::string_view format);
// The same question with its own (English) text: "Plot HPGL:".
bool ask_scope(App& app, std::string_view question);

void export_svg_command(App& app);  // "p_file_export_svg"
void export_eps_command(App& app);  // "p_file_export_eps"
void export_pdf_command(App& app);  // "p_file_export_pdf"

}  // namespace korav
