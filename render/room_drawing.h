// The room operation: a room's outline (each sub-polygon closed), when "Show room borders" is
// on, and its inscription lines one below the other from the inscription point, in the room's
// text style, through the line and text operations of the installed driver.
#pragma once

#include "model/element.h"

namespace korav {

struct Renderer;

void draw_room_strokes(Renderer& r, const Room& room);

}  // namespace korav
