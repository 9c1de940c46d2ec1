#include "draft/texts.h"

#include <cmath>

#include "model/element_points.h"
#include "model/pens.h"

namespace korav {

namespace {

std::uint8_t byte(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Deselects whatever is not one of the kinds and counts the rest.
int keep_selected(Drawing& d, bool rooms) {
  int n = 0;
  for (Element& e : d.store.list) {
    if (e.selected && e.type != kText && !(rooms && e.type == kRoom)) e.selected = 0;
    n += e.selected != 0;
  }
  return n;
}

// Records the selection as one step, changes each selected element and deselects it.
template <class Change>
int change_selected(Drawing& d, bool rooms, Change change) {
  const int n = keep_selected(d, rooms);
  if (n == 0) return 0;
  d.undo.record(d.store, kUndoSnapshot);
  for (Element& e : d.store.list) {
    if (!e.selected) continue;
    e.selected = 0;
    change(e);
  }
  return n;
}

}  // namespace

Text new_text_fields(const Drawing& d, const TextPreset& preset, const TextSize& size, Vec2 at,
                     double angle, double fitted_width) {
  Text t = make_element<Text>(d.current_layer, d.guide_mode ? kGuidePen : preset.pen,
                              byte(preset.line_type));
  t.pos = {at.x, at.y};
  t.font.set(preset.font);
  t.align = static_cast<std::uint8_t>(size.format >= 0 && size.format <= 3 ? size.format : 0);
  t.angle = angle;
  t.height = size.size;
  t.width_factor = preset.char_width;
  t.spacing = preset.char_space;
  t.line_spacing = preset.line_spacing;
  t.fitted_width = t.align == kTextJustified ? fitted_width : 0;
  return t;
}

double line_distance(const Text& t, double drawing_scale) {
  return t.line_spacing * t.height * drawing_scale / 1000;
}

Vec2 next_line_position(const Text& t, Vec2 at, double drawing_scale) {
  const double d = line_distance(t, drawing_scale);
  return {at.x + std::sin(t.angle) * d, at.y - std::cos(t.angle) * d};
}

const Text* text_at(const Drawing& d, Vec2 at) {
  for (const Element& e : d.store.list) {
    const Text* t = as<Text>(&e);
    if (t && t->layer == d.current_layer && t->pos.x == at.x && t->pos.y == at.y) return t;
  }
  return nullptr;
}

Text continued_fields(const Text& old, double drawing_scale) {
  Text t = old;
  t.next = t.prev = nullptr;
  t.selected = 0;
  t.undo_mask = 0;
  t.size = 0;
  t.group = 0;
  const Vec2 p = next_line_position(old, {old.pos.x, old.pos.y}, drawing_scale);
  t.pos = {p.x, p.y};
  return t;
}

Text* add_text(Drawing& d, const Text& fields, std::string_view latin1) {
  if (latin1.empty()) return nullptr;
  Text* t = create_text(d.store, fields, latin1);
  d.undo.record(d.store, kUndoMarkLast, 1);
  return t;
}

Text* replace_text_string(Drawing& d, Text& old, std::string_view latin1) {
  if (latin1.empty()) return nullptr;
  Text fields = old;
  fields.next = fields.prev = nullptr;
  fields.selected = 0;
  fields.undo_mask = 0;
  fields.size = 0;
  Text* t = create_text(d.store, fields, latin1);
  t->group = old.group;
  d.deselect_all();
  old.selected = 1;
  t->selected = 0;
  d.undo.record(d.store, kUndoSnapshot);
  d.undo.tag(*t);
  d.store.purge();
  return t;
}

int set_selected_text_format(Drawing& d, int format, double width) {
  if (format < 0 || format > 3) format = kTextLeft;
  if (format == kTextJustified && !(width > 0 && std::isfinite(width))) return 0;
  return change_selected(d, false, [&](Element& e) {
    Text& t = static_cast<Text&>(e);
    t.align = static_cast<std::uint8_t>(format);
    if (format == kTextJustified) t.fitted_width = width;
  });
}

int set_selected_text_size(Drawing& d, double size) {
  if (!(size > 0) || !std::isfinite(size)) {
    d.deselect_all();
    return 0;
  }
  return change_selected(d, true, [&](Element& e) {
    if (Text* t = as<Text>(&e)) t->height = size;
    if (Room* r = as<Room>(&e)) r->height = size;
  });
}

int set_selected_text_style(Drawing& d, const TextPreset& preset) {
  auto style = [&](auto& x) {
    x.font.set(preset.font);
    x.width_factor = preset.char_width;
    x.spacing = preset.char_space;
    x.line_spacing = preset.line_spacing;
    x.pen = byte(preset.pen);
    x.line_type = byte(preset.line_type);
  };
  return change_selected(d, true, [&](Element& e) {
    if (Text* t = as<Text>(&e)) style(*t);
    if (Room* r = as<Room>(&e)) style(*r);
  });
}

}  // namespace korav
