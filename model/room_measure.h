// What a room measures and says: the signed area of its outline's sub-polygons times its
// factor, the volume between its base and top, and the inscription lines (description, number,
// area, volume) in the units and with the unit texts of the drawing's room options.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "model/element.h"
#include "model/settings.h"

namespace korav {

// Shoelace area of the points (no separators among them): positive counter-clockwise.
double signed_area(std::span<const Point2> points);

// The sum of the signed areas of the sub-polygons ended by separators (points after the last
// separator do not count), times the factor.
double room_area(const Room& room);
// The area times (top - base).
double room_volume(const Room& room);

// The inscription's lines in order, each only when its switch is on: the description, the
// number, "%.2f %s" of the area in the area unit with the area text, the same of the volume.
std::vector<std::string> room_inscription(const Room& room, const RoomTextOptions& options);
// The same into `lines` (its strings reused), for a redraw.
void room_inscription(const Room& room, const RoomTextOptions& options,
                      std::vector<std::string>& lines);

}  // namespace korav
