// The polygon input of the outline tools (patterns, rooms): the corners one by one with
// "Polygon point:" and "Move/Confirm:", the outline so far and its closing edge following the
// pointer. A corner given on the first corner again (within the snap size on the screen) closes
// the polygon; so does the corner that fills the outline's limit.
#pragma once

#include <cstddef>
#include <vector>

#include "model/element.h"

namespace korav {

struct App;

// The corners followed by a separator point; empty when the user left before the polygon had
// three corners and was closed. At most `max_points` points, the separator included.
std::vector<Point2> polygon_input(App& app, std::size_t max_points = kMaxOutlinePoints);

}  // namespace korav
