#include "app/tools/rooms.h"

#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/pick.h"
#include "app/point_input.h"
#include "app/tools/polygon_input.h"
#include "app/tools/tool_steps.h"
#include "arch/rooms.h"
#include "base/text_file.h"
#include "model/element_points.h"
#include "model/store.h"

namespace korav {

namespace {

// The four corners and a separator, or nothing when the user left or the rectangle is flat.
std::vector<Point2> ask_rectangle(App& app) {
  const auto c = ask_corners(app);
  if (!c) return {};
  const double x1 = c->first.x, y1 = c->first.y, x2 = c->second.x, y2 = c->second.y;
  if (x1 == x2 || y1 == y2) return {};
  return {{x1, y1, 0}, {x2, y1, 0}, {x2, y2, 0}, {x1, y2, 0}, {kSeparator, kSeparator, 0}};
}

std::vector<Point2> ask_outline(App& app, bool rectangle) {
  return rectangle ? ask_rectangle(app) : polygon_input(app);
}

Room* pick_room(App& app) {
  return as<Room>(pick_with_prompt(app, "Select Room:", kPickRooms));
}

std::optional<Vec2> ask_text_point(App& app) {
  PointRequest r;
  r.view_commands = true;
  r.add_step(kStepFirstPoint, "Text start point:");
  r.add_step(kStepConfirm, "Move/Confirm:");
  if (point_input(app, r) != kInputDone) return std::nullopt;
  return point(r, 0);
}

// A text asked on the prompt line with `current` (ISO-8859-1) offered; the answer in
// ISO-8859-1, or none when the user left.
std::optional<std::string> ask_name(App& app, std::string_view prompt, std::string_view current) {
  std::string shown(current);
  latin1_to_utf8(shown);
  app.input.text = shown;
  PointRequest r;
  const bool ok = ask_value(app, kStepText, prompt, r);
  app.input.text.clear();
  if (!ok) return std::nullopt;
  return utf8_to_latin1(r.text);
}

void new_rooms(App& app, bool rectangle) {
  for (;;) {
    std::vector<Point2> outline = ask_outline(app, rectangle);
    if (outline.empty()) return;
    const Room fields = new_room_fields(app.drawing, app.presets.room, app.presets.text,
                                        app.text_size.size, outline.front());
    Room* room = add_room(app.drawing, fields, std::move(outline));
    if (!room) continue;
    created(app, 1);
    highlight(app, *room, true);
    // The inscription: where it starts, then the description and the number.
    const bool any =
        room->show_area || room->show_volume || room->show_description || room->show_number;
    bool go_on = any;
    if (go_on) {
      std::optional<Vec2> at = ask_text_point(app);
      go_on = at.has_value();
      if (at) room->pos = {at->x, at->y, 0};
    }
    if (go_on && room->show_description) {
      std::optional<std::string> s = ask_name(app, "Room description:", room->description.view());
      go_on = s.has_value();
      if (s) room->description.set(std::string_view(*s).substr(0, 127));
    }
    if (go_on && room->show_number) {
      std::optional<std::string> s = ask_name(app, "Room number:", room->number.view());
      if (s) room->number.set(std::string_view(*s).substr(0, 39));
    }
    room->selected = 0;
    redraw(app);
  }
}

void add_to_rooms(App& app, bool rectangle) {
  for (;;) {
    Room* room = pick_room(app);
    if (!room) return;
    highlight(app, *room, true);
    std::vector<Point2> more = ask_outline(app, rectangle);
    highlight(app, *room, false);
    if (more.empty()) return;
    if (outline_points(*room).size() + more.size() > static_cast<std::size_t>(kMaxOutlinePoints)) {
      app.ui->error_box(kMsgTooManyPoints);
      continue;
    }
    if (extend_room(app.drawing, *room, std::move(more), app.room_add != 0)) changed(app);
  }
}

// Picks rooms one after another, each changed by `change`; false from it ends the command.
template <class Change>
void alter_rooms(App& app, Change change) {
  for (;;) {
    Room* room = pick_room(app);
    if (!room) return;
    highlight(app, *room, true);
    const bool done = change(*room);
    highlight(app, *room, false);
    if (!done) return;
    changed(app);
  }
}

}  // namespace

void tool_room_poly(App& app) { new_rooms(app, false); }
void tool_room_range(App& app) { new_rooms(app, true); }
void tool_room_add_poly(App& app) { add_to_rooms(app, false); }
void tool_room_add_range(App& app) { add_to_rooms(app, true); }

void tool_room_position(App& app) {
  alter_rooms(app, [&](Room& room) {
    std::optional<Vec2> at = ask_text_point(app);
    if (!at) return false;
    set_room_position(app.drawing, room, {at->x, at->y, 0});
    return true;
  });
}

void tool_room_alter_description(App& app) {
  alter_rooms(app, [&](Room& room) {
    std::optional<std::string> s = ask_name(app, "Room description:", room.description.view());
    if (!s) return false;
    set_room_description(app.drawing, room, *s);
    return true;
  });
}

void tool_room_alter_number(App& app) {
  alter_rooms(app, [&](Room& room) {
    std::optional<std::string> s = ask_name(app, "Room number:", room.number.view());
    if (!s) return false;
    set_room_number(app.drawing, room, *s);
    return true;
  });
}

void tool_room_alter_factor(App& app) {
  alter_rooms(app, [&](Room& room) {
    PointRequest r;
    if (!ask_value(app, kStepNumber, "Factor:", r)) return false;
    set_room_factor(app.drawing, room, r.number);
    return true;
  });
}

void tool_room_alter_height(App& app) {
  alter_rooms(app, [&](Room& room) {
    PointRequest b, h;
    if (!ask_value(app, kStepLength, "Base:", b)) return false;
    if (!ask_value(app, kStepLength, "Height:", h)) return false;
    set_room_height(app.drawing, room, b.number, h.number);
    return true;
  });
}

void tool_room_alter_inscription(App& app) {
  alter_rooms(app, [&](Room& room) {
    set_room_inscription(app.drawing, room, app.presets.room);
    return true;
  });
}

}  // namespace korav
