// The vector export commands of the Project menu: which elements ("Export %s:"), for EPS and
// PDF how texts are written ("Text export:"), then the file. The elements chosen are marked
// with the selection flag for the writer; the marks are cleared and the drawing redrawn
// afterwards, whatever happened.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "files/safe_write.h"

namespace korav {

struct App;

// The export-scope question with `format` ("SVG") filled in: "All objects" marks every element,
// "All visible objects" those on the current layer and on the layers shown, "Select objects"
// runs the selection dialogue. False when cancelled (nothing stays marked then).
bool ask_export_scope(App& app, std::string_view format);
// The same question with its own (English) text: "Plot HPGL:".
bool ask_scope(App& app, std::string_view question);

// The file chooser for an export (or, with `save` false, an import), starting in the settings'
// export path or beside the drawing when none is set.
std::optional<std::string> choose_export_file(App& app, std::string_view title, bool save = true);
// "Cannot open file" or "Cannot write file" for a failed write; nothing for kOk.
void report_write_status(App& app, WriteStatus st);
// Clears the marks of an export and redraws.
void end_export(App& app);

void export_svg_command(App& app);  // "p_file_export_svg"
void export_eps_command(App& app);  // "p_file_export_eps"
void export_pdf_command(App& app);  // "p_file_export_pdf"

}  // namespace korav
