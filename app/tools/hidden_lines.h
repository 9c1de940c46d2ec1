// The hidden-line tool: "Render" in the dialog "HLR options:" (b_3d_hlr) draws the 3D objects
// and walls as seen in the current view into the plan as 2D lines without their hidden parts
// (three_d/hidden_lines.h), and asks where the result goes.
#pragma once

namespace korav {

struct App;

// The dialog's options ("HLR options:/Colors", ...) and its "Render" button.
void register_hlr_variables(App& app);
void tool_3d_hlr(App& app);  // "b_3d_hlr"

}  // namespace korav
