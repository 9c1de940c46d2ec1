// The wall tools as the command loop runs them ("b_wall_..."): walls on an axis, on a side
// line, in a fixed direction and over a rectangle from the wall preset; walls connected and
// separated, one pair or the whole layer; joined at a corner, attached to a line, extended,
// partly erased, and their heights set. The drawing changes are arch/walls.h.
#pragma once

namespace korav {

struct App;

void tool_wall_axis(App& app);
void tool_wall_side(App& app);
void tool_wall_angle(App& app);
void tool_wall_wall(App& app);
void tool_wall_connect(App& app);
void tool_wall_connect_all(App& app);
void tool_wall_separate(App& app);
void tool_wall_separate_all(App& app);
void tool_wall_join(App& app);
void tool_wall_attach(App& app);
void tool_wall_extend(App& app);
void tool_wall_erase(App& app);
void tool_wall_alter_height(App& app);

}  // namespace korav
