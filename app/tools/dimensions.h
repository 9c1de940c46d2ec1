// The dimension tools as the command loop runs them ("b_dim_..."): chains along x, y or a
// pointed direction, measured point by point; the automatic chain across walls; points added
// to and removed from a chain; a figure's override, height figure and place; the figure size
// and style of the selected dimensions; and the radius, diameter, angle and height dimensions.
// The drawing changes are draft/dimensions.h, the figures render/dimension_drawing.h.
#pragma once

namespace korav {

struct App;

void tool_dim_x(App& app);
void tool_dim_y(App& app);
void tool_dim_dim(App& app);
void tool_dim_auto(App& app);
void tool_dim_plus(App& app);
void tool_dim_minus(App& app);
void tool_dim_height(App& app);
void tool_dim_alter_value(App& app);
void tool_dim_original(App& app);
void tool_dim_alter_move(App& app);
void tool_dim_alter_size(App& app);
void tool_dim_alter_style(App& app);
void tool_dim_r(App& app);
void tool_dim_d(App& app);
void tool_dim_a(App& app);
void tool_dim_h(App& app);

}  // namespace korav
