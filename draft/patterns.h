// The drawing changes of the pattern tools: new patterns from the pattern preset over a polygon
// or a rectangle, outlines grown by further polygons, the origin, angle and spacing of a
// pattern changed, the preset given to patterns, and patterns dissolved into lines. Every
// function that changes the drawing records exactly one undo step, and none when it changes
// nothing; the interactive tools collect the points and picks and call these. The hatch itself
// is drawn by render/hatch.h.
#pragma once

#include <span>
#include <vector>

#include "draft/geometry.h"
#include "model/drawing.h"
#include "model/presets.h"

namespace korav {

// The offset point of a pattern whose second family passes through `origin`: half the second
// spacing across the second direction, so that with equal angles and spacings the second
// family falls halfway between the lines of the first.
Vec2 half_offset(Vec2 origin, double angle2, double spacing2);

// The fields of a new pattern: kind, pens, line types, spacings, angles and colour from the
// preset, origin (0, 0), the offset point above; both pens 99 in guide mode; the first line
// type 100 for points and 101 for a filling.
Pattern new_pattern_fields(const PatternPreset& preset, int layer, bool guide_mode);

// The outline of the axis-parallel rectangle with corners a and c: four corners and a separator.
std::vector<Point2> rectangle_outline(Vec2 a, Vec2 c);

// b_pattern_poly, b_pattern_range: a new pattern on the current layer over the outline (its
// sub-polygons ended by separators), recorded as one undo step. nullptr (nothing created)
// when the outline has fewer than three points or more than 499.
Pattern* add_pattern(Drawing& d, const PatternPreset& preset, std::span<const Point2> outline);

// b_pattern_add_poly, b_pattern_add_range: the pattern replaced by a copy whose outline is the
// old one followed by `more`, in one undo step. nullptr (the pattern unchanged) when the two
// together hold more than 499 points; otherwise the copy, at the end of the store.
Pattern* extend_pattern(Drawing& d, Pattern& p, std::span<const Point2> more);

// b_pattern_alter_origin: the origin becomes `at`; the offset point becomes `at` too when the
// angles differ (by 1e-9 or more), else the half offset from it. One undo step.
void set_pattern_origin(Drawing& d, Pattern& p, Vec2 at);
// b_pattern_alter_angle: the first angle becomes `angle`, the second keeps its difference.
void set_pattern_angle(Drawing& d, Pattern& p, double angle);
// b_pattern_alter_space: the first spacing becomes `spacing`, the second keeps its ratio to it
// (1 when the old first spacing was 0), the offset point the half offset from the origin.
// False (nothing changed) for a spacing that is not positive and finite.
bool set_pattern_spacing(Drawing& d, Pattern& p, double spacing);

// The preset's kind, colour, angles, spacings, pens and line types (as preset, also for points
// and fillings) given to the pattern; origins stay. No undo step.
void apply_pattern_preset(Pattern& p, const PatternPreset& preset);
// b_pattern_alter_pattern, b_pattern_alter_pattern_b: the preset given to every selected
// pattern in one undo step; the selection is cleared. Returns the number changed (no undo step
// when 0).
int apply_preset_to_selected(Drawing& d, const PatternPreset& preset);
// b_pattern_alter_pattern_a: selects every filling on the current layer whose colour equals
// the picked filling's exactly (the picked one among them). Returns how many; 0 when the
// picked pattern is not a filling.
int select_same_fillings(Drawing& d, const Pattern& picked);

// One stroke of a pattern as drawn: a line (or a point, of zero length) with its pen and type.
struct PatternStroke {
  int pen = 0, line_type = 0;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// b_pattern_dissolve: a Line on the current layer for every stroke not in the guide pen, the
// pattern deleted, all in one undo step. Returns the number of lines made; a filling is never
// dissolved (0, nothing changed).
int dissolve_pattern(Drawing& d, Pattern& p, std::span<const PatternStroke> strokes);

}  // namespace korav
