// The edit tools as the command loop runs them ("b_edit_..."): each starts with the selection
// dialogue, asks for its points and values through point input, records the undo step and calls
// the store-wide operations of draft/transform.h. Every tool ends by clearing the selection
// (flags and point marks), however it ends.
#pragma once

namespace korav {

struct App;

void tool_edit_move(App& app);
void tool_edit_copy(App& app);
void tool_edit_mcopy(App& app);
void tool_edit_series(App& app);
void tool_edit_pseries(App& app);
void tool_edit_rotate(App& app);
void tool_edit_mirror(App& app);
void tool_edit_stretch(App& app);
void tool_edit_stretch_text(App& app);
void tool_edit_alter_all(App& app);
void tool_edit_alter_pen(App& app);
void tool_edit_alter_line(App& app);
void tool_edit_delete(App& app);

}  // namespace korav
