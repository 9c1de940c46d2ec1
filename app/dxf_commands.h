// DXF from the menu: the dialog "Export DXF..." (which elements, the writer, the unit) and its
// "Export" button, "p_file_export_dxf", which marks the elements, asks for the file and writes
// it (exchange/dxf_export.h).
#pragma once

namespace korav {

struct App;

void register_dxf_variables(App& app);
void export_dxf_command(App& app);  // "p_file_export_dxf"

}  // namespace korav
