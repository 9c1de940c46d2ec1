// The mesh exchange commands of the Project menu: GTS, 3D Studio and LightWave exports (which
// objects, for LightWave the origin, then the file), and the GTS, 3D Studio and terrain grid
// imports, which add 3D objects on the current layer as one undo step.
#pragma once

#include <string>
#include <string_view>

#include "exchange/mesh_materials.h"

namespace korav {

struct App;

void export_gts_command(App& app);  // "p_file_export_gts"
void export_3ds_command(App& app);  // "p_file_export_3ds"
void export_lwo_command(App& app);  // "p_file_export_lwo"
void import_gts_command(App& app);  // "p_file_import_gts"
void import_3ds_command(App& app);  // "p_file_import_3ds"
void import_dgm_command(App& app);  // "p_file_import_dgm"

// The values of a material: the user's material file first, then the shipped one; the defaults
// when neither can be read.
MaterialValues material_values(const App& app, std::string_view name);
// The same, looking in the material folder "mat/" below `dialog_dir`.
MaterialValues material_values_in(const std::string& dialog_dir, std::string_view name);

}  // namespace korav
