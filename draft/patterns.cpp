#include "draft/patterns.h"

#include <cmath>

namespace korav {

namespace {

constexpr double kSameAngle = 1e-9;

std::uint8_t byte(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Point count of an outline without its separators.
std::size_t corner_count(std::span<const Point2> outline) {
  std::size_t n = 0;
  for (const Point2& p : outline) n += !is_separator(p);
  return n;
}

// The modify-in-place protocol for one element: recorded as a snapshot, then changed.
void record_one(Drawing& d, Element& e) {
  d.deselect_all();
  e.selected = 1;
  d.undo.record(d.store, kUndoSnapshot);
  e.selected = 0;
}

}  // namespace

Vec2 half_offset(Vec2 origin, double angle2, double spacing2) {
  return {origin.x - std::sin(angle2) * spacing2 / 2, origin.y + std::cos(angle2) * spacing2 / 2};
}

Pattern new_pattern_fields(const PatternPreset& preset, int layer, bool guide_mode) {
  const int kind = preset.kind >= 0 && preset.kind <= 3 ? preset.kind : 0;
  int line_type = preset.line_type1;
  if (kind == 2) line_type = kLineTypePoints;
  if (kind == 3) line_type = kLineTypeFilling;
  Pattern p = make_element<Pattern>(layer, guide_mode ? kGuidePen : preset.pen1, byte(line_type));
  p.pen2 = byte(guide_mode ? kGuidePen : preset.pen2);
  p.line_type2 = byte(preset.line_type2);
  p.kind = static_cast<std::uint8_t>(kind);
  p.spacing1 = preset.spacing1;
  p.angle1 = preset.angle1;
  p.spacing2 = kind == 1 ? preset.spacing2 : 0;  // only two families have a second spacing
  p.angle2 = preset.angle2;
  p.red = preset.red;
  p.green = preset.green;
  p.blue = preset.blue;
  p.origin = {0, 0, 0};
  const Vec2 off = half_offset({0, 0}, p.angle2, p.spacing2);
  p.offset = {off.x, off.y, 0};
  return p;
}

std::vector<Point2> rectangle_outline(Vec2 a, Vec2 c) {
  return {{a.x, a.y, 0}, {c.x, a.y, 0}, {c.x, c.y, 0}, {a.x, c.y, 0}, {kSeparator, kSeparator, 0}};
}

Pattern* add_pattern(Drawing& d, const PatternPreset& preset, std::span<const Point2> outline) {
  if (corner_count(outline) < 3 || outline.size() > kMaxOutlinePoints) return nullptr;
  Pattern* p =
      create_pattern(d.store, new_pattern_fields(preset, d.current_layer, d.guide_mode), outline);
  if (p) d.undo.record(d.store, kUndoMarkLast, 1);
  return p;
}

Pattern* extend_pattern(Drawing& d, Pattern& p, std::span<const Point2> more) {
  const std::span<const Point2> old = outline_points(p);
  if (old.size() + more.size() > kMaxOutlinePoints || corner_count(more) < 3) return nullptr;
  std::vector<Point2> outline(old.begin(), old.end());
  outline.insert(outline.end(), more.begin(), more.end());
  Pattern fields = p;
  fields.count = 0;
  record_one(d, p);
  Pattern* copy = create_pattern(d.store, fields, outline);
  copy->group = p.group;
  d.undo.tag(*copy);
  p.selected = 1;
  d.store.purge();
  return copy;
}

void set_pattern_origin(Drawing& d, Pattern& p, Vec2 at) {
  record_one(d, p);
  p.origin.x = at.x;
  p.origin.y = at.y;
  const Vec2 off =
      std::fabs(p.angle1 - p.angle2) >= kSameAngle ? at : half_offset(at, p.angle2, p.spacing2);
  p.offset.x = off.x;
  p.offset.y = off.y;
}

void set_pattern_angle(Drawing& d, Pattern& p, double angle) {
  record_one(d, p);
  p.angle2 += angle - p.angle1;
  p.angle1 = angle;
}

bool set_pattern_spacing(Drawing& d, Pattern& p, double spacing) {
  if (!(spacing > 0) || !std::isfinite(spacing)) return false;
  record_one(d, p);
  const double ratio = p.spacing1 == 0 ? 1 : p.spacing2 / p.spacing1;
  p.spacing2 = spacing * ratio;
  p.spacing1 = spacing;
  const Vec2 off = half_offset(p.origin, p.angle2, p.spacing2);
  p.offset.x = off.x;
  p.offset.y = off.y;
  return true;
}

void apply_pattern_preset(Pattern& p, const PatternPreset& preset) {
  p.kind = static_cast<std::uint8_t>(preset.kind >= 0 && preset.kind <= 3 ? preset.kind : 0);
  p.red = preset.red;
  p.green = preset.green;
  p.blue = preset.blue;
  p.angle1 = preset.angle1;
  p.angle2 = preset.angle2;
  p.spacing1 = preset.spacing1;
  p.spacing2 = preset.spacing2;
  p.pen = byte(preset.pen1);
  p.pen2 = byte(preset.pen2);
  p.line_type = byte(preset.line_type1);
  p.line_type2 = byte(preset.line_type2);
}

int apply_preset_to_selected(Drawing& d, const PatternPreset& preset) {
  int n = 0;
  for (Element& e : d.store.list) {
    if (e.selected && e.type != kPattern) e.selected = 0;
    n += e.selected != 0;
  }
  if (n == 0) return 0;
  d.undo.record(d.store, kUndoSnapshot);
  for (Element& e : d.store.list) {
    if (!e.selected) continue;
    e.selected = 0;
    apply_pattern_preset(static_cast<Pattern&>(e), preset);
  }
  return n;
}

int select_same_fillings(Drawing& d, const Pattern& picked) {
  if (picked.kind != 3) return 0;
  int n = 0;
  for (Element& e : d.store.list) {
    const Pattern* p = as<Pattern>(&e);
    const bool same = p && p->kind == 3 && p->layer == d.current_layer && p->red == picked.red &&
                      p->green == picked.green && p->blue == picked.blue;
    e.selected = same ? 1 : 0;
    n += same;
  }
  return n;
}

int dissolve_pattern(Drawing& d, Pattern& p, std::span<const PatternStroke> strokes) {
  if (p.kind == 3) return 0;
  std::vector<Line*> made;
  made.reserve(strokes.size());
  for (const PatternStroke& s : strokes) {
    if (s.pen == kGuidePen) continue;
    made.push_back(
        create_line(d.store, d.current_layer, s.pen, s.line_type, s.x1, s.y1, s.x2, s.y2));
  }
  d.deselect_all();
  p.selected = 1;
  d.undo.record(d.store, kUndoSnapshotAlt);
  d.store.purge();
  for (Line* l : made) d.undo.tag(*l);
  return static_cast<int>(made.size());
}

}  // namespace korav
