// DXF from the menu: the dialog "Export DXF..." (which elements, the writer, the unit) and its
// "Export" button, "p_file_export_dxf", which marks the elements, asks for the file and writes
// it (exchange/dxf_export.h); the dialog "Import DXF..." (the file's unit, 2D or 3D lines, the
// layers joined or kept) and "p_file_import_dxf", which asks for the file, adds its elements
// (exchange/dxf_import.h) and shows them.
#pragma once

namespace korav {

struct App;

void register_dxf_variables(App& app);
void export_dxf_command(App& app);  // "p_file_export_dxf"
void import_dxf_command(App& app);  // "p_file_import_dxf"

}  // namespace korav
