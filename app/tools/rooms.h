// The room tools as the command loop runs them ("b_room_..."): new rooms over a polygon or a
// rectangle with their inscription placed and named; polygons and rectangles added to or
// subtracted from a room (the palette's "Add the area instead of substraction" decides); and
// the inscription point, description, number, factor, height and inscription switches of
// picked rooms. The drawing changes are arch/rooms.h.
#pragma once

namespace korav {

struct App;

void tool_room_poly(App& app);
void tool_room_range(App& app);
void tool_room_add_poly(App& app);
void tool_room_add_range(App& app);
void tool_room_position(App& app);
void tool_room_alter_description(App& app);
void tool_room_alter_number(App& app);
void tool_room_alter_factor(App& app);
void tool_room_alter_height(App& app);
void tool_room_alter_inscription(App& app);

}  // namespace korav
