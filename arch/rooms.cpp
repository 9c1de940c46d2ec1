#include "arch/rooms.h"

#include <algorithm>
#include <cmath>

#include "model/element_points.h"
#include "model/pens.h"
#include "model/room_measure.h"

namespace korav {

namespace {

std::uint8_t byte(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }
std::uint8_t flag(int v) { return v != 0 ? 1 : 0; }

void record_one(Drawing& d, Element& e) {
  d.deselect_all();
  e.selected = 1;
  d.undo.record(d.store, kUndoSnapshot);
  e.selected = 0;
}

// The corners of a polygon: its points up to the first separator.
std::span<Point2> corners(std::vector<Point2>& polygon) {
  auto end = std::find_if(polygon.begin(), polygon.end(),
                          [](const Point2& p) { return is_separator(p); });
  return {polygon.begin(), end};
}

}  // namespace

Room new_room_fields(const Drawing& d, const RoomPreset& room, const TextPreset& text,
                     double text_height, Point2 at) {
  Room r = make_element<Room>(d.current_layer, d.guide_mode ? kGuidePen : room.pen,
                              byte(room.line_type));
  r.pos = {at.x, at.y, 0};
  r.font.set(text.font);
  r.angle = 0;
  r.height = text_height;
  r.width_factor = text.char_width;
  r.spacing = text.char_space;
  r.line_spacing = text.line_spacing;
  r.factor = room.factor;
  r.base = room.base;
  r.top = room.base + room.height;
  r.show_area = flag(room.area);
  r.show_volume = flag(room.volume);
  r.show_description = flag(room.description);
  r.show_number = flag(room.number);
  return r;
}

void orient_polygon(std::vector<Point2>& polygon, bool counter_clockwise) {
  std::span<Point2> c = corners(polygon);
  const double a = signed_area(c);
  if (counter_clockwise ? a < 0 : a > 0) std::reverse(c.begin(), c.end());
}

Room* add_room(Drawing& d, const Room& fields, std::vector<Point2> polygon) {
  if (polygon.empty() || !is_separator(polygon.back())) polygon.push_back({kSeparator, kSeparator, 0});
  if (corners(polygon).size() < 3 || polygon.size() > static_cast<std::size_t>(kMaxOutlinePoints))
    return nullptr;
  orient_polygon(polygon, true);
  Room* r = create_room(d.store, fields, polygon);
  d.undo.record(d.store, kUndoMarkLast, 1);
  return r;
}

Room* extend_room(Drawing& d, Room& room, std::vector<Point2> polygon, bool add) {
  if (polygon.empty() || !is_separator(polygon.back())) polygon.push_back({kSeparator, kSeparator, 0});
  const std::span<const Point2> old = outline_points(room);
  if (corners(polygon).size() < 3 ||
      old.size() + polygon.size() > static_cast<std::size_t>(kMaxOutlinePoints))
    return nullptr;
  orient_polygon(polygon, add);
  std::vector<Point2> outline(old.begin(), old.end());
  outline.insert(outline.end(), polygon.begin(), polygon.end());
  Room fields = room;
  fields.next = fields.prev = nullptr;
  fields.selected = 0;
  fields.size = 0;
  fields.count = 0;
  record_one(d, room);
  Room* copy = create_room(d.store, fields, outline);
  copy->group = room.group;
  d.undo.tag(*copy);
  room.selected = 1;
  d.store.purge();
  return copy;
}

void set_room_position(Drawing& d, Room& room, Point2 at) {
  if (!std::isfinite(at.x) || !std::isfinite(at.y)) return;
  record_one(d, room);
  room.pos.x = at.x;
  room.pos.y = at.y;
}

void set_room_description(Drawing& d, Room& room, std::string_view latin1) {
  record_one(d, room);
  room.description.set(latin1.substr(0, 127));
}

void set_room_number(Drawing& d, Room& room, std::string_view latin1) {
  record_one(d, room);
  room.number.set(latin1.substr(0, 39));
}

bool set_room_factor(Drawing& d, Room& room, double factor) {
  if (!std::isfinite(factor)) return false;
  record_one(d, room);
  room.factor = factor;
  return true;
}

bool set_room_height(Drawing& d, Room& room, double base, double height) {
  if (!std::isfinite(base) || !std::isfinite(height) || !std::isfinite(base + height)) return false;
  record_one(d, room);
  room.base = base;
  room.top = base + height;
  return true;
}

void set_room_inscription(Drawing& d, Room& room, const RoomPreset& preset) {
  record_one(d, room);
  room.show_area = flag(preset.area);
  room.show_volume = flag(preset.volume);
  room.show_description = flag(preset.description);
  room.show_number = flag(preset.number);
}

}  // namespace korav
