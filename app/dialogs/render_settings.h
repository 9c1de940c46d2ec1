// The renderers' dialogs: "Render settings" (POV-Ray: picture file and format, resolution,
// quality, antialiasing, background colour, sky and clouds, ambient light; "Render" starts
// b_3d_pov), "Radiance settings" (picture file, resolution, quality, detail, variability,
// indirect light, shadows, interior or exterior scene, sky and sun; "Radiance" starts
// b_3d_ray), and "Color selection", three sliders that edit the colour of whichever dialog
// opened it (the POV-Ray background, or the pattern's filling).
#pragma once

#include <string_view>

namespace korav {

struct App;

void register_render_variables(App& app);

// The colour selection opened by `open_name` ("z_d_colorsel_povbg", "z_d_colorsel_pattern")
// edits that colour from now on.
void bind_colour_selection(App& app, std::string_view open_name);

// "p_pov_out" and "p_ray_out": the file chooser for the picture file.
void choose_pov_output(App& app);
void choose_radiance_output(App& app);

}  // namespace korav
