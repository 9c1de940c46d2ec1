// The drawing changes of the room tools: new rooms over a polygon or a rectangle, their
// outline made counter-clockwise; polygons added to or subtracted from a room; and the
// inscription point, description, number, factor, height and inscription switches changed.
// Every function that changes the drawing records exactly one undo step. What a room measures
// and says is model/room_measure.h.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "model/drawing.h"
#include "model/presets.h"

namespace korav {

// The fields of a new room at `at` from the room preset and the text settings (font, width,
// spacing and line spacing of the text preset, `text_height` in millimetres), angle 0, the
// guide pen in guide mode. The top is the preset's base plus its height.
Room new_room_fields(const Drawing& d, const RoomPreset& room, const TextPreset& text,
                     double text_height, Point2 at);

// The polygon's points (a separator at the end, if any, stays there) turned round when their
// signed area has the wrong sign for `counter_clockwise`.
void orient_polygon(std::vector<Point2>& polygon, bool counter_clockwise);

// b_room_poly, b_room_range: a new room over the polygon (its separator included), made
// counter-clockwise, recorded as created. nullptr for fewer than three corners or more than 499
// points.
Room* add_room(Drawing& d, const Room& fields, std::vector<Point2> polygon);

// b_room_add_poly, b_room_add_range: the room replaced by a copy whose outline is the old one
// followed by the polygon, added (counter-clockwise) or subtracted (clockwise), in one undo
// step. nullptr, and the room unchanged, when the two hold more than 499 points.
Room* extend_room(Drawing& d, Room& room, std::vector<Point2> polygon, bool add);

// The single changes, each one undo step.
void set_room_position(Drawing& d, Room& room, Point2 at);
void set_room_description(Drawing& d, Room& room, std::string_view latin1);  // cut to 127
void set_room_number(Drawing& d, Room& room, std::string_view latin1);       // cut to 39
bool set_room_factor(Drawing& d, Room& room, double factor);                 // finite only
bool set_room_height(Drawing& d, Room& room, double base, double height);   // top = base + height
void set_room_inscription(Drawing& d, Room& room, const RoomPreset& preset);

}  // namespace korav
