// Rendering with the external renderers and the POV-Ray scene export.
//
// The scenes, options files and scripts of a render are written into the program's own
// temporary directory (base/private_dir.h); the renderers are found on the PATH and started
// there with an argument vector, never through a shell, and not waited for. When a renderer
// is missing the user is told so (the Radiance files are written all the same).
#pragma once

namespace korav {

struct App;

void tool_3d_pov(App& app);                // b_3d_pov: "Camera type:", render with POV-Ray
void export_pov_command(App& app);         // p_file_export_pov: "Camera type:", scope, file
void render_material_preview(App& app);    // s_3d_render_mat: a sphere of the current material
void tool_3d_ray(App& app);                // b_3d_ray: "Viewtype:", render with Radiance
void tool_3d_raz(App& app);                // b_3d_raz: the same with rzoconv and radz

}  // namespace korav
